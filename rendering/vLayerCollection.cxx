#include "vLayerCollection.h"

#include "vLayer.h"

int vLayerCollection::AddInput(vLayer* layer)
{
  if (layer == nullptr || this->Count >= MaxNumberOfItems)
  {
    return -1;
  }
  this->Layers[this->Count] = layer;
  return this->Count++;
}

vLayer* vLayerCollection::GetInput(int i) const
{
  return i >= 0 && i < this->Count ? this->Layers[i].Get() : nullptr;
}
