#include "vMesh3DLayer.h"

#include "vRenderingTestScene.h"

#include "vRenderBaseline.h"

#include <vtkActor.h>
#include <vtkActorCollection.h>
#include <vtkCellArray.h>
#include <vtkDataSetMapper.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkProperty.h>
#include <vtkSphereSource.h>
#include <vtkTransform.h>

#include <gtest/gtest.h>

#include <vector>

namespace
{
vtkSmartPointer<vtkPolyData> PointSet(int count, double spacing = 10.0)
{
  vtkNew<vtkPoints> points;
  for (int i = 0; i < count; ++i)
  {
    const int row = i / 12; // twelve points a row
    points->InsertNextPoint(spacing * (i % 12), spacing * row, 0.0);
  }
  auto data = vtkSmartPointer<vtkPolyData>::New();
  data->SetPoints(points);
  return data;
}

/** A cube of side 40 centred on the origin: 8 points and 12 triangles. */
vtkSmartPointer<vtkPolyData> Cube()
{
  vtkNew<vtkPoints> points;
  for (int i = 0; i < 8; ++i)
  {
    points->InsertNextPoint(i & 1 ? 20 : -20, i & 2 ? 20 : -20, i & 4 ? 20 : -20);
  }
  // Two triangles per face, outward.
  const vtkIdType faces[12][3] = { { 0, 2, 3 },
    { 0, 3, 1 },
    { 4, 5, 7 },
    { 4, 7, 6 },
    { 0, 1, 5 },
    { 0, 5, 4 },
    { 2, 6, 7 },
    { 2, 7, 3 },
    { 0, 4, 6 },
    { 0, 6, 2 },
    { 1, 3, 7 },
    { 1, 7, 5 } };
  vtkNew<vtkCellArray> triangles;
  for (const auto& face : faces)
  {
    triangles->InsertNextCell(3, face);
  }
  auto cube = vtkSmartPointer<vtkPolyData>::New();
  cube->SetPoints(points);
  cube->SetPolys(triangles);
  return cube;
}

vtkActor* FirstActor(vMesh3DLayer* layer)
{
  return vtkActor::SafeDownCast(layer->GetOutput()->GetItemAsObject(0));
}

int Representation(vMesh3DLayer* layer)
{
  return FirstActor(layer)->GetProperty()->GetRepresentation();
}
} // namespace

TEST(MeshLayer, OneActorPerDataSetInTheLayerColour)
{
  auto a = vReadTestMesh("mesh/vtk/fran_cut.vtk");
  vtkNew<vtkSphereSource> sphere;
  sphere->Update();
  vDataResourceFake model;
  model.SetName("pair");
  model.AddData(a);
  model.AddData(sphere->GetOutput());
  vMesh3DLayer layer;
  EXPECT_EQ(layer.GetType(), "MeshLayer");
  EXPECT_EQ(layer.GetProperty()->GetValue("Representation"), "Surface");
  EXPECT_EQ(layer.GetProperty()->GetColorMap(), "False");
  EXPECT_EQ(layer.GetProperty()->GetValue("Transform"), "False");
  layer.AddInput(&model);
  EXPECT_EQ(layer.GetNumberOfItems(), 2);
  EXPECT_EQ(layer.GetOutput()->GetNumberOfItems(), 2);
  EXPECT_EQ(layer.GetFirstResourceName(), "pair");
  EXPECT_EQ(layer.GetProperty()->GetResourceName(), "pair");
  vtkActor* actor = FirstActor(&layer);
  EXPECT_EQ(actor->GetMapper()->GetInput(), a.GetPointer()); // drawn from its own geometry
  EXPECT_EQ(actor->GetMapper()->GetScalarVisibility(), 0);
  EXPECT_EQ(actor->GetPickable(), 1);

  double colour[3] = { 0.005, 0.5, 1.0 };
  layer.SetColor(colour);
  double back[3];
  ASSERT_NE(layer.GetBackfaceProperty(0), nullptr);
  layer.GetBackfaceProperty(0)->GetColor(back);
  EXPECT_DOUBLE_EQ(back[0], 0.005);
  EXPECT_DOUBLE_EQ(back[1], 0.49);
  EXPECT_DOUBLE_EQ(back[2], 0.99);
  double front[3];
  actor->GetProperty()->GetColor(front);
  EXPECT_DOUBLE_EQ(front[1], 0.5);

  layer.SetRepresentation(1);
  EXPECT_EQ(Representation(&layer), VTK_WIREFRAME);
  layer.SetRepresentation(7);
  EXPECT_EQ(Representation(&layer), VTK_WIREFRAME);
  EXPECT_EQ(layer.GetRepresentation(), 7);
  layer.SetRepresentation(2);
  EXPECT_EQ(Representation(&layer), VTK_POINTS);

  // Resources that hold no data sets, or are no model, give no actors.
  vDataResourceFake empty;
  vMesh3DLayer nothing;
  nothing.AddInput(&empty);
  nothing.AddInput(nullptr);
  EXPECT_EQ(nothing.GetNumberOfItems(), 0);
  double centre[3] = { 9, 9, 9 };
  nothing.GetGeometryCenter(centre);
  EXPECT_EQ(centre[0], 0.0);
  EXPECT_EQ(nothing.GetLut(), nullptr);
}

