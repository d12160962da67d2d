// Reader plug-in: Stereolithography models (".stl") through VTK's vtkSTLReader.
#include "vReaderPluginHelpers.h"

#include <vtkSTLReader.h>

VEMORA_READER_PLUGIN_INFO(4096, "stl", "Stereolithography", "1.0.0.0", "STL Reader")

vtkDataSet* Read(const char* path)
{
  return vReaderPluginHelpers::Guarded(vReaderPluginHelpers::ReadModel<vtkSTLReader>, path);
}
