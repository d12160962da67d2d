// Times the viewer and mesh layer against a bare VTK pipeline on the same data, in one run:
//   1. first frame with a ~1,000,000-triangle mesh (viewer: AddInput + Render);
//   2. later frames after a camera change;
//   3. adding 100 small layers and rendering once, against 100 bare actors.
// Each side keeps one window; its renderers have drawn one empty frame before the clock starts, so
// the figures compare the work of the pipelines, not the making of OpenGL contexts. Medians over
// several trials are shown; the order of the two sides alternates from trial to trial.
// After every trial the two sides must show the same thing: the same number of actors, points and
// cells drawn, and (with the viewer's axes hidden and the bare actors given the layers' colours)
// the same picture; otherwise the benchmark says so and exits with 1.
//   xvfb-run -a -s -noreset bin/vRenderingCoreBench [--trials 5] [--frames 30] [--layer-trials 25]

#include "vDataResourceFake.h"
#include "vMesh3DLayer.h"
#include "vRendererManager.h"
#include "vViewer.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkCamera.h>
#include <vtkDataSet.h>
#include <vtkImageDifference.h>
#include <vtkMapper.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>
#include <vtkWindowToImageFilter.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
constexpr int WindowSize = 600;

double Seconds(Clock::time_point from)
{
  return std::chrono::duration<double>(Clock::now() - from).count();
}

double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

vtkSmartPointer<vtkPolyData> Sphere(int theta, int phi, double radius = 50.0, double x = 0.0)
{
  vtkNew<vtkSphereSource> source;
  source->SetThetaResolution(theta);
  source->SetPhiResolution(phi);
  source->SetRadius(radius);
  source->SetCenter(x, 0, 0);
  source->Update();
  return source->GetOutput();
}

/** Where the viewer draws its layers in the window: its inset renderer's viewport, background. */
struct Inset
{
  double Viewport[4] = { 0, 0, 1, 1 };
  double Background[3] = { 0, 0, 0 };
};

/** A bare renderer in a window that has drawn one empty frame with it; it covers the same part
 * of its window as the viewer's inset renderer, so both draw the same number of pixels. */
struct BareScene
{
  BareScene(vtkRenderWindow* window, const Inset& inset)
    : Window(window)
  {
    this->Renderer->SetViewport(inset.Viewport);
    this->Renderer->SetBackground(inset.Background[0], inset.Background[1], inset.Background[2]);
    this->Window->AddRenderer(this->Renderer);
    this->Window->Render();
  }
  ~BareScene() { this->Window->RemoveRenderer(this->Renderer); }
  void Add(vtkPolyData* data)
  {
    vtkNew<vtkPolyDataMapper> mapper;
    mapper->SetInputData(data);
    vtkNew<vtkActor> actor;
    actor->SetMapper(mapper);
    this->Renderer->AddActor(actor);
  }
  void Frame()
  {
    this->Renderer->ResetCamera();
    this->Window->Render();
  }
  vtkRenderWindow* Window;
  vtkNew<vtkRenderer> Renderer;
};

/** A viewer attached to the manager's window, which has drawn one empty frame with it. */
struct ViewerScene
{
  explicit ViewerScene(vRendererManager& manager)
    : Manager(manager)
  {
    this->Viewer->SetRenderer(&this->Manager);
    this->Viewer->Render();
  }
  void Add(vtkPolyData* data)
  {
    vDataResourceFake handle;
    handle.AddData(data);
    handle.SetName("mesh");
    auto* layer = new vMesh3DLayer;
    layer->AddInput(&handle);
    if (this->Viewer->AddInput(layer) < 0)
    {
      delete layer;
    }
  }
  void Frame()
  {
    // The camera is reset as in the bare pipeline (the viewer's ResetCamera also renders).
    this->Manager.GetRenderer(1)->ResetCamera();
    this->Viewer->Render();
  }
  vtkCamera* Camera() { return this->Manager.GetRenderer(1)->GetActiveCamera(); }
  vtkRenderer* Renderer() { return this->Manager.GetRenderer(1); }

  vRendererManager& Manager;
  std::unique_ptr<vViewer> Viewer = std::make_unique<vViewer>();
};

/** The visible actors of a renderer, in the order they were added. */
std::vector<vtkActor*> VisibleActors(vtkRenderer* renderer)
{
  std::vector<vtkActor*> actors;
  vtkActorCollection* all = renderer->GetActors();
  all->InitTraversal();
  while (vtkActor* actor = all->GetNextActor())
  {
    if (actor->GetVisibility())
    {
      actors.push_back(actor);
    }
  }
  return actors;
}

