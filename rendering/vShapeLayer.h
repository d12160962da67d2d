#ifndef vShapeLayer_h
#define vShapeLayer_h

#include "VemoraRenderingModule.h"
#include "v3DLayer.h"

/**
 * Geometric outlines tied to a slice plane (for example a cross-hair): the actors of a shape
 * resource, placed at a point and moved by the offset along the plane normal (+x for orientation
 * 0, -y for 1, +z for 2). No rigid transform applies to it (property set transform unset).
 */
class VEMORARENDERING_EXPORT vShapeLayer : public v3DLayer
{
public:
  vShapeLayer();
  ~vShapeLayer() override;

  int GetSliceOrientation() const { return this->Orientation; }
  /** 0 YZ, 1 XZ, 2 XY; built = 0. */
  void SetSliceOrientation(int orientation);
  void SliceOrientationXY() { this->SetSliceOrientation(2); }
  void SliceOrientationXZ() { this->SetSliceOrientation(1); }
  void SliceOrientationYZ() { this->SetSliceOrientation(0); }
  void SetOffset(double d) { this->Offset = d; }
  double GetOffset() const { return this->Offset; }

  /** A shape resource: its plane orientation and its actors. Other resources are ignored. */
  void AddInput(vResource* resource) override;
  /** Places every actor at the point moved by the offset along the plane normal; built = 0. */
  void SetPosition(double x, double y, double z) override;
  void InternalRender() override;

protected:
  int Orientation = 2;
  double Offset = 50.5;
};

#endif
