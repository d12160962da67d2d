#ifndef vRenderable_h
#define vRenderable_h

#include "VemoraRenderingModule.h"

#include "vObject.h"

#include <memory> // for member

/**
 * Something that can be drawn: the common base of layers and viewers. It adds the "built" flag
 * (non-zero once `InternalRender` has put the object's VTK parts into its renderer; any change that
 * needs a rebuild sets it back to 0; in a viewer it is the "ready" flag) and the drawing
 * operations that layers and viewers share. The defaults store values in the property set or do
 * nothing.
 *
 * Lifetime: a renderable hands out weak references to itself (`GetWeakReference`, or the typed
 * `vRenderableReference`). They empty themselves when the object goes, so a layer that holds
 * another as a friend, or a wrapper that remembers a layer of its viewer, never reaches a
 * destroyed object. Destructors end the references first (`ReleaseWeakReferences`), so that
 * nothing reaches an object that is half destroyed either.
 */
class VEMORARENDERING_EXPORT vRenderable : public vObject
{
public:
  vRenderable();
  ~vRenderable() override;

  virtual void Render() {}
  virtual void InternalRender() {}
  /** Stores the 4 x 4 row-major matrix in the property set. */
  virtual void SetTransform(double matrix[16]);
  virtual void GetTransform(double matrix[16]);
  virtual void SetOpacity(double opacity);
  /** window = (lower, upper). */
  virtual void SetContrast(double window[2]);
  virtual void SetScaleFactor(double factor);
  virtual void SetColor(double rgb[3]) { (void)rgb; }
  virtual void SetBackgroundColor(double rgb[3]) { (void)rgb; }
  /** All six values -1 here. */
  virtual void GetBounds(int bounds[6]);
  virtual void VisibilityOn();
  virtual void VisibilityOff();
  virtual void Refresh() {}
  virtual void ResetCamera() {}
  virtual void RemoveAllItems() {}

  int GetBuilt() const { return this->Built; }
  void SetBuilt(int built) { this->Built = built; }

  /** A reference to this object that is empty (expired) once the object is being destroyed. */
  std::weak_ptr<vRenderable> GetWeakReference();

protected:
  /** Empties every weak reference to the object; destructors call it before anything else. */
  void ReleaseWeakReferences() { this->Anchor.reset(); }

  int Built = 0;

private:
  // Every weak reference shares ownership of this anchor (aliased to the object itself).
  std::shared_ptr<int> Anchor = std::make_shared<int>(0);
};

#endif
