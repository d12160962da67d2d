#ifndef vImageSliceLayer_h
#define vImageSliceLayer_h

#include "VemoraRenderingModule.h"
#include "vImageLayer.h"

/**
 * A volume shown as one resliced plane: a `vtkImageReslice` oriented by a fixed direction matrix
 * (axial for orientation 2, coronal for 1, sagittal for 0), coloured by the layer's lookup table
 * and shown by an image viewer whose actor is placed where the plane lies in the volume.
 *
 * The slice index (property set slice x) counts from the volume's extent minimum along the plane
 * normal; the property set slice range holds the extent pair along the normal.
 */
class VEMORARENDERING_EXPORT vImageSliceLayer : public vImageLayer
{
public:
  vImageSliceLayer();
  ~vImageSliceLayer() override;

  /** Takes a volume resource (its current image). Other resources are ignored. */
  void AddInput(vResource* resource) override;
  void InternalRender() override;

  /** The voxel centre of the volume: origin + spacing x (extent min + extent max) / 2. */
  void GetVoxelCentre(double centre[3]) const;
  /** The reslice (null before AddInput). */
  vtkImageReslice* GetReslice();

protected:
  /** The reslice axes for the present orientation and slice. */
  void UpdateAxes();

  double AxialAxes[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
  double CoronalAxes[16] = { 1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1 };
  double SagittalAxes[16] = { 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1 };
  double VoxelCentre[3] = { 0, 0, 0 };
};

#endif
