// "Scene": the 3-D view module. In each viewing tab it builds an ordinary 3-D viewer through a
// vViewerWrapper and shows data of the workspace in it: a model as a mesh layer (a small point set
// as a landmark layer), a volume as an image slice layer through its middle, and the data of live
// sources the same way. Besides the common view commands it takes
//   clip on|off                  the viewer's clipping plane
//   orientation xy|xz|yz         the slice orientation of the current (else the last) image layer
//   slice N                      the slice index of that image layer

#include "vViewModule.h"
#include "vViewModulePage.h"

#include "CVemoraCPEXE.h"

#include "vDataResource.h"
#include "vDataResourceFake.h"
#include "vImageSliceLayer.h"
#include "vLandmarkLayer.h"
#include "vMesh3DLayer.h"
#include "vProp.h"
#include "vViewer.h"
#include "vViewerWrapper.h"
#include "vVolumeResource.h"
#include "vVolumeResourceFake.h"

#include <vtkCellArray.h>
#include <vtkDataSet.h>
#include <vtkImageData.h>
#include <vtkPolyData.h>

#include <cstdlib>
#include <memory>

namespace
{
/** At most this many points, and no surface: shown as landmarks. */
constexpr vtkIdType SmallPointSetLimit = 127;
/** The largest slice index the page's number box offers (the command checks the real range). */
constexpr int MaximumSlice = 4095;

bool IsSmallPointSet(vtkDataSet* data)
{
  auto* poly = vtkPolyData::SafeDownCast(data);
  if (!poly || poly->GetNumberOfPoints() > SmallPointSetLimit)
  {
    return false;
  }
  return poly->GetNumberOfPolys() + poly->GetNumberOfStrips() == 0;
}

class vSceneModule : public vViewModule
{
public:
  vSceneModule()
    : vViewModule("Scene",
        "3-D scene: meshes, landmarks, image slices and live data in the viewing tab",
        "1.0.0.0",
        CVemoraCPEXE::Model | CVemoraCPEXE::Image | CVemoraCPEXE::SurfaceMesh |
          CVemoraCPEXE::SmallPointSet | CVemoraCPEXE::PointCloud | CVemoraCPEXE::HardResource)
  {
    this->CommandList += "clip on|off\norientation xy|xz|yz\nslice N\n";
  }

protected:
  vViewerWrapperBase* NewWrapper() override { return vViewerWrapper::New(); }

  void AddPageActions(vViewModulePage& page) override
  {
    this->vViewModule::AddPageActions(page);
    page.AddButtons("Clipping plane", { { "on", "clip on" }, { "off", "clip off" } });
    page.AddButtons("Slice orientation",
      { { "xy", "orientation xy" }, { "xz", "orientation xz" }, { "yz", "orientation yz" } });
    page.AddNumber("Slice", "slice", 0, MaximumSlice);
  }

  bool ShowPolyData(vResource* handle, vtkDataSet* data)
  {
    vMesh3DLayer* layer = IsSmallPointSet(data) ? new vLandmarkLayer : new vMesh3DLayer;
    layer->AddInput(handle);
    return this->AddLayer(layer);
  }

  bool ShowImage(vVolumeResourceFake* handle)
  {
    auto* layer = new vImageSliceLayer;
    layer->SliceOrientationXY();
    layer->AddInput(handle);
    int range[6];
    layer->GetProperty()->GetSliceRange(range);
    int slice[3] = { range[0] >= 0 && range[1] >= range[0] ? (range[1] - range[0]) / 2 : 0, 0, 0 };
    layer->SetSlice(slice);
    return this->AddLayer(layer);
  }

  bool ShowModel(int index) override
  {
    vDataResource* models = this->Controller->GetModel();
    vtkDataSet* data = models->GetData(index);
    if (!data)
    {
      return false;
    }
    return this->ShowPolyData(this->Keep(models->GetDataFake(index)), data);
  }

  bool ShowVolume(int index) override
  {
    vVolumeResource* volumes = this->Controller->GetVolume();
    if (!volumes->GetImageData(index))
    {
      return false;
    }
    auto* handle = static_cast<vVolumeResourceFake*>(this->Keep(volumes->GetDataFake(index)));
    return this->ShowImage(handle);
  }

  bool ShowLiveData(vtkDataSet* data, const std::string& name) override
  {
    if (auto* image = vtkImageData::SafeDownCast(data))
    {
      auto* handle = new vVolumeResourceFake;
      this->Keep(handle);
      handle->AddData(image);
      handle->SetDataName(0, name);
      handle->SetFilename(0, name);
      handle->SetName(name);
      return this->ShowImage(handle);
    }
    if (vtkPolyData::SafeDownCast(data))
    {
      auto* handle = new vDataResourceFake;
      this->Keep(handle);
      handle->AddData(data);
      handle->SetDataName(0, name);
      handle->SetFilename(0, name);
      handle->SetName(name);
      return this->ShowPolyData(handle, data);
    }
    this->LastMessage = "error: " + name + " delivers no image or surface";
    return false;
  }

  int OwnCommand(const std::string& word, const std::vector<std::string>& arguments) override
  {
    if (word != "clip" && word != "orientation" && word != "slice")
    {
      return this->Reply(NotHandled, std::string());
    }
    auto* wrapper = static_cast<vViewerWrapper*>(this->CurrentWrapper());
    vViewer* viewer = wrapper ? wrapper->GetViewer() : nullptr;
    if (!viewer)
    {
      return this->Reply(3, "error: no viewer, start with coolstart");
    }
    if (arguments.size() != 1)
    {
      return this->Reply(3, "error: insufficient input");
    }
    if (word == "clip")
    {
      if (arguments[0] == "on")
      {
        wrapper->ClippingOn();
        wrapper->InteractionClipOn();
        return this->Reply(Handled, "clipping on");
      }
      if (arguments[0] == "off")
      {
        wrapper->ClippingOff();
        wrapper->InteractionClipOff();
        return this->Reply(Handled, "clipping off");
      }
      return this->Reply(3, "error: clip on|off");
    }
    // The current layer when it is an image, otherwise the last image layer.
    auto* image = dynamic_cast<vImageLayer*>(viewer->GetInput());
    for (int i = viewer->GetNumberOfItems() - 1; !image && i >= 0; --i)
    {
      image = dynamic_cast<vImageLayer*>(viewer->GetInput(i));
    }
    if (!image)
    {
      return this->Reply(3, "error: no image layer");
    }
    if (word == "orientation")
    {
      const char* names[] = { "yz", "xz", "xy" };
      for (int code = 0; code < 3; ++code)
      {
        if (arguments[0] == names[code])
        {
          image->SetSliceOrientation(code);
          viewer->ForceRender(); // rebuilds the changed layer, then draws once
          return this->Reply(Handled, "orientation " + arguments[0]);
        }
      }
      return this->Reply(3, "error: orientation xy|xz|yz");
    }
    char* end = nullptr;
    long value = std::strtol(arguments[0].c_str(), &end, 10);
    int range[6];
    image->GetProperty()->GetSliceRange(range);
    if (end == arguments[0].c_str() || *end != '\0' || value < 0 ||
      (range[1] >= range[0] && range[0] >= 0 && value > range[1] - range[0]))
    {
      return this->Reply(3, "error: slice out of range");
    }
    int slice[3] = { static_cast<int>(value), 0, 0 };
    image->SetSlice(slice);
    viewer->ForceRender();
    return this->Reply(Handled, "slice " + arguments[0]);
  }
};
} // namespace

std::unique_ptr<vViewModule> vNewViewModule()
{
  return std::make_unique<vSceneModule>();
}
