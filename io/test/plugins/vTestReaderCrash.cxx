// A reader plug-in whose reader crashes on every file (as VTK's readers do on some damaged
// files): the read must fail and the workstation go on.
#include "vReaderPluginContract.h"

#include <csignal>

int GetDataType()
{
  return 4096;
}

const char* GetExt()
{
  return "crs";
}

const char* GetDesc()
{
  return "Crashes";
}

const char* GetVer()
{
  return "0.0.0.1";
}

const char* GetName()
{
  return "Crashing Reader";
}

vtkDataSet* Read(const char*)
{
  std::raise(SIGSEGV);
  return nullptr;
}
