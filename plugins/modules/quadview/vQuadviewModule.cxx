// "Quadview": the volume view module. In each viewing tab it builds the 2 x 2 volume view of a
// vVolumeViewerWrapper (slices X-Y, X-Z, Y-Z and a 3-D view) and shows one volume of the
// workspace, or of a live source, in it; a new volume replaces the one shown. Besides the common
// view commands it takes
//   enlarge iv0|iv1|iv2|3D         one view over the whole window
//   restore                        the 2 x 2 layout again

#include "vViewModule.h"
#include "vViewModulePage.h"

#include "CVemoraCPEXE.h"

#include "vViewer.h"
#include "vVolumeResource.h"
#include "vVolumeResourceFake.h"
#include "vVolumeViewerWrapper.h"

#include <vtkDataSet.h>
#include <vtkImageData.h>

#include <memory>

namespace
{
class vQuadviewModule : public vViewModule
{
public:
  vQuadviewModule()
    : vViewModule("Quadview",
        "Volume view: three orthogonal slices and a 3-D view of a volume",
        "1.0.0.0",
        CVemoraCPEXE::Image | CVemoraCPEXE::HardResource)
  {
    this->CommandList += "enlarge iv0|iv1|iv2|3D\nrestore\n";
  }

protected:
  vViewerWrapperBase* NewWrapper() override { return vVolumeViewerWrapper::New(); }

  void AddPageActions(vViewModulePage& page) override
  {
    this->vViewModule::AddPageActions(page);
    page.AddButtons("Layout",
      { { "X-Y", "enlarge iv0" },
        { "X-Z", "enlarge iv1" },
        { "Y-Z", "enlarge iv2" },
        { "3-D", "enlarge 3D" },
        { "2 x 2", "restore" } });
  }

  bool ShowHandle(vVolumeResourceFake* handle)
  {
    vViewerWrapperBase* wrapper = this->CurrentWrapper();
    // One volume at a time: the layers of the previous one go first, without a render of their
    // own (the new volume's build draws the window once).
    if (vViewer* old = wrapper->GetViewer())
    {
      for (int i = old->GetNumberOfItems() - 1; i >= 0; --i)
      {
        old->RemoveItem(i);
      }
    }
    if (wrapper->AddInput(handle) < 0)
    {
      if (vViewer* viewer = wrapper->GetViewer())
      {
        viewer->Refresh(); // the previous volume is gone from the window too
      }
      this->LastMessage = "error: the volume view could not be built";
      return false;
    }
    // The previous volume's handles go with its layers.
    this->KeepOnly(handle, handle->GetImageData(0));
    vViewer* viewer = wrapper->GetViewer();
    // Built first, so that the one render (of the camera reset) shows the views placed.
    viewer->InternalRender();
    viewer->ResetCamera();
    return true;
  }

  bool ShowModel(int) override
  {
    this->LastError = UnsuitableData;
    this->LastMessage = "error: " + this->Name + " shows volumes only";
    return false;
  }

  bool ShowVolume(int index) override
  {
    vVolumeResource* volumes = this->Controller->GetVolume();
    if (!volumes->GetImageData(index))
    {
      return false;
    }
    return this->ShowHandle(
      static_cast<vVolumeResourceFake*>(this->Keep(volumes->GetDataFake(index))));
  }

  bool ShowLiveData(vtkDataSet* data, const std::string& name) override
  {
    auto* image = vtkImageData::SafeDownCast(data);
    if (!image)
    {
      return this->ShowModel(-1);
    }
    auto* handle = new vVolumeResourceFake;
    this->Keep(handle);
    handle->AddData(image);
    handle->SetDataName(0, name);
    handle->SetFilename(0, name);
    handle->SetName(name);
    return this->ShowHandle(handle);
  }

  int OwnCommand(const std::string& word, const std::vector<std::string>& arguments) override
  {
    if (word != "enlarge" && word != "restore")
    {
      return this->Reply(NotHandled, std::string());
    }
    vViewer* viewer = this->GetViewer();
    if (!viewer)
    {
      return this->Reply(3, "error: no viewer, start with coolstart");
    }
    if (word == "restore")
    {
      viewer->EnlargeOff();
      return this->Reply(Handled, "layout restored");
    }
    if (arguments.size() != 1 || viewer->EnlargeOn(arguments[0]) < 0)
    {
      return this->Reply(3, "error: enlarge iv0|iv1|iv2|3D");
    }
    return this->Reply(Handled, arguments[0] + " enlarged");
  }
};
} // namespace

std::unique_ptr<vViewModule> vNewViewModule()
{
  return std::make_unique<vQuadviewModule>();
}
