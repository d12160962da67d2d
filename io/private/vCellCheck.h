#ifndef vCellCheck_h
#define vCellCheck_h

#include <vtkType.h> // for vtkIdType

class vtkCellArray;
class vtkPolyData;

/**
 * Checks of the cells a reader made, before anything uses them: VTK's filters and mappers trust
 * the offsets and the point ids of a cell array. Used by the file reader and by the read helper,
 * which checks the models it hands back while they are still in its caches.
 */
namespace vCellCheck
{
/**
 * True when the offsets start at 0, never decrease and end at the connectivity's size, and every
 * id names one of `points` points; null cells are valid.
 */
bool CellIdsAreValid(vtkCellArray* cells, vtkIdType points);

/** True when every cell of the model (vertices, lines, polygons, strips) names a point it has. */
bool CellsAreValid(vtkPolyData* model);
} // namespace vCellCheck

#endif
