// The bare baseline of a batch run's start-up: the same libraries as the program (linked, so the
// loader and their initialisers run the same), the same plug-ins loaded (data sources and readers
// opened and closed, modules kept), then the reply of "ver" as the batch run prints it.
#include "vDynamicLibrary.h"
#include "vInstallation.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main()
{
  std::vector<void*> modules;
  for (const char* folder : { "Hard", "Soft", "Modules" })
  {
    const bool keep = std::strcmp(folder, "Modules") == 0;
    for (const std::string& path :
      vDynamicLibrary::ListLibraries(vInstallation::GetSubFolder(folder)))
    {
      void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle && keep)
      {
        modules.push_back(handle);
      }
      else if (handle)
      {
        dlclose(handle);
      }
    }
  }
  std::fputs(">> ver\n1.0.0.0D\n", stdout);
  std::fflush(stdout);
  for (void* handle : modules)
  {
    dlclose(handle);
  }
  return 0;
}
