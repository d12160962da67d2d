#include "vOBJFastReader.h"

#include "vFileReader.h"

#include "vTempHome.h"
#include "vVtkOutputCapture.h"

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkDataArray.h>
#include <vtkNew.h>
#include <vtkOBJReader.h>
#include <vtkOBJWriter.h>
#include <vtkPlaneSource.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>
#include <vtkTriangleFilter.h>

#include <gtest/gtest.h>

#include <string>

namespace
{
vOBJFastReader::Result Fast(const std::string& text, vtkSmartPointer<vtkPolyData>& model)
{
  return vOBJFastReader::ReadBytes(text.data(), text.size(), model);
}

vtkSmartPointer<vtkPolyData> ByVTK(const std::string& path)
{
  vtkNew<vtkOBJReader> reader;
  reader->SetFileName(path.c_str());
  reader->Update();
  auto model = vtkSmartPointer<vtkPolyData>::New();
  model->ShallowCopy(reader->GetOutput());
  return model;
}

::testing::AssertionResult SameCells(vtkCellArray* a, vtkCellArray* b)
{
  const vtkIdType na = a ? a->GetNumberOfCells() : 0;
  const vtkIdType nb = b ? b->GetNumberOfCells() : 0;
  if (na != nb)
  {
    return ::testing::AssertionFailure() << na << " cells against " << nb;
  }
  for (vtkIdType c = 0; c < na; ++c)
  {
    vtkIdType sa = 0;
    vtkIdType sb = 0;
    const vtkIdType* ia = nullptr;
    const vtkIdType* ib = nullptr;
    a->GetCellAtId(c, sa, ia);
    b->GetCellAtId(c, sb, ib);
    if (sa != sb || !std::equal(ia, ia + sa, ib))
    {
      return ::testing::AssertionFailure() << "cell " << c << " differs";
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult SameArray(vtkDataArray* a, vtkDataArray* b)
{
  if (!a || !b)
  {
    return a == b ? ::testing::AssertionSuccess()
                  : ::testing::AssertionFailure() << "one array is missing";
  }
  if (a->GetNumberOfTuples() != b->GetNumberOfTuples() ||
    a->GetNumberOfComponents() != b->GetNumberOfComponents() ||
    a->GetDataType() != b->GetDataType() ||
    std::string(a->GetName() ? a->GetName() : "") != (b->GetName() ? b->GetName() : ""))
  {
    return ::testing::AssertionFailure() << "arrays of different shape, type or name";
  }
  for (vtkIdType i = 0; i < a->GetNumberOfValues(); ++i)
  {
    if (a->GetVariantValue(i) != b->GetVariantValue(i))
    {
      return ::testing::AssertionFailure() << "value " << i << " differs";
    }
  }
  return ::testing::AssertionSuccess();
}

/** The fast model equals VTK's: points, every kind of cell, point and cell data. */
void ExpectSameModel(vtkPolyData* fast, vtkPolyData* vtk, const std::string& what)
{
  SCOPED_TRACE(what);
  ASSERT_NE(fast, nullptr);
  ASSERT_NE(vtk, nullptr);
  ASSERT_EQ(fast->GetNumberOfPoints(), vtk->GetNumberOfPoints());
  EXPECT_TRUE(SameArray(fast->GetPoints()->GetData(), vtk->GetPoints()->GetData()));
  EXPECT_TRUE(SameCells(fast->GetVerts(), vtk->GetVerts()));
  EXPECT_TRUE(SameCells(fast->GetLines(), vtk->GetLines()));
  EXPECT_TRUE(SameCells(fast->GetPolys(), vtk->GetPolys()));
  EXPECT_TRUE(SameCells(fast->GetStrips(), vtk->GetStrips()));
  ASSERT_EQ(fast->GetPointData()->GetNumberOfArrays(), vtk->GetPointData()->GetNumberOfArrays());
  for (int i = 0; i < vtk->GetPointData()->GetNumberOfArrays(); ++i)
  {
    EXPECT_TRUE(SameArray(fast->GetPointData()->GetArray(i), vtk->GetPointData()->GetArray(i)));
  }
  EXPECT_TRUE(SameArray(fast->GetPointData()->GetTCoords(), vtk->GetPointData()->GetTCoords()));
  EXPECT_TRUE(SameArray(fast->GetPointData()->GetNormals(), vtk->GetPointData()->GetNormals()));
  ASSERT_EQ(fast->GetCellData()->GetNumberOfArrays(), vtk->GetCellData()->GetNumberOfArrays());
  for (int i = 0; i < vtk->GetCellData()->GetNumberOfArrays(); ++i)
  {
    EXPECT_TRUE(SameArray(fast->GetCellData()->GetArray(i), vtk->GetCellData()->GetArray(i)));
  }
}
} // namespace

TEST(OBJFastReader, GivesWhatVTKsReaderGives)
{
  vTempHome home;
  const std::string square = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
  const char* const files[] = {
    // triangles and a quad, numbers in the forms C++ streams take
    "v 0 0 0\nv 1.5 -0 +2\nv 1e-3 .5 7.\nv -4E2 3 1\nf 1 2 3\nf 1 2 3 4\n",
    // blanks, comments, ignored statements, CRLF line ends, a last line without its end
    "# a comment\r\no thing\r\nmtllib m.mtl\r\n\tv  0 0 0 \r\nv 1 0 0\r\n  v 1 1 0\ns off\n"
    "\n#\nf\t1 2\t3",
    // relative indices, and faces before the vertices they name
    "f 4 5 6\nv 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\nv 2 2 2\nv 3 3 3\nv 4 4 4\nf -1 -2 -6\n",
    // lines and points
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nl 1 2 3\nl -1 -2\np 1\np 2 3\n",
    // texture coordinates and normals numbered as the vertices; one coordinate no face names
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0.5 0.5 0\nvn 0 0 1\n"
    "vn 0 0 1\nvn 0 0 1\nvn 0 0 1\nf 1/1/1 2/2/2 3/3/3\n",
    // normals only, texture coordinates only
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nvn 0 0 1\nvn 0 1 0\nf 1//1 2//2 3//3\n",
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nf 1/1 2/2 3/3\n",
    // normals no face names still become the model's normals
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nvn 0 0 1\nf 1 2 3\n",
  };
  int n = 0;
  for (const char* text : files)
  {
    const std::string path = home.WriteFile("same" + std::to_string(n++) + ".obj", text);
    vtkSmartPointer<vtkPolyData> fast;
    ASSERT_EQ(vOBJFastReader::Read, Fast(text, fast)) << text;
    ExpectSameModel(fast, ByVTK(path), text);
  }

  // A byte-order mark is skipped (VTK's reader would lose the first line to it).
  vtkSmartPointer<vtkPolyData> marked;
  ASSERT_EQ(vOBJFastReader::Read, Fast("\xEF\xBB\xBF" + square + "f 1 2 3 4\n", marked));
  ExpectSameModel(marked, ByVTK(home.WriteFile("plain.obj", square + "f 1 2 3 4\n")), "mark");

  // A triangulated grid with texture coordinates and normals, as VTK writes it.
  vtkNew<vtkPlaneSource> plane;
  plane->SetResolution(40, 30);
  vtkNew<vtkTriangleFilter> triangles;
  triangles->SetInputConnection(plane->GetOutputPort());
  vtkNew<vtkOBJWriter> writer;
  writer->SetInputConnection(triangles->GetOutputPort());
  const std::string grid = home.Sub("grid.obj");
  writer->SetFileName(grid.c_str());
  ASSERT_EQ(1, writer->Write());
  vtkSmartPointer<vtkPolyData> fast;
  ASSERT_EQ(vOBJFastReader::Read, vOBJFastReader::ReadFile(grid, fast));
  EXPECT_EQ(fast->GetNumberOfPolys(), 2400);
  ExpectSameModel(fast, ByVTK(grid), "grid");
}

TEST(OBJFastReader, RefusesDamageAndLeavesTheRestToVTK)
{
  const std::string three = "v 0 0 0\nv 1 0 0\nv 1 1 0\n";
  vtkSmartPointer<vtkPolyData> model;
  // Elements naming what the file does not have, or malformed: refused, as before VTK's reader.
  for (const char* element : { "f 1 2 9\n",
         "f 0 1 2\n",
         "f -4 1 2\n",
         "f 1 2 3x\n",
         "f 1/ 2/ 3/\n",
         "f /1 /2 /3\n",
         "f 1/1/1/1 2/1/1/1 3/1/1/1\n",
         "vt 0 0\nf 1/1 2/2 3/3\n",
         "vn 0 0 1\nf 1//1 2//2 3//3\n",
         "vt 0 0\nf 1/1 2 3\n",
         "f 1 2 99999999999999999\n",
         "l 1 4\n",
         "p 0\n" })
  {
    EXPECT_EQ(vOBJFastReader::Refused, Fast(three + element, model)) << element;
  }
  // What only VTK's reader handles (or fails on by itself) is left to it.
  for (const char* rest : { "g part\nf 1 2 3\n",
         "usemtl red\nf 1 2 3\n",
         "vt 0 0\nvt 1 1\nvt 1 0\nf 1/2 2/1 3/3\n",
         "f 1 2 3\nf 1//1 2//2 3//3\nvn 0 0 1\nvn 0 0 1\nvn 0 0 1\n",
         "f 1 2\n",
         "f 1 2 \\\n3\n",
         "l 1/1 2/2\n",
         "v 1 2\n",
         "v 1 2 nan\n",
         "v 1 2 3e99\n",
         "v 1 2 3,5\n" })
  {
    EXPECT_EQ(vOBJFastReader::NotHandled, Fast(three + rest, model)) << rest;
  }
  EXPECT_EQ(vOBJFastReader::NotHandled, Fast(three + "# " + std::string(2000, 'x'), model));
}

TEST(OBJFastReader, FileReaderReadsRealFilesEitherWay)
{
  vTempHome home;
  // Groups and materials go through VTK's reader; a relative index is accepted there as here.
  vFileReader reader;
  for (const char* name : { "mesh/obj/cow.obj", "mesh/obj/trumpet.obj" })
  {
    reader.SetFilename(vTestData(name));
    ASSERT_EQ(1, reader.Read()) << name;
    ExpectSameModel(vtkPolyData::SafeDownCast(reader.GetOutput()), ByVTK(vTestData(name)), name);
  }
  reader.SetFilename(home.WriteFile("relative.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\n"));
  ASSERT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());
  reader.SetFilename(home.WriteFile("dangling.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf -4 -2 -1\n"));
  EXPECT_EQ(0, reader.Read());
}
