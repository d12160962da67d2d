#ifndef vLayerCollection_h
#define vLayerCollection_h

#include "VemoraRenderingModule.h"

class vLayer;

/**
 * A plain list of up to 128 layers. It owns nothing; copying copies the pointers.
 */
class VEMORARENDERING_EXPORT vLayerCollection
{
public:
  static constexpr int MaxNumberOfItems = 128;

  vLayerCollection() = default;
  virtual ~vLayerCollection() = default;
  vLayerCollection(const vLayerCollection&) = default;
  vLayerCollection& operator=(const vLayerCollection&) = default;

  /** Appends the layer (borrowed); its index, or -1 for null or past 128 layers. */
  int AddInput(vLayer* layer);
  /** Layer i; null for an index out of range. */
  vLayer* GetInput(int i) const;
  int GetNumberOfItems() const { return this->Count; }

private:
  vLayer* Layers[MaxNumberOfItems] = {}; // borrowed: layers belong to their viewer
  int Count = 0;
};

#endif
