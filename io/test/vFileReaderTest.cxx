#include "vFileReader.h"

#include "vTempHome.h"
#include "vUserPrompt.h"
#include "vVtkOutputCapture.h"

#include <vtkCellArray.h>
#include <vtkDataSetWriter.h>
#include <vtkFieldData.h>
#include <vtkFloatArray.h>
#include <vtkImageData.h>
#include <vtkIntArray.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>
#include <vtkUnstructuredGrid.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
const std::string Unrecognized = "error: unrecognized file format";

/** An OBJ file with `vertices` points on a line and, when `face`, one triangle. */
std::string MakeOBJ(int vertices, bool face)
{
  std::ostringstream text;
  for (int i = 0; i < vertices; ++i)
  {
    text << "v " << i << " " << (i % 7) << " " << (i % 3) << "\n";
  }
  if (face)
  {
    text << "f 1 2 3\n";
  }
  return text.str();
}
std::string Repeat(const std::string& text, int times)
{
  std::string result;
  for (int i = 0; i < times; ++i)
  {
    result += text;
  }
  return result;
}
} // namespace

TEST(FileReader, RegistryListsTheBuiltInFormatsInOrder)
{
  vTempHome home; // an empty Soft folder: no plug-ins
  char before[4096];
  ASSERT_NE(nullptr, getcwd(before, sizeof(before)));
  vFileReader reader;
  char after[4096];
  ASSERT_NE(nullptr, getcwd(after, sizeof(after)));
  EXPECT_STREQ(before, after); // the plug-in scan leaves the current directory alone

  ASSERT_EQ(5, reader.GetNumberOfSupportedFileFormat());
  EXPECT_EQ(5, reader.GetNumberOfInternallySupportedFileFormat());
  const char* ext[] = { "vtk", "obj", "wrl", "qv", "" };
  const char* desc[] = {
    "Visualization Toolkit", "Wavefront", "VRML", "QOVA volumetric file", "DICOM"
  };
  const char* name[] = { "VTK Reader", "OBJ Reader", "VRML Reader", "QV Reader", "DICOM Reader" };
  const int type[] = { 4096, 4096, 4096, 8192, 8192 };
  for (int i = 0; i < 5; ++i)
  {
    EXPECT_EQ(ext[i], reader.GetSupportedFileExt(i));
    EXPECT_EQ(desc[i], reader.GetSupportedFileDesc(i));
    EXPECT_EQ(name[i], reader.GetDSCName(i));
    EXPECT_EQ("1.0.0.0", reader.GetDSCVer(i));
    EXPECT_EQ(type[i], reader.GetFileType(i));
  }
  EXPECT_EQ("", reader.GetSupportedFileExt(5));
  EXPECT_EQ("", reader.GetSupportedFileDesc(-1));
  EXPECT_EQ(0, reader.GetFileType(5));
  EXPECT_EQ("", reader.GetFileSupportLib(0));

  EXPECT_EQ(4096, reader.GetFileType("VTK"));
  EXPECT_EQ(8192, reader.GetFileType("Qv"));
  EXPECT_EQ(8192, reader.GetFileType(""));
  EXPECT_EQ(0, reader.GetFileType("stl"));
  EXPECT_EQ(1, reader.isFileSupported("OBJ"));
  EXPECT_EQ(-1, reader.isFileSupported("stl"));
  EXPECT_EQ(-1, reader.isFileSupportedExternally("vtk"));
  EXPECT_EQ("/a/b", reader.ExtractFilePath("/a/b/c.vtk"));
  EXPECT_EQ("c.vtk", reader.ExtractFilePath("c.vtk"));
  EXPECT_EQ("gz", vFileReader::GetExtension("/data/head.nii.gz"));
  EXPECT_EQ("", vFileReader::GetExtension("/data.d/IM0001"));
  EXPECT_EQ(nullptr, reader.GetOutput());
  EXPECT_EQ(vFileReader::NoOutput, reader.GetOutputType());
}

