// The exports of the module contract for a view module library: each forwards to the library's one
// module object, made by vNewViewModule() on first use and deleted by ReleaseMemory(). Linked into
// every view module library as object code, so that each library holds its own exports and object.

#include "vViewModule.h"

#include "vModuleContract.h"

#include <memory>

namespace
{
std::unique_ptr<vViewModule>& Instance()
{
  static std::unique_ptr<vViewModule> module;
  return module;
}

vViewModule& Self()
{
  if (!Instance())
  {
    Instance() = vNewViewModule();
  }
  return *Instance();
}

// A module's export that lets an exception out counts as having failed.
using vModuleExport::Guarded;
} // namespace

VEMORA_PLUGIN_EXPORT const char* GetModuleVer()
{
  return Guarded<const char*>("", [] { return Self().GetModuleVer(); });
}

VEMORA_PLUGIN_EXPORT const char* GetModuleName()
{
  return Guarded<const char*>("", [] { return Self().GetModuleName(); });
}

VEMORA_PLUGIN_EXPORT const char* GetModuleDesc()
{
  return Guarded<const char*>("", [] { return Self().GetModuleDesc(); });
}

VEMORA_PLUGIN_EXPORT int GetModuleTargetDataType()
{
  return Guarded(0, [] { return Self().GetTargetDataType(); });
}

VEMORA_PLUGIN_EXPORT void SetRenderWindow(vtkRenderWindow* window)
{
  Guarded([window] { Self().SetRenderWindow(window); });
}

VEMORA_PLUGIN_EXPORT void SetCP(CVemoraCP* cp)
{
  Guarded([cp] { Self().SetCP(cp); });
}

VEMORA_PLUGIN_EXPORT void Run()
{
  Guarded([] { Self().Run(); });
}

VEMORA_PLUGIN_EXPORT void SetPrimaryData(int index)
{
  Guarded([index] { Self().SetPrimaryData(index); });
}

VEMORA_PLUGIN_EXPORT void AddSecondaryData(int type, int index)
{
  Guarded([type, index] { Self().AddSecondaryData(type, index); });
}

VEMORA_PLUGIN_EXPORT vViewer* GetViewer()
{
  return Guarded<vViewer*>(nullptr, [] { return Self().GetViewer(); });
}

VEMORA_PLUGIN_EXPORT void DelViewer()
{
  Guarded([] { Self().DelViewer(); });
}

VEMORA_PLUGIN_EXPORT void DetachData()
{
  Guarded([] { Self().DetachData(); });
}

VEMORA_PLUGIN_EXPORT int Command(const char* text)
{
  return Guarded(int(vViewModule::OutOfMemory), [text] { return Self().Command(text); });
}

VEMORA_PLUGIN_EXPORT const char* GetLastMessage()
{
  return Guarded<const char*>("", [] { return Self().GetLastMessage(); });
}

VEMORA_PLUGIN_EXPORT const char* GetCommandList()
{
  return Guarded<const char*>("", [] { return Self().GetCommandList(); });
}

VEMORA_PLUGIN_EXPORT void ReleaseMemory()
{
  Guarded(
    []
    {
      if (Instance())
      {
        Instance()->ReleaseMemory();
        Instance().reset();
      }
    });
}
