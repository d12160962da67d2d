#ifndef vVolumeResource_h
#define vVolumeResource_h

#include "vVolumeResourceFake.h"

#include <array>

class vtkImageData;

/**
 * The owning volume collection: every volume added is copied into a private `vtkImageData`, and
 * every shadow is a private image too; the collection frees both when an item is removed, on
 * `Delete` and on destruction. The engine keeps all volumes of the workspace in one of these.
 *
 * A new collection has the name "volume", type "Data 3D", 0 items and no shadows.
 */
class VEMORARESOURCE_EXPORT vVolumeResource : public vVolumeResourceFake
{
public:
  vVolumeResource();
  ~vVolumeResource() override;

  /**
   * Releases every shadow, then every volume, and sets the number of items to 0. Data names and
   * file names are left as they are. Consumers are not notified.
   */
  void Delete() override;
  /**
   * Removes item `index`: later volumes move down one place together with their names, file
   * names and shadows, the last place is cleared, and the removed volume and its shadow are
   * released. An index that names no item changes nothing.
   */
  void RemoveItem(int index) override;
  /**
   * Appends a private copy of the image `data` and returns its index. A null data set adds
   * nothing and returns the number of items; a data set that is not an image, or a full
   * collection, adds nothing and returns -1.
   */
  int AddData(vtkDataSet* data) override;
  /** The same as `AddData`. */
  int AddImageData(vtkDataSet* data) override;
  /**
   * Appends the image `data` itself, without a copy, and returns its index: for a volume made
   * just now that nothing else will change (a reader's output handed over), so the workspace
   * holds its voxels once. The collection shares it from here on. The same results as `AddData`
   * otherwise (the number of items for null; -1, nothing added, for a non-image or a full
   * collection).
   */
  int AdoptData(vtkSmartPointer<vtkDataSet> data);

  /** Copies `image` into the shadow of item `index` (see the image overload). */
  void SetImageShadow(int index, vtkDataSet* image) override;
  /** Copies `image` into the current item's shadow (see the image overload). */
  void SetImageShadow(vtkDataSet* image) override;
  /**
   * Copies `image` into the private shadow of item `index`, creating the shadow when there is
   * none. A null image, or an index that names no item, changes nothing.
   */
  virtual void SetImageShadow(int index, vtkImageData* image);
  /** `SetImageShadow(current item, image)` when the current item is 0 or more. */
  virtual void SetImageShadow(vtkImageData* image);

  /**
   * Replaces the shadow of item `index` with a new image of the volume's structure (dimensions,
   * extent, spacing, origin) and scalar type, one component, every voxel 0. Nothing without a
   * volume.
   */
  void InitImageShadow(int index);
  /** The same for the current item, when it is 0 or more. */
  void InitImageShadow();
  /** Releases the shadow of item `index`. */
  void DelImageShadow(int index);
  /** The same for the current item, when it is 0 or more. */
  void DelImageShadow();
};

#endif
