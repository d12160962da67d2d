// Read timings of the IO library against the bare reads of the same bytes, in the same run.
//
//   vIOBench [--folder DIR] [--slices N] [--triangles N] [--repeat N]
//
// QV: a 512 x 512 x N volume (N = 300: 300 MiB of voxels) read by the file reader, against
//   (a) one read() of the same bytes into a fresh page-aligned buffer (4 KiB pages), and
//   (b) the same into a fresh 2 MiB-aligned buffer with transparent huge pages.
//   Also the peak memory of a read above the memory in use before it (VmHWM, reset through
//   /proc/self/clear_refs).
// Models: a binary .vtk and an .obj of about 1,000,000 triangles, read by the file reader against
//   bare vtkDataSetReader / vtkOBJReader updates.
// Files are made in DIR (default: $TMPDIR or /tmp) and removed at the end. Every figure is the
// median of the repeats in CPU time; the page cache is warmed first, so disk speed does not
// enter.
#include "vFileReader.h"
#include "vQVFile.h"

#include "vInstallation.h"

#include <vtkDataSetReader.h>
#include <vtkImageData.h>
#include <vtkOBJReader.h>
#include <vtkOBJWriter.h>
#include <vtkPlaneSource.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkSmartPointer.h>
#include <vtkTriangleFilter.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace
{
// The process's CPU time (user + system, page faults and read() copies included): the machines
// are shared, and wall time would measure the neighbours. Every read timed here is one thread.
double Seconds(const std::function<void()>& work)
{
  timespec start;
  timespec end;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
  work();
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
  return double(end.tv_sec - start.tv_sec) + 1e-9 * double(end.tv_nsec - start.tv_nsec);
}

// Minor page faults so far: fresh memory, not the work itself, often sets a read's cost.
long MinorFaults()
{
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// The machines are shared: the median is the figure, the minimum shows the noise-free cost.
double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Min(const std::vector<double>& values)
{
  return *std::min_element(values.begin(), values.end());
}

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

void ResetPeak()
{
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

void ReadInto(const std::string& path, void* buffer, size_t bytes, off_t offset)
{
  int fd = ::open(path.c_str(), O_RDONLY);
  size_t done = 0;
  while (fd >= 0 && done < bytes)
  {
    ssize_t got = ::pread(fd, static_cast<char*>(buffer) + done, bytes - done, offset + done);
    if (got <= 0)
    {
      break;
    }
    done += got;
  }
  if (fd >= 0)
  {
    ::close(fd);
  }
  if (done != bytes)
  {
    std::fprintf(stderr, "short read of %s\n", path.c_str());
    std::exit(1);
  }
}

void WarmCache(const std::string& path)
{
  std::vector<char> chunk(size_t(1) << 24);
  std::ifstream in(path, std::ios::binary);
  while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0)
  {
  }
}

void BenchQV(const std::string& folder, int slices, int repeat)
{
  const std::string path = folder + "/vIOBench.qv";
  tagQVHEADER header;
  header.Size[0] = 512;
  header.Size[1] = 512;
  header.Size[2] = slices;
  const size_t count = size_t(512) * 512 * slices;
  const size_t bytes = count * 4;
  {
    std::vector<uint32_t> voxels(count);
    for (size_t i = 0; i < count; ++i)
    {
      voxels[i] = static_cast<uint32_t>(i % 4096);
    }
    std::string error;
    if (!vQVFile::Write(path, header, voxels.data(), error))
    {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::exit(1);
    }
  }
  WarmCache(path);

  std::vector<double> pageAligned, hugeAligned, mallocd, reader;
  long peakKiB = 0;
  for (int r = 0; r < repeat; ++r)
  {
    pageAligned.push_back(Seconds(
      [&]
      {
        void* buffer = nullptr;
        if (posix_memalign(&buffer, 4096, bytes) != 0)
        {
          std::exit(1);
        }
        ReadInto(path, buffer, bytes, vQVFile::HeaderSize);
        std::free(buffer);
      }));
    hugeAligned.push_back(Seconds(
      [&]
      {
        const size_t huge = size_t(2) << 20;
        void* buffer = std::aligned_alloc(huge, (bytes + huge - 1) / huge * huge);
        ::madvise(buffer, (bytes + huge - 1) / huge * huge, MADV_HUGEPAGE);
        ReadInto(path, buffer, bytes, vQVFile::HeaderSize);
        std::free(buffer);
      }));
    mallocd.push_back(Seconds(
      [&]
      {
        void* buffer = std::malloc(bytes); // glibc: 16 bytes past a page boundary
        ReadInto(path, buffer, bytes, vQVFile::HeaderSize);
        std::free(buffer);
      }));
    {
      vFileReader fileReader; // the plug-in scan stays out of the timing
      fileReader.SetFilename(path);
      ResetPeak();
      const long before = StatusKiB("VmRSS:");
      reader.push_back(Seconds(
        [&]
        {
          if (!fileReader.Read())
          {
            std::fprintf(stderr, "QV read failed: %s\n", fileReader.GetErrorMessage().c_str());
            std::exit(1);
          }
        }));
      peakKiB = std::max(peakKiB, StatusKiB("VmHWM:") - before);
    }
  }
  const double base = Median(pageAligned);
  std::printf(
    "QV 512 x 512 x %d (%.0f MiB of voxels), median of %d:\n", slices, bytes / 1048576.0, repeat);
  std::printf("  read() into fresh page-aligned buffer      %8.1f ms  (baseline)\n", 1e3 * base);
  std::printf("  read() into fresh 2 MiB + THP buffer       %8.1f ms  %.2fx\n",
    1e3 * Median(hugeAligned),
    Median(hugeAligned) / base);
  std::printf("  read() into fresh malloc buffer            %8.1f ms  %.2fx\n",
    1e3 * Median(mallocd),
    Median(mallocd) / base);
  std::printf("  vFileReader::Read                          %8.1f ms  %.2fx (%.2fx of 2 MiB+THP)\n",
    1e3 * Median(reader),
    Median(reader) / base,
    Median(reader) / Median(hugeAligned));
  std::printf("  peak memory above the start of the read    %8.1f MiB = %.3f N\n",
    peakKiB / 1024.0,
    peakKiB * 1024.0 / bytes);
  std::remove(path.c_str());
}

void BenchModels(const std::string& folder, int triangles, int repeat)
{
  const int resolution = static_cast<int>(std::sqrt(triangles / 2.0)) + 1;
  vtkNew<vtkPlaneSource> plane;
  plane->SetResolution(resolution, resolution);
  vtkNew<vtkTriangleFilter> triangulate;
  triangulate->SetInputConnection(plane->GetOutputPort());
  triangulate->Update();
  vtkPolyData* mesh = triangulate->GetOutput();
  const std::string vtkPath = folder + "/vIOBench.vtk";
  const std::string objPath = folder + "/vIOBench.obj";
  vtkNew<vtkPolyDataWriter> vtkWriter;
  vtkWriter->SetInputData(mesh);
  vtkWriter->SetFileTypeToBinary();
  vtkWriter->SetFileName(vtkPath.c_str());
  vtkWriter->Write();
  vtkNew<vtkOBJWriter> objWriter;
  objWriter->SetInputData(mesh);
  objWriter->SetFileName(objPath.c_str());
  objWriter->Write();
  WarmCache(vtkPath);
  WarmCache(objPath);

  std::vector<double> bareVtk, keptVtk, readerVtk, bareObj, readerObj;
  long faults[3] = { 0, 0, 0 };
  vtkSmartPointer<vtkPolyData> kept;
  vFileReader fileReader;
  for (int r = 0; r < 3 * repeat; ++r)
  {
    long before = MinorFaults();
    bareVtk.push_back(Seconds(
      [&]
      {
        vtkNew<vtkDataSetReader> bare;
        bare->SetFileName(vtkPath.c_str());
        bare->Update();
      }));
    faults[0] += MinorFaults() - before;
    before = MinorFaults();
    // The file reader keeps its last output until a read succeeds, so its new arrays cannot
    // reuse the old ones' memory; the same bare read holding its previous output shows that cost.
    keptVtk.push_back(Seconds(
      [&]
      {
        vtkNew<vtkDataSetReader> bare;
        bare->SetFileName(vtkPath.c_str());
        bare->Update();
        auto output = vtkSmartPointer<vtkPolyData>::New();
        output->ShallowCopy(bare->GetOutput());
        kept = output;
      }));
    faults[1] += MinorFaults() - before;
    before = MinorFaults();
    readerVtk.push_back(Seconds(
      [&]
      {
        fileReader.SetFilename(vtkPath);
        fileReader.Read();
      }));
    faults[2] += MinorFaults() - before;
  }
  kept = nullptr;
  // The same reads in loops of their own: what a program reading one model after another sees.
  // Interleaved, each read's memory is what the previous other kind of read left free, which
  // can favour either side.
  std::vector<double> bareAlone, readerAlone;
  for (int r = 0; r < 3 * repeat; ++r)
  {
    bareAlone.push_back(Seconds(
      [&]
      {
        vtkNew<vtkDataSetReader> bare;
        bare->SetFileName(vtkPath.c_str());
        bare->Update();
      }));
  }
  {
    vFileReader aloneReader;
    for (int r = 0; r < 3 * repeat; ++r)
    {
      readerAlone.push_back(Seconds(
        [&]
        {
          aloneReader.SetFilename(vtkPath);
          aloneReader.Read();
        }));
    }
  }
  for (int r = 0; r < repeat; ++r)
  {
    bareObj.push_back(Seconds(
      [&]
      {
        vtkNew<vtkOBJReader> bare;
        bare->SetFileName(objPath.c_str());
        bare->Update();
      }));
    readerObj.push_back(Seconds(
      [&]
      {
        fileReader.SetFilename(objPath);
        fileReader.Read();
      }));
  }
  std::printf("Models, %lld triangles, median of %d (.vtk) and %d (.obj):\n",
    static_cast<long long>(mesh->GetNumberOfPolys()),
    3 * repeat,
    repeat);
  std::printf("  bare vtkDataSetReader (binary .vtk)        %8.1f ms  (baseline; min %.1f)\n",
    1e3 * Median(bareVtk),
    1e3 * Min(bareVtk));
  std::printf("  bare vtkDataSetReader, last output kept     %8.1f ms  %.2fx (min %.1f, %.2fx)\n",
    1e3 * Median(keptVtk),
    Median(keptVtk) / Median(bareVtk),
    1e3 * Min(keptVtk),
    Min(keptVtk) / Min(bareVtk));
  std::printf("  vFileReader::Read (.vtk)                   %8.1f ms  %.2fx (min %.1f, %.2fx)\n",
    1e3 * Median(readerVtk),
    Median(readerVtk) / Median(bareVtk),
    1e3 * Min(readerVtk),
    Min(readerVtk) / Min(bareVtk));
  std::printf("  minor page faults per .vtk read: bare %ld, kept %ld, vFileReader %ld\n",
    faults[0] / (3 * repeat),
    faults[1] / (3 * repeat),
    faults[2] / (3 * repeat));
  std::printf("  in loops of their own: bare %.1f ms (min %.1f), vFileReader %.1f ms (min %.1f), "
              "%.2fx\n",
    1e3 * Median(bareAlone),
    1e3 * Min(bareAlone),
    1e3 * Median(readerAlone),
    1e3 * Min(readerAlone),
    Median(readerAlone) / Median(bareAlone));
  std::printf("  bare vtkOBJReader                          %8.1f ms  (baseline; min %.1f)\n",
    1e3 * Median(bareObj),
    1e3 * Min(bareObj));
  std::printf("  vFileReader::Read (.obj)                   %8.1f ms  %.2fx (min %.1f, %.2fx)\n",
    1e3 * Median(readerObj),
    Median(readerObj) / Median(bareObj),
    1e3 * Min(readerObj),
    Min(readerObj) / Min(bareObj));
  std::remove(vtkPath.c_str());
  std::remove(objPath.c_str());
}
} // namespace

int main(int argc, char** argv)
{
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
  int slices = 300;
  int triangles = 1000000;
  int repeat = 5;
  for (int i = 1; i + 1 < argc; i += 2)
  {
    if (std::strcmp(argv[i], "--folder") == 0)
    {
      folder = argv[i + 1];
    }
    else if (std::strcmp(argv[i], "--slices") == 0)
    {
      slices = std::max(1, std::atoi(argv[i + 1]));
    }
    else if (std::strcmp(argv[i], "--triangles") == 0)
    {
      triangles = std::max(2, std::atoi(argv[i + 1]));
    }
    else if (std::strcmp(argv[i], "--repeat") == 0)
    {
      repeat = std::max(1, std::atoi(argv[i + 1]));
    }
  }
  if (!vInstallation::IsFolder(folder))
  {
    std::fprintf(stderr, "no folder %s\n", folder.c_str());
    return 1;
  }
  BenchQV(folder, slices, repeat);
  BenchModels(folder, triangles, repeat);
  return 0;
}
