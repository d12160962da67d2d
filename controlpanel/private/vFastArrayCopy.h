#ifndef vFastArrayCopy_h
#define vFastArrayCopy_h

#include <vtkSmartPointer.h>

class vtkDataArray;
class vtkImageData;

/**
 * Copies of large voxel arrays (not exported).
 *
 * Most of the cost of copying a big volume is the page faults of the fresh block, not the copy:
 * a block aligned to 2 MiB and marked for transparent huge pages takes 512 times fewer of them.
 */
namespace vFastArrayCopy
{
/** Arrays of at least this many bytes are copied into a huge-page block. */
constexpr long long MinimumBytes = 2LL << 20;

/**
 * A new array of the same type, name and shape holding a copy of the values; null when the array
 * is not a plain contiguous one or the block cannot be allocated (the caller then copies the
 * usual way).
 */
vtkSmartPointer<vtkDataArray> Copy(vtkDataArray* source);

/**
 * Splits an image with large contiguous voxel scalars into what is cheap to copy the usual way (a
 * shallow copy of the image without its scalars, `shell`) and a copy of the scalars (`voxels`).
 * False, with both left null, when the image has no such scalars or the copy cannot be made.
 */
bool SplitImage(vtkImageData* source,
  vtkSmartPointer<vtkImageData>& shell,
  vtkSmartPointer<vtkDataArray>& voxels);
} // namespace vFastArrayCopy

#endif
