#include "vDataResource.h"
#include "vDataResourceFake.h"

#include "vTempHome.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkDataSetReader.h>
#include <vtkMapper.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkSphereSource.h>
#include <vtkUnstructuredGrid.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
vtkSmartPointer<vtkPolyData> MakeSphere(double radius)
{
  vtkNew<vtkSphereSource> source;
  source->SetRadius(radius);
  source->Update();
  return source->GetOutput();
}

// Adds `count` distinct spheres to `collection`, naming item i "item<i>" from "/data/item<i>.vtk".
void Fill(vDataResource& collection, int count)
{
  for (int i = 0; i < count; ++i)
  {
    const int index = collection.AddData(MakeSphere(1.0 + i));
    ASSERT_EQ(index, i);
    collection.SetDataName(index, "item" + std::to_string(i));
    collection.SetFilename(index, "/data/item" + std::to_string(i) + ".vtk");
  }
}
} // namespace

TEST(vDataResource, NewCollectionAndScriptText)
{
  vDataResource models;
  EXPECT_EQ(models.GetNumberOfItems(), 0);
  EXPECT_EQ(models.GetName(), "Data");
  EXPECT_EQ(models.GetType(), "Data 3D");
  EXPECT_EQ(models.ToV(), "");
  EXPECT_EQ(models.GetData(), nullptr);

  models.AddData(MakeSphere(1));
  models.SetFilename(0, "/home/u/a.vtk");
  models.AddData(MakeSphere(2));
  models.SetFilename(1, "/home/u/b.obj");
  EXPECT_EQ(models.ToV(), "load '/home/u/a.vtk'\nload '/home/u/b.obj'\n");

  // The resource's own text uses the property set's file name.
  vDataResourceFake fake;
  EXPECT_EQ(fake.vResource::ToV(), "load 'null'");
  fake.SetFilename("/x/head.model.vtk");
  EXPECT_EQ(fake.vResource::ToV(), "load '/x/head.model.vtk'");
  EXPECT_EQ(fake.GetFileExt(), "vtk");
  fake.SetFilename("noext");
  EXPECT_EQ(fake.GetFileExt(), "");
  fake.SetFilename("");
  EXPECT_EQ(fake.GetFileExt(), "");
}

TEST(vDataResource, AddCopiesAndFindResolvesToTheLastMatch)
{
  vDataResource models;
  auto a = MakeSphere(1);
  auto b = MakeSphere(2);
  EXPECT_EQ(models.AddData(a), 0);
  EXPECT_EQ(models.AddData(b), 1);
  EXPECT_EQ(models.AddData(a), 2);
  EXPECT_EQ(models.AddData(nullptr), -1);
  EXPECT_EQ(models.GetNumberOfItems(), 3);
  // Private copies: distinct objects with the same geometry, unaffected by the caller's changes.
  EXPECT_NE(models.GetData(0), a.Get());
  EXPECT_NE(models.GetData(0), models.GetData(2));
  EXPECT_EQ(models.GetData(0)->GetNumberOfPoints(), a->GetNumberOfPoints());
  const vtkIdType points = a->GetNumberOfPoints();
  a->Initialize();
  EXPECT_EQ(models.GetData(0)->GetNumberOfPoints(), points);

  models.SetDataName(0, "head");
  models.SetDataName(1, "Head");
  models.SetDataName(2, "head");
  models.SetFilename(0, "/a/head.vtk");
  models.SetFilename(1, "/b/head.vtk");
  models.SetFilename(2, "/a/head.vtk");
  EXPECT_EQ(models.Find("head"), 2);
  EXPECT_EQ(models.Find("Head"), 1);
  EXPECT_EQ(models.Find("HEAD"), -1);
  EXPECT_EQ(models.Find(""), -1);
  EXPECT_EQ(models.FindFilename("/a/head.vtk"), 2);
  EXPECT_EQ(models.FindFilename("/b/head.vtk"), 1);
  EXPECT_EQ(models.FindFilename("/c/head.vtk"), -1);

  models.SetLastDataName("tail");
  EXPECT_EQ(models.GetLastDataName(), "tail");
  EXPECT_EQ(models.GetDataName(2), "tail");
  EXPECT_EQ(models.GetLastFilename(), "/a/head.vtk");

  models.Select(1);
  EXPECT_EQ(models.GetCurrentItemId(), 1);
  EXPECT_EQ(models.GetData(), models.GetData(1));
  models.Select(-1);
  EXPECT_EQ(models.GetData(), nullptr);
  models.Select(3);
  EXPECT_EQ(models.GetData(), nullptr);
}

