#ifndef vDataResource_h
#define vDataResource_h

#include "vDataResourceFake.h"

#include <array>
#include <string>
#include <vector>

/**
 * The owning collection of surface models and point sets: every data set added is copied into a
 * private `vtkPolyData`, which the collection frees when the item is removed, on `Delete` and on
 * destruction. The engine keeps all models of the workspace in one of these.
 *
 * Construction is that of `vDataResourceFake` (name "Data", type "Data 3D").
 */
class VEMORARESOURCE_EXPORT vDataResource : public vDataResourceFake
{
public:
  vDataResource();
  ~vDataResource() override;

  /**
   * Frees every data set and empties the table (number of items 0). Data names and file names
   * are left as they are. Consumers are not notified.
   */
  void Delete() override;
  /** Does nothing. */
  void Read() override;
  /**
   * Removes item `index`: later items move down one place with their names, file names and data
   * sets (the same objects), the last place is cleared and the removed data set is released.
   * An index that names no item changes nothing.
   */
  void RemoveItem(int index) override;
  /**
   * Appends a private copy of `data` (the caller keeps its own) and returns the new index. Poly
   * data are copied as they are; other data sets are converted to their outer surface, so no
   * cells are silently dropped. -1 (nothing added) for a null data set or a full collection.
   */
  int AddData(vtkDataSet* data) override;
  /**
   * Appends `data` itself, without a copy, and returns the new index: for a data set made just
   * now that nothing else will change (a reader's output handed over). The collection shares it
   * from here on. Other data sets than poly data are converted to their outer surface as in
   * `AddData`. -1 (nothing added) for a null data set or a full collection.
   */
  int AdoptData(vtkSmartPointer<vtkDataSet> data);
  /**
   * Creates a sphere model from exactly five arguments: "sphere" (any letter case), centre x,
   * y, z and radius (text that is not a number reads as 0). The new item is named
   * "sphere<index>" with the file name "CreatedObj". Returns its index, or -1 (nothing changed)
   * for any other argument list or a full collection.
   */
  virtual int New(const std::vector<std::string>& args);
};

#endif
