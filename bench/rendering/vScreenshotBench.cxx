// A 4x picture (2400 x 2400) of a 600 x 600 window showing a 1,000,000-triangle mesh through
// vScreenshot, against one render of the same scene in an off-screen 2400 x 2400 window (its
// first frame, mesh upload included, as the picture's render includes it), in the same run.
// Both pictures are compared pixel by pixel. Run under an X server:
//   xvfb-run -a -s -noreset bin/vScreenshotBench [runs]
#include "vScreenshot.h"

#include <vtkActor.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSphereSource.h>
#include <vtkWindowToImageFilter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

/** A window of the given size showing the mesh with a fixed camera. */
vtkSmartPointer<vtkRenderWindow> Scene(vtkPolyData* mesh, int side)
{
  vtkNew<vtkPolyDataMapper> mapper;
  mapper->SetInputData(mesh);
  vtkNew<vtkActor> actor;
  actor->SetMapper(mapper);
  vtkNew<vtkRenderer> renderer;
  renderer->AddActor(actor);
  renderer->SetBackground(0.1, 0.1, 0.1);
  renderer->ResetCamera();
  auto window = vtkSmartPointer<vtkRenderWindow>::New();
  window->SetOffScreenRendering(1);
  window->SetMultiSamples(0);
  window->SetSize(side, side);
  window->AddRenderer(renderer);
  return window;
}
} // namespace

int main(int argc, char** argv)
{
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  vtkNew<vtkSphereSource> source;
  source->SetThetaResolution(1000);
  source->SetPhiResolution(502); // about 1,000,000 triangles
  source->Update();
  vtkPolyData* mesh = source->GetOutput();

  std::vector<double> pictureTimes;
  std::vector<double> renderTimes;
  bool same = true;
  for (int run = 0; run < runs; ++run)
  {
    vtkSmartPointer<vtkRenderWindow> tab = Scene(mesh, 600);
    tab->Render(); // the tab as the user sees it
    auto start = Clock::now();
    vtkSmartPointer<vtkImageData> picture = vScreenshot::Capture(tab, 4);
    pictureTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());

    vtkSmartPointer<vtkRenderWindow> large = Scene(mesh, 2400);
    start = Clock::now();
    large->Render();
    vtkNew<vtkWindowToImageFilter> grab;
    grab->SetInput(large);
    grab->SetInputBufferTypeToRGB();
    grab->ShouldRerenderOff();
    grab->Update();
    renderTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());

    vtkImageData* expected = grab->GetOutput();
    const size_t bytes = static_cast<size_t>(2400) * 2400 * 3;
    same = same && picture && picture->GetDimensions()[0] == 2400 &&
      picture->GetDimensions()[1] == 2400 &&
      std::memcmp(picture->GetScalarPointer(), expected->GetScalarPointer(), bytes) == 0;
  }
  const double pictureMedian = Median(pictureTimes);
  const double renderMedian = Median(renderTimes);
  std::printf("2400 x 2400 picture of a 600 x 600 window, 1,000,000 triangles, median of %d: "
              "vScreenshot 4x %.3f s, one off-screen render at 2400 x 2400 %.3f s, ratio %.2f "
              "(target at most 1.5); pictures %s\n",
    runs,
    pictureMedian,
    renderMedian,
    pictureMedian / renderMedian,
    same ? "identical" : "DIFFER");
  return same ? 0 : 1;
}
