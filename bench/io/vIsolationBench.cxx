// The cost of reading foreign formats in the read helper (vReadIsolation), against the bare VTK
// reader in this process, in the same run.
//
//   vIsolationBench [--folder DIR] [--repeat N] [--fresh-memory] [--through-file]
//                   [--only nifti|ply]
//
// NIfTI: a 512 x 512 x 600 volume of 16-bit voxels (300 MiB), read by the file reader (the NIfTI
//   plug-in in the read helper, the voxels mapped back from shared memory) against a bare
//   vtkNIFTIImageReader update.
// PLY: binary models of 1,002,528 triangles read by the file reader (the PLY plug-in in the
//   helper) against a bare vtkPLYReader update: one of points alone and one with normals and a
//   confidence value per vertex (which VTK's reader skips), both turned into a model by the
//   plug-in itself, and one with normals and "diffuse" colours, which it hands to VTK's reader.
//   Each is also read by the plug-in called in this process, without the helper: the ratio to
//   that is what the isolation alone costs.
// Every figure is the median of the repeats, in CPU time of this process and of its children
// (the helper's work counts), and in wall time; the two outputs are compared value by value
// (voxels; points and every cell's ids). The page cache is warmed first. The files are
// made in DIR (default: $TMPDIR or /tmp) and removed at the end. The goal: at most 1.3 times the
// bare reader. With --fresh-memory, blocks of 1 MiB or more come from the system at each read (a
// fixed mmap threshold) in this process too, as they do in the helper: without it, the C library
// hands the bare reader the pages of its previous repeat, already mapped. With --through-file,
// arrays under 64 MiB come back through the shared file, as they do where this process may not
// read the helper's memory.
#include "vFileReader.h"
#include "vReadIsolation.h"

#include <vtkIdList.h>
#include <vtkImageData.h>
#include <vtkNIFTIImageReader.h>
#include <vtkNIFTIImageWriter.h>
#include <vtkNew.h>
#include <vtkPLYReader.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace
{
struct vTiming
{
  double Cpu = 0;
  double Wall = 0;
};

double CpuSeconds()
{
  rusage self;
  rusage children;
  getrusage(RUSAGE_SELF, &self);
  getrusage(RUSAGE_CHILDREN, &children);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + 1e-6 * double(t.tv_usec); };
  return seconds(self.ru_utime) + seconds(self.ru_stime) + seconds(children.ru_utime) +
    seconds(children.ru_stime);
}

vTiming Time(const std::function<void()>& work)
{
  const double cpu = CpuSeconds();
  const auto wall = std::chrono::steady_clock::now();
  work();
  vTiming timing;
  timing.Cpu = CpuSeconds() - cpu;
  timing.Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
  return timing;
}

double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

/** Times `bare` and `isolated` alternately `repeat` times and prints the medians and ratios. */
bool Compare(const std::string& what,
  const char* baseline,
  const char* note,
  int repeat,
  const std::function<bool()>& bare,
  const std::function<bool()>& isolated)
{
  std::vector<double> bareCpu;
  std::vector<double> bareWall;
  std::vector<double> isolatedCpu;
  std::vector<double> isolatedWall;
  bool ok = bare() && isolated(); // warms the page cache and the libraries
  for (int i = 0; i < repeat && ok; ++i)
  {
    vTiming timing = Time([&]() { ok = bare() && ok; });
    bareCpu.push_back(timing.Cpu);
    bareWall.push_back(timing.Wall);
    timing = Time([&]() { ok = isolated() && ok; });
    isolatedCpu.push_back(timing.Cpu);
    isolatedWall.push_back(timing.Wall);
  }
  if (!ok)
  {
    std::printf("%s: a read failed\n", what.c_str());
    return false;
  }
  const double cpuRatio = Median(isolatedCpu) / Median(bareCpu);
  const double wallRatio = Median(isolatedWall) / Median(bareWall);
  std::printf("%s\n  %-17s cpu %.3f s   wall %.3f s\n"
              "  isolated read     cpu %.3f s   wall %.3f s\n"
              "  ratio             cpu %.2f     wall %.2f   (%s)\n",
    what.c_str(),
    baseline,
    Median(bareCpu),
    Median(bareWall),
    Median(isolatedCpu),
    Median(isolatedWall),
    cpuRatio,
    wallRatio,
    note);
  return true;
}

