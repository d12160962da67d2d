#ifndef vImageLayer_h
#define vImageLayer_h

#include "VemoraRenderingModule.h"
#include "v3DLayer.h"

#include <vtkNew.h>          // for members
#include <vtkSmartPointer.h> // for members

#include <string>

class vImageSliceViewer;
class vResource;
class vVolumeResourceFake;
class vtkActor;
class vtkImageData;
class vtkImageMapToColors;
class vtkImageReslice;
class vtkImageViewer2;
class vtkLookupTable;
class vtkMatrix4x4;
class vtkProp3D;

/**
 * Base of the layers that show a volume resource as a slice placed in the 3-D scene. It owns the
 * colour lookup table (a grey ramp until a named table is chosen), the slice orientation (property
 * set orientation: 0 YZ, 1 XZ, 2 XY) and slice index, the contrast window (voxel values mapped to
 * the ends of the table) and the scalar range of the volume.
 *
 * The concrete slice layers show their slice with an image viewer (`ImageViewer`, made by
 * their AddInput). The image actor of that viewer is what opacity, visibility, zoom (the camera's
 * parallel scale), the rigid transform (the actor's user matrix) and picking act on.
 *
 * The image data is borrowed from the resource; the resource must outlive the layer.
 */
class VEMORARENDERING_EXPORT vImageLayer : public v3DLayer
{
public:
  vImageLayer();
  ~vImageLayer() override;

  /** Property set contrast; built = 0; passed on to friends of type "...image..." when working
   * with friends. */
  void SetContrast(double window[2]) override;
  /** Image layers have no single colour: nothing. */
  void SetColor(double rgb[3]) override;
  /** The image's extent; six -1 without an image. */
  void GetBounds(int extent[6]) override;
  /** Nothing at this level. */
  void SetPosition(double x, double y, double z) override;
  /** The layer's lookup table. */
  vtkScalarsToColors* GetLut() override;

  void SetOpacity(double opacity) override;
  void VisibilityOn() override;
  void VisibilityOff() override;
  /** Property set rigid transform; the image actor's user matrix (and the outline's). */
  void SetTransform(double matrix[16]) override;
  /** Turns the displayed slice over (see `ComposeTurn`), then passes the call to friends. */
  void Mirror() override;
  void Flip() override;
  /** 0 when p is the image actor (or its outline), otherwise -1. */
  int Find(vtkProp* p) override;
  void BoundingBoxOn() override;
  void BoundingBoxOff() override;
  /** Takes the image actor, the outline and the cursor out of the renderer. */
  void RemoveAllItems() override;

  /** Property set slice; built = 0. */
  virtual void SetSlice(int slice[3]);
  virtual void GetSlice(int slice[3]);

  int GetSliceOrientation();
  /** Property set orientation; built = 0. */
  void SetSliceOrientation(int orientation);
  void SliceOrientationYZ() { this->SetSliceOrientation(0); }
  void SliceOrientationXZ() { this->SetSliceOrientation(1); }
  void SliceOrientationXY() { this->SetSliceOrientation(2); }
  void GetScalarRange(double range[2]);
  /**
   * Chooses a named table ("None", "Red", "Green", "Blue", "Cyan", "Magent", "Yellow",
   * "Rainbow"; exact letter case). The name is stored in the property set in any case; an unknown
   * name leaves the table's ranges as they are. Friends of type "...image..." follow when working
   * with friends.
   */
  void SetLookupTable(const std::string& name);
  vtkLookupTable* GetLookupTable();
  vtkImageData* GetImage();
  /** The image viewer of the slice (null until AddInput). */
  vtkImageViewer2* GetImageViewer();

  /** World point -> image (volume) coordinates through the inverse of the layer matrix. */
  void WorldToImage3D(const double world[3], double image[3]);
  /** Image (volume) coordinates -> world point through the layer matrix. */
  void ImageToWorld(const double image[3], double world[3]);
  /**
   * The slice index that holds the world point along the normal of the orientation:
   * trunc((p - bounds min) / spacing + 0.5) on the normal axis, after mapping p into image space.
   * -1 without an image.
   */
  int SliceOfPoint(double x, double y, double z);

protected:
  /** An outline of the image's bounds, in the layer colour, with the layer matrix. */
  void CreateBoundingBoxes() override;
  /** Applies the contrast to the lookup table's range (the label layer keeps its own range). */
  virtual void ApplyContrast();
  /** The image viewer's first placement of the camera (once), without drawing. */
  void StartViewer();
  /** Makes the image viewer when there is none. */
  void MakeImageViewer();
  /** Re-applies the zoom (property set scale factor) and fits the camera's clipping range. */
  void ApplyZoom();
  /** Re-applies visibility, opacity and matrix to the image actor after a rebuild. */
  void ApplyDisplayState();
  /** True when `type` holds the word "image" in exactly that letter case. */
  static bool IsImageType(const std::string& type);
  /** The image actor (null without a viewer). */
  vtkProp3D* GetImageActor();
  /**
   * The viewer technique of the volume slice layers: the colour-mapped volume is the viewer's
   * input, the viewer shows the property set's orientation and slice (the slice range is written
   * back), then opacity, zoom and matrix are re-applied. Needs the viewer, renderer and window.
   */
  bool BuildViewerSlice();
  /** Takes a volume resource for the viewer-based layers: image, position at the image's centre,
   * contrast and scalar range from the volume's intensities, a new image viewer. Null when the
   * resource is no volume or holds no image. */
  vVolumeResourceFake* TakeVolume(vResource* resource, int item);
  /** Composes the 180-degree turn diag(a, b, c, 1) in front of the layer matrix. */
  void ComposeTurn(bool mirror);
  /** The matrix given to the image actor: the layer matrix, times the slice placement. */
  virtual void UpdateActorMatrix();

  vtkSmartPointer<vtkImageReslice> Reslice;
  // A reference of its own: the layer keeps showing its volume when the workspace lets it go.
  vtkSmartPointer<vtkImageData> Image;
  vtkNew<vtkLookupTable> LookupTable;
  double ScalarRange[2] = { 0, 0 };
  // Draws only when told: the layer's build never draws the window by itself (see Render).
  vtkSmartPointer<vImageSliceViewer> ImageViewer;
  vtkNew<vtkImageMapToColors> ColorMapper;
  vtkNew<vtkMatrix4x4> Matrix;        // layer matrix: image -> world
  vtkNew<vtkMatrix4x4> InverseMatrix; // world -> image
  vtkNew<vtkMatrix4x4> Placement;     // slice placement (reslice axes) before the layer matrix
  vtkSmartPointer<vtkActor> Outline;
  bool ViewerStarted = false;
  bool ViewerConnected = false; // the viewer's input is the colour mapper
};

#endif
