// Timing of the control panel's start-up and of opening a large volume, each against its bare
// baseline measured in the same run (medians of alternating runs).

#include "CVemoraCPEXE.h"

#include "vDynamicLibrary.h"
#include "vFileReader.h"
#include "vInstallation.h"
#include "vQVFile.h"
#include "vUserPrompt.h"
#include "vVolumeResource.h"

#include <vtkDataSet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]));
}

/** Resident memory of the process in bytes. */
double ResidentBytes()
{
  long pages = 0;
  long resident = 0;
  FILE* file = std::fopen("/proc/self/statm", "r");
  if (file)
  {
    if (std::fscanf(file, "%ld %ld", &pages, &resident) != 2)
    {
      resident = 0;
    }
    std::fclose(file);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

/** The baseline of start-up: dlopen every plug-in; data sources and readers closed again. */
double BareStartup()
{
  std::vector<void*> kept;
  Clock::time_point start = Clock::now();
  for (const char* folder : { "Hard", "Soft", "Modules" })
  {
    bool keep = std::strcmp(folder, "Modules") == 0;
    for (const std::string& path :
      vDynamicLibrary::ListLibraries(vInstallation::GetSubFolder(folder)))
    {
      void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle && keep)
      {
        kept.push_back(handle);
      }
      else if (handle)
      {
        dlclose(handle);
      }
    }
  }
  double seconds = Seconds(start);
  for (void* handle : kept)
  {
    dlclose(handle);
  }
  return seconds;
}

double EngineStartup(int* modules)
{
  Clock::time_point start = Clock::now();
  auto* engine = new CVemoraCPEXE;
  double seconds = Seconds(start);
  *modules = engine->GetModules() ? 1 : 0;
  delete engine;
  return seconds;
}

bool WriteVolume(const std::string& path, int mib)
{
  tagQVHEADER header;
  header.Size[0] = 512;
  header.Size[1] = 512;
  header.Size[2] = std::max(1, mib * 1024 * 1024 / (512 * 512 * 4));
  size_t count = static_cast<size_t>(header.Size[0]) * header.Size[1] * header.Size[2];
  std::vector<uint32_t> voxels(count);
  for (size_t i = 0; i < count; ++i)
  {
    voxels[i] = static_cast<uint32_t>((i * 2654435761u) >> 20);
  }
  std::string error;
  if (!vQVFile::Write(path, header, voxels.data(), error))
  {
    std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}
} // namespace

int main(int argc, char** argv)
{
  std::string folder = "/tmp";
  int mib = 300;
  int repeat = 7;
  for (int i = 1; i + 1 < argc; i += 2)
  {
    if (!std::strcmp(argv[i], "--folder"))
    {
      folder = argv[i + 1];
    }
    else if (!std::strcmp(argv[i], "--mib"))
    {
      mib = std::max(1, std::atoi(argv[i + 1]));
    }
    else if (!std::strcmp(argv[i], "--repeat"))
    {
      repeat = std::max(1, std::atoi(argv[i + 1]));
    }
  }
  vGetDefaultUserPrompt()->SetEcho(false);

  // Start-up with the plug-ins of the installation folder.
  std::printf("installation folder: %s\n", vInstallation::GetFolder().c_str());
  {
    Clock::time_point start = Clock::now();
    CVemoraCPEXE probe;
    std::printf("first engine construction (plug-ins loaded for the first time): %.2f ms\n",
      1e3 * Seconds(start));
    std::printf("plug-ins: %zu in Modules, %zu in Hard, %zu in Soft\n",
      vDynamicLibrary::ListLibraries(vInstallation::GetSubFolder("Modules")).size(),
      vDynamicLibrary::ListLibraries(vInstallation::GetSubFolder("Hard")).size(),
      vDynamicLibrary::ListLibraries(vInstallation::GetSubFolder("Soft")).size());
  }
  std::vector<double> engine;
  std::vector<double> bare;
  int ok = 0;
  for (int r = 0; r < repeat; ++r)
  {
    bare.push_back(BareStartup());
    engine.push_back(EngineStartup(&ok));
  }
  double engineMedian = Median(engine);
  double bareMedian = Median(bare);
  std::printf("start-up: engine %.2f ms, dlopen only %.2f ms, ratio %.2f (limit 1.5)\n",
    1e3 * engineMedian,
    1e3 * bareMedian,
    bareMedian > 0 ? engineMedian / bareMedian : 0.0);

  // Opening a large QV volume.
  std::string path = folder + "/vemora-bench-" + std::to_string(getpid()) + ".qv";
  if (!WriteVolume(path, mib))
  {
    return 1;
  }
  std::vector<double> reader;
  std::vector<double> open;
  double voxelBytes = 0.0;
  double heldRatio = 0.0;
  for (int r = 0; r < repeat; ++r)
  {
    {
      vFileReader alone;
      alone.SetFilename(path);
      Clock::time_point start = Clock::now();
      int read = alone.Read();
      reader.push_back(Seconds(start));
      if (!read)
      {
        std::fprintf(stderr, "read failed: %s\n", alone.GetErrorMessage().c_str());
        std::remove(path.c_str());
        return 1;
      }
    }
    {
      CVemoraCPEXE workspace;
      double before = ResidentBytes();
      Clock::time_point start = Clock::now();
      int type = workspace.OpenFile(path);
      open.push_back(Seconds(start));
      double after = ResidentBytes();
      if (type != CVemoraCPEXE::Image)
      {
        std::fprintf(stderr, "OpenFile failed\n");
        std::remove(path.c_str());
        return 1;
      }
      vtkDataSet* volume = workspace.GetVolume()->GetData(0);
      voxelBytes = static_cast<double>(volume->GetNumberOfPoints()) * 4.0;
      heldRatio = std::max(heldRatio, (after - before) / voxelBytes);
    }
  }
  std::remove(path.c_str());
  double readerMedian = Median(reader);
  double openMedian = Median(open);
  std::printf("QV volume of %.1f MiB: OpenFile %.1f ms, reader alone %.1f ms, ratio %.2f "
              "(limit 2.0, stretch 1.6)\n",
    voxelBytes / 1048576.0,
    1e3 * openMedian,
    1e3 * readerMedian,
    readerMedian > 0 ? openMedian / readerMedian : 0.0);
  std::printf("memory held after OpenFile: %.2f x the voxel bytes (limit 2.2)\n", heldRatio);
  return 0;
}
