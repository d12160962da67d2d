#ifndef v3DLayer_h
#define v3DLayer_h

#include "VemoraRenderingModule.h"

#include "vLayer.h"

#include <vtkSmartPointer.h> // for members

#include <memory> // for member

class v2DLayer;
class vtkActor;
class vtkActorCollection;
class vtkPlane;
class vtkTransform;

/**
 * Base of every layer that shows 3-D actors. It keeps the layer's actors, applies the layer
 * transform to all of them (and to their bounding boxes), and implements opacity, visibility and
 * zoom (by the camera's parallel scale) for the whole layer. Concrete layers fill `Actors` in
 * their `AddInput` and keep `NumberOfItems` equal to its size; operations on a layer whose counts
 * differ (not fully built) only update the property set.
 *
 * While `DisplayActors` is not empty (a clipped mesh), opacity, visibility and picking act on those
 * instead of `Actors`.
 */
class VEMORARENDERING_EXPORT v3DLayer : public vLayer
{
public:
  v3DLayer();
  ~v3DLayer() override;

  /** Replaces the layer transform by the 4 x 4 row-major matrix. */
  void SetTransform(double matrix[16]) override;
  void SetOpacity(double opacity) override;
  /** Zoom: parallel scale = (parallel scale after the first camera reset) / factor. */
  void SetScaleFactor(double factor) override;
  void VisibilityOn() override;
  void VisibilityOff() override;
  /** Takes every actor, clipped actor and bounding box out of the renderer and forgets them. */
  void RemoveAllItems() override;
  /** Binds the layer and adds its actors to the renderer. */
  void SetRenderer(vtkRenderer* renderer) override;
  /** Records the resource; the property set's resource name becomes the resource's name. */
  void AddInput(vResource* resource) override;
  /** Replaces the layer transform by a translation. */
  void SetPosition(double x, double y, double z) override;
  /** The lookup table of the first actor's mapper; null without actors. */
  vtkScalarsToColors* GetLut() override;
  /** Mean of the actors' centres; (0, 0, 0) without actors. */
  void GetGeometryCenter(double centre[3]) override;
  /** Composes a reflection in y (Flip) or x (Mirror) after the present transform. */
  void Flip() override;
  void Mirror() override;
  int Find(vtkProp* prop) override;
  void SetBoundingBox(bool on) override;

  /** Replace the layer transform by a rotation of angle degrees. */
  virtual void RotateX(double angle);
  virtual void RotateY(double angle);
  virtual void RotateZ(double angle);
  /** The actors (owned by the layer). */
  virtual vtkActorCollection* GetOutput();
  virtual void BoundingBoxOn();
  virtual void BoundingBoxOff();

  void RemoveBoundingBoxes();
  /** The layer transform (owned by the layer; replaced by the placement operations). */
  vtkTransform* GetTransformObject() const;
  vtkActorCollection* GetDisplayActors() const;
  vtkActorCollection* GetBoundingBoxes() const;
  void GetPosition(double position[3]) const;
  double GetBaseParallelScale() const { return this->BaseParallelScale; }
  /** An attached text layer, owned from now on (destroyed with this layer or when replaced). */
  void SetLabel(v2DLayer* label);
  v2DLayer* GetLabel() const { return this->Label.get(); }

protected:
  /** Sets the transform as user transform of every actor, clipped actor and bounding box. */
  virtual void Transform();
  /** One wireframe outline per actor, in the layer colour, under the layer transform. */
  virtual void CreateBoundingBoxes();
  /** The actors that opacity, visibility and picking act on. */
  vtkActorCollection* GetWorkingActors() const;
  bool IsFullyBuilt() const;
  /** Composes the reflection diag(sx, sy, 1, 1) after the present transform. */
  void Reflect(double sx, double sy);

  vtkSmartPointer<vtkTransform> LayerTransform;
  vtkSmartPointer<vtkPlane> Clipper;
  vtkSmartPointer<vtkActorCollection> Actors;
  vtkSmartPointer<vtkActorCollection> DisplayActors;
  double Position[3] = { 0.0, 0.0, 0.0 };
  std::unique_ptr<v2DLayer> Label;
  vtkSmartPointer<vtkActorCollection> BoundingBoxes;
  double BaseParallelScale = -999.0;
};

#endif
