#ifndef vLegacyVTKFastReader_h
#define vLegacyVTKFastReader_h

#include "VemoraIOModule.h"

#include <vtkSmartPointer.h> // for the output

#include <string>

class vtkPolyData;

/**
 * A direct reader of binary legacy ".vtk" poly data, giving the model VTK's reader gives for it
 * (same points, cells and point and cell attributes) with less work: each block is read once into
 * the array that keeps it, byte order turned in the same pass, no pipeline around it.
 *
 * It takes binary files of poly data (version 5.1 offsets and connectivity, or the older counts
 * and ids) with points, vertices, lines, polygons, triangle strips and, as point or cell data,
 * scalars (with the default lookup table), normals and texture coordinates. Every block must lie
 * inside the file, every count must fit it, and every cell must name points the model has (so
 * a model read here needs no further check of its cells). Cells are kept in 32 bits when their
 * ids fit, as VTK's cell arrays allow. Anything else (ASCII files, other data sets, field
 * data, lookup tables, metadata, a count or size that does not fit) is left to VTK's reader and
 * the checks before it: `NotHandled`, and nothing is made.
 */
class VEMORAIO_EXPORT vLegacyVTKFastReader // exported for its tests only
{
public:
  enum Result
  {
    Read,
    NotHandled
  };

  /** Reads `path`; `model` is set on `Read` only. */
  static Result ReadFile(const std::string& path, vtkSmartPointer<vtkPolyData>& model);
};

#endif
