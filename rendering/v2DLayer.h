#ifndef v2DLayer_h
#define v2DLayer_h

#include "VemoraRenderingModule.h"

#include "vLayer.h"

#include <vtkSmartPointer.h> // for member

class vtkActor2DCollection;

/**
 * Base of the layers that show 2-D overlay actors (texts). `AddInput` takes the 2-D actors of a
 * 2-D resource; `InternalRender` puts them into the renderer once all of them are there.
 */
class VEMORARENDERING_EXPORT v2DLayer : public vLayer
{
public:
  v2DLayer();
  ~v2DLayer() override;

  void InternalRender() override;
  void VisibilityOn() override;
  void VisibilityOff() override;
  /** Takes the 2-D actors out of the renderer (the layer keeps them). */
  void RemoveAllItems() override;
  /** Records the name "TEXT" and takes the 2-D actors of a 2-D resource. */
  void AddInput(vResource* resource) override;
  void SetPosition(double x, double y, double z) override;
  virtual void Transform(double* matrix) { (void)matrix; }

  vtkActor2DCollection* GetActors2D() const;

protected:
  void SetActorsVisibility(int visible);

  vtkSmartPointer<vtkActor2DCollection> Actors2D;
};

#endif