/** True when both volumes have the same extent and the same voxels. */
bool SameVolume(vtkImageData* a, vtkImageData* b)
{
  if (!a || !b || !a->GetPointData()->GetScalars() || !b->GetPointData()->GetScalars())
  {
    return false;
  }
  int ea[6];
  int eb[6];
  a->GetExtent(ea);
  b->GetExtent(eb);
  vtkDataArray* va = a->GetPointData()->GetScalars();
  vtkDataArray* vb = b->GetPointData()->GetScalars();
  const std::size_t bytes =
    std::size_t(va->GetNumberOfValues()) * std::size_t(va->GetDataTypeSize());
  return std::equal(ea, ea + 6, eb) && va->GetDataType() == vb->GetDataType() &&
    va->GetNumberOfValues() == vb->GetNumberOfValues() &&
    std::memcmp(va->GetVoidPointer(0), vb->GetVoidPointer(0), bytes) == 0;
}

/** True when both models have the same points and the same cells, id by id. */
bool SameModel(vtkPolyData* a, vtkPolyData* b)
{
  if (!a || !b || a->GetNumberOfPoints() != b->GetNumberOfPoints() ||
    a->GetNumberOfCells() != b->GetNumberOfCells() ||
    a->GetNumberOfPolys() != b->GetNumberOfPolys())
  {
    return false;
  }
  for (vtkIdType i = 0; i < a->GetNumberOfPoints(); ++i)
  {
    double pa[3];
    double pb[3];
    a->GetPoint(i, pa);
    b->GetPoint(i, pb);
    if (!std::equal(pa, pa + 3, pb))
    {
      return false;
    }
  }
  vtkDataArray* na = a->GetPointData()->GetNormals();
  vtkDataArray* nb = b->GetPointData()->GetNormals();
  if (!na != !nb || (na && na->GetNumberOfValues() != nb->GetNumberOfValues()))
  {
    return false;
  }
  for (vtkIdType i = 0; na && i < na->GetNumberOfValues(); ++i)
  {
    if (na->GetVariantValue(i) != nb->GetVariantValue(i))
    {
      return false;
    }
  }
  vtkNew<vtkIdList> ia;
  vtkNew<vtkIdList> ib;
  for (vtkIdType i = 0; i < a->GetNumberOfCells(); ++i)
  {
    a->GetCellPoints(i, ia);
    b->GetCellPoints(i, ib);
    if (ia->GetNumberOfIds() != ib->GetNumberOfIds() ||
      !std::equal(ia->begin(), ia->end(), ib->begin()))
    {
      return false;
    }
  }
  return true;
}

bool WriteNifti(const std::string& path)
{
  auto volume = vtkSmartPointer<vtkImageData>::New();
  volume->SetDimensions(512, 512, 600);
  volume->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
  auto* voxels = static_cast<std::uint16_t*>(volume->GetScalarPointer());
  const std::size_t count = std::size_t(512) * 512 * 600;
  for (std::size_t i = 0; i < count; ++i)
  {
    voxels[i] = static_cast<std::uint16_t>(i * 2654435761u >> 20);
  }
  vtkNew<vtkNIFTIImageWriter> writer;
  writer->SetInputData(volume);
  writer->SetFileName(path.c_str());
  writer->Write();
  return writer->GetErrorCode() == 0;
}

/** What the vertices of a generated PLY model hold besides x, y and z. */
enum class vPlyExtra
{
  None,
  NormalsAndConfidence, // a property VTK's reader skips
  NormalsAndDiffuse     // colours under names only VTK's reader reads
};

