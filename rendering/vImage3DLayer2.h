#ifndef vImage3DLayer2_h
#define vImage3DLayer2_h

#include "VemoraRenderingModule.h"
#include "vImageLayer.h"

/**
 * A volume slice shown with the image-viewer technique of `vImage3DLayer`, which also reports the
 * voxel value under the last point given to SetPosition (GetPixelIntensity): the volume view shows
 * it as its "Voxel" line.
 */
class VEMORARENDERING_EXPORT vImage3DLayer2 : public vImageLayer
{
public:
  vImage3DLayer2();
  ~vImage3DLayer2() override;

  /** Takes data set 0 of a volume resource; the picked value starts at 0. */
  void AddInput(vResource* resource) override;
  void InternalRender() override;
  /** Moves the slice to the world point and picks the voxel value there. */
  void SetPosition(double x, double y, double z) override;
  std::string GetInfo() override;
  std::string ToV() override;

  /** The voxel value at the last position (0 before any, or outside the volume). */
  double GetPixelIntensity() const { return this->PixelIntensity; }

protected:
  /**
   * The voxel under the property set position: in-plane indices trunc((p - bounds min) / spacing +
   * 0.5), the slice index along the normal; component 0 of that voxel, or 0 outside the extent.
   */
  void SetPi();

  double PixelIntensity = 0;
};

#endif