TEST(vDataResource, IndicesOutsideTheItemsAreRefused)
{
  vDataResource models;
  Fill(models, 2);
  for (int bad : { -1, -1000, 2, 127, 128, 200 })
  {
    SCOPED_TRACE(bad);
    EXPECT_EQ(models.GetData(bad), nullptr);
    EXPECT_EQ(models.GetDataName(bad), "");
    EXPECT_EQ(models.GetFilename(bad), "");
    EXPECT_EQ(models.GetDataFake(bad), nullptr);
    models.SetDataName(bad, "x");
    models.SetFilename(bad, "x");
    models.RemoveItem(bad);
    EXPECT_EQ(models.GetNumberOfItems(), 2);
    EXPECT_EQ(models.Find("x"), -1);
  }
  vDataResource empty;
  empty.SetLastDataName("x");
  EXPECT_EQ(empty.GetLastDataName(), "");
  EXPECT_EQ(empty.GetLastFilename(), "");
  EXPECT_EQ(empty.Find("x"), -1);
}

TEST(vDataResource, CapacityIsRefusedPastTheLastPlace)
{
  vDataResource models;
  vDataResourceFake fake;
  auto sphere = MakeSphere(1);
  for (int i = 0; i < vResource::MaxNumberOfItems; ++i)
  {
    ASSERT_EQ(models.AddData(sphere), i);
    ASSERT_EQ(fake.AddData(sphere), 0);
  }
  EXPECT_EQ(models.AddData(sphere), -1);
  EXPECT_EQ(models.New({ "sphere", "0", "0", "0", "1" }), -1);
  EXPECT_EQ(fake.AddData(sphere), -1);
  EXPECT_EQ(models.GetNumberOfItems(), 128);
  EXPECT_EQ(fake.GetNumberOfItems(), 128);
  // The last place is usable and names still resolve.
  models.SetLastDataName("last");
  EXPECT_EQ(models.Find("last"), 127);
}

TEST(vDataResource, RemoveMovesLaterItemsDown)
{
  vDataResource models;
  Fill(models, 3);
  vtkDataSet* second = models.GetData(1);
  vtkDataSet* third = models.GetData(2);
  vtkSmartPointer<vtkDataSet> held = models.GetData(0); // another part's own reference

  models.RemoveItem(0);
  EXPECT_EQ(models.GetNumberOfItems(), 2);
  EXPECT_EQ(models.GetDataName(0), "item1");
  EXPECT_EQ(models.GetFilename(0), "/data/item1.vtk");
  EXPECT_EQ(models.GetDataName(1), "item2");
  EXPECT_EQ(models.GetFilename(1), "/data/item2.vtk");
  EXPECT_EQ(models.GetData(0), second);
  EXPECT_EQ(models.GetData(1), third);
  EXPECT_EQ(models.GetData(2), nullptr);
  EXPECT_EQ(models.Find("item0"), -1);
  EXPECT_EQ(models.Find("item2"), 1);
  EXPECT_EQ(models.ToV(), "load '/data/item1.vtk'\nload '/data/item2.vtk'\n");
  // The removed data set lives on for whoever holds a reference.
  EXPECT_EQ(held->GetReferenceCount(), 1);
  EXPECT_GT(held->GetNumberOfPoints(), 0);

  models.RemoveItem(1); // the last one
  EXPECT_EQ(models.GetNumberOfItems(), 1);
  EXPECT_EQ(models.GetDataName(0), "item1");
  models.RemoveItem(0);
  EXPECT_EQ(models.GetNumberOfItems(), 0);
  EXPECT_EQ(models.ToV(), "");
  // Adding after removals starts at 0 again.
  EXPECT_EQ(models.AddData(MakeSphere(1)), 0);
}

TEST(vDataResource, DeleteFreesDataButKeepsNames)
{
  vDataResource models;
  Fill(models, 2);
  vtkSmartPointer<vtkDataSet> held = models.GetData(1);
  EXPECT_EQ(held->GetReferenceCount(), 2);
  models.Delete();
  EXPECT_EQ(models.GetNumberOfItems(), 0);
  EXPECT_EQ(held->GetReferenceCount(), 1);
  EXPECT_EQ(models.GetData(0), nullptr);
  EXPECT_EQ(models.Find("item0"), -1);
  EXPECT_EQ(models.AddData(MakeSphere(1)), 0);
  // Names are kept by Delete; a new item in that place shows the old name until renamed.
  EXPECT_EQ(models.GetDataName(0), "item0");
}