/** A binary PLY grid of n x n vertices, two triangles a square. */
bool WritePly(const std::string& path, int n, vPlyExtra extra)
{
  std::ofstream out(path, std::ios::binary);
  const long long faces = 2LL * (n - 1) * (n - 1);
  out << "ply\nformat binary_little_endian 1.0\ncomment a grid\nelement vertex " << n * n
      << "\nproperty float x\nproperty float y\nproperty float z\n"
      << (extra != vPlyExtra::None ? "property float nx\nproperty float ny\nproperty float nz\n"
                                   : "")
      << (extra == vPlyExtra::NormalsAndConfidence ? "property float confidence\n" : "")
      << (extra == vPlyExtra::NormalsAndDiffuse
             ? "property uchar diffuse_red\nproperty uchar diffuse_green\nproperty uchar "
               "diffuse_blue\n"
             : "")
      << "element face " << faces << "\nproperty list uchar int vertex_indices\nend_header\n";
  for (int y = 0; y < n; ++y)
  {
    for (int x = 0; x < n; ++x)
    {
      const float point[7] = {
        float(x), float(y), float((x * 7 + y * 13) % 5), 0.f, 0.6f, 0.8f, 0.5f
      };
      const std::size_t floats = extra == vPlyExtra::None ? 3
        : extra == vPlyExtra::NormalsAndConfidence        ? 7
                                                          : 6;
      out.write(reinterpret_cast<const char*>(point), floats * sizeof(float));
      if (extra == vPlyExtra::NormalsAndDiffuse)
      {
        const unsigned char colour[3] = {
          static_cast<unsigned char>(x), 128, static_cast<unsigned char>(y)
        };
        out.write(reinterpret_cast<const char*>(colour), sizeof(colour));
      }
    }
  }
  for (int y = 0; y + 1 < n; ++y)
  {
    for (int x = 0; x + 1 < n; ++x)
    {
      const int a = y * n + x;
      const int triangles[2][3] = { { a, a + 1, a + n }, { a + 1, a + n + 1, a + n } };
      for (const auto& triangle : triangles)
      {
        out.put(3);
        out.write(reinterpret_cast<const char*>(triangle), sizeof(triangle));
      }
    }
  }
  return bool(out);
}

/** The PLY reader plug-in beside this program, loaded into this process; null when missing. */
vtkDataSet* (*PlyPluginRead())(const char*)
{
  char self[4096];
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (length <= 0)
  {
    return nullptr;
  }
  std::string path(self, static_cast<std::size_t>(length));
  path = path.substr(0, path.rfind('/')) + "/Soft/vReaderPLY.so";
  void* plugin = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  return plugin ? reinterpret_cast<vtkDataSet* (*)(const char*)>(::dlsym(plugin, "Read")) : nullptr;
}
} // namespace

