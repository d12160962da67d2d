// Fuzz target for the DICOM decoder: the bytes become a file, which is sniffed, decoded and
// converted frame by frame as the file reader does.
#include "CiDcmLib.h"
#include "vFuzzInput.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
const std::string& TempPath()
{
  static const std::string path = []()
  {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vFuzzDicom-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd >= 0)
    {
      close(fd);
    }
    return std::string(name.data());
  }();
  return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string& path = TempPath();
  if (!vWriteFuzzInput(path, data, size))
  {
    return 0;
  }
  CiDcmLib::IsDicomFile(path);
  CiDcmLib lib;
  // Small inputs may claim huge images; keep the fuzzer's memory in bounds.
  lib.SetMaximumBytes(std::size_t(64) << 20);
  lib.SetFilename(path);
  if (lib.Read().empty())
  {
    std::vector<unsigned int> voxels(std::size_t(lib.GetCols()) * std::size_t(lib.GetRows()));
    for (int frame = 0; frame < lib.GetNumberOfFrames(); ++frame)
    {
      lib.CopyFrameToUnsigned32(frame, voxels.data(), voxels.size());
    }
  }
  return 0;
}
