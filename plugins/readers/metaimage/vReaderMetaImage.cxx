// Reader plug-in: MetaImage volumes through VTK's vtkMetaImageReader. The library is built once
// per extension ("mha", "mhd"), which the build passes in as VEMORA_PLUGIN_EXT.
#include "vReaderPluginHelpers.h"

#include <vtkMetaImageReader.h>

#ifndef VEMORA_PLUGIN_EXT
#define VEMORA_PLUGIN_EXT "mha"
#endif

VEMORA_READER_PLUGIN_INFO(8192, VEMORA_PLUGIN_EXT, "MetaImage", "1.0.0.0", "MetaImage Reader")

vtkDataSet* Read(const char* path)
{
  return vReaderPluginHelpers::Guarded(vReaderPluginHelpers::ReadVolume<vtkMetaImageReader>, path);
}

void ReleaseMemory()
{
  // Nothing is kept between reads: the reader goes with each call.
}