int main(int argc, char** argv)
{
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
  int repeat = 5;
  std::string only;
  for (int i = 1; i < argc; ++i)
  {
    if (std::strcmp(argv[i], "--fresh-memory") == 0)
    {
      // Every large block from the system, as a read in a long-running program mostly gets it:
      // otherwise the C library keeps the blocks of the previous repeat for the next, and only
      // the bare reader in this process gains from that.
      mallopt(M_MMAP_THRESHOLD, 1 << 20);
    }
    if (std::strcmp(argv[i], "--through-file") == 0)
    {
      vReadIsolation::SetRemoteCopy(false);
    }
  }
  for (int i = 1; i + 1 < argc; i += 2)
  {
    if (std::strcmp(argv[i], "--folder") == 0)
    {
      folder = argv[i + 1];
    }
    else if (std::strcmp(argv[i], "--repeat") == 0)
    {
      repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    else if (std::strcmp(argv[i], "--only") == 0)
    {
      only = argv[i + 1];
    }
  }
  const std::string nifti = folder + "/vIsolationBench.nii";
  const std::string plain = folder + "/vIsolationBench.ply";
  const std::string normals = folder + "/vIsolationBench-normals.ply";
  const std::string diffuse = folder + "/vIsolationBench-diffuse.ply";
  if (!WriteNifti(nifti) || !WritePly(plain, 709, vPlyExtra::None) ||
    !WritePly(normals, 709, vPlyExtra::NormalsAndConfidence) ||
    !WritePly(diffuse, 709, vPlyExtra::NormalsAndDiffuse))
  {
    std::printf("cannot write the files into %s\n", folder.c_str());
    return 1;
  }
  vFileReader reader;
  vtkSmartPointer<vtkDataSet> bareOutput; // the last outputs, compared after the timings
  bool ok = only == "ply" ||
    Compare(
      "NIfTI, 512 x 512 x 600 x 16 bits (300 MiB)",
      "bare VTK reader",
      "goal at most 1.3",
      repeat,
      [&]()
      {
        vtkNew<vtkNIFTIImageReader> bare;
        bare->SetFileName(nifti.c_str());
        bare->Update();
        auto image = vtkSmartPointer<vtkImageData>::New();
        image->ShallowCopy(bare->GetOutput());
        bareOutput = image;
        return image->GetNumberOfPoints() == 512LL * 512 * 600;
      },
      [&]()
      {
        reader.SetFilename(nifti);
        return reader.Read() == 1 && reader.GetOutput()->GetNumberOfPoints() == 512LL * 512 * 600;
      });
  if (ok && only != "ply" &&
    !SameVolume(
      vtkImageData::SafeDownCast(bareOutput), vtkImageData::SafeDownCast(reader.GetOutput())))
  {
    std::printf("NIfTI: the isolated read's voxels differ from the bare reader's\n");
    ok = false;
  }
  bareOutput = nullptr;
  auto* pluginRead = PlyPluginRead();
  for (const std::string& ply : { plain, normals, diffuse })
  {
    if (only == "nifti")
    {
      break;
    }
    const std::string what = std::string("PLY, binary, 1,002,528 triangles") +
      (ply == plain        ? ", points alone"
          : ply == normals ? ", points, normals and confidence"
                           : ", points, normals and diffuse colours (VTK's reader)");
    auto isolated = [&]()
    {
      reader.SetFilename(ply);
      return reader.Read() == 1 && reader.GetOutput()->GetNumberOfCells() == 1002528;
    };
    ok = Compare(
           what,
           "bare VTK reader",
           "goal at most 1.3",
           repeat,
           [&]()
           {
             vtkNew<vtkPLYReader> bare;
             bare->SetFileName(ply.c_str());
             bare->Update();
             auto model = vtkSmartPointer<vtkPolyData>::New();
             model->ShallowCopy(bare->GetOutput());
             bareOutput = model;
             return model->GetNumberOfCells() == 1002528;
           },
           isolated) &&
      ok;
    if (ok &&
      !SameModel(
        vtkPolyData::SafeDownCast(bareOutput), vtkPolyData::SafeDownCast(reader.GetOutput())))
    {
      std::printf("%s: the isolated read differs from the bare reader's\n", what.c_str());
      ok = false;
    }
    vtkSmartPointer<vtkDataSet> inProcess;
    ok = pluginRead &&
      Compare(
        what + ", against the plug-in in this process",
        "plug-in here",
        "the isolation alone",
        repeat,
        [&]()
        {
          inProcess = vtkSmartPointer<vtkDataSet>::Take(pluginRead(ply.c_str()));
          return inProcess && inProcess->GetNumberOfCells() == 1002528;
        },
        isolated) &&
      ok;
    if (ok &&
      !SameModel(
        vtkPolyData::SafeDownCast(inProcess), vtkPolyData::SafeDownCast(reader.GetOutput())))
    {
      std::printf("%s: the isolated read differs from the plug-in's\n", what.c_str());
      ok = false;
    }
  }
  std::remove(normals.c_str());
  std::remove(diffuse.c_str());
  std::remove(plain.c_str());
  std::remove(nifti.c_str());
  return ok ? 0 : 1;
}
