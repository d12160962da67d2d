#ifndef vShapeResource_h
#define vShapeResource_h

#include "vResource.h"

#include <vtkSmartPointer.h> // for the owned actor collection

class vtkActor2DCollection;
class vtkActorCollection;

/**
 * Base of the resources that build their own 3-D actors (geometric outlines tied to a slice
 * plane). A new shape resource has an empty actor collection, half length 20, plane
 * orientation 2 (XY) and the property-set name "shaperesource".
 */
class VEMORARESOURCE_EXPORT vShapeResource : public vResource
{
public:
  /** Plane orientation codes. */
  enum PlaneOrientation
  {
    YZ = 0,
    XZ = 1,
    XY = 2
  };

  vShapeResource();
  ~vShapeResource() override;

  /** Does nothing. */
  void Read() override;
  /** Does nothing. */
  void Write() override;

  /** Gives the shape three points; does nothing here. */
  virtual void AddInput(double p1[3], double p2[3], double p3[3]);
  /** 2-D actors of the shape; null here. */
  virtual vtkActor2DCollection* GetOutput2D();
  /**
   * The shape's actors. The collection stays owned by the resource (the caller never releases
   * it) and is valid until the next `GetOutput` or the resource's destruction; the actors in it
   * are reference counted and may be kept by whoever adds them to a renderer.
   */
  virtual vtkActorCollection* GetOutput();

  int GetPlaneOrientation() const { return this->Orientation; }
  void SetPlaneOrientation(int orientation) { this->Orientation = orientation; }
  void PlaneOrientationYZ() { this->Orientation = YZ; }
  void PlaneOrientationXZ() { this->Orientation = XZ; }
  void PlaneOrientationXY() { this->Orientation = XY; }

  /** Half the extent of the shape along each of its lines, in world units. */
  double GetHalfLength() const { return this->HalfLength; }
  void SetHalfLength(double halfLength) { this->HalfLength = halfLength; }

protected:
  vtkSmartPointer<vtkActorCollection> Output;
  double HalfLength = 20.0;
  int Orientation = XY;
};

#endif
