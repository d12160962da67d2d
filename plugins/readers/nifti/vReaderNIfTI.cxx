// Reader plug-in: NIfTI-1 image volumes through VTK's vtkNIFTIImageReader.
#include "vReaderPluginHelpers.h"

#include <vtkNIFTIImageReader.h>

VEMORA_READER_PLUGIN_INFO(8192, "nii", "NIfTI-1 image", "1.0.0.0", "NIfTI Reader")

vtkDataSet* Read(const char* path)
{
  return vReaderPluginHelpers::Guarded(vReaderPluginHelpers::ReadVolume<vtkNIFTIImageReader>, path);
}

void ReleaseMemory()
{
  // Nothing is kept between reads: the reader goes with each call.
}