TEST(FileReader, RoutesBadInputToTheRightMessage)
{
  vTempHome home;
  vFileReader reader;
  auto read = [&](const std::string& path)
  {
    reader.SetFilename(path);
    return reader.Read();
  };

  EXPECT_EQ(0, read(home.Sub("missing.vtk")));
  EXPECT_EQ("errror: the file does not exist!", reader.GetErrorMessage());

  // A declared-nowhere extension of 1 to 4 characters whose content is not DICOM.
  EXPECT_EQ(0, read(home.WriteFile("skull.stl", "solid x\nendsolid x\n")));
  EXPECT_EQ(Unrecognized, reader.GetErrorMessage());

  // A longer extension goes to the image readers, which have none for it: no text.
  EXPECT_EQ(0, read(home.WriteFile("head.volume", "not a volume")));
  EXPECT_EQ("", reader.GetErrorMessage());

  // No extension, "dcm", or a folder: the DICOM path, which rejects what is not DICOM.
  EXPECT_EQ(0, read(home.WriteFile("IM0001", "plain text, no DICOM here")));
  EXPECT_EQ(Unrecognized, reader.GetErrorMessage());
  EXPECT_EQ(0, read(home.WriteFile("empty.dcm", "")));
  EXPECT_EQ(Unrecognized, reader.GetErrorMessage());
  EXPECT_EQ(0, read("/dev/zero"));
  EXPECT_EQ(Unrecognized, reader.GetErrorMessage());
  home.WriteFile("nodicom/readme.txt", "text");
  EXPECT_EQ(0, read(home.Sub("nodicom")));
  EXPECT_EQ(Unrecognized, reader.GetErrorMessage());

  // Empty model files give no model and no text.
  {
    vExpectVtkMessages vtkErrors;
    EXPECT_EQ(0, read(home.WriteFile("empty.vtk", "")));
    EXPECT_EQ("", reader.GetErrorMessage());
  }
  EXPECT_EQ(0, read(home.WriteFile("empty.obj", "")));
  EXPECT_EQ(0, read(home.WriteFile("empty.qv", "")));
  EXPECT_EQ("error: the QV file may have been corrupted", reader.GetErrorMessage());
  EXPECT_EQ(nullptr, reader.GetOutput());
  EXPECT_EQ(vFileReader::NoOutput, reader.GetOutputType());
}

TEST(FileReader, ClassifiesModelsAndKeepsTheLastGoodOutput)
{
  vTempHome home;
  vFileReader reader;
  reader.SetFilename(home.WriteFile("few.obj", MakeOBJ(3, false)));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::SmallPointSet, reader.GetOutputType());

  reader.SetFilename(home.WriteFile("limit.obj", MakeOBJ(127, false)));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::SmallPointSet, reader.GetOutputType());

  reader.SetFilename(home.WriteFile("cloud.OBJ", MakeOBJ(500, false)));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::PointCloud, reader.GetOutputType());
  auto* cloud = vtkPolyData::SafeDownCast(reader.GetOutput());
  ASSERT_NE(nullptr, cloud);
  EXPECT_EQ(500, cloud->GetNumberOfVerts());
  vtkIdType count = 0;
  const vtkIdType* ids = nullptr;
  cloud->GetVerts()->GetCellAtId(499, count, ids);
  ASSERT_EQ(1, count);
  EXPECT_EQ(499, ids[0]);

  reader.SetFilename(home.WriteFile("tri.obj", MakeOBJ(3, true)));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());
  vtkSmartPointer<vtkDataSet> good = reader.GetOutput();

  // Faces naming vertices the file does not have: refused, the previous output stays.
  reader.SetFilename(home.WriteFile("bad.obj", MakeOBJ(3, false) + "f 1 2 9\n"));
  {
    vExpectVtkMessages vtkMessages; // the OBJ reader may complain on its own
    EXPECT_EQ(0, reader.Read());
  }
  EXPECT_EQ(good.Get(), reader.GetOutput());
  EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());

  // Texture coordinates and normals that are not there, relative indices reaching above the first
  // vertex, malformed groups: VTK's OBJ reader crashes on some of these, so they are refused
  // before it runs.
  for (const char* element : { "f 1/9/9 2/1/1 3/1/1\n",
         "vt 1 1\nf 1/2 2/1 3/1\n",
         "vn 1 0 0\nf 1//1 2//1 3//4\n",
         "f -1 -2 -4\n",
         "f -1 -2 -\n",
         "vt 1 1\nf -1/-2 -2/-1 -3/-1\n",
         "f 1 2 3x\n",
         "l 1 4\n" })
  {
    vExpectVtkMessages vtkMessages;
    reader.SetFilename(home.WriteFile("refs.obj", MakeOBJ(3, false) + element));
    EXPECT_EQ(0, reader.Read()) << element;
  }
  reader.SetFilename(
    home.WriteFile("refs.obj", MakeOBJ(3, false) + "vt 1 1\nvn 0 0 1\nf 1/1/1 2/1/1 3/1/1\n"));
  EXPECT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());
  good = reader.GetOutput();

  // A scene that crashes VTK's VRML parser: read apart from the workstation, it only fails.
  reader.SetFilename(home.WriteFile("crash.wrl",
    "#VRML V2.0 utf8\nShape { geometry IndexedFaceSet { coord Coordinate { point [0 0,0, 1 ] 0] "
    "} coordIndex [0 1 5! -1] } }\n"));
  EXPECT_EQ(0, reader.Read());
  EXPECT_EQ(good.Get(), reader.GetOutput());

  // A VTK file with a wrong header.
  reader.SetFilename(home.WriteFile("bad.vtk", "# vtk DataFile Version 9.9\nnonsense\nASCII\n"));
  {
    vExpectVtkMessages vtkMessages;
    EXPECT_EQ(0, reader.Read());
    EXPECT_FALSE(vtkMessages.Messages().empty());
  }
  EXPECT_EQ("", reader.GetErrorMessage());
  EXPECT_EQ(good.Get(), reader.GetOutput());
}

