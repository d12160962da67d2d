#ifndef vtkTools_h
#define vtkTools_h

#include "VemoraCommonModule.h"

#include <vtkType.h> // for vtkIdType

#include <string>

// VTK objects are reference counted; their destructors are protected on purpose.
class vtkDataSet;   // NOLINT(cppcoreguidelines-virtual-class-destructor)
class vtkImageData; // NOLINT(cppcoreguidelines-virtual-class-destructor)
class vtkPolyData;  // NOLINT(cppcoreguidelines-virtual-class-destructor)

/**
 * Static VTK pipelines shared by the libraries: saving a data set as a VTK file, extracting a
 * smoothed surface around an intensity value from a volume, and measuring the distance from each
 * point of one data set to the surface of another. Inputs are borrowed; nothing is kept.
 */
class VEMORACOMMON_EXPORT vtkTools
{
public:
  /** Half width of the intensity window that `vtkMc` keeps around its value. */
  static constexpr double MaskHalfWidth = 24.0;
  /** Offset of the two contour values of `vtkMc` below and above its value. */
  static constexpr double ContourOffset = 80.0;

  /**
   * Writes `data` to `path` as a VTK legacy file (vtkDataSetWriter, default encoding). The file
   * is written to a temporary file in the same folder and renamed over `path`, so an old file is
   * never left half overwritten. Returns false (and reports through VTK's output window) when
   * nothing could be written.
   */
  static bool vtkSave(vtkDataSet* data, const std::string& path);

  /**
   * Extracts a surface around the intensity `value` of `volume` into `out`:
   * 1. a mask with the volume's structure holds `value` where component 0 of the volume lies in
   *    [value - 24, value + 24] and 0 elsewhere (`vtkMcMask`);
   * 2. the mask is smoothed (vtkImageGaussianSmooth, radius factors 1, 1, 1), contoured
   *    (vtkMarchingCubes at value - 80 and value + 80), decimated (vtkDecimatePro, topology
   *    preserved, target reduction `reduction`) and, when `iterations` is 1 or more, smoothed
   *    (vtkSmoothPolyDataFilter, boundary smoothing on, convergence 0.00001, `iterations`
   *    iterations) (`vtkMcSurface`).
   * The mask keeps the volume's scalar type when that type holds `value` exactly, and doubles
   * otherwise. A null or empty volume, one without scalars, or a value with no
   * surface around it gives an empty `out` (without running the filters that would complain about
   * empty input). Nothing happens when `out` is null.
   */
  static void vtkMc(vtkImageData* volume,
    double value,
    double reduction,
    int iterations,
    vtkPolyData* out);

  /**
   * The mask stage of `vtkMc`: `mask` gets the structure of `volume` and one component, `value`
   * inside the window and 0 outside, of the volume's scalar type when that type holds `value`
   * exactly (an integral value within an integer type's range, a float volume's value that a
   * float holds), of doubles otherwise. Returns false (mask emptied) when the volume has no
   * voxels or no scalars; throws std::bad_alloc (mask emptied) when the mask cannot be
   * allocated, as the console's commands and the window's handlers expect of an allocation.
   */
  static bool vtkMcMask(vtkImageData* volume, double value, vtkImageData* mask);

  /** The filter stages of `vtkMc` on a mask made by `vtkMcMask`. */
  static void vtkMcSurface(vtkImageData* mask,
    double value,
    double reduction,
    int iterations,
    vtkPolyData* out);

  /**
   * For each point i of `points` (up to `capacity` of them) stores in `distances[i]` the distance
   * from the point to the closest point of the cells of `surface`, as a vtkCellLocator's
   * FindClosestPoint measures it. Surfaces of triangles and triangle strips are searched through a
   * bounding-volume tree of their triangles, other cells through a vtkStaticCellLocator; points are
   * measured on several threads (vtkSMPTools). Returns the number of distances
   * stored: the number of points, or `capacity` when that is smaller (0 for null arguments). When
   * `surface` is null or has no cells there is no closest point and each distance is -1.
   */
  static vtkIdType vtkSurfaceDistance(vtkDataSet* surface,
    vtkDataSet* points,
    double* distances,
    vtkIdType capacity);
};

#endif
