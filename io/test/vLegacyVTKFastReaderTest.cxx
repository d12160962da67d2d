#include "vLegacyVTKFastReader.h"

#include "vFileReader.h"

#include "vTempHome.h"
#include "vVtkOutputCapture.h"

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkDataArray.h>
#include <vtkDataSetAttributes.h>
#include <vtkFloatArray.h>
#include <vtkIdList.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataReader.h>
#include <vtkPolyDataWriter.h>
#include <vtkShortArray.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>

namespace
{
vtkSmartPointer<vtkPolyData> ByVTK(const std::string& path)
{
  vtkNew<vtkPolyDataReader> reader;
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
  vtkNew<vtkIdList> ia;
  vtkNew<vtkIdList> ib;
  for (vtkIdType c = 0; c < na; ++c)
  {
    a->GetCellAtId(c, ia);
    b->GetCellAtId(c, ib);
    if (ia->GetNumberOfIds() != ib->GetNumberOfIds())
    {
      return ::testing::AssertionFailure() << "cell " << c << " differs";
    }
    for (vtkIdType k = 0; k < ia->GetNumberOfIds(); ++k)
    {
      if (ia->GetId(k) != ib->GetId(k))
      {
        return ::testing::AssertionFailure() << "cell " << c << " differs";
      }
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

void ExpectSameModel(vtkPolyData* fast, vtkPolyData* vtk, const std::string& what)
{
  SCOPED_TRACE(what);
  ASSERT_NE(fast, nullptr);
  ASSERT_EQ(fast->GetNumberOfPoints(), vtk->GetNumberOfPoints());
  EXPECT_TRUE(SameArray(fast->GetPoints()->GetData(), vtk->GetPoints()->GetData()));
  EXPECT_TRUE(SameCells(fast->GetVerts(), vtk->GetVerts()));
  EXPECT_TRUE(SameCells(fast->GetLines(), vtk->GetLines()));
  EXPECT_TRUE(SameCells(fast->GetPolys(), vtk->GetPolys()));
  EXPECT_TRUE(SameCells(fast->GetStrips(), vtk->GetStrips()));
  using Pair = std::pair<vtkDataSetAttributes*, vtkDataSetAttributes*>;
  for (const Pair& data : { Pair(fast->GetPointData(), vtk->GetPointData()),
         Pair(fast->GetCellData(), vtk->GetCellData()) })
  {
    ASSERT_EQ(data.first->GetNumberOfArrays(), data.second->GetNumberOfArrays());
    for (int i = 0; i < data.second->GetNumberOfArrays(); ++i)
    {
      EXPECT_TRUE(SameArray(data.first->GetArray(i), data.second->GetArray(i)));
    }
    EXPECT_TRUE(SameArray(data.first->GetScalars(), data.second->GetScalars()));
    EXPECT_TRUE(SameArray(data.first->GetNormals(), data.second->GetNormals()));
    EXPECT_TRUE(SameArray(data.first->GetTCoords(), data.second->GetTCoords()));
  }
}

/** A sphere with lines, vertices, strips and point and cell attributes, as VTK writes it. */
std::string WriteModel(vTempHome& home, const std::string& name, int version)
{
  vtkNew<vtkSphereSource> sphere;
  sphere->SetThetaResolution(12);
  sphere->SetPhiResolution(9);
  sphere->Update();
  vtkNew<vtkPolyData> model;
  model->DeepCopy(sphere->GetOutput());
  vtkNew<vtkCellArray> lines;
  lines->InsertNextCell({ 0, 1, 2, 3 });
  lines->InsertNextCell({ 4, 5 });
  model->SetLines(lines);
  vtkNew<vtkCellArray> verts;
  verts->InsertNextCell({ 7 });
  model->SetVerts(verts);
  vtkNew<vtkCellArray> strips;
  strips->InsertNextCell({ 8, 9, 10, 11, 12 });
  model->SetStrips(strips);
  vtkNew<vtkShortArray> labels;
  labels->SetName("Labels");
  labels->SetNumberOfValues(model->GetNumberOfPoints());
  for (vtkIdType i = 0; i < model->GetNumberOfPoints(); ++i)
  {
    labels->SetValue(i, static_cast<short>(i * 300 - 9000));
  }
  model->GetPointData()->SetScalars(labels);
  vtkNew<vtkFloatArray> area;
  area->SetName("Area");
  area->SetNumberOfValues(model->GetNumberOfCells());
  for (vtkIdType i = 0; i < model->GetNumberOfCells(); ++i)
  {
    area->SetValue(i, 0.5f * static_cast<float>(i));
  }
  model->GetCellData()->SetScalars(area);
  vtkNew<vtkPolyDataWriter> writer;
  writer->SetInputData(model);
  writer->SetFileTypeToBinary();
  writer->SetFileVersion(version);
  std::string path = home.Sub(name);
  writer->SetFileName(path.c_str());
  EXPECT_EQ(1, writer->Write());
  return path;
}
} // namespace

TEST(LegacyVTKFastReader, GivesWhatVTKsReaderGives)
{
  vTempHome home;
  for (int version : { 51, 42 })
  {
    const std::string path = WriteModel(home, "model" + std::to_string(version) + ".vtk", version);
    vtkSmartPointer<vtkPolyData> fast;
    ASSERT_EQ(vLegacyVTKFastReader::Read, vLegacyVTKFastReader::ReadFile(path, fast)) << version;
    ExpectSameModel(fast, ByVTK(path), "version " + std::to_string(version));
  }
  // A real binary file of VTK's (strips, scalars, normals).
  const std::string spleen = vTestData("mesh/vtk/spleen.color.vtk");
  vtkSmartPointer<vtkPolyData> fast;
  if (vLegacyVTKFastReader::ReadFile(spleen, fast) == vLegacyVTKFastReader::Read)
  {
    ExpectSameModel(fast, ByVTK(spleen), "spleen");
  }
}

TEST(LegacyVTKFastReader, LeavesWhatDoesNotFitToTheCheckedWay)
{
  vTempHome home;
  const std::string path = WriteModel(home, "whole.vtk", 51);
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  vtkSmartPointer<vtkPolyData> model;
  // Cut short anywhere (the last byte is only a line end), or with a cell naming a point that
  // is not there: not read here.
  for (size_t keep : { bytes.size() - 2, bytes.size() / 2, size_t(120), size_t(30) })
  {
    const std::string cut = home.WriteFile("cut.vtk", bytes.substr(0, keep));
    EXPECT_EQ(vLegacyVTKFastReader::NotHandled, vLegacyVTKFastReader::ReadFile(cut, model)) << keep;
  }
  std::string bad = bytes;
  const size_t connectivity = bad.find("CONNECTIVITY vtktypeint64\n");
  ASSERT_NE(connectivity, std::string::npos);
  bad[connectivity + 26] = '\x7f'; // the first id's top byte: far past the points
  EXPECT_EQ(vLegacyVTKFastReader::NotHandled,
    vLegacyVTKFastReader::ReadFile(home.WriteFile("bad.vtk", bad), model));
  // ASCII files and other data sets go to VTK's reader.
  for (const char* name : { "mesh/vtk/fran_cut.vtk", "mesh/vtk/carotid.vtk" })
  {
    EXPECT_EQ(
      vLegacyVTKFastReader::NotHandled, vLegacyVTKFastReader::ReadFile(vTestData(name), model));
  }
  // Through the file reader, the damaged files still fail and the whole one reads.
  vFileReader reader;
  reader.SetFilename(home.WriteFile("bad.vtk", bad));
  EXPECT_EQ(0, reader.Read());
  reader.SetFilename(path);
  EXPECT_EQ(1, reader.Read());
  EXPECT_EQ(vFileReader::SurfaceMesh, reader.GetOutputType());
}

TEST(LegacyVTKFastReader, CellsOfTooFewPointsAreRefused)
{
  // A polygon of 2 points, a line of 1, a vertex of none: VTK cannot build the cell map of such
  // a model and crashed on the first look at a cell. Refused by both ways of reading .vtk files
  // and for OBJ faces, whatever the file format.
  vTempHome home;
  vFileReader reader;
  const vtkIdType ids[3] = { 0, 1, 2 };
  struct vCase
  {
    const char* Kind;
    vtkIdType Points;
  };
  for (const vCase& bad : { vCase{ "polys", 2 }, vCase{ "lines", 1 }, vCase{ "verts", 0 } })
  {
    for (const bool binary : { true, false })
    {
      vtkNew<vtkPolyData> model;
      vtkNew<vtkPoints> points;
      points->InsertNextPoint(0, 0, 0);
      points->InsertNextPoint(1, 0, 0);
      points->InsertNextPoint(0, 1, 0);
      model->SetPoints(points);
      vtkNew<vtkCellArray> cells;
      cells->InsertNextCell(3, ids);
      cells->InsertNextCell(bad.Points, ids);
      const std::string kind = bad.Kind;
      if (kind == "polys")
      {
        model->SetPolys(cells);
      }
      else if (kind == "lines")
      {
        model->SetLines(cells);
      }
      else
      {
        model->SetVerts(cells);
      }
      const std::string path = home.Sub(kind + (binary ? "-binary" : "-text") + ".vtk");
      vtkNew<vtkPolyDataWriter> writer;
      writer->SetInputData(model);
      writer->SetFileName(path.c_str());
      if (binary)
      {
        writer->SetFileTypeToBinary();
      }
      ASSERT_EQ(1, writer->Write());
      vtkSmartPointer<vtkPolyData> read;
      EXPECT_EQ(vLegacyVTKFastReader::NotHandled, vLegacyVTKFastReader::ReadFile(path, read))
        << path;
      reader.SetFilename(path);
      EXPECT_EQ(0, reader.Read()) << path;
    }
  }
  {
    vExpectVtkMessages vtkMessages; // VTK's OBJ reader may complain on its own
    reader.SetFilename(home.WriteFile("two.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2\n"));
    EXPECT_EQ(0, reader.Read());
  }
  reader.SetFilename(home.WriteFile("three.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
  EXPECT_EQ(1, reader.Read());
}