TEST(vDataResource, NewCreatesASphereOnlyFromFiveArguments)
{
  vDataResource models;
  EXPECT_EQ(models.New({ "SPHERE", "0", "0", "0", "10" }), 0);
  ASSERT_EQ(models.GetNumberOfItems(), 1);
  EXPECT_EQ(models.GetDataName(0), "sphere0");
  EXPECT_EQ(models.GetFilename(0), "CreatedObj");
  double bounds[6];
  models.GetData(0)->GetBounds(bounds);
  EXPECT_NEAR(bounds[0], -10.0, 0.05);
  EXPECT_NEAR(bounds[1], 10.0, 0.05);
  EXPECT_NEAR(bounds[4], -10.0, 1e-9);
  EXPECT_NEAR(bounds[5], 10.0, 1e-9);
  // 50 x 50 resolution: 48 rings of 50 points and the two poles.
  EXPECT_EQ(models.GetData(0)->GetNumberOfPoints(), 48 * 50 + 2);

  EXPECT_EQ(models.New({ "Sphere", "5", "abc", "-2.5", "1" }), 1);
  EXPECT_EQ(models.GetDataName(1), "sphere1");
  double center[3];
  models.GetData(1)->GetCenter(center);
  EXPECT_NEAR(center[0], 5.0, 1e-6);
  EXPECT_NEAR(center[1], 0.0, 1e-6); // text that is not a number reads as 0
  EXPECT_NEAR(center[2], -2.5, 1e-6);

  const std::vector<std::vector<std::string>> refused = {
    {},
    { "sphere", "0", "0", "0" },
    { "sphere", "0", "0", "0", "1", "2" },
    { "cube", "0", "0", "0", "1" },
    { "sphere ", "0", "0", "0", "1" },
  };
  for (const auto& args : refused)
  {
    EXPECT_EQ(models.New(args), -1);
  }
  EXPECT_EQ(models.GetNumberOfItems(), 2);
  EXPECT_EQ(models.New({ "sphere", "nan", "inf", "0", "1" }), 2);
  models.GetData(2)->GetCenter(center);
  EXPECT_TRUE(std::isfinite(center[0]) && std::isfinite(center[1]));
}

TEST(vDataResource, HandleSharesOneItem)
{
  vDataResource models;
  Fill(models, 4);
  vDataResourceFake* handle = models.GetDataFake(3);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle->GetNumberOfItems(), 1);
  EXPECT_EQ(handle->GetData(0), models.GetData(3));
  EXPECT_EQ(handle->GetData(), models.GetData(3));
  EXPECT_EQ(handle->GetName(), "item3");
  EXPECT_EQ(handle->GetDataName(0), "item3");
  EXPECT_EQ(handle->GetFilename(0), "/data/item3.vtk");
  EXPECT_EQ(handle->GetType(), "Data 3D");
  EXPECT_EQ(handle->ToV(), "load '/data/item3.vtk'\n");
  // The handle holds a reference of its own: the item may leave the collection before it.
  vtkDataSet* shared = models.GetData(3);
  EXPECT_EQ(shared->GetReferenceCount(), 2);
  models.RemoveItem(3);
  EXPECT_EQ(handle->GetData(0), shared);
  EXPECT_GT(handle->GetData(0)->GetNumberOfPoints(), 0);
  EXPECT_EQ(shared->GetReferenceCount(), 1);
  delete handle;
  EXPECT_EQ(models.GetData(2)->GetReferenceCount(), 1);
}

TEST(vDataResource, ActorsShowEveryItem)
{
  vDataResource models;
  Fill(models, 3);
  vtkActorCollection* actors = models.GetOutput();
  ASSERT_NE(actors, nullptr);
  ASSERT_EQ(actors->GetNumberOfItems(), 3);
  actors->InitTraversal();
  for (int i = 0; i < 3; ++i)
  {
    vtkActor* actor = actors->GetNextActor();
    ASSERT_NE(actor, nullptr);
    ASSERT_NE(actor->GetMapper(), nullptr);
    EXPECT_EQ(actor->GetMapper()->GetInput(), models.GetData(i));
    EXPECT_EQ(actor->GetReferenceCount(), 1); // the collection's only
  }
  actors->Delete();

  vDataResourceFake empty;
  vtkActorCollection* none = empty.GetOutput();
  EXPECT_EQ(none->GetNumberOfItems(), 0);
  none->Delete();
}

TEST(vDataResource, RealMeshesAndGridsKeepTheirCells)
{
  vtkNew<vtkDataSetReader> reader;
  reader->SetFileName(vTestData("mesh/vtk/fran_cut.vtk").c_str());
  reader->Update();
  ASSERT_NE(reader->GetPolyDataOutput(), nullptr);

  vDataResource models;
  ASSERT_EQ(models.AddData(reader->GetOutput()), 0);
  vtkPolyData* face = vtkPolyData::SafeDownCast(models.GetData(0));
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(face->GetNumberOfPoints(), 2205);
  EXPECT_EQ(face->GetNumberOfPolys(), 4224);
  EXPECT_NE(face->GetPointData()->GetTCoords(), nullptr);

  // An unstructured grid is stored as its outer surface instead of losing every cell.
  vtkNew<vtkDataSetReader> gridReader;
  gridReader->SetFileName(vTestData("mesh/vtk/tetraMesh.vtk").c_str());
  gridReader->Update();
  ASSERT_NE(vtkUnstructuredGrid::SafeDownCast(gridReader->GetOutput()), nullptr);
  ASSERT_EQ(models.AddData(gridReader->GetOutput()), 1);
  vtkPolyData* surface = vtkPolyData::SafeDownCast(models.GetData(1));
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->GetNumberOfPolys(), 80);
}
