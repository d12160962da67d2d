// Timing of the image layers against bare VTK pipelines, in the same run and window size:
// - changing the slice of a slice layer and rendering, in a viewer as it comes (its axes shown),
//   against vtkImageReslice + vtkImageMapToColors + vtkImageActor doing the same on a
//   512 x 512 x 300 volume; also without the axes, where the two pictures must match;
// - one frame of the maximum-intensity view of a 256^3 volume (the "3D" cell of the volume
//   viewer), against a bare vtkFixedPointVolumeRayCastMapper frame of the same size.
// A picture that differs from the bare one makes the benchmark exit with 1.
// Run under an X server:  xvfb-run -a bin/vRenderingLayersBench [frames]

#include "vImageSliceLayer.h"
#include "vRendererManager.h"
#include "vViewer.h"
#include "vVolumeRenderingLayer.h"
#include "vVolumeResourceFake.h"
#include "vVolumeViewer.h"

#include <vtkCamera.h>
#include <vtkColorTransferFunction.h>
#include <vtkFixedPointVolumeRayCastMapper.h>
#include <vtkImageActor.h>
#include <vtkImageData.h>
#include <vtkImageDifference.h>
#include <vtkImageMapToColors.h>
#include <vtkImageMapper3D.h>
#include <vtkImageReslice.h>
#include <vtkLookupTable.h>
#include <vtkMatrix4x4.h>
#include <vtkNew.h>
#include <vtkPNGWriter.h>
#include <vtkPiecewiseFunction.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkSmartPointer.h>
#include <vtkVolume.h>
#include <vtkVolumeProperty.h>
#include <vtkWindowToImageFilter.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace
{
using Clock = std::chrono::steady_clock;

vtkSmartPointer<vtkImageData> MakeVolume(int nx, int ny, int nz, double maximum)
{
  auto image = vtkSmartPointer<vtkImageData>::New();
  image->SetDimensions(nx, ny, nz);
  image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
  auto* voxels = static_cast<unsigned short*>(image->GetScalarPointer());
  const double cx = nx / 2.0, cy = ny / 2.0, cz = nz / 2.0, r = 0.4 * nz;
  for (int z = 0; z < nz; ++z)
  {
    for (int y = 0; y < ny; ++y)
    {
      for (int x = 0; x < nx; ++x)
      {
        const double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
        const double v = d < r ? maximum * (1.0 - d / r) : 0.1 * maximum * x / nx;
        *voxels++ = static_cast<unsigned short>(v);
      }
    }
  }
  return image;
}

vtkRenderWindow* MakeTab(vRendererManager& manager, int size)
{
  vtkRenderWindow* window = manager.CreateNewRenderWindow();
  window->SetSize(size, size);
  vtkNew<vtkRenderer> main;
  window->AddRenderer(main);
  return window;
}

double Milliseconds(Clock::duration d)
{
  return std::chrono::duration<double, std::milli>(d).count();
}

/** The slice layer in an ordinary viewer: change the slice, render. */
struct LayerSlices
{
  LayerSlices(vtkImageData* image, int size, bool axes)
  {
    this->Window = MakeTab(this->Manager, size);
    this->Volume.AddData(image);
    this->Volume.SetName("CT");
    this->Viewer.SetRenderer(&this->Manager);
    this->Viewer.ShowAxes(axes);
    this->Layer = new vImageSliceLayer;
    this->Layer->AddInput(&this->Volume);
    this->Viewer.AddInput(this->Layer);
    this->Viewer.Render();
  }
  void Frame(int slice)
  {
    int s[3] = { slice, -999, -999 };
    this->Layer->SetSlice(s);
    this->Layer->Render();
  }
  vRendererManager Manager;
  vVolumeResourceFake Volume;
  vViewer Viewer;
  vtkRenderWindow* Window = nullptr; // borrowed: owned by the manager
  vImageSliceLayer* Layer = nullptr; // owned by the viewer
};

/** Writes a window's picture (for a person to look at the two sides). */
void SavePicture(vtkRenderWindow* window, const std::string& path)
{
  vtkNew<vtkWindowToImageFilter> grab;
  grab->SetInput(window);
  grab->ReadFrontBufferOff();
  grab->ShouldRerenderOff();
  vtkNew<vtkPNGWriter> writer;
  writer->SetInputConnection(grab->GetOutputPort());
  writer->SetFileName(path.c_str());
  writer->Write();
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

/** The same work with bare VTK: reslice, map to colours, image actor. */
struct BareSlices
{
  BareSlices(vtkImageData* image, int size)
  {
    this->Window->SetOffScreenRendering(1);
    this->Window->SetMultiSamples(0);
    this->Window->SetSize(size, size);
    this->Renderer->SetViewport(0.005, 0.005, 0.995, 0.97);
    this->Renderer->SetBackground(0.1, 0.1, 0.1); // the viewer's inset background
    this->Window->AddRenderer(this->Renderer);
    this->Reslice->SetInputData(image);
    this->Reslice->SetOutputDimensionality(2);
    this->Reslice->SetInterpolationModeToLinear();
    image->GetCenter(this->Centre);
    this->Axes->SetElement(0, 3, this->Centre[0]);
    this->Axes->SetElement(1, 3, this->Centre[1]);
    this->Reslice->SetResliceAxes(this->Axes);
    double range[2];
    image->GetScalarRange(range);
    this->Table->SetTableRange(range);
    this->Table->SetSaturationRange(0, 0);
    this->Table->SetHueRange(0, 0);
    this->Table->SetValueRange(0, 1); // a grey ramp, black to white
    this->Table->Build();
    this->Colors->SetLookupTable(this->Table);
    this->Colors->SetInputConnection(this->Reslice->GetOutputPort());
    this->Actor->GetMapper()->SetInputConnection(this->Colors->GetOutputPort());
    this->Actor->SetUserMatrix(this->Axes);
    this->Renderer->AddActor(this->Actor);
    this->Frame(0);
    this->Renderer->ResetCamera();
  }
  void Frame(int slice)
  {
    this->Axes->SetElement(2, 3, slice);
    // The plane moves along the view direction: without a new clipping range it leaves the
    // view, and the frame draws nothing (as the layer resets it for its slice).
    this->Renderer->ResetCameraClippingRange();
    this->Window->Render();
  }
  vtkNew<vtkRenderWindow> Window;
  vtkNew<vtkRenderer> Renderer;
  vtkNew<vtkImageReslice> Reslice;
  vtkNew<vtkLookupTable> Table;
  vtkNew<vtkImageMapToColors> Colors;
  vtkNew<vtkImageActor> Actor;
  vtkNew<vtkMatrix4x4> Axes;
  double Centre[3];
};

/** The maximum-intensity layer in the "3D" cell of the volume viewer. */
struct LayerMip
{
  LayerMip(vtkImageData* image, int size)
  {
    this->Window = MakeTab(this->Manager, size);
    this->Volume.AddData(image);
    this->Volume.SetName("CT");
    this->Viewer.SetRenderer(&this->Manager);
    this->Layer = new vVolumeRenderingLayer;
    this->Layer->AddInput(&this->Volume);
    this->Viewer.AddInput(this->Layer, 3);
    this->Viewer.Render();
  }
  const double* Viewport() { return this->Layer->GetRenderer()->GetViewport(); }
  void Frame()
  {
    this->Layer->GetRenderer()->GetActiveCamera()->Azimuth(1);
    this->Window->Render();
  }
  vRendererManager Manager;
  vtkRenderWindow* Window = nullptr;
  vVolumeResourceFake Volume;
  vVolumeViewer Viewer;
  vVolumeRenderingLayer* Layer = nullptr; // owned by the viewer
};

/** A bare fixed-point ray cast in a renderer of the same viewport. */
struct BareMip
{
  BareMip(vtkImageData* image, int size, const double* viewport)
  {
    this->Window->SetOffScreenRendering(1);
    this->Window->SetMultiSamples(0);
    this->Window->SetSize(size, size);
    this->Renderer->SetViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    this->Window->AddRenderer(this->Renderer);
    vtkNew<vtkFixedPointVolumeRayCastMapper> mapper;
    mapper->SetInputData(image);
    mapper->SetBlendModeToMaximumIntensity();
    vtkNew<vtkColorTransferFunction> color;
    color->AddRGBPoint(32, 0, 0, 0);
    color->AddRGBPoint(64, 0, 0.1, 0);
    color->AddRGBPoint(128, 0, 0.5, 0.5);
    color->AddRGBPoint(192, 0, 0.8, 0.8);
    color->AddRGBPoint(256, 0.5, 0.5, 0.5);
    vtkNew<vtkPiecewiseFunction> opacity;
    opacity->AddPoint(0, 0);
    opacity->AddPoint(128, 0.8);
    opacity->AddPoint(255, 1.0);
    vtkNew<vtkVolumeProperty> property;
    property->SetColor(color);
    property->SetScalarOpacity(opacity);
    this->Volume->SetMapper(mapper);
    this->Volume->SetProperty(property);
    this->Renderer->AddVolume(this->Volume);
    this->Renderer->ResetCamera();
    this->Window->Render();
  }
  void Frame()
  {
    this->Renderer->GetActiveCamera()->Azimuth(1);
    this->Window->Render();
  }
  vtkNew<vtkRenderWindow> Window;
  vtkNew<vtkRenderer> Renderer;
  vtkNew<vtkVolume> Volume;
};

template <typename F>
double Time(int frames, F frame)
{
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < frames; ++i)
  {
    frame(i);
  }
  return Milliseconds(Clock::now() - start) / frames;
}
} // namespace

