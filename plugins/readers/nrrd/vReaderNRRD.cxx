// Reader plug-in: Nearly Raw Raster Data volumes through VTK's vtkNrrdReader.
#include "vReaderPluginHelpers.h"

#include <vtkNrrdReader.h>

VEMORA_READER_PLUGIN_INFO(8192, "nrrd", "Nearly Raw Raster Data", "1.0.0.0", "NRRD Reader")

vtkDataSet* Read(const char* path)
{
  return vReaderPluginHelpers::Guarded(vReaderPluginHelpers::ReadVolume<vtkNrrdReader>, path);
}

void ReleaseMemory()
{
  // Nothing is kept between reads: the reader goes with each call.
}