TEST(MeshLayer, SmallPointSetsBecomeSpheresOnTheirPoints)
{
  auto small = PointSet(128);
  auto large = PointSet(129);
  auto smallHandle = vMakeHandle(small, "small");
  auto largeHandle = vMakeHandle(large, "large");
  vMesh3DLayer spheres;
  spheres.AddInput(smallHandle.get());
  vMesh3DLayer cloud;
  cloud.AddInput(largeHandle.get());

  vtkMapper* mapper = FirstActor(&spheres)->GetMapper();
  mapper->Update();
  vtkDataSet* drawn = mapper->GetInput();
  ASSERT_NE(drawn, small.GetPointer());
  double bounds[6];
  drawn->GetBounds(bounds);
  // Points span 0..110 in x and 0..100 in y; the spheres of radius 2 reach 2 beyond them (a
  // little less, as the spheres are tessellated).
  EXPECT_NEAR(bounds[0], -2.0, 0.1);
  EXPECT_NEAR(bounds[1], 112.0, 0.1);
  EXPECT_NEAR(bounds[3], 102.0, 0.1);
  EXPECT_GT(drawn->GetNumberOfCells(), 128);
  EXPECT_EQ(Representation(&spheres), VTK_SURFACE); // markers are surfaces

  EXPECT_EQ(FirstActor(&cloud)->GetMapper()->GetInput(), large.GetPointer());
  // Without polygons a data set is drawn as points, whatever the representation says.
  EXPECT_EQ(Representation(&cloud), VTK_POINTS);
}

TEST(MeshLayer, SmallSurfacesAreDrawnAsTheirSurfaces)
{
  // A cube (8 points) and a strip of two triangles (4 points): far fewer points than the limit,
  // yet surfaces, drawn as they are and not as a cluster of spheres.
  auto cube = Cube();
  vtkNew<vtkPoints> points;
  points->InsertNextPoint(0, 0, 0);
  points->InsertNextPoint(10, 0, 0);
  points->InsertNextPoint(0, 10, 0);
  points->InsertNextPoint(10, 10, 0);
  vtkNew<vtkCellArray> strips;
  const vtkIdType strip[4] = { 0, 1, 2, 3 };
  strips->InsertNextCell(4, strip);
  auto ribbon = vtkSmartPointer<vtkPolyData>::New();
  ribbon->SetPoints(points);
  ribbon->SetStrips(strips);
  for (vtkPolyData* surface : { cube.GetPointer(), ribbon.GetPointer() })
  {
    auto handle = vMakeHandle(surface, "small");
    vMesh3DLayer layer;
    layer.AddInput(handle.get());
    EXPECT_EQ(FirstActor(&layer)->GetMapper()->GetInput(), surface);
    EXPECT_EQ(Representation(&layer), VTK_SURFACE);
  }
}

TEST(MeshLayer, TriangleStripsAreSurfaces)
{
  auto skin = vReadTestMesh("mesh/vtk/skin.vtk");
  ASSERT_GT(vtkPolyData::SafeDownCast(skin)->GetNumberOfStrips(), 0);
  ASSERT_EQ(vtkPolyData::SafeDownCast(skin)->GetNumberOfPolys(), 0);
  auto handle = vMakeHandle(skin, "skin");
  vMesh3DLayer layer;
  layer.AddInput(handle.get());
  EXPECT_EQ(Representation(&layer), VTK_SURFACE);
}

