// A module for the interpreter's tests: on "Run" it attaches a viewer to the current render
// window of the facade's renderer manager and hands it out through "GetViewer". "coolstart" is
// its only command.
#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vModuleContract.h"
#include "vRendererManager.h"
#include "vViewer.h"

#include <cstring>
#include <memory>
#include <string>

namespace
{
CVemoraCP* Facade = nullptr;
std::unique_ptr<vViewer> Viewer;
std::string Message;
int CoolStarts = 0;
} // namespace

VEMORA_PLUGIN_EXPORT const char* GetModuleName()
{
  return "Viewer3D";
}

VEMORA_PLUGIN_EXPORT const char* GetModuleDesc()
{
  return "a viewer for tests";
}

VEMORA_PLUGIN_EXPORT const char* GetModuleVer()
{
  return "1.0";
}

VEMORA_PLUGIN_EXPORT int GetModuleTargetDataType()
{
  return 2 | 4 | 16 | 32 | 64;
}

VEMORA_PLUGIN_EXPORT void SetRenderWindow(vtkRenderWindow*) {}

VEMORA_PLUGIN_EXPORT void SetCP(CVemoraCP* facade)
{
  Facade = facade;
}

VEMORA_PLUGIN_EXPORT void Run()
{
  if (!Facade || !Facade->GetEXE())
  {
    return;
  }
  Viewer = std::make_unique<vViewer>();
  Viewer->SetRenderer(Facade->GetEXE()->GetRenderers());
}

VEMORA_PLUGIN_EXPORT vViewer* GetViewer()
{
  return Viewer.get();
}

VEMORA_PLUGIN_EXPORT void DelViewer()
{
  Viewer.reset();
  if (Facade && Facade->GetEXE())
  {
    Facade->GetEXE()->GetModules()->SetActivatedModule(-1);
  }
}

VEMORA_PLUGIN_EXPORT int Command(const char* text)
{
  if (std::strcmp(text, "coolstart") == 0)
  {
    ++CoolStarts;
    Message = "started";
    return 0;
  }
  if (std::strcmp(text, "starts") == 0)
  {
    Message = std::to_string(CoolStarts);
    return 0;
  }
  Message = "unknown";
  return 1;
}

VEMORA_PLUGIN_EXPORT const char* GetLastMessage()
{
  return Message.c_str();
}

VEMORA_PLUGIN_EXPORT void ReleaseMemory()
{
  Viewer.reset();
  Facade = nullptr;
}
