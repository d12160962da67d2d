#ifndef vRenderableReference_h
#define vRenderableReference_h

#include "vRenderable.h"

#include <memory> // for member

/**
 * A typed weak reference to a layer or viewer (not owned): `Get` gives the object while it lives
 * and null once it is being destroyed, whoever destroys it. Copyable; a default reference is
 * empty.
 */
template <typename T>
class vRenderableReference
{
public:
  vRenderableReference() = default;
  // Implicit on purpose: a reference is made wherever a pointer is stored.
  // NOLINTNEXTLINE(google-explicit-constructor)
  vRenderableReference(T* object)
  {
    if (object != nullptr)
    {
      this->Reference = object->GetWeakReference();
    }
  }

  /** The object, or null when there is none or it is gone. */
  T* Get() const { return static_cast<T*>(this->Reference.lock().get()); }
  /** True when the reference names an object that is still alive. */
  bool IsAlive() const { return !this->Reference.expired(); }
  /** True when the reference names this live object. */
  bool Is(const vRenderable* object) const
  {
    return object != nullptr && this->Reference.lock().get() == object;
  }
  void Reset() { this->Reference.reset(); }

private:
  std::weak_ptr<vRenderable> Reference;
};

#endif
