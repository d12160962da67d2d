#ifndef vLayerCollection_h
#define vLayerCollection_h

#include "VemoraRenderingModule.h"

#include "vRenderableReference.h" // for member

class vLayer;

/**
 * A plain list of up to 128 layers. It owns nothing: it holds weak references, so a layer that
 * is destroyed reads as null from then on (its place stays). Copying copies the references.
 */
class VEMORARENDERING_EXPORT vLayerCollection
{
public:
  static constexpr int MaxNumberOfItems = 128;

  vLayerCollection() = default;
  virtual ~vLayerCollection() = default;
  vLayerCollection(const vLayerCollection&) = default;
  // clang-tidy 14 takes the loop the compiler makes up for the array member (__i0) for ours.
  // NOLINTNEXTLINE(bugprone-reserved-identifier)
  vLayerCollection& operator=(const vLayerCollection&) = default;

  /** Appends the layer (weak reference); its index, or -1 for null or past 128 layers. */
  int AddInput(vLayer* layer);
  /** Layer i; null for an index out of range or a layer that has gone. */
  vLayer* GetInput(int i) const;
  int GetNumberOfItems() const { return this->Count; }

private:
  vRenderableReference<vLayer> Layers[MaxNumberOfItems]; // weak: layers belong to their viewer
  int Count = 0;
};

#endif
