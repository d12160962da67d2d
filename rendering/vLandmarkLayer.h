#ifndef vLandmarkLayer_h
#define vLandmarkLayer_h

#include "VemoraRenderingModule.h"
#include "vMesh3DLayer.h"

/**
 * Landmarks: one sphere of the landmark radius (property set size, 6.0 at construction) per point,
 * each drawn by its own actor in the layer colour with the layer transform.
 */
class VEMORARENDERING_EXPORT vLandmarkLayer : public vMesh3DLayer
{
public:
  vLandmarkLayer();
  ~vLandmarkLayer() override;

  /** One sphere per point of data set 0 of a model resource. */
  void AddInput(vResource* resource) override;
  /** One more sphere at the point. */
  void AddInput(double point[3]);
  double GetLandmarkSize();
  /** Rebuilds every sphere with radius r at its old centre, keeping its colour. */
  void SetLandmarkSize(double r);
  std::string ToV() override;
  /** The centre of landmark i; false when there is no such landmark. */
  bool GetLandmark(int i, double centre[3]);

protected:
  /** A sphere actor at centre with the given colour (null: the layer colour). */
  vtkActor* MakeSphere(const double centre[3], const double* color);
};

#endif
