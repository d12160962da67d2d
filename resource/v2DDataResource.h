#ifndef v2DDataResource_h
#define v2DDataResource_h

#include "vResource.h"

class vtkActor2DCollection;

/**
 * Base of the resources shown as 2-D overlays (texts). Construction is that of `vResource`
 * (name "resource").
 */
class VEMORARESOURCE_EXPORT v2DDataResource : public vResource
{
public:
  v2DDataResource();
  ~v2DDataResource() override;

  /** Does nothing. */
  void Read() override;
  /** Does nothing. */
  void Write() override;
  /** The overlay's 2-D actors in a new collection that the caller owns; null here. */
  virtual vtkActor2DCollection* GetOutput();
};

#endif
