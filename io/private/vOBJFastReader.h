#ifndef vOBJFastReader_h
#define vOBJFastReader_h

#include "VemoraIOModule.h"

#include <vtkSmartPointer.h> // for the output

#include <string>

class vtkPolyData;

/**
 * A one-pass reader of the Wavefront OBJ files that hold plain geometry, giving the model VTK's
 * OBJ reader gives for them (same points, cells, texture coordinates and normals), several times
 * faster: the file is mapped once and numbers are parsed with fast_float.
 *
 * It takes vertices ("v x y z"), texture coordinates ("vt"), normals ("vn"), faces ("f"), lines
 * ("l"), points ("p"), comments and lines VTK's reader ignores ("o", "s", "mtllib" ...). Indices
 * count from 1, or back from the last vertex read when negative. A UTF-8 byte-order mark at the
 * start is skipped.
 *
 * Damaged files are refused as the check before VTK's reader refuses them: an index naming a
 * vertex, texture coordinate or normal the file does not define, index groups of mixed shape in
 * one element or with a missing part ("7/", "/3"), anything but digits in an index.
 *
 * Files using what only VTK's reader handles (groups, materials, texture coordinates or normals
 * numbered differently from the vertices, which VTK answers by duplicating vertices, elements too
 * short for VTK's reader, continued lines, vertices with more or fewer than three numbers) are
 * left to it: `NotHandled`, and nothing is made.
 */
class VEMORAIO_EXPORT vOBJFastReader // exported for its tests only
{
public:
  enum Result
  {
    Read,
    Refused,
    NotHandled
  };

  /** Reads `path`; `model` is set on `Read` only. */
  static Result ReadFile(const std::string& path, vtkSmartPointer<vtkPolyData>& model);
  /** The same for the bytes of a file already in memory. */
  static Result ReadBytes(const char* data, size_t size, vtkSmartPointer<vtkPolyData>& model);
};

#endif
