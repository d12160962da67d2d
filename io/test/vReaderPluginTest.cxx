#include "vFileReader.h"

#include "vTempHome.h"
#include "vUserPrompt.h"
#include "vVtkOutputCapture.h"

#include <vtkCellData.h>
#include <vtkIdList.h>
#include <vtkImageData.h>
#include <vtkMetaImageWriter.h>
#include <vtkNIFTIImageWriter.h>
#include <vtkPLYReader.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
const char* const Plugins[] = { "vReaderMHA.so",
  "vReaderMHD.so",
  "vReaderNIfTI.so",
  "vReaderNRRD.so",
  "vReaderPLY.so",
  "vReaderSTL.so" };

/** Copies the built reader plug-ins into the temporary installation's Soft folder. */
void InstallPlugins(const vTempHome& home)
{
  for (const char* plugin : Plugins)
  {
    home.CopyFile(std::string(VEMORA_BIN_DIR) + "/Soft/" + plugin, std::string("Soft/") + plugin);
  }
}

std::string TestPlugin(const std::string& name)
{
  return std::string(VEMORA_IO_TEST_PLUGIN_DIR) + "/" + name + ".so";
}

/** A 12 x 3 x 2 volume of unsigned shorts whose voxel i holds 10 i. */
vtkSmartPointer<vtkImageData> MakeVolume()
{
  auto image = vtkSmartPointer<vtkImageData>::New();
  image->SetDimensions(12, 3, 2);
  image->SetSpacing(0.5, 1.5, 2.5);
  image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
  auto* values = static_cast<unsigned short*>(image->GetScalarPointer());
  for (int i = 0; i < 72; ++i)
  {
    values[i] = static_cast<unsigned short>(10 * i);
  }
  return image;
}

void ExpectVolume(vFileReader& reader, const std::string& path)
{
  reader.SetFilename(path);
  ASSERT_EQ(1, reader.Read()) << path;
  EXPECT_EQ(vFileReader::ImageVolume, reader.GetOutputType()) << path;
  auto* image = vtkImageData::SafeDownCast(reader.GetOutput());
  ASSERT_NE(nullptr, image) << path;
  int dims[3];
  image->GetDimensions(dims);
  EXPECT_EQ(12, dims[0]) << path;
  EXPECT_EQ(3, dims[1]) << path;
  EXPECT_EQ(2, dims[2]) << path;
  EXPECT_NEAR(2.5, image->GetSpacing()[2], 1e-6) << path;
  EXPECT_EQ(710.0, image->GetScalarComponentAsDouble(11, 2, 1, 0)) << path;
  EXPECT_EQ(130.0, image->GetScalarComponentAsDouble(1, 1, 0, 0)) << path;
}
} // namespace

TEST(ReaderPlugins, RegisterAfterTheBuiltInFormatsInFileNameOrder)
{
  vTempHome home;
  InstallPlugins(home);
  vFileReader reader;
  ASSERT_EQ(11, reader.GetNumberOfSupportedFileFormat());
  EXPECT_EQ(5, reader.GetNumberOfInternallySupportedFileFormat());
  const char* ext[] = { "mha", "mhd", "nii", "nrrd", "ply", "stl" };
  const int type[] = { 8192, 8192, 8192, 8192, 4096, 4096 };
  for (int i = 0; i < 6; ++i)
  {
    EXPECT_EQ(ext[i], reader.GetSupportedFileExt(5 + i));
    EXPECT_EQ(type[i], reader.GetFileType(5 + i));
    EXPECT_EQ(home.Sub(std::string("Soft/") + Plugins[i]), reader.GetFileSupportLib(i));
    EXPECT_EQ(i, reader.isFileSupportedExternally(ext[i]));
  }
  EXPECT_EQ("STL Reader", reader.GetDSCName(10));
  EXPECT_EQ("Stereolithography", reader.GetSupportedFileDesc(10));
  EXPECT_EQ("1.0.0.0", reader.GetDSCVer(10));
  EXPECT_EQ("", reader.GetFileSupportLib(6));
  EXPECT_TRUE(vGetDefaultUserPrompt()->GetTexts().empty());
}

