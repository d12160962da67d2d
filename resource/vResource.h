#ifndef vResource_h
#define vResource_h

#include "VemoraResourceModule.h"

#include "vObject.h"

#include <string>

/**
 * A data item of the workspace as layers, modules, the console and the workspace file see it.
 * Abstract: derived classes say how they read and write themselves.
 *
 * A new resource holds 0 items; its property-set name is "resource" and its type stays "object".
 * Collections hold at most `MaxNumberOfItems` items; an addition past that is refused.
 */
class VEMORARESOURCE_EXPORT vResource : public vObject
{
public:
  /** Capacity of every collection of the resource library. */
  static constexpr int MaxNumberOfItems = 128;

  vResource();
  ~vResource() override;

  int GetNumberOfItems() const { return this->NumberOfItems; }

  /** The property set's file name ("null" until set). */
  std::string GetFilename() const;
  void SetFilename(const std::string& filename);

  /** Text after the last "." of the property set's file name; "" when there is none. */
  std::string GetFileExt() const;

  /** "load '" + the property set's file name + "'". */
  std::string ToV() override;

  virtual void Read() = 0;
  virtual void Write() = 0;
  /** Removes item `index`; does nothing here. */
  virtual void RemoveItem(int index);

protected:
  int NumberOfItems = 0;
};

#endif
