#include "vRenderBaseline.h"

#include "vInstallation.h"

#include <vtkImageData.h>
#include <vtkImageDifference.h>
#include <vtkNew.h>
#include <vtkPNGReader.h>
#include <vtkPNGWriter.h>
#include <vtkRenderWindow.h>
#include <vtkWindowToImageFilter.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace
{
bool EnvIsOne(const char* name)
{
  const char* value = std::getenv(name);
  return value && std::strcmp(value, "1") == 0;
}

void WritePng(vtkImageData* image, const std::string& path)
{
  vtkNew<vtkPNGWriter> writer;
  writer->SetInputData(image);
  writer->SetFileName(path.c_str());
  writer->Write();
}

::testing::AssertionResult CompareImage(vtkImageData* actual,
  const std::string& name,
  double threshold)
{
  const std::string baseline = std::string(VEMORA_BASELINE_DIR) + "/" + name + ".png";
  const std::string outDir = VEMORA_TEST_OUTPUT_DIR;
  vInstallation::MakeFolder(outDir);

  if (EnvIsOne("VEMORA_UPDATE_BASELINES"))
  {
    WritePng(actual, baseline);
    return ::testing::AssertionSuccess() << "baseline written: " << baseline;
  }
  if (!vInstallation::IsFile(baseline))
  {
    const std::string candidate = outDir + "/" + name + ".candidate.png";
    WritePng(actual, candidate);
    return ::testing::AssertionFailure()
      << "no baseline " << baseline << "; candidate written to " << candidate;
  }

  vtkNew<vtkPNGReader> reader;
  reader->SetFileName(baseline.c_str());
  reader->Update();
  vtkImageData* expected = reader->GetOutput();

  int da[3], de[3];
  actual->GetDimensions(da);
  expected->GetDimensions(de);
  if (da[0] != de[0] || da[1] != de[1])
  {
    WritePng(actual, outDir + "/" + name + ".actual.png");
    return ::testing::AssertionFailure()
      << "size " << da[0] << "x" << da[1] << " differs from the baseline's " << de[0] << "x"
      << de[1];
  }

  vtkNew<vtkImageDifference> difference;
  difference->SetInputData(actual);
  difference->SetImageData(expected);
  difference->Update();
  const double error = difference->GetThresholdedError();
  if (error <= threshold)
  {
    return ::testing::AssertionSuccess();
  }
  WritePng(actual, outDir + "/" + name + ".actual.png");
  WritePng(difference->GetOutput(), outDir + "/" + name + ".diff.png");
  return ::testing::AssertionFailure()
    << "picture differs from " << baseline << ": thresholded error " << error << " > " << threshold
    << " (actual and difference images in " << outDir << ")";
}
} // namespace

bool vHasDisplay()
{
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

bool vDisplayRequired()
{
  return EnvIsOne("VEMORA_REQUIRE_DISPLAY");
}

vtkRenderWindow* vMakeTestWindowRaw(int width, int height)
{
  vtkRenderWindow* window = vtkRenderWindow::New();
  window->SetOffScreenRendering(1);
  window->SetMultiSamples(0);
  window->SetSize(width, height);
  return window;
}

::testing::AssertionResult vCompareWithBaseline(vtkRenderWindow* window,
  const std::string& name,
  double threshold)
{
  window->Render();
  vtkNew<vtkWindowToImageFilter> grab;
  grab->SetInput(window);
  grab->SetInputBufferTypeToRGB();
  grab->ReadFrontBufferOff();
  grab->Update();
  return CompareImage(grab->GetOutput(), name, threshold);
}

::testing::AssertionResult vComparePngWithBaseline(const std::string& png,
  const std::string& name,
  double threshold)
{
  if (!vInstallation::IsFile(png))
  {
    return ::testing::AssertionFailure() << "no picture at " << png;
  }
  vtkNew<vtkPNGReader> reader;
  reader->SetFileName(png.c_str());
  reader->Update();
  return CompareImage(reader->GetOutput(), name, threshold);
}
