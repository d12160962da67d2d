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
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

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

/**
 * The read helpers among this process's children: between reads, the spare waiting for the next
 * request.
 */
std::vector<pid_t> Spares()
{
  std::vector<pid_t> spares;
  DIR* tasks = ::opendir("/proc/self/task");
  for (dirent* task = tasks ? ::readdir(tasks) : nullptr; task; task = ::readdir(tasks))
  {
    std::ifstream children(std::string("/proc/self/task/") + task->d_name + "/children");
    pid_t child = 0;
    while (children >> child)
    {
      // The program's name, not its arguments: those may not be in place yet just after a start.
      char exe[4096];
      const ssize_t length =
        ::readlink(("/proc/" + std::to_string(child) + "/exe").c_str(), exe, sizeof(exe) - 1);
      const std::string name = length > 0 ? std::string(exe, static_cast<std::size_t>(length)) : "";
      if (name.size() >= 12 && name.compare(name.size() - 12, 12, "/vreadhelper") == 0)
      {
        spares.push_back(child);
      }
    }
  }
  if (tasks)
  {
    ::closedir(tasks);
  }
  return spares;
}

/** Whether a live process has `variable` in its environment. */
bool AnyProcessHas(const std::string& variable)
{
  bool found = false;
  DIR* processes = ::opendir("/proc");
  for (dirent* entry = processes ? ::readdir(processes) : nullptr; entry && !found;
       entry = ::readdir(processes))
  {
    std::ifstream environ(std::string("/proc/") + entry->d_name + "/environ");
    const std::string text((std::istreambuf_iterator<char>(environ)), {});
    found = text.find(variable) != std::string::npos;
  }
  if (processes)
  {
    ::closedir(processes);
  }
  return found;
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

TEST(ReadIsolation, SmallArraysComeBackCopiedEitherWay)
{
  // Arrays under 64 MiB are copied straight out of the helper, which waits until they are, or
  // (where this process may not read the helper's memory) through the shared file: the same
  // values either way, in this process's own memory, and no helper left waiting.
  vTempHome home;
  InstallPlugins(home);
  auto volume = vtkSmartPointer<vtkImageData>::New();
  volume->SetDimensions(128, 128, 96); // 6 MiB of voxels
  volume->AllocateScalars(VTK_UNSIGNED_INT, 1);
  auto* values = static_cast<std::uint32_t*>(volume->GetScalarPointer());
  const std::uint32_t count = 128u * 128u * 96u;
  for (std::uint32_t i = 0; i < count; ++i)
  {
    values[i] = i * 2654435761u;
  }
  vtkNew<vtkNIFTIImageWriter> writer;
  writer->SetInputData(volume);
  writer->SetFileName(home.Sub("v.nii").c_str());
  writer->Write();
  home.WriteFile("t.stl", Triangle);
  for (const bool remote : { true, false })
  {
    vReadIsolation::SetRemoteCopy(remote);
    vFileReader reader;
    reader.SetFilename(home.Sub("v.nii"));
    ASSERT_EQ(1, reader.Read()) << remote;
    auto* image = vtkImageData::SafeDownCast(reader.GetOutput());
    ASSERT_NE(nullptr, image);
    const auto* read = static_cast<const std::uint32_t*>(image->GetScalarPointer());
    EXPECT_EQ("", MappingOf(read)) << remote;
    bool same = true;
    for (std::uint32_t i = 0; i < count; ++i)
    {
      same = same && read[i] == i * 2654435761u;
    }
    EXPECT_TRUE(same) << remote;
    reader.SetFilename(home.Sub("t.stl"));
    ASSERT_EQ(1, reader.Read()) << remote;
    EXPECT_EQ(3, reader.GetOutput()->GetNumberOfPoints()) << remote;
    EXPECT_EQ(1u, Spares().size()) << remote; // the spare for the next read, nothing else
  }
  vReadIsolation::SetRemoteCopy(true);
}

TEST(ReadIsolation, ASpareHelperWaitsAndADeadOneIsReplaced)
{
  vTempHome home;
  InstallPlugins(home);
  vFileReader reader;
  reader.SetFilename(home.WriteFile("t.stl", Triangle));
  ASSERT_EQ(1, reader.Read());
  std::vector<pid_t> spares = Spares();
  ASSERT_EQ(1u, spares.size()) << "a spare waits for the next read";

  // A spare that died is replaced without the read noticing.
  ASSERT_EQ(0, ::kill(spares[0], SIGKILL));
  ::usleep(100000);
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(3, reader.GetOutput()->GetNumberOfPoints());
  const std::vector<pid_t> next = Spares();
  ASSERT_EQ(1u, next.size());
  EXPECT_NE(spares[0], next[0]);

  // The time limit counts from the request, not from the spare's start.
  const vTimeLimit limit(1.0);
  ::usleep(1500000);
  ASSERT_EQ(1, reader.Read());
  {
    vExpectVtkMessages messages;
    reader.SetFilename(home.WriteFile("any.hng", "whatever\n"));
    EXPECT_EQ(0, reader.Read());
    EXPECT_TRUE(messages.Contains("time limit"));
  }
  // A relative path names the file in the folder the program is in now, not where the spare
  // started.
  char folder[4096];
  ASSERT_NE(nullptr, ::getcwd(folder, sizeof(folder)));
  ASSERT_EQ(0, ::chdir(home.Sub("").c_str()));
  reader.SetFilename("t.stl");
  const int read = reader.Read();
  ASSERT_EQ(0, ::chdir(folder));
  EXPECT_EQ(1, read);
}

TEST(ReadIsolation, NoHelperOutlivesTheProgram)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  vTempHome home;
  InstallPlugins(home);
  home.WriteFile("t.stl", Triangle);
  // The program leaves through its exit handlers, or without them (a crash): either way its
  // spare goes too.
  for (const bool handlers : { true, false })
  {
    // Marks the spare's environment with this process's id (the death test's child is a program
    // of its own, started by this one).
    const std::string kind = handlers ? "-exit" : "-crash";
    const std::string mark = "VEMORA_TEST_SPARE=" + std::to_string(::getpid()) + kind;
    EXPECT_EXIT(
      {
        ::setenv("VEMORA_TEST_SPARE", (std::to_string(::getppid()) + kind).c_str(), 1);
        vFileReader reader;
        reader.SetFilename(home.Sub("t.stl"));
        const int read = reader.Read();
        if (handlers)
        {
          std::exit(read == 1 && Spares().size() == 1 ? 0 : 1);
        }
        ::_exit(read == 1 && Spares().size() == 1 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0),
      "");
    bool left = true;
    for (int i = 0; i < 50 && left; ++i)
    {
      left = AnyProcessHas(mark);
      if (left)
      {
        ::usleep(100000);
      }
    }
    EXPECT_FALSE(left) << (handlers ? "after exit" : "after _exit");
  }
}
