// The control panel's start-up, and the time and memory of opening files, each against its bare
// baseline measured in the same run (medians of alternating runs):
//   - engine construction with the shipped plug-ins against only dlopen-ing the same libraries;
//   - a batch run (bin/Vemora --batch on a script of "ver"), from process start to its first
//     reply, against bin/vBareStartup (the same libraries linked, the same plug-ins loaded);
//   - OpenFile of a large QV volume against the file reader alone: time, memory held afterwards
//     and peak memory during the open, in multiples of the voxel bytes N;
//   - OpenFile of a 1,000,000-triangle .vtk model against a bare vtkDataSetReader: memory held.
// Every memory figure is taken in a child process of its own (fork), so no measurement inherits
// memory another one freed; both sides check that they hold the same voxels or points.

#include "CVemoraCPEXE.h"

#include "vDataResource.h"
#include "vDynamicLibrary.h"
#include "vFileReader.h"
#include "vInstallation.h"
#include "vQVFile.h"
#include "vUserPrompt.h"
#include "vVolumeResource.h"

#include <vtkCellArray.h>
#include <vtkDataSet.h>
#include <vtkDataSetReader.h>
#include <vtkImageData.h>
#include <vtkPlaneSource.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkTriangleFilter.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <signal.h>
#include <string>
#include <sys/wait.h>
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

/** A field of /proc/self/status in bytes ("VmHWM:", "VmRSS:"), -1 when missing. */
double StatusBytes(const char* field)
{
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t length = std::strlen(field);
  while (std::getline(in, line))
  {
    if (line.compare(0, length, field) == 0)
    {
      return 1024.0 * std::strtod(line.c_str() + length + 1, nullptr);
    }
  }
  return -1.0;
}

