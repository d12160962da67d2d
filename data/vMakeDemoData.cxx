// Makes the bundled demo data in a folder: a small QV volume (a head-like phantom), a surface
// model and a small point set. Run at build time, so no binary data lives in the source tree.
#include <vtkCellArray.h>
#include <vtkNew.h>
#include <vtkParametricFunctionSource.h>
#include <vtkParametricTorus.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkTriangleFilter.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
void PutInt(std::vector<unsigned char>& bytes, size_t offset, int32_t value)
{
  const uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i)
  {
    bytes[offset + i] = static_cast<unsigned char>((v >> (8 * i)) & 0xff);
  }
}

void PutDouble(std::vector<unsigned char>& bytes, size_t offset, double value)
{
  uint64_t v = 0;
  std::memcpy(&v, &value, sizeof(v));
  for (int i = 0; i < 8; ++i)
  {
    bytes[offset + i] = static_cast<unsigned char>((v >> (8 * i)) & 0xff);
  }
}

bool WriteVolume(const std::string& path)
{
  const int n = 48;
  std::vector<unsigned char> bytes(8192 + static_cast<size_t>(n) * n * n * 4, 0);
  const unsigned char signature[6] = { 0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D };
  std::memcpy(bytes.data(), signature, 6);
  PutInt(bytes, 6, 8192); // header word
  PutInt(bytes, 10, 1);   // file type
  PutInt(bytes, 14, n);
  PutInt(bytes, 18, n);
  PutInt(bytes, 22, n);
  PutDouble(bytes, 26, 1.0);
  PutDouble(bytes, 34, 1.0);
  PutDouble(bytes, 42, 1.5);
  PutInt(bytes, 50, 32);
  size_t offset = 8192;
  const double c = (n - 1) / 2.0;
  for (int z = 0; z < n; ++z)
  {
    for (int y = 0; y < n; ++y)
    {
      for (int x = 0; x < n; ++x)
      {
        const double dx = (x - c) / 20.0, dy = (y - c) / 17.0, dz = (z - c) / 19.0;
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        int32_t value = 0;
        if (r < 1.0)
        {
          value = r > 0.85 ? 1800 : 600; // a bright shell around soft tissue
        }
        const double ex = (x - c - 6) / 5.0, ey = (y - c) / 7.0, ez = (z - c - 4) / 5.0;
        if (ex * ex + ey * ey + ez * ez < 1.0)
        {
          value = 2400; // a dense inclusion
        }
        PutInt(bytes, offset, value);
        offset += 4;
      }
    }
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
  {
    return false;
  }
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

bool WritePolyData(vtkPolyData* data, const std::string& path)
{
  vtkNew<vtkPolyDataWriter> writer;
  writer->SetInputData(data);
  writer->SetFileName(path.c_str());
  writer->SetFileTypeToBinary();
  return writer->Write() == 1;
}
} // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: vMakeDemoData FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];

  vtkNew<vtkParametricTorus> torus;
  torus->SetRingRadius(20.0);
  torus->SetCrossSectionRadius(6.0);
  vtkNew<vtkParametricFunctionSource> source;
  source->SetParametricFunction(torus);
  source->SetUResolution(48);
  source->SetVResolution(24);
  vtkNew<vtkTriangleFilter> triangles;
  triangles->SetInputConnection(source->GetOutputPort());
  triangles->Update();

  vtkNew<vtkPoints> points;
  const double marks[6][3] = {
    { 26, 0, 0 }, { -26, 0, 0 }, { 0, 26, 0 }, { 0, -26, 0 }, { 0, 0, 8 }, { 0, 0, -8 }
  };
  vtkNew<vtkCellArray> vertices;
  for (const auto& p : marks)
  {
    const vtkIdType id = points->InsertNextPoint(p);
    vertices->InsertNextCell(1, &id);
  }
  vtkNew<vtkPolyData> landmarks;
  landmarks->SetPoints(points);
  landmarks->SetVerts(vertices);

  const bool ok = WriteVolume(folder + "/head.qv") &&
    WritePolyData(triangles->GetOutput(), folder + "/ring.vtk") &&
    WritePolyData(landmarks, folder + "/marks.vtk");
  if (!ok)
  {
    std::fprintf(stderr, "vMakeDemoData: could not write the demo data in %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