TEST(MeshLayer, ColourMapRangeAndOff)
{
  vtkNew<vtkSphereSource> sphere;
  sphere->SetThetaResolution(16);
  sphere->SetPhiResolution(16); // more than 128 points: drawn from its own geometry
  sphere->Update();
  vtkPolyData* data = sphere->GetOutput();
  auto handle = vMakeHandle(data, "ball");
  vMesh3DLayer layer;
  layer.AddInput(handle.get());
  layer.SetColorMapRange(10, 20);
  std::vector<double> values(data->GetNumberOfPoints(), 15.0);
  layer.SetColorMap(values.data(), static_cast<int>(values.size()));
  EXPECT_EQ(layer.GetProperty()->GetColorMap(), "True");
  vtkMapper* mapper = FirstActor(&layer)->GetMapper();
  EXPECT_EQ(mapper->GetScalarVisibility(), 1);
  EXPECT_DOUBLE_EQ(mapper->GetScalarRange()[0], 10.0);
  EXPECT_DOUBLE_EQ(mapper->GetScalarRange()[1], 20.0);
  vtkDataArray* scalars = mapper->GetInput()->GetPointData()->GetScalars();
  ASSERT_NE(scalars, nullptr);
  EXPECT_EQ(scalars->GetVoidPointer(0), static_cast<void*>(values.data())); // not copied
  // The model's own data set is left without the caller's values.
  EXPECT_EQ(data->GetPointData()->GetScalars(), nullptr);
  double min = 0, max = 0;
  layer.GetColorMapRange(min, max);
  EXPECT_DOUBLE_EQ(max, 20.0);
  layer.ColorMapOff();
  EXPECT_EQ(mapper->GetScalarVisibility(), 0);
  EXPECT_EQ(layer.GetProperty()->GetColorMap(), "True");

  // A value list of the wrong length colours nothing (no read past its end).
  vMesh3DLayer other;
  other.AddInput(handle.get());
  other.SetColorMap(values.data(), 3);
  EXPECT_EQ(FirstActor(&other)->GetMapper()->GetScalarVisibility(), 0);
}

TEST(MeshLayer, ClippingOnOffAndUpdate)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vtkNew<vtkSphereSource> sphere;
  sphere->SetRadius(10);
  sphere->SetThetaResolution(32);
  sphere->SetPhiResolution(32);
  sphere->Update();
  vMesh3DLayer* layer = vAddMesh(scene, sphere->GetOutput(), "ball");
  vtkActor* actor = FirstActor(layer);
  vtkRenderer* inset = scene.Inset();

  // A plane actor without a user matrix: the clipper keeps VTK's default plane (z = 0, normal z).
  vtkNew<vtkActor> plane;
  layer->ClippingOn(plane);
  ASSERT_EQ(layer->GetDisplayActors()->GetNumberOfItems(), 1);
  vtkActor* clipped = vtkActor::SafeDownCast(layer->GetDisplayActors()->GetItemAsObject(0));
  EXPECT_FALSE(inset->GetActors()->IsItemPresent(actor));
  EXPECT_TRUE(inset->GetActors()->IsItemPresent(clipped));
  EXPECT_EQ(clipped->GetProperty(), actor->GetProperty());
  EXPECT_EQ(clipped->GetBackfaceProperty(), layer->GetBackfaceProperty(0));
  clipped->GetMapper()->Update();
  double bounds[6];
  clipped->GetMapper()->GetInput()->GetBounds(bounds);
  EXPECT_NEAR(bounds[4], -10.0, 0.1); // the half below z = 0 stays (inside out)
  EXPECT_NEAR(bounds[5], 0.0, 0.1);
  EXPECT_EQ(layer->Find(clipped), 0);
  EXPECT_EQ(layer->Find(actor), -1);
  layer->SetOpacity(0.5);
  EXPECT_DOUBLE_EQ(clipped->GetProperty()->GetOpacity(), 0.5);
  EXPECT_DOUBLE_EQ(layer->GetBackfaceProperty(0)->GetOpacity(), 0.5);

  // Move the plane up by 5 and tilt nothing: the clip follows.
  vtkNew<vtkTransform> up;
  up->Translate(0, 0, 5);
  plane->SetUserTransform(up);
  layer->UpdateClippingPlane(plane);
  ASSERT_EQ(layer->GetDisplayActors()->GetNumberOfItems(), 1);
  clipped = vtkActor::SafeDownCast(layer->GetDisplayActors()->GetItemAsObject(0));
  clipped->GetMapper()->Update();
  clipped->GetMapper()->GetInput()->GetBounds(bounds);
  EXPECT_NEAR(bounds[5], 5.0, 0.1);
  EXPECT_EQ(inset->GetActors()->GetNumberOfItems(), 1);

  layer->ClippingOff();
  EXPECT_EQ(layer->GetDisplayActors()->GetNumberOfItems(), 0);
  EXPECT_TRUE(inset->GetActors()->IsItemPresent(actor));
  EXPECT_EQ(inset->GetActors()->GetNumberOfItems(), 1);

  // Without a clipper, an update does nothing.
  vMesh3DLayer fresh;
  fresh.UpdateClippingPlane(plane);
  EXPECT_EQ(fresh.GetDisplayActors()->GetNumberOfItems(), 0);
}