TEST(ReaderPlugins, ReadModelsAndVolumes)
{
  vTempHome home;
  InstallPlugins(home);
  vFileReader reader;

  reader.SetFilename(vTestData("mesh/stl/42400-IDGH.stl"));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());
  EXPECT_EQ(5500, reader.GetOutput()->GetNumberOfPoints());
  EXPECT_EQ(11036, vtkPolyData::SafeDownCast(reader.GetOutput())->GetNumberOfPolys());

  reader.SetFilename(vTestData("mesh/ply/footbones.ply"));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(2154, reader.GetOutput()->GetNumberOfPoints());
  EXPECT_EQ(4204, vtkPolyData::SafeDownCast(reader.GetOutput())->GetNumberOfPolys());

  vtkSmartPointer<vtkImageData> volume = MakeVolume();
  vtkNew<vtkNIFTIImageWriter> nifti;
  nifti->SetInputData(volume);
  nifti->SetFileName(home.Sub("v.nii").c_str());
  nifti->Write();
  ExpectVolume(reader, home.Sub("v.nii"));

  for (const char* name : { "v.mha", "v.mhd" })
  {
    vtkNew<vtkMetaImageWriter> meta;
    meta->SetInputData(volume);
    meta->SetCompression(false);
    meta->SetFileName(home.Sub(name).c_str());
    meta->Write();
    ExpectVolume(reader, home.Sub(name));
  }

  // (VTK takes a first axis of 9 or fewer samples for vector components.)
  std::string nrrd = "NRRD0004\ntype: unsigned short\ndimension: 3\nsizes: 12 3 2\n"
                     "spacings: 0.5 1.5 2.5\nencoding: raw\nendian: little\n\n";
  auto* values = static_cast<unsigned short*>(volume->GetScalarPointer());
  nrrd.append(reinterpret_cast<const char*>(values), 72 * sizeof(unsigned short));
  ExpectVolume(reader, home.WriteFile("v.NRRD", nrrd));

  // Files a plug-in cannot read: no data set, no text, the previous output stays.
  vtkSmartPointer<vtkDataSet> previous = reader.GetOutput();
  for (const char* name : { "bad.nii", "bad.nrrd", "bad.mha", "bad.stl", "bad.ply" })
  {
    vExpectVtkMessages vtkMessages;
    reader.SetFilename(home.WriteFile(name, "this is not a volume or a model\n"));
    EXPECT_EQ(0, reader.Read()) << name;
    EXPECT_EQ("", reader.GetErrorMessage()) << name;
    EXPECT_EQ(previous.Get(), reader.GetOutput()) << name;
  }
}

TEST(ReaderPlugins, RefuseHeadersDeclaringMoreThanCanBeRead)
{
  vTempHome home;
  InstallPlugins(home);
  vFileReader reader;
  const std::pair<const char*, std::string> files[] = {
    { "huge.ply",
      "ply\nformat binary_little_endian 1.0\nelement vertex 2000000000\n"
      "property float x\nproperty float y\nproperty float z\nend_header\n" },
    { "huge.mha",
      "ObjectType = Image\nNDims = 3\nDimSize = 100000 100000 1000\n"
      "ElementType = MET_UCHAR\nElementDataFile = LOCAL\n" },
    { "huge.nrrd",
      "NRRD0004\ntype: unsigned char\ndimension: 3\nsizes: 100000 100000 1000\n"
      "encoding: raw\n\n" },
  };
  for (const auto& file : files)
  {
    vExpectVtkMessages vtkMessages;
    reader.SetFilename(home.WriteFile(file.first, file.second));
    EXPECT_EQ(0, reader.Read()) << file.first;
    EXPECT_EQ(nullptr, reader.GetOutput()) << file.first;
  }
}

TEST(ReaderPlugins, BrokenPluginsAreSkippedOrRefused)
{
  vTempHome home;
  home.CopyFile(TestPlugin("vTestReaderNoName"), "Soft/a_noname.so");
  home.WriteFile("Soft/b_notalibrary.so", "this is not a shared library");
  home.CopyFile(TestPlugin("vTestReaderWrongKind"), "Soft/c_wrongkind.so");
  home.CopyFile(std::string(VEMORA_BIN_DIR) + "/Soft/vReaderSTL.so", "Soft/d_stl.so");
  vFileReader reader;
  // The one missing an export is left out silently; the non-library is reported, the scan goes on.
  ASSERT_EQ(7, reader.GetNumberOfSupportedFileFormat());
  EXPECT_EQ("wkd", reader.GetSupportedFileExt(5));
  EXPECT_EQ("stl", reader.GetSupportedFileExt(6));
  EXPECT_EQ(
    std::vector<std::string>{ "Couldn't load module" }, vGetDefaultUserPrompt()->GetTexts());
  vGetDefaultUserPrompt()->Reset();

  // A model plug-in returning an image (or nothing) gives no data set and no text.
  reader.SetFilename(home.WriteFile("x.wkd", "x"));
  EXPECT_EQ(0, reader.Read());
  EXPECT_EQ("", reader.GetErrorMessage());
  reader.SetFilename(home.WriteFile("none.wkd", "x"));
  EXPECT_EQ(0, reader.Read());
  EXPECT_EQ(nullptr, reader.GetOutput());

  // A plug-in that can no longer be loaded when a file is read: reported, the read fails.
  ASSERT_EQ(0, std::remove(home.Sub("Soft/d_stl.so").c_str()));
  home.WriteFile("Soft/d_stl.so", "gone");
  reader.SetFilename(vTestData("mesh/stl/42400-IDGH.stl"));
  EXPECT_EQ(0, reader.Read());
  EXPECT_EQ(
    std::vector<std::string>{ "Couldn't load module" }, vGetDefaultUserPrompt()->GetTexts());
}