/** The thresholded error between the pictures of two windows (0: the same picture). */
double PictureError(vtkRenderWindow* a, vtkRenderWindow* b)
{
  vtkNew<vtkWindowToImageFilter> grabA;
  grabA->SetInput(a);
  grabA->ReadFrontBufferOff();
  grabA->ShouldRerenderOff();
  vtkNew<vtkWindowToImageFilter> grabB;
  grabB->SetInput(b);
  grabB->ReadFrontBufferOff();
  grabB->ShouldRerenderOff();
  vtkNew<vtkImageDifference> difference;
  difference->SetInputConnection(grabA->GetOutputPort());
  difference->SetImageConnection(grabB->GetOutputPort());
  difference->Update();
  return difference->GetThresholdedError();
}

/**
 * Whether the two sides show the same: as many visible actors, drawing as many points and cells,
 * and the same picture once the viewer's axes are hidden and each bare actor has the material of
 * the layer actor in its place (the layers take colours from the viewer's palette). A mismatch is
 * printed. Changes both scenes' looks: call it after the timing.
 */
bool SameScene(const char* what, BareScene& bare, ViewerScene& ours)
{
  const std::vector<vtkActor*> bareActors = VisibleActors(bare.Renderer);
  const std::vector<vtkActor*> ourActors = VisibleActors(ours.Renderer());
  vtkIdType barePoints = 0, bareCells = 0, ourPoints = 0, ourCells = 0;
  for (vtkActor* actor : bareActors)
  {
    vtkDataSet* data = actor->GetMapper() ? actor->GetMapper()->GetInput() : nullptr;
    barePoints += data ? data->GetNumberOfPoints() : 0;
    bareCells += data ? data->GetNumberOfCells() : 0;
  }
  for (vtkActor* actor : ourActors)
  {
    vtkDataSet* data = actor->GetMapper() ? actor->GetMapper()->GetInput() : nullptr;
    ourPoints += data ? data->GetNumberOfPoints() : 0;
    ourCells += data ? data->GetNumberOfCells() : 0;
  }
  if (bareActors.size() != ourActors.size() || barePoints != ourPoints || bareCells != ourCells)
  {
    std::printf("%s: DIFFERENT scenes: viewer %zu actors, %lld points, %lld cells; bare %zu "
                "actors, %lld points, %lld cells\n",
      what,
      ourActors.size(),
      static_cast<long long>(ourPoints),
      static_cast<long long>(ourCells),
      bareActors.size(),
      static_cast<long long>(barePoints),
      static_cast<long long>(bareCells));
    return false;
  }
  for (size_t i = 0; i < bareActors.size(); ++i)
  {
    bareActors[i]->GetProperty()->DeepCopy(ourActors[i]->GetProperty());
  }
  ours.Viewer->ShowAxes(false); // draws the viewer's window
  bare.Window->Render();
  const double error = PictureError(ours.Manager.GetRenderWindow(), bare.Window);
  if (error > 0.15)
  {
    std::printf("%s: DIFFERENT pictures (thresholded error %.3f)\n", what, error);
    return false;
  }
  return true;
}

void Report(const char* what, double ours, double bare, double limit)
{
  const double ratio = ours / bare;
  std::printf("%-46s viewer %9.2f ms   bare %9.2f ms   ratio %5.2f (limit %.1f) %s\n",
    what,
    ours * 1e3,
    bare * 1e3,
    ratio,
    limit,
    ratio <= limit ? "ok" : "OVER");
}
} // namespace

