// Read timings of the IO library against the bare reads of the same bytes, in the same run.
//
//   vIOBench [--folder DIR] [--slices N] [--triangles N] [--repeat N]
//
// QV: a 512 x 512 x N volume (N = 300: 300 MiB of voxels) read by the file reader, against the
//   same read it makes (one read() of the voxel bytes into a fresh 2 MiB-aligned buffer with
//   transparent huge pages: the baseline), and for reference into a fresh page-aligned buffer
//   (4 KiB pages) and a malloc block. Also the peak memory of a read above the memory in use
//   before it (VmHWM, reset through /proc/self/clear_refs). The voxels read must equal the
//   baseline's.
// Models: a binary .vtk and an .obj of about 1,000,000 triangles, read by the file reader against
//   bare vtkDataSetReader / vtkOBJReader updates, and the .obj also by tinyobjloader (turned into
//   the same poly data) when it is installed. The file reader is used as the engine uses it: each
//   output is taken over and released. Points and cells must equal the bare reader's.
// Files are made in DIR (default: $TMPDIR or /tmp) and removed at the end. Every figure is the
// median of the repeats in CPU time; the page cache is warmed first, so disk speed does not
// enter.
#include "vFileReader.h"
#include "vQVFile.h"

#include "vInstallation.h"

#include <vtkCellArray.h>
#include <vtkDataArray.h>
#include <vtkFloatArray.h>
#include <vtkIdTypeArray.h>
#include <vtkPointData.h>
#include <vtkPoints.h>

#include <vtkDataSetReader.h>
#include <vtkImageData.h>
#include <vtkNew.h>
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

#ifdef VEMORA_HAVE_TINYOBJLOADER
#include <tiny_obj_loader.h>
#endif

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
  bool same = true;
  const size_t huge = size_t(2) << 20;
  const size_t rounded = (bytes + huge - 1) / huge * huge;
  for (int r = 0; r < repeat; ++r)
  {
    // Each read's memory comes partly from what the one before freed: the two take turns
    // at going first.
    bool baselineSame = true;
    auto baselineRead = [&]
    {
      hugeAligned.push_back(Seconds(
        [&]
        {
          void* buffer = std::aligned_alloc(huge, rounded);
          ::madvise(buffer, rounded, MADV_HUGEPAGE);
          ReadInto(path, buffer, bytes, vQVFile::HeaderSize);
          baselineSame = static_cast<uint32_t*>(buffer)[count - 1] == (count - 1) % 4096;
          std::free(buffer);
        }));
    };
    auto fileRead = [&]
    {
      {
        vFileReader fileReader; // the plug-in scan stays out of the timing
        fileReader.SetFilename(path);
        ResetPeak();
        const long before = StatusKiB("VmRSS:");
        vtkSmartPointer<vtkDataSet> output;
        reader.push_back(Seconds(
          [&]
          {
            if (!fileReader.Read())
            {
              std::fprintf(stderr, "QV read failed: %s\n", fileReader.GetErrorMessage().c_str());
              std::exit(1);
            }
            output = fileReader.TakeOutput();
          }));
        peakKiB = std::max(peakKiB, StatusKiB("VmHWM:") - before);
        // Both reads hold the voxels the file was written with.
        auto* image = vtkImageData::SafeDownCast(output);
        const auto* voxels =
          image ? static_cast<const uint32_t*>(image->GetScalarPointer()) : nullptr;
        for (size_t i = 0; voxels && i < count && same; i += 997)
        {
          same = voxels[i] == i % 4096;
        }
        same = same && voxels && voxels[count - 1] == (count - 1) % 4096 && baselineSame;
      }
    };
    if (r % 2 == 0)
    {
      baselineRead();
      fileRead();
    }
    else
    {
      fileRead();
      baselineRead();
    }
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
    mallocd.push_back(Seconds(
      [&]
      {
        void* buffer = std::malloc(bytes); // glibc: 16 bytes past a page boundary
        ReadInto(path, buffer, bytes, vQVFile::HeaderSize);
        std::free(buffer);
      }));
  }
  const double base = Median(hugeAligned);
  std::printf(
    "QV 512 x 512 x %d (%.0f MiB of voxels), median of %d:\n", slices, bytes / 1048576.0, repeat);
  std::printf(
    "  read() into fresh 2 MiB + THP buffer       %8.1f ms  (baseline: the reader's read)\n",
    1e3 * base);
  std::printf(
    "  vFileReader::Read                          %8.1f ms  %.2fx (min %.2fx); same voxels: %s\n",
    1e3 * Median(reader),
    Median(reader) / base,
    Min(reader) / Min(hugeAligned),
    same ? "yes" : "NO");
  std::printf("  read() into fresh page-aligned buffer      %8.1f ms  %.2fx\n",
    1e3 * Median(pageAligned),
    Median(pageAligned) / base);
  std::printf("  read() into fresh malloc buffer            %8.1f ms  %.2fx\n",
    1e3 * Median(mallocd),
    Median(mallocd) / base);
  std::printf("  peak memory above the start of the read    %8.1f MiB = %.3f N\n",
    peakKiB / 1024.0,
    peakKiB * 1024.0 / bytes);
  std::remove(path.c_str());
}