TEST(ReaderPlugins, TheRegistryHoldsAtMost128Formats)
{
  vTempHome home;
  for (int i = 0; i < 130; ++i)
  {
    char name[32];
    std::snprintf(name, sizeof(name), "Soft/p%03d.so", i);
    home.CopyFile(TestPlugin("vTestReaderWrongKind"), name);
  }
  vExpectVtkMessages refusals; // each refused plug-in is noted for developers
  vFileReader reader;
  EXPECT_EQ(vFileReader::MaxFormats, reader.GetNumberOfSupportedFileFormat());
  EXPECT_EQ(home.Sub("Soft/p122.so"), reader.GetFileSupportLib(122));
  EXPECT_EQ("", reader.GetFileSupportLib(123));
  EXPECT_TRUE(refusals.Contains("p129.so"));
}

TEST(ReaderPlugins, VoxelsAndTrianglesTheFilesDoNotHoldAreNeverShown)
{
  vTempHome home;
  InstallPlugins(home);
  vFileReader reader;
  vtkSmartPointer<vtkImageData> volume = MakeVolume();
  const std::string voxels(
    static_cast<const char*>(volume->GetScalarPointer()), 72 * sizeof(unsigned short));

  // Detached headers read their data file, relative to the header's folder.
  const std::string nrrdHeader = "NRRD0004\n# written by hand\ntype: ushort\ndimension: 3\n"
                                 "sizes: 12 3 2\nspacings: 0.5 1.5 2.5\nencoding: raw\n"
                                 "endian: little\ndata file: v.raw\n\n";
  const std::string mhdHeader = "ObjectType = Image\nNDims = 3\nBinaryData = True\n"
                                "BinaryDataByteOrderMSB = False\nElementSpacing = 0.5 1.5 2.5\n"
                                "DimSize = 12 3 2\nElementType = MET_USHORT\n"
                                "ElementDataFile = v.raw\n";
  home.WriteFile("data/v.raw", voxels);
  ExpectVolume(reader, home.WriteFile("data/v.nrrd", nrrdHeader));
  ExpectVolume(reader, home.WriteFile("data/v.mhd", mhdHeader));

  // Without their data file, or with too little in it, they are refused (VTK's readers hand back
  // a volume of whatever was in memory); so is the conversion tool.
  const std::string tool = std::string(VEMORA_BIN_DIR) + "/vqvwrite";
  for (const std::string& raw : { std::string(), voxels.substr(0, 100) })
  {
    if (raw.empty())
    {
      ASSERT_EQ(0, std::remove(home.Sub("data/v.raw").c_str()));
    }
    else
    {
      home.WriteFile("data/v.raw", raw);
    }
    for (const char* name : { "data/v.nrrd", "data/v.mhd" })
    {
      vExpectVtkMessages vtkMessages;
      reader.SetFilename(home.Sub(name));
      EXPECT_EQ(0, reader.Read()) << name << " with " << raw.size() << " bytes of data";
      EXPECT_NE(0,
        std::system((tool + " " + home.Sub("out.qv") + " --from " + home.Sub(name) + " 2>/dev/null")
                      .c_str()));
      EXPECT_TRUE(vReadFile(home.Sub("out.qv")).empty()) << "no volume is written";
    }
  }
  // Attached data that ends early, and more axes than VTK's reader handles (which crashed it).
  const std::pair<const char*, std::string> files[] = {
    { "short.nrrd",
      "NRRD0004\ntype: ushort\ndimension: 3\nsizes: 12 3 2\nencoding: raw\n\n" +
        voxels.substr(0, 140) },
    { "short.mha",
      "NDims = 3\nDimSize = 12 3 2\nElementType = MET_USHORT\nElementDataFile = LOCAL\n" +
        voxels.substr(0, 140) },
    { "five.nrrd",
      "NRRD0004\ntype: uchar\ndimension: 5\nsizes: 2 2 2 2 2\nencoding: raw\n\n" +
        voxels.substr(0, 32) },
    { "six.nrrd",
      "NRRD0004\ntype: uchar\ndimension: 6\nsizes: 3 2 2 2 2 2\nencoding: raw\n\n" +
        voxels.substr(0, 96) },
  };
  for (const auto& file : files)
  {
    vExpectVtkMessages vtkMessages;
    reader.SetFilename(home.WriteFile(file.first, file.second));
    EXPECT_EQ(0, reader.Read()) << file.first;
  }

  // A binary STL whose count claims about 4 billion triangles and that stores 2.
  std::string stl(80, ' ');
  stl.replace(0, 22, "binary stl from a tool");
  const unsigned char count[4] = { 0x00, 0x28, 0x6b, 0xee }; // 4,000,000,000
  stl.append(reinterpret_cast<const char*>(count), 4);
  const float triangle[12] = { 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0 };
  for (int i = 0; i < 2; ++i)
  {
    stl.append(reinterpret_cast<const char*>(triangle), sizeof(triangle));
    stl.append(2, '\0');
  }
  reader.SetFilename(home.WriteFile("claims.stl", stl));
  {
    vExpectVtkMessages vtkMessages;
    EXPECT_EQ(0, reader.Read());
  }
  // With the true count it reads (and a header starting with "solid" does not make it text).
  const unsigned char two[4] = { 2, 0, 0, 0 };
  stl.replace(0, 5, "solid");
  stl.replace(80, 4, reinterpret_cast<const char*>(two), 4);
  reader.SetFilename(home.WriteFile("two.stl", stl));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(3, reader.GetOutput()->GetNumberOfPoints());
}