TEST(FileReader, ReadsGridsAsSurfacesAndStructuredPointsAsVolumes)
{
  vTempHome home;
  vFileReader reader;
  // One hexahedron: its outer surface is six quadrilaterals.
  vtkNew<vtkUnstructuredGrid> grid;
  vtkNew<vtkPoints> points;
  for (int i = 0; i < 8; ++i)
  {
    points->InsertNextPoint(i & 1, (i >> 1) & 1, (i >> 2) & 1);
  }
  grid->SetPoints(points);
  const vtkIdType hex[8] = { 0, 1, 3, 2, 4, 5, 7, 6 };
  grid->InsertNextCell(VTK_HEXAHEDRON, 8, hex);
  vtkNew<vtkDataSetWriter> writer;
  writer->SetInputData(grid);
  writer->SetFileName(home.Sub("hex.vtk").c_str());
  ASSERT_EQ(1, writer->Write());
  reader.SetFilename(home.Sub("hex.vtk"));
  ASSERT_EQ(1, reader.Read());
  auto* surface = vtkPolyData::SafeDownCast(reader.GetOutput());
  ASSERT_NE(nullptr, surface);
  EXPECT_EQ(6, surface->GetNumberOfPolys());
  EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());

  vtkNew<vtkImageData> volume;
  volume->SetDimensions(4, 3, 2);
  volume->SetSpacing(0.5, 1, 2);
  volume->AllocateScalars(VTK_FLOAT, 1);
  volume->GetPointData()->GetScalars()->Fill(2.5);
  writer->SetInputData(volume);
  writer->SetFileName(home.Sub("volume.vtk").c_str());
  ASSERT_EQ(1, writer->Write());
  reader.SetFilename(home.Sub("volume.vtk"));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::ImageVolume, reader.GetOutputType());
  auto* image = vtkImageData::SafeDownCast(reader.GetOutput());
  ASSERT_NE(nullptr, image);
  EXPECT_EQ(24, image->GetNumberOfPoints());
  EXPECT_DOUBLE_EQ(2.0, image->GetSpacing()[2]);
  EXPECT_FLOAT_EQ(2.5f, image->GetScalarComponentAsFloat(3, 2, 1, 0));
}