int main(int argc, char* argv[])
{
  const int frames = argc > 1 ? std::atoi(argv[1]) : 40;
  const int rounds = 5;
  bool same = true; // every comparison of the two sides' pictures
  {
    vtkSmartPointer<vtkImageData> image = MakeVolume(512, 512, 300, 1000);
    // The viewer shows its axes (in a renderer of their own) unless told not to: that is the
    // figure; without them the layer's picture must be the bare pipeline's.
    LayerSlices layer(image, 512, true);
    LayerSlices noAxes(image, 512, false);
    BareSlices bare(image, 512);
    double layerBest = 1e30, noAxesBest = 1e30, bareBest = 1e30;
    for (int round = 0; round < rounds; ++round)
    {
      // Alternate rounds so all see the same machine state; keep the best of each.
      const double b = Time(frames, [&](int i) { bare.Frame((i * 7) % 300); });
      const double l = Time(frames, [&](int i) { layer.Frame((i * 7) % 300); });
      const double n = Time(frames, [&](int i) { noAxes.Frame((i * 7) % 300); });
      bareBest = b < bareBest ? b : bareBest;
      layerBest = l < layerBest ? l : layerBest;
      noAxesBest = n < noAxesBest ? n : noAxesBest;
    }
    // The same view for the picture comparison: the layer's camera.
    noAxes.Frame(150);
    bare.Renderer->GetActiveCamera()->DeepCopy(noAxes.Layer->GetRenderer()->GetActiveCamera());
    bare.Frame(150);
    const double error = PictureError(noAxes.Window, bare.Window);
    if (const char* dump = std::getenv("VEMORA_BENCH_PICTURES"))
    {
      SavePicture(noAxes.Window, std::string(dump) + "/slice-layer.png");
      SavePicture(bare.Window, std::string(dump) + "/slice-bare.png");
    }
    std::printf("slice change + render, 512 x 512 x 300: layer with the viewer's axes %.2f ms, "
                "bare pipeline %.2f ms, ratio %.2f (limit 1.5); without the axes %.2f ms "
                "(ratio %.2f), picture error against the bare one %.3f (%s)\n",
      layerBest,
      bareBest,
      layerBest / bareBest,
      noAxesBest,
      noAxesBest / bareBest,
      error,
      error <= 0.15 ? "same picture" : "DIFFERENT picture");
    same = same && error <= 0.15;
  }
  {
    vtkSmartPointer<vtkImageData> image = MakeVolume(256, 256, 256, 255);
    LayerMip layer(image, 800);
    BareMip bare(image, 800, layer.Viewport());
    double layerBest = 1e30, bareBest = 1e30;
    const int mipFrames = frames / 4 > 5 ? frames / 4 : 5;
    for (int round = 0; round < rounds; ++round)
    {
      const double b = Time(mipFrames, [&](int) { bare.Frame(); });
      const double l = Time(mipFrames, [&](int) { layer.Frame(); });
      bareBest = b < bareBest ? b : bareBest;
      layerBest = l < layerBest ? l : layerBest;
    }
    // The same view for the picture comparison: the layer's camera and background.
    vtkRenderer* cell = layer.Layer->GetRenderer();
    bare.Renderer->GetActiveCamera()->DeepCopy(cell->GetActiveCamera());
    bare.Renderer->SetBackground(cell->GetBackground());
    layer.Window->Render();
    bare.Window->Render();
    const double error = PictureError(layer.Window, bare.Window);
    if (const char* dump = std::getenv("VEMORA_BENCH_PICTURES"))
    {
      SavePicture(layer.Window, std::string(dump) + "/mip-layer.png");
      SavePicture(bare.Window, std::string(dump) + "/mip-bare.png");
    }
    const int* size = layer.Layer->GetRenderer()->GetSize();
    std::printf("maximum-intensity frame, 256^3 in a %d x %d view: layer %.2f ms, bare mapper "
                "%.2f ms, ratio %.2f (limit 1.2); picture error against the bare one %.3f (%s)\n",
      size[0],
      size[1],
      layerBest,
      bareBest,
      layerBest / bareBest,
      error,
      error <= 0.15 ? "same picture" : "DIFFERENT picture");
    same = same && error <= 0.15;
  }
  return same ? 0 : 1;
}