namespace
{
void RenderFran(const std::string& baseline, int representation)
{
  vRenderingTestScene scene;
  auto mesh = vReadTestMesh("mesh/vtk/fran_cut.vtk");
  vMesh3DLayer* layer = vAddMesh(scene, mesh, "fran_cut");
  double skin[3] = { 0.9, 0.75, 0.6 };
  layer->SetColor(skin);
  layer->SetRepresentation(representation);
  scene.Frame(-90.0, 0.0); // face on
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, baseline));
}
} // namespace

TEST(MeshLayer, SurfacePicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  RenderFran("MeshLayer_Surface", 0);
}

TEST(MeshLayer, WireframePicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  RenderFran("MeshLayer_Wireframe", 1);
}

TEST(MeshLayer, PointsPicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  RenderFran("MeshLayer_Points", 2);
}

TEST(MeshLayer, ClippedPicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto mesh = vReadTestMesh("mesh/obj/cow.obj");
  vMesh3DLayer* layer = vAddMesh(scene, mesh, "cow");
  double colour[3] = { 0.8, 0.6, 0.4 };
  layer->SetColor(colour);
  // The plane through the cow's centre (normal z) keeps the far half; the plane itself is hidden
  // so that the cut, and the inside of the body behind it, show.
  scene.Viewer->ClippingOn();
  scene.Viewer->GetClippingPlane()->VisibilityOff();
  scene.Frame(70.0, 35.0);
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "MeshLayer_Clipped"));
}

TEST(MeshLayer, StripSurfacePicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto skin = vReadTestMesh("mesh/vtk/skin.vtk");
  vMesh3DLayer* layer = vAddMesh(scene, skin, "skin");
  double colour[3] = { 0.95, 0.8, 0.7 };
  layer->SetColor(colour);
  // Face on: the scan's z axis runs from the feet to the head.
  vtkCamera* camera = scene.Inset()->GetActiveCamera();
  camera->SetFocalPoint(0, 0, 0);
  camera->SetPosition(0, -1, 0);
  camera->SetViewUp(0, 0, -1);
  scene.Inset()->ResetCamera();
  scene.Viewer->Render();
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "MeshLayer_StripSurface"));
}

TEST(MeshLayer, SpheresPicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto teeth = vReadTestMesh("mesh/vtk/teeth.vtk");
  ASSERT_LE(teeth->GetNumberOfPoints(), 128);
  vMesh3DLayer* layer = vAddMesh(scene, teeth, "teeth");
  double colour[3] = { 1.0, 0.9, 0.2 };
  layer->SetColor(colour);
  // The points themselves, drawn as a thin line, show that each sphere sits on its point.
  vtkNew<vtkDataSetMapper> mapper;
  mapper->SetInputData(teeth);
  vtkNew<vtkActor> line;
  line->SetMapper(mapper);
  line->GetProperty()->SetColor(1, 0, 0);
  scene.Inset()->AddActor(line);
  scene.Frame(0.0, 0.0);
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "MeshLayer_Spheres"));
}

TEST(MeshLayer, SmallSurfacePicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vMesh3DLayer* layer = vAddMesh(scene, Cube(), "cube");
  double colour[3] = { 0.3, 0.7, 0.9 };
  layer->SetColor(colour);
  scene.Frame(30.0, 25.0);
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "MeshLayer_SmallSurface"));
}