TEST(FileReader, ReadsTheRealMeshes)
{
  vTempHome home;
  vFileReader reader;
  struct Mesh
  {
    const char* path;
    vtkIdType points;
    vtkIdType polys;
    vtkIdType strips;
    int type;
  };
  // Triangle strips are surfaces: skin, spleen and brain are meshes (16), not point clouds.
  const Mesh meshes[] = {
    { "mesh/vtk/skin.vtk", 41003, 0, 17984, 16 },
    { "mesh/vtk/spleen.color.vtk", 2064, 0, 707, 16 },
    { "mesh/vtk/brainImageSmooth.vtk", 5153, 0, 2212, 16 },
    { "mesh/vtk/fran_cut.vtk", 2205, 4224, 0, 16 },
    { "mesh/vtk/teeth.vtk", 14, 0, 0, 32 },
    { "mesh/vtk/hello.vtk", 22, 0, 0, 32 },
    { "mesh/vtk/VTKCellTypes.vtk", 27, 17, 1, 16 },
    { "mesh/vtk/tetraMesh.vtk", 42, 80, 0, 16 },
    { "mesh/obj/cow.obj", 12330, 3263, 0, 16 },
    { "mesh/obj/trumpet.obj", 11908, 11362, 0, 16 },
    { "mesh/vrml/teapot.wrl", 1189, 1290, 0, 16 },
    { "mesh/vrml/WineGlass.wrl", 27660, 9220, 0, 16 },
    { "mesh/vrml/bot2.wrl", 16, 26, 0, 16 },
    { "mesh/vrml/sextant.wrl", 32, 16, 0, 16 },
    { "mesh/vrml/bridge.wrl", 453, 0, 0, 64 },
  };
  for (const Mesh& mesh : meshes)
  {
    reader.SetFilename(vTestData(mesh.path));
    ASSERT_EQ(1, reader.Read()) << mesh.path;
    auto* model = vtkPolyData::SafeDownCast(reader.GetOutput());
    ASSERT_NE(nullptr, model) << mesh.path;
    EXPECT_EQ(mesh.points, model->GetNumberOfPoints()) << mesh.path;
    EXPECT_EQ(mesh.polys, model->GetNumberOfPolys()) << mesh.path;
    EXPECT_EQ(mesh.strips, model->GetNumberOfStrips()) << mesh.path;
    EXPECT_EQ(mesh.type, reader.GetOutputType()) << mesh.path;
  }
  auto* bridge = vtkPolyData::SafeDownCast(reader.GetOutput());
  EXPECT_EQ(453, bridge->GetNumberOfVerts());
  EXPECT_EQ(192, bridge->GetNumberOfLines());

  // The carotid angiogram is a VTK volume.
  reader.SetFilename(vTestData("mesh/vtk/carotid.vtk"));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::ImageVolume, reader.GetOutputType());
  int dims[3];
  vtkImageData::SafeDownCast(reader.GetOutput())->GetDimensions(dims);
  EXPECT_EQ(76, dims[0]);
  EXPECT_EQ(49, dims[1]);
  EXPECT_EQ(45, dims[2]);

  // A structured grid gives nothing; a ".obj" that is not Wavefront gives no points: no model.
  vtkSmartPointer<vtkDataSet> previous = reader.GetOutput();
  for (const char* path : { "mesh/vtk/office.binary.vtk", "mesh/obj/mni-surface-mesh.obj" })
  {
    reader.SetFilename(vTestData(path));
    EXPECT_EQ(0, reader.Read()) << path;
    EXPECT_EQ("", reader.GetErrorMessage()) << path;
    EXPECT_EQ(previous.Get(), reader.GetOutput()) << path;
  }

  // With no plug-in for them, STL and PLY are unknown formats.
  for (const char* path : { "mesh/stl/42400-IDGH.stl", "mesh/ply/footbones.ply" })
  {
    reader.SetFilename(vTestData(path));
    EXPECT_EQ(0, reader.Read()) << path;
    EXPECT_EQ(Unrecognized, reader.GetErrorMessage()) << path;
  }
}

TEST(FileReader, RoutesDicomFilesFoldersAndSniffedExtensions)
{
  vTempHome home;
  vFileReader reader;
  auto expectVolume = [&](const std::string& path, int x, int y, int z, double sx)
  {
    reader.SetFilename(path);
    ASSERT_EQ(1, reader.Read()) << path << ": " << reader.GetErrorMessage();
    EXPECT_EQ(vFileReader::ImageVolume, reader.GetOutputType()) << path;
    auto* image = vtkImageData::SafeDownCast(reader.GetOutput());
    ASSERT_NE(nullptr, image) << path;
    int dims[3];
    image->GetDimensions(dims);
    EXPECT_EQ(x, dims[0]) << path;
    EXPECT_EQ(y, dims[1]) << path;
    EXPECT_EQ(z, dims[2]) << path;
    EXPECT_NEAR(sx, image->GetSpacing()[0], 1e-3) << path;
    EXPECT_EQ(VTK_UNSIGNED_INT, image->GetScalarType()) << path;
    EXPECT_EQ(0.0, image->GetOrigin()[0]) << path;
  };
  expectVolume(vTestData("dicom/single/DICOM_KNEE.dcm"), 512, 512, 1, 0.4297);
  // Upper-case "DCM" is no declared format: the content decides.
  expectVolume(
    home.CopyFile(vTestData("dicom/single/DICOM_KNEE.dcm"), "knee.DCM"), 512, 512, 1, 0.4297);
  // No preamble, extension "001": found by its content.
  expectVolume(vTestData("dicom/single/mr.001"), 256, 256, 1, 0.78125);
  // A file named by a long identifier, and one without extension.
  expectVolume(home.CopyFile(vTestData("dicom/single/mr.001"), "1.2.840.10008.12345678"),
    256,
    256,
    1,
    0.78125);
  expectVolume(vTestData("dicom/series-mr-gre-sag-5/IM0001"), 42, 64, 1, 4.375);
  // A folder is one series.
  expectVolume(vTestData("dicom/series-mr-gre-sag-5"), 42, 64, 5, 4.375);

  // Multi-frame: every frame lands in its slice, values are the stored ones.
  expectVolume(vTestData("dicom/multiframe/emri_small_RLE.dcm"), 64, 64, 10, 1.0);
  auto* image = vtkImageData::SafeDownCast(reader.GetOutput());
  const auto* voxels = static_cast<const unsigned int*>(image->GetScalarPointer());
  unsigned long long sum = 0;
  unsigned int largest = 0;
  for (vtkIdType i = 0; i < image->GetNumberOfPoints(); ++i)
  {
    sum += voxels[i];
    largest = std::max(largest, voxels[i]);
  }
  EXPECT_EQ(4493276ull, sum);
  EXPECT_EQ(467u, largest);
}

