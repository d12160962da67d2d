#include "vReadIsolation.h"
#include "vFileReader.h"

#include "vTempHome.h"
#include "vVtkOutputCapture.h"

#include <vtkImageData.h>
#include <vtkNIFTIImageWriter.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

namespace
{
std::string TestPlugin(const std::string& name)
{
  return std::string(VEMORA_IO_TEST_PLUGIN_DIR) + "/" + name + ".so";
}

/** A temporary installation with the STL and NIfTI readers and the crashing and hanging ones. */
void InstallPlugins(const vTempHome& home)
{
  home.CopyFile(std::string(VEMORA_BIN_DIR) + "/Soft/vReaderSTL.so", "Soft/vReaderSTL.so");
  home.CopyFile(std::string(VEMORA_BIN_DIR) + "/Soft/vReaderNIfTI.so", "Soft/vReaderNIfTI.so");
  home.CopyFile(TestPlugin("vTestReaderCrash"), "Soft/vTestReaderCrash.so");
  home.CopyFile(TestPlugin("vTestReaderHang"), "Soft/vTestReaderHang.so");
}

const char* const Triangle = "solid t\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n"
                             "   vertex 1 0 0\n   vertex 0 1 0\n  endloop\n endfacet\nendsolid t\n";

/** The name of the mapping that holds `address` in this process ("" when none names it). */
std::string MappingOf(const void* address)
{
  std::ifstream maps("/proc/self/maps");
  std::string line;
  const auto where = reinterpret_cast<std::uintptr_t>(address);
  while (std::getline(maps, line))
  {
    unsigned long long from = 0;
    unsigned long long to = 0;
    if (std::sscanf(line.c_str(), "%llx-%llx", &from, &to) == 2 && where >= from && where < to)
    {
      const std::size_t slash = line.find('/');
      const std::size_t memfd = line.find("memfd:");
      return memfd != std::string::npos ? line.substr(memfd)
                                        : (slash != std::string::npos ? line.substr(slash) : "");
    }
  }
  return std::string();
}

/** Restores the time limit of the read helper when it goes. */
class vTimeLimit
{
public:
  explicit vTimeLimit(double seconds) { vReadIsolation::SetTimeLimit(seconds); }
  ~vTimeLimit() { vReadIsolation::SetTimeLimit(vReadIsolation::DefaultTimeLimit); }
  vTimeLimit(const vTimeLimit&) = delete;
  vTimeLimit& operator=(const vTimeLimit&) = delete;
};
} // namespace

TEST(ReadIsolation, ACrashingOrHangingReaderOnlyFailsTheRead)
{
  vTempHome home;
  InstallPlugins(home);
  vFileReader reader;
  reader.SetFilename(home.WriteFile("t.stl", Triangle));
  ASSERT_EQ(1, reader.Read());
  vtkSmartPointer<vtkDataSet> previous = reader.GetOutput();

  {
    vExpectVtkMessages messages;
    reader.SetFilename(home.WriteFile("any.crs", "whatever\n"));
    EXPECT_EQ(0, reader.Read());
    EXPECT_TRUE(messages.Contains("stopped on damaged data")) << "a crash is reported";
  }
  EXPECT_EQ(previous.Get(), reader.GetOutput());
  {
    const vTimeLimit limit(1.0);
    vExpectVtkMessages messages;
    reader.SetFilename(home.WriteFile("any.hng", "whatever\n"));
    EXPECT_EQ(0, reader.Read());
    EXPECT_TRUE(messages.Contains("time limit"));
  }
  EXPECT_EQ(previous.Get(), reader.GetOutput());

  // The workstation reads on as before.
  reader.SetFilename(home.Sub("t.stl"));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());
  EXPECT_EQ(3, reader.GetOutput()->GetNumberOfPoints());
}

TEST(ReadIsolation, ReadsFromManyThreadsAtOnce)
{
  vTempHome home;
  InstallPlugins(home);
  home.WriteFile("t.stl", Triangle);
  home.WriteFile("any.crs", "whatever\n");
  int good[4] = { 0, 0, 0, 0 };
  int crashed[4] = { 1, 1, 1, 1 };
  {
    vExpectVtkMessages messages;
    std::thread threads[4];
    for (int i = 0; i < 4; ++i)
    {
      threads[i] = std::thread(
        [&, i]()
        {
          vFileReader reader;
          for (int round = 0; round < 3; ++round)
          {
            reader.SetFilename(home.Sub("t.stl"));
            good[i] += reader.Read();
            reader.SetFilename(home.Sub("any.crs"));
            crashed[i] = crashed[i] && reader.Read() == 0;
          }
        });
    }
    for (std::thread& thread : threads)
    {
      thread.join();
    }
  }
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(3, good[i]) << "thread " << i;
    EXPECT_EQ(1, crashed[i]) << "thread " << i;
  }
}

TEST(ReadIsolation, LargeVolumesComeBackInSharedMemoryWithoutACopy)
{
  vTempHome home;
  InstallPlugins(home);
  // 64 MiB of voxels (the size from which blocks are shared), each holding its index.
  auto volume = vtkSmartPointer<vtkImageData>::New();
  volume->SetDimensions(256, 256, 256);
  volume->SetSpacing(0.5, 0.75, 2.0);
  volume->AllocateScalars(VTK_UNSIGNED_INT, 1);
  auto* values = static_cast<std::uint32_t*>(volume->GetScalarPointer());
  for (std::uint32_t i = 0; i < 256u * 256u * 256u; ++i)
  {
    values[i] = i;
  }
  vtkNew<vtkNIFTIImageWriter> writer;
  writer->SetInputData(volume);
  writer->SetFileName(home.Sub("v.nii").c_str());
  writer->Write();

  vFileReader reader;
  reader.SetFilename(home.Sub("v.nii"));
  ASSERT_EQ(1, reader.Read());
  auto* image = vtkImageData::SafeDownCast(reader.GetOutput());
  ASSERT_NE(nullptr, image);
  const void* voxels = image->GetScalarPointer();
  EXPECT_EQ("memfd:vemora-read (deleted)", MappingOf(voxels));
  const auto* read = static_cast<const std::uint32_t*>(voxels);
  EXPECT_EQ(0u, read[0]);
  EXPECT_EQ(1234567u, read[1234567]);
  EXPECT_EQ(256u * 256u * 256u - 1, read[256u * 256u * 256u - 1]);
  EXPECT_NEAR(0.75, image->GetSpacing()[1], 1e-9);

  // The mapping goes with the last reference to the voxels.
  reader.SetFilename(home.WriteFile("t.stl", Triangle));
  ASSERT_EQ(1, reader.Read());
  image = nullptr;
  EXPECT_EQ("", MappingOf(voxels));
}