TEST(ReaderPlugins, PlyFilesOfModellingToolsReadAndDamagedOnesAreRefused)
{
  vTempHome home;
  InstallPlugins(home);
  vFileReader reader;
  // As modelling tools write them: comments, object information, an element before the
  // vertices, normals, texture coordinates, colours, quads, and no newline after the last face
  // (VTK's reader crashed on the element and aborted on the last line).
  const std::string header = "ply\r\nformat ascii 1.0\r\ncomment Created by a modelling tool\r\n"
                             "obj_info num_cols 8\r\nelement material 1\r\n"
                             "property uchar ambient_red\r\nelement vertex 8\r\n"
                             "property float x\r\nproperty float y\r\nproperty float z\r\n"
                             "property float nx\r\nproperty float ny\r\nproperty float nz\r\n"
                             "property float s\r\nproperty float t\r\nproperty uchar red\r\n"
                             "property uchar green\r\nproperty uchar blue\r\n"
                             "property uchar alpha\r\nelement face 6\r\n"
                             "property list uchar uint vertex_indices\r\nend_header\r\n7\r\n";
  std::string vertices;
  for (int i = 0; i < 8; ++i)
  {
    const int x = i & 4 ? -1 : 1;
    const int y = i & 2 ? -1 : 1;
    const int z = i & 1 ? -1 : 1;
    vertices += std::to_string(x) + ".000000 " + std::to_string(y) + ".000000 " +
      std::to_string(z) + ".000000\t0.577350 0.577350 0.577350 0.625 0.5 " +
      std::to_string(30 * i) + " 0 255 255\r\n";
  }
  const std::string faces = "4 0 4 6 2\r\n4 3 2 6 7\r\n4 7 6 4 5\r\n4 5 1 3 7\r\n4 1 0 2 3\r\n"
                            "4 5 4 0 1";
  reader.SetFilename(home.WriteFile("cube.ply", header + vertices + faces));
  ASSERT_EQ(1, reader.Read());
  auto* cube = vtkPolyData::SafeDownCast(reader.GetOutput());
  ASSERT_NE(nullptr, cube);
  EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());
  EXPECT_EQ(8, cube->GetNumberOfPoints());
  EXPECT_EQ(6, cube->GetNumberOfPolys());
  EXPECT_DOUBLE_EQ(-1.0, cube->GetPoint(7)[2]);
  ASSERT_NE(nullptr, cube->GetPointData()->GetNormals());
  ASSERT_NE(nullptr, cube->GetPointData()->GetTCoords());
  ASSERT_NE(nullptr, cube->GetPointData()->GetScalars());
  EXPECT_EQ(210.0, cube->GetPointData()->GetScalars()->GetComponent(7, 0));

  // A negative count of a signed list count, and a face naming a vertex far past the list, in
  // text and in binary: refused (VTK's reader crashed on each).
  const std::string triangle = "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
                               "property float y\nproperty float z\nelement face 1\n"
                               "property list char int vertex_indices\nend_header\n"
                               "0 0 0\n1 0 0\n0 1 0\n";
  auto binary = [](signed char count, int last)
  {
    std::string file = "ply\nformat binary_little_endian 1.0\nelement vertex 3\n"
                       "property float x\nproperty float y\nproperty float z\nelement face 1\n"
                       "property list char int vertex_indices\nend_header\n";
    const float points[9] = { 0, 0, 0, 1, 0, 0, 0, 1, 0 };
    const int ids[3] = { 0, 1, last };
    file.append(reinterpret_cast<const char*>(points), sizeof(points));
    file.push_back(static_cast<char>(count));
    file.append(reinterpret_cast<const char*>(ids), sizeof(ids));
    return file;
  };
  reader.SetFilename(home.WriteFile("good.ply", binary(3, 2)));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(1, reader.GetOutput()->GetNumberOfCells());
  // A face of 300 vertices: VTK's reader keeps the count in one byte and made a 44-vertex
  // polygon of it.
  std::string longFace =
    "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\n"
    "property float y\nproperty float z\nelement face 1\n"
    "property list int int vertex_indices\nend_header\n0 0 0\n1 0 0\n0 1 0\n300";
  std::string longFaceBinary = "ply\nformat binary_little_endian 1.0\nelement vertex 3\n"
                               "property float x\nproperty float y\nproperty float z\n"
                               "element face 1\nproperty list int int vertex_indices\nend_header\n";
  const float corners[9] = { 0, 0, 0, 1, 0, 0, 0, 1, 0 };
  longFaceBinary.append(reinterpret_cast<const char*>(corners), sizeof(corners));
  const int longCount = 300;
  longFaceBinary.append(reinterpret_cast<const char*>(&longCount), sizeof(longCount));
  for (int i = 0; i < longCount; ++i)
  {
    const int id = i % 3;
    longFace += " " + std::to_string(id);
    longFaceBinary.append(reinterpret_cast<const char*>(&id), sizeof(id));
  }
  longFace += "\n";
  // Faces of fewer than 3 vertices: VTK cannot build such a model's cell map and crashes on the
  // first look at a cell (picking, most filters).
  std::string twoBinary = binary(3, 2);
  twoBinary[twoBinary.size() - 13] = 2;
  twoBinary.resize(twoBinary.size() - 4);
  const std::pair<const char*, std::string> damaged[] = {
    { "two.ply", triangle + "2 0 1\n" },
    { "none.ply", triangle + "0\n" },
    { "two-binary.ply", twoBinary },
    { "long-face.ply", longFace },
    { "long-face-binary.ply", longFaceBinary },
    { "negative.ply", triangle + "-5 0 1 2\n" },
    { "far.ply", triangle + "3 0 1 2000000000\n" },
    { "minus.ply", triangle + "3 0 -1 2\n" },
    { "short.ply", triangle + "3 0 1\n" },
    { "negative-binary.ply", binary(-5, 2) },
    { "far-binary.ply", binary(3, 2000000000) },
  };
  for (const auto& file : damaged)
  {
    vExpectVtkMessages vtkMessages;
    reader.SetFilename(home.WriteFile(file.first, file.second));
    EXPECT_EQ(0, reader.Read()) << file.first;
  }
}