TEST(FileReader, ReadsRelativeOBJIndicesAndAByteOrderMark)
{
  vTempHome home;
  vFileReader reader;
  // Two triangles of a unit square, written with absolute indices, then with relative ones
  // (counted back from the line: -1 is the last vertex so far), then behind a UTF-8 mark.
  const std::string vertices = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
  const std::string absolute = vertices + "f 1 2 3\nf 1 3 4\n";
  const std::string relative = "v 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\nv 0 1 0\nf -4 -2 -1\n";
  const std::string textured =
    vertices + "vt 0 0\nvt 1 1\nvn 0 0 1\nf -4/-2/-1 -3/-1/-1 -2/-1/-1\nf 1/1/1 3/2/1 4/2/1\n";
  const std::string marked = "\xef\xbb\xbf" + absolute;
  std::vector<double> expected;
  for (const std::string& text : { absolute, relative, textured, marked })
  {
    reader.SetFilename(home.WriteFile("square.obj", text));
    ASSERT_EQ(1, reader.Read()) << text;
    EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());
    auto* model = vtkPolyData::SafeDownCast(reader.GetOutput());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->GetNumberOfPolys(), 2) << text;
    // Every triangle's corners, in order: the same square whichever way it was written.
    std::vector<double> corners;
    vtkCellArray* polys = model->GetPolys();
    polys->InitTraversal();
    vtkIdType n = 0;
    const vtkIdType* ids = nullptr;
    while (polys->GetNextCell(n, ids))
    {
      for (vtkIdType i = 0; i < n; ++i)
      {
        const double* p = model->GetPoint(ids[i]);
        corners.insert(corners.end(), p, p + 3);
      }
    }
    if (expected.empty())
    {
      expected = corners;
    }
    EXPECT_EQ(corners, expected) << text;
  }
  // The mark is no vertex: a file of four vertices behind it still has four.
  reader.SetFilename(home.WriteFile("marked.obj", "\xef\xbb\xbfv 5 5 5\n" + absolute));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(reader.GetOutput()->GetNumberOfPoints(), 5);
  EXPECT_EQ(reader.GetOutput()->GetPoint(0)[0], 5.0);
}

