#ifndef vScreenshot_h
#define vScreenshot_h

#include "VemoraRenderingModule.h"

#include <vtkSmartPointer.h> // for the captured picture

#include <string>

class vtkImageData;
class vtkRenderWindow;

/**
 * Pictures of a render window, the same for the window's "Save Screenshot...", the console's
 * `screenshot` word and batch runs' --screenshot.
 *
 * At scale 1 the window is rendered once and its own buffer is read. At a larger scale the
 * window's renderers are lent to an off-screen window of `scale` times the size (with `scale`
 * times the DPI, so text keeps its size relative to the picture), rendered there once in one
 * piece (no tiles, so no seams) and given back; the window itself is left as it was.
 */
class VEMORARENDERING_EXPORT vScreenshot
{
public:
  /** Largest side of a picture, in pixels. */
  static constexpr int MaximumSide = 16384;

  /** The window's picture (RGB) at `scale` (1 to 8) times its size; null on failure. */
  static vtkSmartPointer<vtkImageData> Capture(vtkRenderWindow* window, int scale = 1);
  /**
   * Writes the picture as PNG through a temporary file in the same folder and a rename, so an
   * existing file is replaced only by a whole picture. False, with a reason in `error`, when the
   * window is missing, the scale is out of range or the file cannot be written.
   */
  static bool Write(vtkRenderWindow* window,
    const std::string& path,
    int scale,
    std::string& error);
};

#endif
