#ifndef vVolumeResourceFake_h
#define vVolumeResourceFake_h

#include "vDataResourceFake.h"

class vtkImageData;

/**
 * A collection of image volumes (`vtkImageData`) with voxel queries and a parallel table of
 * "shadow" images of the same geometry as the volumes (per-voxel marks over them).
 *
 * The fake owns neither volumes nor shadows; `vVolumeResource` is the owning collection. Every
 * index is checked as in `vDataResourceFake`: queries on an index that names no volume give null
 * or -999. A new collection has the name "Data", type "Data 3D", 0 items and no shadows.
 */
class VEMORARESOURCE_EXPORT vVolumeResourceFake : public vDataResourceFake
{
public:
  /** Result of voxel queries outside the volume (and of intensity queries without a volume). */
  static constexpr double OutsideValue = -999.0;

  vVolumeResourceFake();
  ~vVolumeResourceFake() override;

  /**
   * Appends `data` as it is (borrowed). Returns the constant 4 (not an index); -1 (nothing added)
   * for a null data set or a full collection.
   */
  int AddData(vtkDataSet* data) override;
  /**
   * A one-item handle on volume `index` (borrowed volume and shadow, data name and file name),
   * so that image layers can use the volume queries on it. The caller owns it (`delete`).
   */
  vVolumeResourceFake* GetDataFake(int index) override;

  /** Stores `image` (borrowed) as the shadow of item `index`; a data set that is not an image,
   * or an index that names no item, changes nothing. */
  virtual void SetImageShadow(int index, vtkDataSet* image);
  /** The same for the current item, if it is 0 or more. */
  virtual void SetImageShadow(vtkDataSet* image);
  /** Calls the object's own `AddData` and returns its result. */
  virtual int AddImageData(vtkDataSet* data);

  /** The volume of the current item; null when there is none. */
  vtkImageData* GetImageData() const;
  /** Volume `index`; null when there is none (or the item is not an image). */
  vtkImageData* GetImageData(int index) const;
  /** Volume `index`'s dimensions (3 ints owned by the volume); null without a volume. */
  int* GetImageDataSize(int index) const;
  /** Volume `index`'s spacing (3 doubles owned by the volume); null without a volume. */
  double* GetImageDataVoxelSize(int index) const;
  /** The same as `GetImageDataVoxelSize`. */
  double* GetSpacing(int index) const;
  /** First value of volume `index`'s scalar range; -999 without a volume. */
  double GetMinVoxelIntensity(int index) const;
  /** Second value of volume `index`'s scalar range; -999 without a volume. */
  double GetMaxVoxelIntensity(int index) const;
  /**
   * Component 0 of voxel (x, y, z) of volume `index` as a double, whatever the scalar type;
   * (0, 0, 0) is the volume's first voxel. -999 when a coordinate is negative or not below the
   * volume's dimension on that axis, or there is no volume or no voxel values.
   */
  double GetVoxelIntensity(int index, int x, int y, int z) const;

  /** Shadow of item `index` (borrowed); null when there is none. */
  vtkImageData* GetImageShadow(int index) const;
  /** Shadow of the current item; null when there is none. */
  vtkImageData* GetImageShadow() const;

protected:
  // Borrowed in the fake; the owning collection keeps its own reference of each entry.
  std::array<vtkSmartPointer<vtkImageData>, MaxNumberOfItems> Shadows;
};

#endif
