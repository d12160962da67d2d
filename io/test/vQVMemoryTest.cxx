#include "vFileReader.h"
#include "vQVFile.h"

#include "vAddressSpaceLimit.h"
#include "vTempHome.h"

#include <vtkImageData.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
long StatusKiB(const char* field)
{
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t length = std::strlen(field);
  while (std::getline(in, line))
  {
    if (line.compare(0, length, field) == 0)
    {
      return std::strtol(line.c_str() + length + 1, nullptr, 10);
    }
  }
  return -1;
}

/** Resets the peak resident size (VmHWM) to the current one; false where Linux does not allow it.
 */
bool ResetPeak()
{
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return clear.good();
}
} // namespace

TEST(QVMemory, AReadNeedsLittleMoreThanTheVoxels)
{
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer's shadow memory and quarantine count in the peak";
#endif
  vTempHome home;
  const std::string path = home.Sub("big.qv");
  tagQVHEADER header;
  header.Size[0] = 256;
  header.Size[1] = 256;
  header.Size[2] = 128; // 32 MiB of voxels
  const size_t bytes = size_t(256) * 256 * 128 * 4;
  {
    std::vector<uint32_t> voxels(bytes / 4);
    for (size_t i = 0; i < voxels.size(); ++i)
    {
      voxels[i] = static_cast<uint32_t>(i);
    }
    std::string error;
    ASSERT_TRUE(vQVFile::Write(path, header, voxels.data(), error)) << error;
  }
  vFileReader reader;
  reader.SetFilename(path);
  if (!ResetPeak())
  {
    GTEST_SKIP() << "the peak resident size cannot be reset here";
  }
  const long before = StatusKiB("VmRSS:");
  ASSERT_EQ(1, reader.Read());
  const long peak = StatusKiB("VmHWM:");
  ASSERT_GT(before, 0);
  EXPECT_LE((peak - before) * 1024.0, 1.1 * bytes);
  // The volume holds every voxel of the file, in file order.
  auto* image = vtkImageData::SafeDownCast(reader.GetOutput());
  ASSERT_NE(nullptr, image);
  const auto* voxels = static_cast<const uint32_t*>(image->GetScalarPointer());
  EXPECT_EQ(0u, voxels[0]);
  EXPECT_EQ(bytes / 4 - 1, voxels[bytes / 4 - 1]);
  EXPECT_EQ(123456u, voxels[123456]);
}

TEST(QVMemory, AVolumeThatCannotFitIsRefusedBeforeAnythingIsAllocated)
{
  // A 4 GiB volume (a sparse file: its voxels take no disk), read under an address-space limit
  // 1 GiB above what the process uses now: refused with the memory it needs, nothing allocated.
  vTempHome home;
  const std::string path = home.Sub("huge.qv");
  tagQVHEADER header;
  header.Size[0] = header.Size[1] = header.Size[2] = 1;
  const uint32_t voxel = 7;
  std::string error;
  ASSERT_TRUE(vQVFile::Write(path, header, &voxel, error)) << error;
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    const int32_t sizes[3] = { 1024, 1024, 1024 };
    file.seekp(14);
    file.write(reinterpret_cast<const char*>(sizes), sizeof(sizes));
  }
  ASSERT_EQ(0, ::truncate(path.c_str(), vQVFile::HeaderSize + (off_t(4) << 30)));

  vFileReader reader;
  reader.SetFilename(path);
  int result = 0;
  {
    vAddressSpaceLimit limit(std::size_t(1) << 30);
    result = reader.Read();
  }
  EXPECT_EQ(0, result);
  EXPECT_EQ(nullptr, reader.GetOutput());
  const std::string message = reader.GetErrorMessage();
  EXPECT_EQ(0u, message.find("error: not enough memory: the volume needs 4096 MiB, only "))
    << message;
  EXPECT_NE(std::string::npos, message.find(" MiB are available")) << message;
}