int main(int argc, char* argv[])
{
  int trials = 5;
  int frames = 30;
  int layerTrials = 25; // cheap, and the most sensitive to the machine's load: more of them
  for (int i = 1; i + 1 < argc; i += 2)
  {
    if (std::strcmp(argv[i], "--trials") == 0)
    {
      trials = std::max(1, std::atoi(argv[i + 1]));
    }
    else if (std::strcmp(argv[i], "--layer-trials") == 0)
    {
      layerTrials = std::max(1, std::atoi(argv[i + 1]));
    }
    else if (std::strcmp(argv[i], "--frames") == 0)
    {
      frames = std::max(1, std::atoi(argv[i + 1]));
    }
  }

  vtkSmartPointer<vtkPolyData> mesh = Sphere(1000, 502);
  std::printf("mesh: %lld points, %lld triangles; window %d x %d; %d trials, %d frames\n",
    static_cast<long long>(mesh->GetNumberOfPoints()),
    static_cast<long long>(mesh->GetNumberOfPolys()),
    WindowSize,
    WindowSize,
    trials,
    frames);

  std::vector<double> firstBare, firstOurs, laterBare, laterOurs, manyBare, manyOurs;
  std::vector<vtkSmartPointer<vtkPolyData>> small;
  small.reserve(100);
  for (int i = 0; i < 100; ++i)
  {
    small.push_back(Sphere(16, 16, 1.0, 3.0 * i));
  }

  // One window (and OpenGL context) per side for the whole run: the figures compare pipelines,
  // and an X server under load does not always take a new connection for every trial.
  vtkNew<vtkRenderWindow> bareWindow;
  bareWindow->SetOffScreenRendering(1);
  bareWindow->SetMultiSamples(0);
  bareWindow->SetSize(WindowSize, WindowSize);
  vRendererManager manager;
  vtkRenderWindow* viewerWindow = manager.CreateNewRenderWindow();
  viewerWindow->SetSize(WindowSize, WindowSize);
  vtkNew<vtkRenderer> mainRenderer;
  viewerWindow->AddRenderer(mainRenderer);
  Inset inset;
  {
    ViewerScene probe(manager);
    probe.Renderer()->GetViewport(inset.Viewport);
    probe.Renderer()->GetBackground(inset.Background);
  }
  bool same = true;

  // The two big scenes live side by side; their later frames are interleaved one by one, so a
  // change in the machine's load falls on both sides alike.
  auto big = [&](bool bareFirst)
  {
    std::unique_ptr<BareScene> bare;
    std::unique_ptr<ViewerScene> ours;
    auto firstBareFrame = [&]()
    {
      bare = std::make_unique<BareScene>(bareWindow, inset);
      const Clock::time_point start = Clock::now();
      bare->Add(mesh);
      bare->Frame();
      firstBare.push_back(Seconds(start));
    };
    auto firstOursFrame = [&]()
    {
      ours = std::make_unique<ViewerScene>(manager);
      const Clock::time_point start = Clock::now();
      ours->Add(mesh);
      ours->Frame();
      firstOurs.push_back(Seconds(start));
    };
    if (bareFirst)
    {
      firstBareFrame();
      firstOursFrame();
    }
    else
    {
      firstOursFrame();
      firstBareFrame();
    }
    double bareTime = 0.0;
    double oursTime = 0.0;
    for (int f = 0; f < frames; ++f)
    {
      Clock::time_point start = Clock::now();
      bare->Renderer->GetActiveCamera()->Azimuth(3.0);
      bare->Window->Render();
      bareTime += Seconds(start);
      start = Clock::now();
      ours->Camera()->Azimuth(3.0);
      ours->Viewer->Render();
      oursTime += Seconds(start);
    }
    laterBare.push_back(bareTime / frames);
    laterOurs.push_back(oursTime / frames);
    same = SameScene("1M-triangle mesh", *bare, *ours) && same;
  };
  auto many = [&](bool bareFirst)
  {
    std::unique_ptr<BareScene> bare;
    std::unique_ptr<ViewerScene> ours;
    auto bareMany = [&]()
    {
      bare = std::make_unique<BareScene>(bareWindow, inset);
      const Clock::time_point start = Clock::now();
      for (auto& data : small)
      {
        bare->Add(data);
      }
      bare->Frame();
      manyBare.push_back(Seconds(start));
    };
    auto oursMany = [&]()
    {
      ours = std::make_unique<ViewerScene>(manager);
      const Clock::time_point start = Clock::now();
      for (auto& data : small)
      {
        ours->Add(data);
      }
      ours->Frame();
      manyOurs.push_back(Seconds(start));
    };
    if (bareFirst)
    {
      bareMany();
      oursMany();
    }
    else
    {
      oursMany();
      bareMany();
    }
    same = SameScene("100 small layers", *bare, *ours) && same;
  };
  // Alternate which side goes first, so neither always runs on a warmer (or busier) machine.
  for (int t = 0; t < trials; ++t)
  {
    big(t % 2 == 0);
  }
  for (int t = 0; t < layerTrials; ++t)
  {
    many(t % 2 == 0);
  }
  Report("first frame, one 1M-triangle mesh layer", Median(firstOurs), Median(firstBare), 1.3);
  Report("later frame after a camera change", Median(laterOurs), Median(laterBare), 1.1);
  Report("100 small layers added, one frame", Median(manyOurs), Median(manyBare), 2.0);
  std::printf("outputs: %s\n",
    same ? "the same actors, points, cells and pictures in every trial" : "DIFFERENT (above)");
  return same ? 0 : 1;
}
