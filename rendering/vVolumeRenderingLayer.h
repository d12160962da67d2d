#ifndef vVolumeRenderingLayer_h
#define vVolumeRenderingLayer_h

#include "VemoraRenderingModule.h"
#include "vImageLayer.h"

#include <vtkSmartPointer.h> // for members

class vVector;
class vtkColorTransferFunction;
class vtkPiecewiseFunction;
class vtkVolume;

/**
 * A whole volume in 3-D by maximum-intensity ray casting (`vtkFixedPointVolumeRayCastMapper`),
 * coloured by one of ten colour maps (0: black - green-cyan - grey, 1: black - red - grey; 2 to 9
 * hold zero points) and seen through the fixed opacity ramp 0 -> 0, 128 -> 0.8, 255 -> 1.0.
 * The renderer's camera is reset at the first render only.
 */
class VEMORARENDERING_EXPORT vVolumeRenderingLayer : public vImageLayer
{
public:
  static constexpr int NumberOfColorMaps = 10;
  static constexpr int PointsPerColorMap = 6;

  vVolumeRenderingLayer();
  ~vVolumeRenderingLayer() override;

  /** A volume resource (its current image); other resources are ignored. */
  void AddInput(vResource* resource) override;
  /** The vector's image (when there is a vector and it holds data). */
  void AddInput(vVector* vector);
  /** Chooses colour map i; returns i, or -1 (nothing changes) outside 0..9. */
  int SetColorMap(int i);
  int GetColorMap() const { return this->CurrentColorMap; }
  void InternalRender() override;
  void RemoveAllItems() override;
  void VisibilityOn() override;
  void VisibilityOff() override;
  /** Property set rigid transform; the volume's user matrix becomes a copy of it. */
  void SetTransform(double matrix[16]) override;
  void SetPosition(double x, double y, double z) override;
  int Find(vtkProp* p) override;

  vtkVolume* GetVolume() { return this->Volume; }
  /** The colour transfer function in use (null before the first input). */
  vtkColorTransferFunction* GetColorFunction();
  vtkPiecewiseFunction* GetOpacityFunction();
  bool IsCameraResetPending() const { return this->ResetCameraPending != 0; }

protected:
  /** Mapper, colour function of the current map and the opacity ramp for the image. */
  void VolumeRendering(vtkImageData* image);
  vtkSmartPointer<vtkColorTransferFunction> MakeColorFunction(int map);

  vtkSmartPointer<vtkVolume> Volume;
  vtkSmartPointer<vtkImageData> OwnImage; // the image made from a vector
  int ResetCameraPending = 1;
  double ColorMaps[NumberOfColorMaps][PointsPerColorMap][4] = {};
  int CurrentColorMap = 0;
  int NumberOfColorPoints = 5;
};

#endif
