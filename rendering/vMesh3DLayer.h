#ifndef vMesh3DLayer_h
#define vMesh3DLayer_h

#include "VemoraRenderingModule.h"

#include "v3DLayer.h"

#include <vtkSmartPointer.h> // for member

#include <string>
#include <vector>

class vtkProperty;

/**
 * Shows the data sets of a model resource (`vDataResourceFake`): one actor per data set, in the
 * layer colour, with a representation (0 surface, 1 wireframe, 2 points), an optional per-vertex
 * colour map, and clipping against the viewer's clipping plane.
 *
 * The back faces of each actor (and of its clipped actor) have their own property: the layer colour
 * less 0.01 per component, a component that would fall below 0 being kept.
 *
 * A data set without polygons or triangle strips (cells of two or three dimensions, for data
 * sets other than poly data) is drawn as one sphere of radius 2 centred on each point (the spheres
 * are surfaces) when it has at most `MaxPointsAsSpheres` points, and as points when it has more.
 * A data set with polygons or strips is drawn as its surface, whatever its number of points.
 */
class VEMORARENDERING_EXPORT vMesh3DLayer : public v3DLayer
{
public:
  static constexpr int MaxPointsAsSpheres = 128;
  static constexpr double SphereRadius = 2.0;

  vMesh3DLayer();
  ~vMesh3DLayer() override;

  /** Does nothing: the actors go with the layer. */
  void Delete() override {}
  /** "new layer mesh <first resource> <renderer name>" */
  std::string ToV() override;
  void InternalRender() override;
  void SetColor(double rgb[3]) override;
  /** Does nothing. */
  void DeepCopy(vLayer* source) override { (void)source; }
  /** Builds one actor per data set of a `vDataResourceFake` (other resources are ignored). */
  void AddInput(vResource* resource) override;
  void UpdateClippingPlane(vtkActor* plane) override;
  void ClippingOn(vtkActor* plane) override;
  void ClippingOff() override;

  /** Does nothing. */
  virtual void Keepit(vLayer* layer) { (void)layer; }
  /** 0 surface, 1 wireframe, 2 points; another code is stored but changes no actor. */
  virtual void SetRepresentation(int code);
  virtual int GetRepresentation();
  /**
   * Colours each vertex by values[i] over the range of `SetColorMapRange`. The values are
   * borrowed, not copied: the caller keeps them alive while the colour map is shown. A data set
   * whose number of points is not n is left uncoloured (so no value is read past the end).
   */
  virtual void SetColorMap(double* values, int n);

  /** The back-face property of data set i (null for an index out of range). */
  vtkProperty* GetBackfaceProperty(int i) const;
  /** Also forgets the back-face properties. */
  void RemoveAllItems() override;

  void SetColorMapRange(double min, double max);
  void GetColorMapRange(double& min, double& max) const;
  /** Back to the plain layer colour (the property set's colour-map value stays). */
  void ColorMapOff();

protected:
  /** Rebuilds the clipped actors from the plane actor's present placement. */
  void BuildClippedActors(vtkActor* plane);
  void RemoveClippedActors();

  double ColorMapRange[2] = { 0.0, 255.0 };
  std::vector<vtkSmartPointer<vtkProperty>> BackfaceProperties; // parallel to Actors
};

#endif