/** Sets the peak memory (VmHWM) back to the memory in use now. */
void ResetPeak()
{
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

/** What one measurement in a child process found. */
struct tagMEASURE
{
  double Seconds = 0.0;
  double Held = 0.0;  // bytes in use afterwards above those before
  double Peak = 0.0;  // peak bytes during the work above those before
  double Check = 0.0; // a sum of the data, to compare the two sides
  int Ok = 0;
};

/**
 * Runs `prepare`, then `work` in a forked child: memory before, the work (which keeps its data
 * alive and returns a check sum, or false on failure), memory after and the peak. The parent gets
 * the figures.
 */
tagMEASURE InChild(const std::function<void()>& prepare,
  const std::function<bool()>& work,
  const std::function<double()>& check)
{
  tagMEASURE result;
  int ends[2];
  if (pipe(ends) != 0)
  {
    return result;
  }
  const pid_t child = fork();
  if (child == 0)
  {
    close(ends[0]);
    prepare();
    tagMEASURE mine;
    const double before = ResidentBytes();
    ResetPeak();
    const double peakBefore = StatusBytes("VmHWM:");
    Clock::time_point start = Clock::now();
    mine.Ok = work() ? 1 : 0;
    mine.Seconds = Seconds(start);
    mine.Held = ResidentBytes() - before;
    mine.Peak = StatusBytes("VmHWM:") - peakBefore;
    mine.Check = mine.Ok ? check() : 0.0;
    ssize_t put = write(ends[1], &mine, sizeof(mine));
    _exit(put == static_cast<ssize_t>(sizeof(mine)) ? 0 : 1);
  }
  close(ends[1]);
  if (child > 0 && read(ends[0], &result, sizeof(result)) != static_cast<ssize_t>(sizeof(result)))
  {
    result = tagMEASURE();
  }
  close(ends[0]);
  if (child > 0)
  {
    int status = 0;
    waitpid(child, &status, 0);
  }
  return result;
}

/** The sum of every scalar of an image (as doubles), to compare two reads. */
double VoxelSum(vtkDataSet* data)
{
  vtkDataArray* scalars =
    data && data->GetPointData() ? data->GetPointData()->GetScalars() : nullptr;
  double sum = 0.0;
  for (vtkIdType i = 0; scalars && i < scalars->GetNumberOfValues(); ++i)
  {
    sum += scalars->GetVariantValue(i).ToDouble();
  }
  return sum;
}

/** The sum of every point coordinate and cell id of a model, to compare two reads. */
double ModelSum(vtkPolyData* model)
{
  double sum = 0.0;
  if (!model || !model->GetPoints())
  {
    return sum;
  }
  vtkDataArray* points = model->GetPoints()->GetData();
  for (vtkIdType i = 0; i < points->GetNumberOfValues(); ++i)
  {
    sum += points->GetVariantValue(i).ToDouble();
  }
  vtkIdType count = 0;
  const vtkIdType* ids = nullptr;
  vtkCellArray* polys = model->GetPolys();
  for (vtkIdType c = 0; polys && c < polys->GetNumberOfCells(); ++c)
  {
    polys->GetCellAtId(c, count, ids);
    for (vtkIdType k = 0; k < count; ++k)
    {
      sum += static_cast<double>(ids[k]) * static_cast<double>(k + 1);
    }
  }
  return sum;
}

/**
 * Starts `program` with `arguments` (without DISPLAY, so both sides skip the viewing tab) and
 * times it from the fork to the first reply on its standard output ("1.0.0.0D"); -1 on failure.
 */
double TimeToFirstReply(const std::string& program, const std::vector<std::string>& arguments)
{
  int ends[2];
  if (pipe(ends) != 0)
  {
    return -1.0;
  }
  Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0)
  {
    dup2(ends[1], 1);
    close(ends[0]);
    close(ends[1]);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0)
    {
      dup2(null, 2);
    }
    unsetenv("DISPLAY");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
    {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(ends[1]);
  std::string out;
  double seconds = -1.0;
  char chunk[256];
  ssize_t got = 0;
  while (child > 0 && (got = read(ends[0], chunk, sizeof(chunk))) > 0)
  {
    out.append(chunk, static_cast<size_t>(got));
    if (out.find("1.0.0.0D") != std::string::npos)
    {
      seconds = Seconds(start);
      break;
    }
  }
  close(ends[0]);
  if (child > 0)
  {
    int status = 0;
    waitpid(child, &status, 0);
  }
  return seconds;
}

bool WriteModel(const std::string& path, int triangles)
{
  const int resolution = static_cast<int>(std::sqrt(triangles / 2.0)) + 1;
  vtkNew<vtkPlaneSource> plane;
  plane->SetResolution(resolution, resolution);
  vtkNew<vtkTriangleFilter> triangulate;
  triangulate->SetInputConnection(plane->GetOutputPort());
  vtkNew<vtkPolyDataWriter> writer;
  writer->SetInputConnection(triangulate->GetOutputPort());
  writer->SetFileTypeToBinary();
  writer->SetFileName(path.c_str());
  return writer->Write() == 1;
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

  // A batch run from process start to its first reply, against the bare program.
  {
    const std::string bin = vInstallation::GetFolder();
    const std::string script = folder + "/vemora-startup-" + std::to_string(getpid()) + ".v";
    {
      std::ofstream out(script);
      out << "ver\n";
    }
    std::vector<double> batch;
    std::vector<double> bareProgram;
    for (int r = 0; r < 2 * repeat; ++r)
    {
      bareProgram.push_back(TimeToFirstReply(bin + "/vBareStartup", {}));
      batch.push_back(TimeToFirstReply(bin + "/Vemora", { "--batch", script }));
    }
    std::remove(script.c_str());
    const double batchMedian = Median(batch);
    const double bareProgramMedian = Median(bareProgram);
    std::printf("batch run to its first reply: Vemora %.1f ms, bare program %.1f ms, ratio %.2f "
                "(limit 1.2)\n",
      1e3 * batchMedian,
      1e3 * bareProgramMedian,
      bareProgramMedian > 0 ? batchMedian / bareProgramMedian : 0.0);
  }

  // Opening a large QV volume: each side in a child process of its own.
  std::string path = folder + "/vemora-bench-" + std::to_string(getpid()) + ".qv";
  if (!WriteVolume(path, mib))
  {
    return 1;
  }
  std::vector<double> readerTime;
  std::vector<double> openTime;
  std::vector<double> readerHeld;
  std::vector<double> openHeld;
  std::vector<double> readerPeak;
  std::vector<double> openPeak;
  double voxelBytes = 0.0;
  bool same = true;
  for (int r = 0; r < repeat; ++r)
  {
    static vFileReader* kept = nullptr; // each child's own; lives on to its exit
    tagMEASURE alone = InChild([&] { kept = new vFileReader; },
      [&]
      {
        kept->SetFilename(path);
        return kept->Read() == 1;
      },
      [&] { return VoxelSum(kept->GetOutput()); });
    static CVemoraCPEXE* workspace = nullptr; // the engine's construction is not measured
    tagMEASURE opened = InChild([&] { workspace = new CVemoraCPEXE; },
      [&] { return workspace->OpenFile(path) == CVemoraCPEXE::Image; },
      [&] { return VoxelSum(workspace->GetVolume()->GetData(0)); });
    if (!alone.Ok || !opened.Ok)
    {
      std::fprintf(stderr, "QV read or OpenFile failed\n");
      std::remove(path.c_str());
      return 1;
    }
    same = same && alone.Check == opened.Check;
    readerTime.push_back(alone.Seconds);
    openTime.push_back(opened.Seconds);
    readerHeld.push_back(alone.Held);
    openHeld.push_back(opened.Held);
    readerPeak.push_back(alone.Peak);
    openPeak.push_back(opened.Peak);
  }
  {
    vFileReader probe;
    probe.SetFilename(path);
    probe.Read();
    voxelBytes = static_cast<double>(probe.GetOutput()->GetNumberOfPoints()) * 4.0;
  }
  std::remove(path.c_str());
  const double n = voxelBytes;
  std::printf("QV volume of %.1f MiB (N): OpenFile %.1f ms, reader alone %.1f ms, ratio %.2f "
              "(limit 1.1); same voxels: %s\n",
    n / 1048576.0,
    1e3 * Median(openTime),
    1e3 * Median(readerTime),
    Median(readerTime) > 0 ? Median(openTime) / Median(readerTime) : 0.0,
    same ? "yes" : "NO");
  std::printf("  memory held afterwards: OpenFile %.3f N, reader alone %.3f N (limit 1.1 N)\n",
    Median(openHeld) / n,
    Median(readerHeld) / n);
  std::printf("  peak memory during the open: OpenFile %.3f N, reader alone %.3f N (limit 1.1 N)\n",
    Median(openPeak) / n,
    Median(readerPeak) / n);

  // A 1,000,000-triangle model: memory held by the workspace against a bare VTK reader's output.
  const std::string model = folder + "/vemora-bench-" + std::to_string(getpid()) + ".vtk";
  if (!WriteModel(model, 1000000))
  {
    std::fprintf(stderr, "cannot write %s\n", model.c_str());
    return 1;
  }
  std::vector<double> bareHeld;
  std::vector<double> modelHeld;
  same = true;
  for (int r = 0; r < repeat; ++r)
  {
    static vtkDataSetReader* bareReader = nullptr;
    tagMEASURE bareRead = InChild([&] { bareReader = vtkDataSetReader::New(); },
      [&]
      {
        bareReader->SetFileName(model.c_str());
        bareReader->Update();
        return bareReader->GetOutput() && bareReader->GetOutput()->GetNumberOfPoints() > 0;
      },
      [&] { return ModelSum(vtkPolyData::SafeDownCast(bareReader->GetOutput())); });
    static CVemoraCPEXE* workspace = nullptr;
    tagMEASURE engineRead = InChild([&] { workspace = new CVemoraCPEXE; },
      [&] { return workspace->OpenFile(model) == CVemoraCPEXE::SurfaceMesh; },
      [&] { return ModelSum(vtkPolyData::SafeDownCast(workspace->GetModel()->GetData(0))); });
    if (!bareRead.Ok || !engineRead.Ok)
    {
      std::fprintf(stderr, "model read failed\n");
      std::remove(model.c_str());
      return 1;
    }
    same = same && bareRead.Check == engineRead.Check;
    bareHeld.push_back(bareRead.Held);
    modelHeld.push_back(engineRead.Held);
  }
  std::remove(model.c_str());
  std::printf("1,000,000-triangle .vtk model: memory held by OpenFile %.1f MiB, by a bare "
              "vtkDataSetReader %.1f MiB, ratio %.2f (limit 1.2); same points and cells: %s\n",
    Median(modelHeld) / 1048576.0,
    Median(bareHeld) / 1048576.0,
    Median(bareHeld) > 0 ? Median(modelHeld) / Median(bareHeld) : 0.0,
    same ? "yes" : "NO");
  return 0;
}
