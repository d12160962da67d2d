#ifndef vRenderBaseline_h
#define vRenderBaseline_h

#include <gtest/gtest.h>

#include <string>

class vtkRenderWindow;

/**
 * Picture tests. A rendering test makes an off-screen window of a fixed size (`vMakeTestWindow`),
 * renders, and compares it with `testing/baselines/<name>.png`:
 *
 *   VEMORA_SKIP_WITHOUT_DISPLAY();
 *   vtkSmartPointer<vtkRenderWindow> window = vMakeTestWindow(300, 300);
 *   ...
 *   EXPECT_TRUE(vCompareWithBaseline(window, "MeshLayer_Surface"));
 *
 * Without a display the test is skipped, unless `VEMORA_REQUIRE_DISPLAY=1` makes that a failure.
 * On a mismatch the actual and difference images go to the build's Testing/Temporary folder. A
 * missing baseline fails and writes a candidate there; with `VEMORA_UPDATE_BASELINES=1` the
 * comparison writes the baseline itself (to be looked at before it is committed).
 */

/** True when an X display is there to render to. */
bool vHasDisplay();

/** Skips the current test without a display, or fails it when one is required. */
#define VEMORA_SKIP_WITHOUT_DISPLAY()                                                              \
  do                                                                                               \
  {                                                                                                \
    if (!vHasDisplay())                                                                            \
    {                                                                                              \
      if (vDisplayRequired())                                                                      \
      {                                                                                            \
        FAIL() << "no display, but VEMORA_REQUIRE_DISPLAY=1";                                      \
      }                                                                                            \
      GTEST_SKIP() << "no display";                                                                \
    }                                                                                              \
  } while (0)

bool vDisplayRequired();

/** An off-screen render window of the given size, multisampling off. */
vtkRenderWindow* vMakeTestWindowRaw(int width, int height);

/** Compares the window's picture with the named baseline (thresholded error at most `threshold`).
 */
::testing::AssertionResult vCompareWithBaseline(vtkRenderWindow* window,
  const std::string& name,
  double threshold = 0.15);

/** Compares a PNG file (for example a screenshot written by the program) with a baseline. */
::testing::AssertionResult vComparePngWithBaseline(const std::string& png,
  const std::string& name,
  double threshold = 0.15);

#include <vtkSmartPointer.h> // for the window helper's result

/** An off-screen render window of the given size, multisampling off. */
inline vtkSmartPointer<vtkRenderWindow> vMakeTestWindow(int width = 300, int height = 300)
{
  vtkSmartPointer<vtkRenderWindow> window;
  window.TakeReference(vMakeTestWindowRaw(width, height));
  return window;
}

#endif
