#ifndef vDataResourceFake_h
#define vDataResourceFake_h

#include "vResource.h"

#include <vtkSmartPointer.h> // for member

#include <array>
#include <string>

class vtkActorCollection;
class vtkDataSet;

/**
 * A collection of up to `MaxNumberOfItems` VTK data sets, each with a data name and a file name
 * (the path it was loaded from, or a marker such as "CreatedObj"). Items occupy indices 0 to
 * `GetNumberOfItems() - 1` without gaps.
 *
 * The fake does not copy its data sets: it shares them with whoever made them (it serves as a
 * light handle, see `GetDataFake`), holding a reference of its own to each, so a handle stays
 * valid when the workspace removes the item it was made from. `vDataResource` is the owning
 * collection, which keeps private copies.
 *
 * Every index is checked: a negative index, or one that names no item, gives null, "" or -1, or
 * changes nothing.
 *
 * A new collection has the property-set name "Data" and type "Data 3D", 0 items and current item 0.
 */
class VEMORARESOURCE_EXPORT vDataResourceFake : public vResource
{
public:
  vDataResourceFake();
  ~vDataResourceFake() override;

  using vResource::GetFilename;
  using vResource::SetFilename;

  /** One "load '<file name>'\n" line per item, in index order; "" for an empty collection. */
  std::string ToV() override;
  /** Does nothing. */
  void Read() override;
  /** Does nothing. */
  void Write() override;

  /**
   * A new actor collection with one actor (and a `vtkDataSetMapper` on the item's data set) per
   * item. The caller owns the collection and releases it with `Delete()`.
   */
  virtual vtkActorCollection* GetOutput();

  /**
   * Appends `data` as it is (shared, not copied). Returns 0; -1 (nothing added) for a null data
   * set or a full collection.
   */
  virtual int AddData(vtkDataSet* data);

  /**
   * A new one-item handle on item `index`: it shares the item's data set and carries its data
   * name (also as object name) and file name. The caller owns the handle (`delete`); it may
   * outlive the item. Null for an index that names no item.
   */
  virtual vDataResourceFake* GetDataFake(int index);

  /** The data set of item `index` (borrowed); null when there is none. */
  vtkDataSet* GetData(int index) const;
  /** The data set of the current item; null when the current item is negative or names none. */
  vtkDataSet* GetData() const;

  /** Sets the current item (any value; a negative one means "none"). */
  void Select(int index) { this->CurrentItem = index; }
  int GetCurrentItemId() const { return this->CurrentItem; }

  std::string GetDataName(int index) const;
  void SetDataName(int index, const std::string& name);
  std::string GetFilename(int index) const;
  void SetFilename(int index, const std::string& filename);

  /** Data name of the last item ("" and no change for an empty collection). */
  std::string GetLastDataName() const;
  void SetLastDataName(const std::string& name);
  std::string GetLastFilename() const;

  /** Highest index whose data name equals `name` (letter case counts); -1 if none. */
  int Find(const std::string& name) const;
  /** Highest index whose file name equals `filename`; -1 if none. */
  int FindFilename(const std::string& filename) const;

protected:
  /** True when `index` names an item (0 <= index < number of items). */
  bool IsItem(int index) const { return index >= 0 && index < this->NumberOfItems; }
  /** Copies the data name, file name and data set of `index` into a handle's item 0. */
  void FillHandle(vDataResourceFake* handle, int index);

  int CurrentItem = 0;
  std::array<std::string, MaxNumberOfItems> DataNames;
  std::array<std::string, MaxNumberOfItems> Filenames;
  std::array<vtkSmartPointer<vtkDataSet>, MaxNumberOfItems> Data;
};

#endif
