#ifndef vImageSliceViewer_h
#define vImageSliceViewer_h

#include <vtkImageViewer2.h>

/**
 * The image viewer of the slice layers (not exported). `vtkImageViewer2` draws its window
 * whenever its slice or orientation changes, and places its camera only inside its first draw;
 * a layer that is built among others would draw the window several times. This viewer draws
 * only when `Render` is called: `Place` makes the first placement of the camera on its own, and
 * a change of slice or orientation updates the view without drawing. The caller draws the window
 * once when everything is built.
 */
class vImageSliceViewer : public vtkImageViewer2
{
public:
  static vImageSliceViewer* New();
  vtkTypeMacro(vImageSliceViewer, vtkImageViewer2);
  vImageSliceViewer(const vImageSliceViewer&) = delete;
  vImageSliceViewer& operator=(const vImageSliceViewer&) = delete;

  /**
   * The placement that the first draw of an image viewer makes: the camera is reset to the
   * input's bounds and its parallel scale set to half the width of the slice in voxels (at least
   * 75); a window without a size gets one. Once per viewer, and only when it has an input.
   */
  void Place();
  /** Places the camera when that was not done yet, then draws the window (with an input). */
  void Render() override;
  /** The slice (clamped to the input's range), without drawing. */
  void SetSlice(int slice) override;
  /** The orientation (the slice moves to the middle of the range), without drawing. */
  void SetSliceOrientation(int orientation) override;

protected:
  vImageSliceViewer();
  ~vImageSliceViewer() override;

private:
  bool Quiet = false; // while on, Render places the camera but does not draw
};

#endif
