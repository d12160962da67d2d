// The DICOM part of the read helper (vreadhelper-dicom.so): CiDcmLib, in the helper's process.
#include "vReadHelperParts.h"

#include "CiDcmLib.h"

VEMORA_HELPER_PART_API void vHelperDicomRead(const char* path,
  std::size_t maximumBytes,
  vHelperDicom& result);
VEMORA_HELPER_PART_API bool vHelperDicomProbe(const char* path);
VEMORA_HELPER_PART_API std::string vHelperDicomSeries(const char* path,
  std::vector<std::string>& files,
  double spacing[3]);

void vHelperDicomRead(const char* path, std::size_t maximumBytes, vHelperDicom& result)
{
  // Kept to the end of the process: its frames are the block handed over.
  CiDcmLib& dicom = *new CiDcmLib;
  dicom.SetFilename(path);
  dicom.SetMaximumBytes(maximumBytes);
  result.Error = dicom.Read();
  result.Notice = dicom.GetNotice();
  if (!result.Error.empty())
  {
    return;
  }
  int dims[3];
  dicom.GetDimensions(dims);
  result.Cols = dicom.GetCols();
  result.Rows = dicom.GetRows();
  result.Frames = dicom.GetNumberOfFrames();
  result.PixelSize = dicom.GetChannelPixelSize();
  result.Signed = dicom.IsSigned();
  result.WholeVolume = dims[2] > 0;
  dicom.GetSpacing(result.Spacing);
  result.Pixels = dicom.GetDataPtr(0);
}

bool vHelperDicomProbe(const char* path)
{
  return CiDcmLib::IsDicomFile(path);
}

std::string vHelperDicomSeries(const char* path, std::vector<std::string>& files, double spacing[3])
{
  return CiDcmLib::ListSeries(path, files, spacing);
}
