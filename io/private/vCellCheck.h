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
 * True when the offsets start at 0, end at the connectivity's size and give every cell at least
 * `fewestPoints` points (0: null cells are valid), and every id names one of `points` points.
 */
bool CellIdsAreValid(vtkCellArray* cells, vtkIdType points, vtkIdType fewestPoints = 0);

/**
 * True when every cell of the model names points it has, and has the points its kind needs:
 * a vertex 1, a line 2, a polygon or a strip 3 (VTK cannot build the model's cell map otherwise,
 * and crashes on the first look at a cell).
 */
bool CellsAreValid(vtkPolyData* model);
} // namespace vCellCheck

#endif