TEST(ReaderPlugins, PlyElementsInAnyOrderRead)
{
  // VTK's reader reads the elements in the file's order and skips none: another element before
  // the vertices gave it wrong points; one between the vertices and the faces, or the faces
  // first, crashed it. Binary files in both byte orders, and text files.
  vTempHome home;
  InstallPlugins(home);
  vFileReader reader;
  const float points[12] = { 0, 0, 0, 2, 0, 0, 0, 3, 0, 1, 1, 4 };
  const int triangles[2][3] = { { 0, 1, 2 }, { 0, 2, 3 } };
  const std::map<std::string, std::string> headers = {
    { "vertex", "element vertex 4\nproperty float x\nproperty float y\nproperty float z\n" },
    { "face", "element face 2\nproperty list uchar int vertex_indices\n" },
    { "material", "element material 2\nproperty uchar ambient_red\nproperty float shininess\n" }
  };
  auto binary = [&](const std::vector<std::string>& order, bool big)
  {
    auto put = [big](std::string& body, const void* value, std::size_t size)
    {
      std::string bytes(static_cast<const char*>(value), size);
      if (big)
      {
        std::reverse(bytes.begin(), bytes.end());
      }
      body += bytes;
    };
    std::string file =
      std::string("ply\nformat ") + (big ? "binary_big_endian" : "binary_little_endian") + " 1.0\n";
    std::string body;
    for (const std::string& name : order)
    {
      file += headers.at(name);
      for (int i = 0; name == "vertex" && i < 12; ++i)
      {
        put(body, &points[i], 4);
      }
      for (int i = 0; name == "face" && i < 2; ++i)
      {
        body.push_back(3);
        for (const int id : triangles[i])
        {
          put(body, &id, 4);
        }
      }
      for (int i = 0; name == "material" && i < 2; ++i)
      {
        const float shininess = 0.5f;
        body.push_back(7);
        put(body, &shininess, 4);
      }
    }
    return file + "end_header\n" + body;
  };
  auto text = [&](const std::vector<std::string>& order)
  {
    std::string file = "ply\nformat ascii 1.0\n";
    std::string body;
    for (const std::string& name : order)
    {
      file += headers.at(name);
      body += name == "vertex" ? "0 0 0\n2 0 0\n0 3 0\n1 1 4\n"
        : name == "face"       ? "3 0 1 2\n3 0 2 3\n"
                               : "7 0.5\n7 0.5\n";
    }
    return file + "end_header\n" + body;
  };
  const std::vector<std::vector<std::string>> orders = { { "material", "vertex", "face" },
    { "face", "vertex" },
    { "vertex", "material", "face" },
    { "face", "material", "vertex" },
    { "vertex", "face", "material" } };
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& order : orders)
  {
    std::string name;
    for (const std::string& element : order)
    {
      name += element.substr(0, 1);
    }
    files.emplace_back(name + "-little.ply", binary(order, false));
    files.emplace_back(name + "-big.ply", binary(order, true));
    files.emplace_back(name + "-text.ply", text(order));
  }
  for (const auto& file : files)
  {
    reader.SetFilename(home.WriteFile(file.first, file.second));
    ASSERT_EQ(1, reader.Read()) << file.first;
    auto* model = vtkPolyData::SafeDownCast(reader.GetOutput());
    ASSERT_NE(nullptr, model) << file.first;
    ASSERT_EQ(4, model->GetNumberOfPoints()) << file.first;
    for (int i = 0; i < 4; ++i)
    {
      for (int c = 0; c < 3; ++c)
      {
        EXPECT_EQ(points[3 * i + c], model->GetPoint(i)[c]) << file.first << " point " << i;
      }
    }
    ASSERT_EQ(2, model->GetNumberOfPolys()) << file.first;
    vtkNew<vtkIdList> ids;
    model->GetCellPoints(1, ids);
    ASSERT_EQ(3, ids->GetNumberOfIds()) << file.first;
    EXPECT_EQ(3, ids->GetId(2)) << file.first;
  }
}