/** True when two models have the same points (coordinates as stored) and the same polygons. */
bool SameModel(vtkPolyData* a, vtkPolyData* b)
{
  if (!a || !b || !a->GetPoints() || !b->GetPoints() ||
    a->GetNumberOfPoints() != b->GetNumberOfPoints() ||
    a->GetNumberOfPolys() != b->GetNumberOfPolys())
  {
    return false;
  }
  vtkDataArray* pa = a->GetPoints()->GetData();
  vtkDataArray* pb = b->GetPoints()->GetData();
  for (vtkIdType i = 0; i < pa->GetNumberOfValues(); ++i)
  {
    if (pa->GetComponent(i / 3, i % 3) != pb->GetComponent(i / 3, i % 3))
    {
      return false;
    }
  }
  vtkIdType na = 0;
  vtkIdType nb = 0;
  const vtkIdType* ia = nullptr;
  const vtkIdType* ib = nullptr;
  for (vtkIdType c = 0; c < a->GetNumberOfPolys(); ++c)
  {
    a->GetPolys()->GetCellAtId(c, na, ia);
    b->GetPolys()->GetCellAtId(c, nb, ib);
    if (na != nb || !std::equal(ia, ia + na, ib))
    {
      return false;
    }
  }
  return true;
}

vtkSmartPointer<vtkPolyData> BareRead(vtkAlgorithm* reader)
{
  reader->Update();
  auto model = vtkSmartPointer<vtkPolyData>::New();
  model->ShallowCopy(reader->GetOutputDataObject(0));
  return model;
}