TEST(FileReader, RefusesDeclaredSizesTheFileCannotHold)
{
  vTempHome home;
  vFileReader reader;
  const std::string head = "# vtk DataFile Version 3.0\nx\nASCII\n";
  const std::string bad[] = {
    // Two billion points in a hundred bytes: refused before anything is allocated.
    head + "DATASET POLYDATA\nPOINTS 2000000000 float\n0 0 0\n",
    "# vtk DataFile Version 3.0\nx\nBINARY\nDATASET POLYDATA\nPOINTS 900000000 float\n\x01\x02\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4000000000\n3 0 1 2\n",
    head +
      "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nPOINT_DATA 3\n"
      "SCALARS s float 1000000\nLOOKUP_TABLE default\n1 2 3\n",
    // A file that ends inside a block of values (VTK's reader crashes on some of these).
    head + "DATASET POLYDATA\nPOINTS 14 float\n" + Repeat("1 ", 14 * 3) +
      "\nLINES 1 15\n14 0 1 2 3 4 5 6 7 8 9 10 12 13\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1\n",
    // A value missing before the next keyword; cell sizes that do not add up to the declared
    // total (VTK's reader writes past its buffer on those).
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1\nPOLYGONS 1 4\n3 0 1 2\n",
    head +
      "DATASET UNSTRUCTURED_GRID\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nCELLS 1 3\n"
      "6 0 1 2 0 1 2\nCELL_TYPES 1\n5\n",
    head +
      "DATASET UNSTRUCTURED_GRID\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nCELLS 2\n"
      "3 0 1 2\nCELL_TYPES 1\n5\n",
    // A type or a keyword VTK's reader does not know (after which it reads a closed file).
    head + "DATASET POLYDATA\nPOINTS 3 flo@t\n0 0 0 1 0 0 0 1 0\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nPOLYGONZ 1 4\n3 0 1 2\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nLINES 1 3\n2 0 1\x05\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4\n3 0 1 .2\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4" +
      std::string(3, '\0') + "\n3 0 1 2\n",
    // Grid cells whose type does not match their size, or is no cell type at all.
    head +
      "DATASET UNSTRUCTURED_GRID\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nCELLS 1 4\n3 0 1 2\n"
      "CELL_TYPES 1\n10\n",
    head +
      "DATASET UNSTRUCTURED_GRID\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nCELLS 1 4\n3 0 1 2\n"
      "CELL_TYPES 1\n99\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nLINES 1 3\n2 0 1-\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1.2.3\n",
    head +
      "DATASET UNSTRUCTURED_GRID\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nCELLS 1 4\n3 0 1 2\n"
      "CELL_TYPES 1\n42\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4\n3 0 1 " +
      Repeat("1", 30) + "\n",
    // Cells naming points that are not there, in poly data and in a grid.
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4\n3 0 1 7\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nPOLYGONS 1 4\n3 0 1 3\n",
    head + "DATASET POLYDATA\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nLINES 1 3\n2 0 -1\n",
    head +
      "DATASET UNSTRUCTURED_GRID\nPOINTS 3 float\n0 0 0 1 0 0 0 1 0\nCELLS 1 4\n3 0 1 9\n"
      "CELL_TYPES 1\n5\n",
  };
  int i = 0;
  for (const std::string& text : bad)
  {
    vExpectVtkMessages vtkMessages;
    reader.SetFilename(home.WriteFile("bad" + std::to_string(i) + ".vtk", text));
    EXPECT_EQ(0, reader.Read()) << i;
    EXPECT_EQ(nullptr, reader.GetOutput()) << i;
    ++i;
  }

  // A binary file with every kind of block still reads.
  vtkNew<vtkPolyData> mesh;
  vtkNew<vtkPoints> points;
  for (int k = 0; k < 200; ++k)
  {
    points->InsertNextPoint(k, k % 10, k % 3);
  }
  mesh->SetPoints(points);
  vtkNew<vtkCellArray> polys;
  for (vtkIdType k = 0; k + 2 < 200; ++k)
  {
    const vtkIdType tri[3] = { k, k + 1, k + 2 };
    polys->InsertNextCell(3, tri);
  }
  mesh->SetPolys(polys);
  vtkNew<vtkFloatArray> scalars;
  scalars->SetName("s");
  scalars->SetNumberOfComponents(2);
  scalars->SetNumberOfTuples(200);
  scalars->Fill(1.5);
  mesh->GetPointData()->SetScalars(scalars);
  vtkNew<vtkFloatArray> normals;
  normals->SetNumberOfComponents(3);
  normals->SetNumberOfTuples(200);
  normals->Fill(0.5);
  mesh->GetPointData()->SetNormals(normals);
  vtkNew<vtkIntArray> field;
  field->SetName("f");
  field->SetNumberOfTuples(7);
  field->Fill(3);
  mesh->GetFieldData()->AddArray(field);
  vtkNew<vtkDataSetWriter> writer;
  writer->SetInputData(mesh);
  writer->SetFileTypeToBinary();
  writer->SetFileName(home.Sub("binary.vtk").c_str());
  ASSERT_EQ(1, writer->Write());
  reader.SetFilename(home.Sub("binary.vtk"));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(198, vtkPolyData::SafeDownCast(reader.GetOutput())->GetNumberOfPolys());
  EXPECT_EQ(2, reader.GetOutput()->GetPointData()->GetScalars()->GetNumberOfComponents());
}