namespace
{
/** One scalar property of a generated PLY vertex: its name and type word. */
struct vPlyColumn
{
  const char* Name;
  const char* Type;
};

/** Appends `value` as the PLY type `type` in the given byte order. */
void PutPlyValue(std::string& body, const std::string& type, double value, bool big)
{
  char bytes[8];
  int size = 0;
  auto store = [&](auto typed)
  {
    size = static_cast<int>(sizeof(typed));
    std::memcpy(bytes, &typed, sizeof(typed));
  };
  if (type == "char")
  {
    store(static_cast<std::int8_t>(value));
  }
  else if (type == "uchar")
  {
    store(static_cast<std::uint8_t>(value));
  }
  else if (type == "short")
  {
    store(static_cast<std::int16_t>(value));
  }
  else if (type == "ushort")
  {
    store(static_cast<std::uint16_t>(value));
  }
  else if (type == "int")
  {
    store(static_cast<std::int32_t>(value));
  }
  else if (type == "uint")
  {
    store(static_cast<std::uint32_t>(value));
  }
  else if (type == "float")
  {
    store(static_cast<float>(value));
  }
  else
  {
    store(value);
  }
  if (big)
  {
    std::reverse(bytes, bytes + size);
  }
  body.append(bytes, static_cast<std::size_t>(size));
}

/** What a generated PLY file holds. */
struct vPlyLayout
{
  std::string Name;
  std::string Format; // "binary_little_endian", "binary_big_endian" or "ascii"
  std::vector<vPlyColumn> Vertex;
  std::string CountType = "uchar";
  std::string IdType = "int";
  bool Faces = true;
  bool MaterialFirst = false;
  bool FaceColours = false;
};

/** A PLY file of 7 vertices and faces of 3, 4, 5 and 3 vertices in `layout`. */
std::string MakePly(const vPlyLayout& layout)
{
  const std::vector<std::vector<int>> faces = {
    { 0, 1, 2 }, { 2, 3, 4, 5 }, { 6, 5, 0, 1, 2 }, { 6, 5, 0 }
  };
  const bool text = layout.Format == "ascii";
  const bool big = layout.Format == "binary_big_endian";
  std::string header = "ply\nformat " + layout.Format + " 1.0\ncomment generated\n";
  std::string body;
  auto put = [&](const std::string& type, double value)
  {
    if (text)
    {
      std::ostringstream word;
      word << value << ' ';
      body += word.str();
    }
    else
    {
      PutPlyValue(body, type, value, big);
    }
  };
  if (layout.MaterialFirst)
  {
    header += "element material 1\nproperty uchar ambient\nproperty float shine\n";
    put("uchar", 9);
    put("float", 0.25);
  }
  header += "element vertex 7\n";
  for (const vPlyColumn& column : layout.Vertex)
  {
    header += std::string("property ") + column.Type + " " + column.Name + "\n";
  }
  for (int i = 0; i < 7; ++i)
  {
    for (std::size_t k = 0; k < layout.Vertex.size(); ++k)
    {
      const std::string type = layout.Vertex[k].Type;
      const bool integer = type != "float" && type != "double";
      put(type, integer ? (i * 37 + k * 11) % 100 : (i * 3.0 + k) * 0.37 - 5.0);
    }
    if (text)
    {
      body.back() = '\n';
    }
  }
  if (layout.Faces)
  {
    header += "element face " + std::to_string(faces.size()) + "\nproperty list " +
      layout.CountType + " " + layout.IdType + " vertex_indices\n";
    if (layout.FaceColours)
    {
      header += "property uchar red\nproperty uchar green\nproperty uchar blue\n";
    }
    for (std::size_t f = 0; f < faces.size(); ++f)
    {
      put(layout.CountType, static_cast<double>(faces[f].size()));
      for (const int id : faces[f])
      {
        put(layout.IdType, id);
      }
      for (int c = 0; layout.FaceColours && c < 3; ++c)
      {
        put("uchar", static_cast<double>(40 * f + c));
      }
      if (text)
      {
        body.back() = '\n';
      }
    }
  }
  return header + "end_header\n" + body;
}

/** Expects the same values in two attribute sets: arrays by name, and the same active ones. */
void ExpectSameAttributes(vtkDataSetAttributes* expected,
  vtkDataSetAttributes* actual,
  const std::string& what)
{
  ASSERT_EQ(expected->GetNumberOfArrays(), actual->GetNumberOfArrays()) << what;
  for (int i = 0; i < expected->GetNumberOfArrays(); ++i)
  {
    vtkDataArray* want = expected->GetArray(i);
    ASSERT_NE(nullptr, want) << what;
    vtkDataArray* got = actual->GetArray(want->GetName());
    ASSERT_NE(nullptr, got) << what << " " << want->GetName();
    EXPECT_EQ(want->GetDataType(), got->GetDataType()) << what << " " << want->GetName();
    ASSERT_EQ(want->GetNumberOfComponents(), got->GetNumberOfComponents()) << what;
    ASSERT_EQ(want->GetNumberOfValues(), got->GetNumberOfValues()) << what;
    for (vtkIdType v = 0; v < want->GetNumberOfValues(); ++v)
    {
      EXPECT_EQ(want->GetVariantValue(v), got->GetVariantValue(v)) << what << " value " << v;
    }
  }
  const int roles[] = {
    vtkDataSetAttributes::SCALARS, vtkDataSetAttributes::NORMALS, vtkDataSetAttributes::TCOORDS
  };
  for (const int role : roles)
  {
    vtkDataArray* want = expected->GetAttribute(role);
    vtkDataArray* got = actual->GetAttribute(role);
    ASSERT_EQ(!want, !got) << what << " attribute " << role;
    if (want)
    {
      EXPECT_STREQ(want->GetName(), got->GetName()) << what;
    }
  }
}
} // namespace