#ifdef VEMORA_HAVE_TINYOBJLOADER
/** tinyobjloader's read of a file of vertices and faces, turned into VTK poly data. */
vtkSmartPointer<vtkPolyData> TinyObjRead(const std::string& path)
{
  tinyobj::attrib_t attrib;
  std::vector<tinyobj::shape_t> shapes;
  std::vector<tinyobj::material_t> materials;
  std::string warn;
  std::string err;
  if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, path.c_str(), nullptr, false))
  {
    return nullptr;
  }
  vtkNew<vtkFloatArray> coordinates;
  coordinates->SetNumberOfComponents(3);
  coordinates->SetNumberOfTuples(static_cast<vtkIdType>(attrib.vertices.size() / 3));
  std::copy(attrib.vertices.begin(), attrib.vertices.end(), coordinates->GetPointer(0));
  vtkNew<vtkIdTypeArray> offsets;
  vtkNew<vtkIdTypeArray> connectivity;
  vtkIdType corners = 0;
  vtkIdType faces = 0;
  for (const tinyobj::shape_t& shape : shapes)
  {
    corners += static_cast<vtkIdType>(shape.mesh.indices.size());
    faces += static_cast<vtkIdType>(shape.mesh.num_face_vertices.size());
  }
  offsets->SetNumberOfValues(faces + 1);
  connectivity->SetNumberOfValues(corners);
  vtkIdType face = 0;
  vtkIdType corner = 0;
  for (const tinyobj::shape_t& shape : shapes)
  {
    size_t k = 0;
    for (unsigned char count : shape.mesh.num_face_vertices)
    {
      offsets->SetValue(face++, corner);
      for (unsigned char j = 0; j < count; ++j)
      {
        connectivity->SetValue(corner++, shape.mesh.indices[k++].vertex_index);
      }
    }
  }
  offsets->SetValue(face, corner);
  vtkNew<vtkCellArray> polys;
  polys->SetData(offsets, connectivity);
  vtkNew<vtkPoints> points;
  points->SetData(coordinates);
  auto model = vtkSmartPointer<vtkPolyData>::New();
  model->SetPoints(points);
  model->SetPolys(polys);
  return model;
}
#endif

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

  // The file reader as the engine uses it: the output is taken over, then released.
  auto readTaken = [](vFileReader& fileReader, const std::string& path)
  {
    fileReader.SetFilename(path);
    if (!fileReader.Read())
    {
      std::fprintf(stderr, "read of %s failed\n", path.c_str());
      std::exit(1);
    }
    return vtkSmartPointer<vtkPolyData>(vtkPolyData::SafeDownCast(fileReader.TakeOutput()));
  };

  std::vector<double> bareVtk, readerVtk, bareObj, readerObj, tinyObj;
  long faults[2] = { 0, 0 };
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
    readerVtk.push_back(Seconds([&] { readTaken(fileReader, vtkPath); }));
    faults[1] += MinorFaults() - before;
  }
  // The same reads in loops of their own: what a program reading one model after another sees.
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
  for (int r = 0; r < 3 * repeat; ++r)
  {
    readerAlone.push_back(Seconds([&] { readTaken(fileReader, vtkPath); }));
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
    readerObj.push_back(Seconds([&] { readTaken(fileReader, objPath); }));
#ifdef VEMORA_HAVE_TINYOBJLOADER
    tinyObj.push_back(Seconds([&] { TinyObjRead(objPath); }));
#endif
  }

  // Outputs: the same points and triangles as the bare readers'.
  vtkNew<vtkDataSetReader> bareVtkReader;
  bareVtkReader->SetFileName(vtkPath.c_str());
  const bool sameVtk = SameModel(readTaken(fileReader, vtkPath), BareRead(bareVtkReader));
  vtkNew<vtkOBJReader> bareObjReader;
  bareObjReader->SetFileName(objPath.c_str());
  vtkSmartPointer<vtkPolyData> objByVtk = BareRead(bareObjReader);
  const bool sameObj = SameModel(readTaken(fileReader, objPath), objByVtk);

  std::printf("Models, %lld triangles, median of %d (.vtk) and %d (.obj):\n",
    static_cast<long long>(mesh->GetNumberOfPolys()),
    3 * repeat,
    repeat);
  std::printf("  bare vtkDataSetReader (binary .vtk)        %8.1f ms  (baseline; min %.1f)\n",
    1e3 * Median(bareVtk),
    1e3 * Min(bareVtk));
  std::printf("  vFileReader::Read (.vtk)                   %8.1f ms  %.2fx (min %.1f, %.2fx); "
              "same points and triangles: %s\n",
    1e3 * Median(readerVtk),
    Median(readerVtk) / Median(bareVtk),
    1e3 * Min(readerVtk),
    Min(readerVtk) / Min(bareVtk),
    sameVtk ? "yes" : "NO");
  std::printf("  minor page faults per .vtk read: bare %ld, vFileReader %ld\n",
    faults[0] / (3 * repeat),
    faults[1] / (3 * repeat));
  std::printf("  in loops of their own: bare %.1f ms (min %.1f), vFileReader %.1f ms (min %.1f), "
              "%.2fx (limit 1.0)\n",
    1e3 * Median(bareAlone),
    1e3 * Min(bareAlone),
    1e3 * Median(readerAlone),
    1e3 * Min(readerAlone),
    Median(readerAlone) / Median(bareAlone));
  std::printf("  bare vtkOBJReader                          %8.1f ms  (baseline; min %.1f)\n",
    1e3 * Median(bareObj),
    1e3 * Min(bareObj));
  std::printf("  vFileReader::Read (.obj)                   %8.1f ms  %.2fx, %.1f times faster "
              "(limit 5); same points and triangles: %s\n",
    1e3 * Median(readerObj),
    Median(readerObj) / Median(bareObj),
    Median(bareObj) / Median(readerObj),
    sameObj ? "yes" : "NO");
#ifdef VEMORA_HAVE_TINYOBJLOADER
  vtkSmartPointer<vtkPolyData> tiny = TinyObjRead(objPath);
  std::printf("  tinyobjloader + poly data (.obj)           %8.1f ms  %.2fx, %.1f times faster; "
              "same points and triangles: %s\n",
    1e3 * Median(tinyObj),
    Median(tinyObj) / Median(bareObj),
    Median(bareObj) / Median(tinyObj),
    SameModel(tiny, objByVtk) ? "yes" : "NO");
#else
  std::printf("  tinyobjloader: not installed (libtinyobjloader-dev), not compared\n");
#endif
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
