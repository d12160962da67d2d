#ifndef vCrossResource_h
#define vCrossResource_h

#include "vShapeResource.h"

/**
 * A two-line cross-hair in the resource's plane: a vertical and a horizontal line through the
 * origin, each `2 * half length` long. A new cross has half length 10, orientation 2 (XY), both
 * colours black and the property-set name "crossresource".
 */
class VEMORARESOURCE_EXPORT vCrossResource : public vShapeResource
{
public:
  vCrossResource();
  ~vCrossResource() override;

  /** Colour of the horizontal line (components 0..1). */
  void SetHColor(double r, double g, double b);
  /** Colour of the vertical line (components 0..1). */
  void SetVColor(double r, double g, double b);
  void GetHColor(double color[3]) const;
  void GetVColor(double color[3]) const;

  /**
   * Builds a new collection of two line actors, the vertical line first, for the current
   * orientation and half length, and counts two more items. The new collection replaces the
   * resource's previous one and stays owned by the resource (see `vShapeResource::GetOutput`).
   */
  vtkActorCollection* GetOutput() override;

private:
  double HColor[3] = { 0.0, 0.0, 0.0 };
  double VColor[3] = { 0.0, 0.0, 0.0 };
};

#endif
