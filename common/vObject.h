#ifndef vObject_h
#define vObject_h

#include "VemoraCommonModule.h"

#include "vProp.h" // every object's name and type live in its property set

#include <memory>
#include <string>

/**
 * Root of the workstation's own objects (resources, layers, viewers ...). Each object owns a
 * property set (`vProp`) that keeps its name and type, holds a small table of consumers (other
 * objects, not owned, that are told through `MakeClone` when this one withdraws), and renders
 * itself as script text (`ToV`).
 *
 * A new object has the type "object", the name "null", no consumers and last error 0.
 * Objects have identity and are not copyable.
 */
class VEMORACOMMON_EXPORT vObject
{
public:
  /** Capacity of the consumer table; a further `AddConsumer` is refused. */
  static constexpr int MaxNumberOfConsumers = 12;

  vObject();
  virtual ~vObject();
  vObject(const vObject&) = delete;
  vObject& operator=(const vObject&) = delete;

  /** The owned property set: callers may read and change it, never delete it. */
  vProp* GetProperty() const { return this->Property.get(); }

  std::string GetName() const;
  void SetName(const std::string& name);
  std::string GetType() const;
  void SetType(const std::string& type);

  /** 1 if `type` equals the object's type without regard to letter case, otherwise 0. */
  virtual int isA(const std::string& type) const;
  /**
   * Appends `consumer` (borrowed) to the consumer table. A null pointer, or a consumer past
   * `MaxNumberOfConsumers`, is refused and changes nothing.
   */
  virtual void AddConsumer(vObject* consumer);
  int GetNumberOfConsumers() const { return this->NumberOfConsumers; }
  /**
   * Announces the object's withdrawal: calls `MakeClone(this)` on each consumer in order of
   * registration. The table is left as it is and the object is not destroyed.
   */
  virtual void Delete();
  /** Notification from an object this one consumes; does nothing here. */
  virtual void MakeClone(vObject* source);
  /** The object's script text; "## object reconstruction" for a plain object. */
  virtual std::string ToV();

  /** Sets a property by name through `vProp::SetValue`; returns its result (always 0). */
  int SetProperty(const std::string& name, const void* value);
  /** The last-error field (0; nothing assigns it). */
  int GetLastErr() const { return this->LastErr; }

protected:
  vObject* Consumers[MaxNumberOfConsumers]; // borrowed: consumers are owned elsewhere
  int NumberOfConsumers = 0;
  std::unique_ptr<vProp> Property;
  int LastErr = 0;
};

#endif
