#ifndef vViewerWrapper_h
#define vViewerWrapper_h

#include "VemoraRenderingModule.h"
#include "vRenderableReference.h" // for member
#include "vViewerWrapperBase.h"

class vTextLayer;
class vtkCellPicker;

/**
 * The wrapper of the ordinary 3-D view. With (dx, dy) the mouse motion since the last event and
 * (w, h) the pixel size of the viewer's inset renderer:
 * - action 0, left drag: the camera turns by azimuth dx x (-20 / w) and elevation dy x (-20 / h);
 * - action 1, left click: the layer under the cursor becomes the current one and alone shows its
 *   bounding box;
 * - action 5, left drag: the camera pans (position and focal point move with the mouse at the
 *   focal depth);
 * - action 7: a left drag turns the clipping plane about x by dy x (-20 / h) x 5 degrees and
 *   about y by -(dx x (-20 / w) x 5); a right drag moves it along its normal by half the larger
 *   motion component;
 * - action 8, left click: a landmark layer holding the picked surface point is added.
 * Events are ignored while the viewer is missing or has not been rendered.
 */
// Reference counted: destroyed through Delete(), so its destructor is protected.
// NOLINTNEXTLINE(cppcoreguidelines-virtual-class-destructor)
class VEMORARENDERING_EXPORT vViewerWrapper : public vViewerWrapperBase
{
public:
  static vViewerWrapper* New();

  /** Creates the viewer (once) and shows the status text "Double click surface to select it". */
  int AddInput() override;
  using vViewerWrapperBase::AddInput;

  /** The viewer's clipping plane; "Viewer is not ready" is reported without a rendered viewer. */
  void ClippingOn();
  void ClippingOff();
  void InteractionClipOn() { this->SetAction(Clipping); }
  void InteractionClipOff() { this->SetAction(Rotating); }
  /** Asks the shell to refresh the layer properties. */
  void UpdateProperty();
  /** A text layer in the inset renderer with a "Camera" line (once). */
  void CreateTextLayer();
  /** Writes the present camera position into the "Camera" line of the text layer. */
  void UpdateCameraPos();

  void Execute(vtkObject* caller, unsigned long eventId, void* callData) override;

  bool IsLeftButtonDown() const { return this->LeftButtonDown; }
  bool IsRightButtonDown() const { return this->RightButtonDown; }

protected:
  vViewerWrapper();
  ~vViewerWrapper() override;

  void Rotate(int x, int y);
  void Pan(int x, int y);
  void Select(int x, int y);
  void Tag(int x, int y);
  void CreateTag(double point[3]);
  void RotateCuttingPlane(int x, int y);
  void TranslateClippingPlane(int x, int y);
  /** Turns the camera of a renderer by the drag (the arithmetic of Rotate). */
  void RotateCamera(vtkRenderer* renderer, int x, int y);
  /** Renders the current window. */
  void RefreshWindow();
  /**
   * The interactor that sent an event, null when `caller` is not one or the viewer is not ready.
   * Keeps the previous event position (LastX, LastY) and gives the current one in `x`, `y`.
   */
  vtkRenderWindowInteractor* BeginEvent(vtkObject* caller, int& x, int& y);
  /** Picks at (x, y) in the inset renderer with `Picker`; false when nothing was hit. */
  bool PickAt(int x, int y);
  /** The text layer of CreateTextLayer while the viewer still holds it. */
  vTextLayer* GetCameraText() const;

  bool LeftButtonDown = false;
  bool RightButtonDown = false;
  vtkSmartPointer<vtkCellPicker> Picker;
  vRenderableReference<vTextLayer> CameraText; // weak: the layer belongs to the viewer
  int LastX = 0;
  int LastY = 0;
};

#endif
