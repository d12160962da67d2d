// A reader plug-in whose reader never returns (as a reader looping on a damaged count would):
// the read must fail when the time limit ends.
#include "vReaderPluginContract.h"

#include <unistd.h>

int GetDataType()
{
  return 8192;
}

const char* GetExt()
{
  return "hng";
}

const char* GetDesc()
{
  return "Hangs";
}

const char* GetVer()
{
  return "0.0.0.1";
}

const char* GetName()
{
  return "Hanging Reader";
}

vtkDataSet* Read(const char*)
{
  for (;;)
  {
    ::pause();
  }
}