TEST(ReaderPlugins, PlyModelsAreTheModelsOfVtksReaderInEveryLayout)
{
  // The plug-in turns the common binary layouts into a model itself, and hands the others to
  // VTK's reader: either way the model must be the one VTK's reader gives (points, every cell,
  // every attribute array), whatever the byte order, value types and property order.
  vTempHome home;
  InstallPlugins(home);
  vFileReader reader;
  const std::vector<vPlyColumn> xyz = { { "x", "float" }, { "y", "float" }, { "z", "float" } };
  auto with = [&](std::vector<vPlyColumn> extra)
  {
    std::vector<vPlyColumn> columns = xyz;
    columns.insert(columns.end(), extra.begin(), extra.end());
    return columns;
  };
  std::vector<vPlyLayout> layouts = {
    { "plain-little", "binary_little_endian", xyz },
    { "plain-big", "binary_big_endian", xyz },
    { "doubles-reordered",
      "binary_little_endian",
      { { "z", "double" }, { "x", "double" }, { "y", "double" } },
      "ushort",
      "uint" },
    { "integers",
      "binary_big_endian",
      { { "x", "short" }, { "y", "int" }, { "z", "uchar" } },
      "char",
      "short" },
    { "material-first", "binary_little_endian", xyz },
    { "points-only", "binary_little_endian", xyz },
    { "normals",
      "binary_little_endian",
      with({ { "nx", "float" }, { "ny", "float" }, { "nz", "float" } }) },
    { "colours",
      "binary_big_endian",
      with({ { "red", "uchar" }, { "green", "uchar" }, { "blue", "uchar" } }) },
    { "colours-alpha",
      "binary_little_endian",
      with(
        { { "red", "uchar" }, { "green", "uchar" }, { "blue", "uchar" }, { "alpha", "uchar" } }) },
    { "texture", "binary_little_endian", with({ { "u", "float" }, { "v", "float" } }) },
    { "skipped-properties",
      "binary_big_endian",
      { { "quality", "uchar" },
        { "x", "float" },
        { "confidence", "double" },
        { "y", "float" },
        { "z", "float" },
        { "nx", "float" },
        { "ny", "float" },
        { "nz", "float" },
        { "flags", "ushort" } } },
    { "diffuse-colours",
      "binary_little_endian",
      with({ { "diffuse_red", "uchar" },
        { "diffuse_green", "uchar" },
        { "diffuse_blue", "uchar" } }) },
    { "face-colours", "binary_little_endian", xyz },
    { "text", "ascii", with({ { "nx", "float" }, { "ny", "float" }, { "nz", "float" } }) },
  };
  layouts[4].MaterialFirst = true;
  layouts[5].Faces = false;
  layouts[12].FaceColours = true;
  for (const vPlyLayout& layout : layouts)
  {
    const std::string path = home.WriteFile(layout.Name + ".ply", MakePly(layout));
    vtkNew<vtkPLYReader> vtk;
    if (layout.MaterialFirst)
    {
      // VTK's own reader takes the material's bytes for vertices: it reads the same file
      // without the material.
      vPlyLayout plain = layout;
      plain.MaterialFirst = false;
      vtk->SetFileName(home.WriteFile(layout.Name + "-vtk.ply", MakePly(plain)).c_str());
    }
    else
    {
      vtk->SetFileName(path.c_str());
    }
    vtk->Update();
    vtkPolyData* expected = vtk->GetOutput();
    ASSERT_EQ(7, expected->GetNumberOfPoints()) << layout.Name;

    reader.SetFilename(path);
    ASSERT_EQ(1, reader.Read()) << layout.Name;
    auto* model = vtkPolyData::SafeDownCast(reader.GetOutput());
    ASSERT_NE(nullptr, model) << layout.Name;
    ASSERT_EQ(7, model->GetNumberOfPoints()) << layout.Name;
    for (vtkIdType i = 0; i < 7; ++i)
    {
      for (int c = 0; c < 3; ++c)
      {
        EXPECT_EQ(expected->GetPoint(i)[c], model->GetPoint(i)[c]) << layout.Name << " " << i;
      }
    }
    EXPECT_EQ(expected->GetPoints()->GetDataType(), model->GetPoints()->GetDataType());
    ASSERT_EQ(expected->GetNumberOfPolys(), model->GetNumberOfPolys()) << layout.Name;
    ASSERT_EQ(expected->GetNumberOfCells(), model->GetNumberOfCells()) << layout.Name;
    vtkNew<vtkIdList> want;
    vtkNew<vtkIdList> got;
    for (vtkIdType c = 0; c < expected->GetNumberOfCells(); ++c)
    {
      expected->GetCellPoints(c, want);
      model->GetCellPoints(c, got);
      ASSERT_EQ(want->GetNumberOfIds(), got->GetNumberOfIds()) << layout.Name << " cell " << c;
      EXPECT_TRUE(std::equal(want->begin(), want->end(), got->begin()))
        << layout.Name << " cell " << c;
    }
    ExpectSameAttributes(expected->GetPointData(), model->GetPointData(), layout.Name + " points");
    ExpectSameAttributes(expected->GetCellData(), model->GetCellData(), layout.Name + " cells");
  }
}
