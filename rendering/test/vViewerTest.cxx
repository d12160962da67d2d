#include "vViewer.h"

#include "vRenderableReference.h"
#include "vRenderingTestScene.h"

#include "vRenderBaseline.h"

#include <vtkActor.h>
#include <vtkActor2DCollection.h>
#include <vtkActorCollection.h>
#include <vtkAxesActor.h>
#include <vtkCoordinate.h>
#include <vtkMatrix4x4.h>
#include <vtkScalarBarActor.h>
#include <vtkSphereSource.h>
#include <vtkTransform.h>
#include <vtkWeakPointer.h>

#include <gtest/gtest.h>

namespace
{
vtkSmartPointer<vtkPolyData> Sphere(double radius = 10.0, double x = 0.0)
{
  vtkNew<vtkSphereSource> source;
  source->SetRadius(radius);
  source->SetCenter(x, 0, 0);
  source->SetThetaResolution(24);
  source->SetPhiResolution(24);
  source->Update();
  return source->GetOutput();
}

/** A layer without a resource name. */
vMesh3DLayer* AddUnnamed(vViewer& viewer)
{
  auto* layer = new vMesh3DLayer;
  if (viewer.AddInput(layer) < 0)
  {
    delete layer;
    return nullptr;
  }
  return layer;
}
} // namespace

TEST(Viewer, AttachingAddsInsetAndAxesRenderers)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vRendererManager& manager = scene.Manager;
  EXPECT_EQ(scene.Viewer->GetFirstRendererId(), 1);
  EXPECT_EQ(manager.GetNumberOfRenderer(), 3);
  EXPECT_EQ(manager.Find("IV"), 1);
  EXPECT_EQ(manager.Find("Axes"), 2);
  EXPECT_EQ(manager.GetRendererName(),
    std::string("Number of renderers: 2\r\n") + "-------------------------\r\n" +
      "id                  name                \r\n" +
      "1                   IV                  \r\n" + "2                   Axes                ");
  vtkRenderer* axes = manager.GetRenderer(2);
  EXPECT_EQ(axes->GetLayer(), 1);
  EXPECT_EQ(axes->GetActiveCamera(), manager.GetRenderer(1)->GetActiveCamera());
  EXPECT_EQ(scene.Window->GetNumberOfLayers(), 2);
  EXPECT_EQ(manager.SearchRegistry("viewer"), 0);

  // Destroying the viewer takes its renderers away and darkens the main renderer again.
  scene.Viewer.reset();
  EXPECT_EQ(manager.GetNumberOfRenderer(), 1);
  EXPECT_EQ(manager.GetRendererName(), "No available renderers");
  EXPECT_EQ(manager.SearchRegistry("Viewer"), -1);
}

TEST(Viewer, DeletingAViewerLeavesOtherWindowsAlone)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vtkRenderWindow* second = scene.Manager.CreateNewRenderWindow();
  vtkNew<vtkRenderer> main;
  second->AddRenderer(main);
  vViewer other;
  other.SetRenderer(&scene.Manager);
  EXPECT_EQ(scene.Manager.GetNumberOfRenderer(1), 3);
  // The second tab is current; the first tab's viewer goes.
  scene.Viewer.reset();
  EXPECT_EQ(scene.Manager.GetNumberOfRenderer(0), 1);
  EXPECT_EQ(scene.Manager.GetNumberOfRenderer(1), 3);
  EXPECT_EQ(scene.Manager.GetCurrentRenderWindowId(), 1);
}

TEST(Viewer, LayerNamesColoursAndTable)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vViewer& viewer = *scene.Viewer;
  auto sphere = Sphere();
  vMesh3DLayer* ct = vAddMesh(scene, sphere, "CT");
  vMesh3DLayer* ct0 = vAddMesh(scene, sphere, "CT");
  vMesh3DLayer* unnamed = AddUnnamed(viewer);
  vMesh3DLayer* ct1 = vAddMesh(scene, sphere, "CT");
  ASSERT_TRUE(ct && ct0 && unnamed && ct1);
  EXPECT_EQ(ct->GetName(), "Layer_CT");
  EXPECT_EQ(ct0->GetName(), "Layer_CT0");
  EXPECT_EQ(unnamed->GetName(), "Layer_2 ");
  EXPECT_EQ(ct1->GetName(), "Layer_CT1");
  EXPECT_EQ(viewer.GetNumberOfItems(), 4);

  // Palette order: white, dark green, green, blue.
  const double expected[4][3] = { { 1, 1, 1 }, { 0, 0.5, 0 }, { 0, 1, 0 }, { 0, 0, 1 } };
  for (int i = 0; i < 4; ++i)
  {
    double rgb[3];
    viewer.GetInput(i)->GetColor(rgb);
    EXPECT_DOUBLE_EQ(rgb[0], expected[i][0]);
    EXPECT_DOUBLE_EQ(rgb[1], expected[i][1]);
    EXPECT_DOUBLE_EQ(rgb[2], expected[i][2]);
  }
  EXPECT_EQ(ct->GetRenderer(), scene.Inset());
  EXPECT_EQ(ct->GetRendererName(), "IV");
  EXPECT_EQ(ct->GetRenderWindow(), scene.Window);

  // Find trims the stored names; GetInput compares them as they are, ignoring case only.
  EXPECT_EQ(viewer.Find("Layer_2"), 2);
  EXPECT_EQ(viewer.GetInput("Layer_2"), nullptr);
  EXPECT_EQ(viewer.GetInput("LAYER_2 "), unnamed);
  EXPECT_EQ(viewer.GetInput("layer_ct0"), ct0);
  EXPECT_EQ(viewer.Find(static_cast<vLayer*>(ct1)), 3);
  EXPECT_EQ(viewer.Find(std::string("layer_ct")), -1);

  const std::string table = std::string("number of layers: 4\r\n") +
    "-------------------------\r\n" +
    "id        name                resource            ren                 \n" +
    "0         Layer_CT            CT                  IV                  \r\n" +
    "1         Layer_CT0           CT                  IV                  \r\n" +
    "2         Layer_2             No resource         IV                  \r\n" +
    "3         Layer_CT1           CT                  IV                  ";
  EXPECT_EQ(viewer.GetLayerInfo(), table);
  EXPECT_EQ(viewer.GetLayerInfo(0), "name: Layer_CT\r\nResource name: CT\r\nRenderer: IV");
  EXPECT_EQ(
    viewer.GetLayerInfo(2), "name: Layer_2 \r\nResource name: No resources\r\nRenderer: IV");
  EXPECT_EQ(viewer.GetLayerInfo(9), "");
  EXPECT_EQ(ct->ToV(), "new layer mesh CT IV");

  // Traversal.
  viewer.InitTraversal();
  EXPECT_EQ(viewer.GetNextInput(), ct);
  EXPECT_EQ(viewer.GetNextInput("layer_ct1"), ct1);
  EXPECT_EQ(viewer.GetCurrentItem(), 4);
  EXPECT_EQ(viewer.GetNextInput(), nullptr);
  EXPECT_EQ(viewer.GetNextInput("Layer_CT"), nullptr);
  EXPECT_EQ(viewer.GetCurrentItem(), 4);
  EXPECT_EQ(viewer.GetInput(-1), nullptr);
  EXPECT_EQ(viewer.GetInput(4), nullptr);
}

TEST(Viewer, EmptyAndDetachedViewers)
{
  vViewer viewer;
  EXPECT_EQ(viewer.GetName(), "Viewer");
  EXPECT_EQ(viewer.GetType(), "Viewer");
  EXPECT_EQ(viewer.ToV(), "");
  EXPECT_EQ(viewer.GetLayerInfo(), "No Layers");
  EXPECT_EQ(viewer.GetInput(), nullptr);
  EXPECT_EQ(viewer.GetKeyLayer(), nullptr);
  EXPECT_EQ(viewer.EnlargeOn("IV"), -1);
  EXPECT_EQ(viewer.EnlargeOff(), -1);
  EXPECT_EQ(viewer.GetProperty()->GetValue("Axes"), "On");
  // No window to draw in: the layer is refused and stays the caller's.
  vMesh3DLayer layer;
  EXPECT_EQ(viewer.AddInput(&layer), -1);
  EXPECT_EQ(viewer.GetNumberOfItems(), 0);
  viewer.Render();
  viewer.ResetCamera();
  viewer.ClippingOn();
  viewer.RemoveItem(0);
  viewer.SetColorBar(1);
  EXPECT_EQ(viewer.GetColorBar(), nullptr);
}

TEST(Viewer, RefusesLayersItCannotPlace)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vViewer& viewer = *scene.Viewer;
  vMesh3DLayer layer;
  EXPECT_EQ(viewer.AddInput(&layer, "no such renderer"), -1);
  EXPECT_EQ(viewer.AddInput(&layer, 7), -1);
  EXPECT_EQ(viewer.AddInput(nullptr), -1);
  EXPECT_EQ(layer.GetRenderer(), nullptr);
  double rgb[3];
  layer.GetColor(rgb);
  EXPECT_DOUBLE_EQ(rgb[0], 1.0); // no palette colour was taken for a refused layer
  EXPECT_EQ(viewer.GetNumberOfItems(), 0);

  // Named and indexed renderers: "Axes" is index 1 past the inset renderer.
  auto* axesLayer = new vMesh3DLayer;
  EXPECT_EQ(viewer.AddInput(axesLayer, "Axes"), 0);
  EXPECT_EQ(axesLayer->GetRendererName(), "Axes");
  EXPECT_EQ(axesLayer->GetRenderer(), scene.Manager.GetRenderer(2));
  auto* mainLayer = new vMesh3DLayer;
  EXPECT_EQ(viewer.AddInput(mainLayer, -1), 1);
  EXPECT_EQ(mainLayer->GetRendererName(), "main");
  EXPECT_EQ(viewer.AddInput(mainLayer), -1); // already in the viewer
}

TEST(Viewer, HoldsAtMost128LayersAndPaletteRunsOut)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vViewer& viewer = *scene.Viewer;
  // Take all but one palette entry, so the second layer finds none left.
  for (int i = 0; i < 255; ++i)
  {
    viewer.GetColorMap()->GetNextUsableColor();
  }
  viewer.GetColorMap()->SetColor(255, 0.1, 0.2, 0.3);
  vMesh3DLayer* last = AddUnnamed(viewer);
  double rgb[3];
  last->GetColor(rgb);
  EXPECT_DOUBLE_EQ(rgb[0], 0.1); // the last palette entry
  ASSERT_EQ(viewer.GetColorMap()->GetNextUsableColor(), nullptr);
  const double mine[3] = { 0.25, 0.5, 0.75 };
  auto* coloured = new vMesh3DLayer;
  coloured->GetProperty()->SetColor(mine);
  ASSERT_EQ(viewer.AddInput(coloured), 1);
  coloured->GetColor(rgb);
  EXPECT_DOUBLE_EQ(rgb[0], 0.25); // keeps its own colour
  for (int i = 2; i < vViewer::MaxNumberOfLayers; ++i)
  {
    ASSERT_NE(AddUnnamed(viewer), nullptr);
  }
  EXPECT_EQ(viewer.GetNumberOfItems(), 128);
  vMesh3DLayer extra;
  EXPECT_EQ(viewer.AddInput(&extra), -1);
  EXPECT_EQ(viewer.GetNumberOfItems(), 128);
  EXPECT_EQ(viewer.GetInput(127)->GetName(), "Layer_127 ");
}

TEST(Viewer, RemovalByIndexAndNameAndKeyLayer)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vViewer& viewer = *scene.Viewer;
  auto sphere = Sphere();
  vAddMesh(scene, sphere, "CT");
  vMesh3DLayer* mr = vAddMesh(scene, sphere, "MR");
  vMesh3DLayer* pet = vAddMesh(scene, sphere, "PET");
  vAddMesh(scene, sphere, "CT");
  EXPECT_EQ(scene.Inset()->GetActors()->GetNumberOfItems(), 4);

  viewer.SetKeyLayer(2);
  EXPECT_EQ(viewer.GetKeyLayer(), pet);
  EXPECT_EQ(viewer.SearchResource("PET"), 2);
  EXPECT_EQ(viewer.SearchResource("CT"), 0);
  EXPECT_EQ(viewer.SearchResource("US"), -1);

  viewer.RemoveItem(0);
  EXPECT_EQ(viewer.GetNumberOfItems(), 3);
  EXPECT_EQ(viewer.GetInput(0), mr);
  EXPECT_EQ(viewer.GetKeyLayerId(), 1); // the key layer moved down with the list
  EXPECT_EQ(viewer.GetKeyLayer(), pet);
  EXPECT_EQ(scene.Inset()->GetActors()->GetNumberOfItems(), 3);
  viewer.RemoveItem(1);
  EXPECT_EQ(viewer.GetKeyLayerId(), -1);
  viewer.RemoveItem(5);
  viewer.RemoveItem(-1);
  EXPECT_EQ(viewer.GetNumberOfItems(), 2);

  vAddMesh(scene, sphere, "CT"); // a second layer named Layer_CT0 next to Layer_CT
  viewer.RemoveItem("  layer_ct ");
  ASSERT_EQ(viewer.GetNumberOfItems(), 2);
  EXPECT_EQ(viewer.GetInput(0), mr);
  EXPECT_EQ(viewer.GetInput(1)->GetName(), "Layer_CT0");
  EXPECT_EQ(scene.Inset()->GetActors()->GetNumberOfItems(), 2);
  EXPECT_EQ(viewer.GetBuilt(), 1); // RemoveItem by name renders
}

TEST(Viewer, ForwardsSceneOperations)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vViewer& viewer = *scene.Viewer;
  auto sphere = Sphere();
  vMesh3DLayer* a = vAddMesh(scene, sphere, "A");
  vMesh3DLayer* b = vAddMesh(scene, sphere, "B");
  double red[3] = { 1, 0, 0 };
  viewer.SetColor(red);
  double rgb[3];
  b->GetColor(rgb);
  EXPECT_DOUBLE_EQ(rgb[1], 0.0);
  viewer.SetOpacity(0.5);
  EXPECT_DOUBLE_EQ(a->GetProperty()->GetOpacity(), 0.5);
  viewer.SetOpacity("layer_b", 0.25);
  EXPECT_DOUBLE_EQ(b->GetProperty()->GetOpacity(), 0.25);
  EXPECT_DOUBLE_EQ(a->GetProperty()->GetOpacity(), 0.5);
  viewer.HideLayer(1);
  EXPECT_EQ(b->GetProperty()->GetVisibility(), 0);
  viewer.ShowLayer(1);
  EXPECT_EQ(b->GetProperty()->GetVisibility(), 1);
  viewer.HideLayer(9);

  double grey[3] = { 0.2, 0.3, 0.4 };
  viewer.SetBackgroundColor(grey);
  double background[3];
  scene.Inset()->GetBackground(background);
  EXPECT_DOUBLE_EQ(background[2], 0.4);
  scene.Manager.GetRenderer(0)->GetBackground(background);
  EXPECT_DOUBLE_EQ(background[2], 0.0);

  double m[16] = { 1, 0, 0, 5, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
  viewer.SetTransform(m);
  EXPECT_EQ(a->GetProperty()->GetValue("Transform"), "True");
  EXPECT_DOUBLE_EQ(a->GetTransformObject()->GetMatrix()->GetElement(0, 3), 5.0);

  // Mirror of the viewer mirrors each layer once, without passing it on to friends.
  a->AddFriend(b);
  a->WorkWithFriend(1);
  viewer.Mirror();
  EXPECT_DOUBLE_EQ(a->GetTransformObject()->GetMatrix()->GetElement(0, 3), -5.0);
  EXPECT_DOUBLE_EQ(b->GetTransformObject()->GetMatrix()->GetElement(0, 3), -5.0);
  EXPECT_EQ(a->WorkWithFriend(1), 1);
  viewer.Flip();
  EXPECT_DOUBLE_EQ(b->GetTransformObject()->GetMatrix()->GetElement(1, 1), -1.0);

  // The camera of the axes renderer is shared, but its own reset is never called.
  viewer.ShowAxes(false);
  EXPECT_EQ(viewer.GetAxesActor()->GetVisibility(), 0);
  EXPECT_EQ(viewer.GetProperty()->GetAxes(), 0);
  viewer.AxiesOn();
  EXPECT_EQ(viewer.GetAxesActor()->GetVisibility(), 1);
}

TEST(Viewer, ResetCameraSkipsTheAxesRenderer)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  // Give the axes renderer a camera of its own to see whether it is reset.
  vtkRenderer* axes = scene.Manager.GetRenderer(2);
  vtkNew<vtkCamera> own;
  own->SetPosition(0, 0, 1234);
  axes->SetActiveCamera(own);
  auto sphere = Sphere();
  vAddMesh(scene, sphere, "S");
  scene.Viewer->ResetCamera();
  EXPECT_DOUBLE_EQ(own->GetPosition()[2], 1234.0);
  EXPECT_LT(scene.Inset()->GetActiveCamera()->GetPosition()[2], 1000.0);
}

TEST(Viewer, ColourBarPlacement)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vViewer& viewer = *scene.Viewer;
  viewer.SetColorBar(3); // no layer, no lookup table: no bar
  EXPECT_EQ(viewer.GetColorBar(), nullptr);
  auto sphere = Sphere();
  vAddMesh(scene, sphere, "S");
  viewer.Select(0);

  struct Case
  {
    int Code;
    int Orientation;
    double Width, Height, X, Y;
  };
  const Case cases[] = { { 1, VTK_ORIENT_VERTICAL, 0.1, 0.6, 0.02, 0.2 },
    { 2, VTK_ORIENT_VERTICAL, 0.1, 0.6, 0.88, 0.2 },
    { 3, VTK_ORIENT_HORIZONTAL, 0.6, 0.1, 0.2, 0.88 },
    { 4, VTK_ORIENT_HORIZONTAL, 0.6, 0.1, 0.2, 0.02 } };
  for (const Case& c : cases)
  {
    viewer.SetColorBar(c.Code);
    vtkScalarBarActor* bar = viewer.GetColorBar();
    ASSERT_NE(bar, nullptr) << c.Code;
    EXPECT_EQ(bar->GetOrientation(), c.Orientation);
    EXPECT_DOUBLE_EQ(bar->GetWidth(), c.Width);
    EXPECT_DOUBLE_EQ(bar->GetHeight(), c.Height);
    EXPECT_DOUBLE_EQ(bar->GetPosition()[0], c.X);
    EXPECT_DOUBLE_EQ(bar->GetPosition()[1], c.Y);
    EXPECT_EQ(bar->GetPositionCoordinate()->GetCoordinateSystem(), VTK_NORMALIZED_VIEWPORT);
    EXPECT_EQ(scene.Inset()->GetActors2D()->GetNumberOfItems(), 1);
  }
  vtkScalarBarActor* bar = viewer.GetColorBar();
  viewer.SetColorBar(4);
  EXPECT_EQ(viewer.GetColorBar(), bar); // same code: nothing changes
  EXPECT_EQ(viewer.GetProperty()->GetValue("Color Bar"), "Bottom");
  viewer.SetColorBar(0);
  EXPECT_EQ(viewer.GetColorBar(), nullptr);
  EXPECT_EQ(scene.Inset()->GetActors2D()->GetNumberOfItems(), 0);
}

TEST(Viewer, ClippingPlaneFollowsTheLastMesh)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vViewer& viewer = *scene.Viewer;
  auto near = Sphere(5.0, 0.0);
  auto far = Sphere(5.0, 40.0);
  vMesh3DLayer* a = vAddMesh(scene, near, "near");
  vMesh3DLayer* b = vAddMesh(scene, far, "far");
  viewer.ClippingOn();
  vtkActor* plane = viewer.GetClippingPlane();
  ASSERT_NE(plane, nullptr);
  EXPECT_NEAR(plane->GetUserMatrix()->GetElement(0, 3), 40.0, 1e-6);
  EXPECT_EQ(viewer.GetProperty()->GetValue("Clipping"), "On");
  EXPECT_EQ(a->GetDisplayActors()->GetNumberOfItems(), 1);
  EXPECT_EQ(b->GetDisplayActors()->GetNumberOfItems(), 1);
  EXPECT_TRUE(scene.Inset()->GetActors()->IsItemPresent(plane));

  vtkNew<vtkTransform> up;
  up->Translate(0, 0, 3);
  viewer.MoveClippingPlane(up);
  EXPECT_NEAR(plane->GetUserMatrix()->GetElement(2, 3), 3.0, 1e-9);
  EXPECT_NEAR(plane->GetUserMatrix()->GetElement(0, 3), 40.0, 1e-6);
  viewer.MoveClippingPlane(up);
  EXPECT_NEAR(plane->GetUserMatrix()->GetElement(2, 3), 6.0, 1e-9);

  viewer.ClippingOff();
  EXPECT_EQ(plane->GetVisibility(), 0);
  EXPECT_EQ(a->GetDisplayActors()->GetNumberOfItems(), 0);
  viewer.ClippingOn();
  EXPECT_EQ(viewer.GetClippingPlane(), plane);
  EXPECT_EQ(plane->GetVisibility(), 1);
  vtkWeakPointer<vtkActor> old = plane;
  viewer.ResetClippingPlane();
  EXPECT_EQ(old, nullptr); // released
  ASSERT_NE(viewer.GetClippingPlane(), nullptr);
  EXPECT_TRUE(scene.Inset()->GetActors()->IsItemPresent(viewer.GetClippingPlane()));
  EXPECT_EQ(viewer.GetClippingPlane()->GetUserMatrix()->GetElement(2, 3), 0.0);
}

TEST(Viewer, InsetAndAxesPicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene(400, 300);
  scene.Manager.SetCaption("Welcome to QOVA");
  auto mesh = vReadTestMesh("mesh/obj/cow.obj");
  vAddMesh(scene, mesh, "cow");
  // A lighter main renderer shows the margins around the inset; the axes sit bottom left.
  scene.Manager.GetRenderer(0)->SetBackground(0.3, 0.3, 0.4);
  scene.Frame(30.0, 20.0);
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "Viewer_InsetAndAxes"));
}

TEST(Viewer, ColourBarPicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene(400, 300);
  auto mesh = vReadTestMesh("mesh/vtk/fran_cut.vtk");
  vMesh3DLayer* layer = vAddMesh(scene, mesh, "fran_cut");
  std::vector<double> height(mesh->GetNumberOfPoints());
  for (vtkIdType i = 0; i < mesh->GetNumberOfPoints(); ++i)
  {
    height[i] = mesh->GetPoint(i)[1];
  }
  double bounds[6];
  mesh->GetBounds(bounds);
  layer->SetColorMapRange(bounds[2], bounds[3]);
  layer->SetColorMap(height.data(), static_cast<int>(height.size()));
  scene.Viewer->SetColorBar(2);
  scene.Frame(-90.0, 0.0);
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "Viewer_ColourBar"));
}

TEST(Viewer, RenderFitsTheClippingRangeToNewLayers)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto near = Sphere(5.0, 0.0);
  vAddMesh(scene, near, "near");
  scene.Frame(0.0, 0.0);
  vtkCamera* camera = scene.Inset()->GetActiveCamera();
  const double before = camera->GetClippingRange()[1];
  // A layer far behind the first one: the viewer's render widens the range once for both.
  vtkNew<vtkSphereSource> far;
  far->SetCenter(0, 0, -500);
  far->SetRadius(5);
  far->SetThetaResolution(16);
  far->SetPhiResolution(16);
  far->Update();
  vMesh3DLayer* layer = vAddMesh(scene, far->GetOutput(), "far");
  scene.Viewer->Render();
  EXPECT_EQ(layer->GetBuilt(), 1);
  EXPECT_EQ(layer->GetBatchRendering(), 0);
  const double distance = camera->GetDistance();
  EXPECT_GT(camera->GetClippingRange()[1], before);
  EXPECT_GE(camera->GetClippingRange()[1], distance + 500.0);
  // A layer rendered on its own resets the range itself.
  layer->SetBuilt(0);
  camera->SetClippingRange(1, 2);
  layer->Render();
  EXPECT_GE(camera->GetClippingRange()[1], distance + 500.0);
}

TEST(Viewer, ForgetsALayerDestroyedElsewhere)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vViewer& viewer = *scene.Viewer;
  auto sphere = Sphere();
  vAddMesh(scene, sphere, "A");
  vMesh3DLayer* b = vAddMesh(scene, sphere, "B");
  vMesh3DLayer* c = vAddMesh(scene, sphere, "C");
  viewer.SetKeyLayer(2);
  delete b;
  ASSERT_EQ(viewer.GetNumberOfItems(), 2);
  EXPECT_EQ(viewer.GetInput(1), c);
  EXPECT_EQ(viewer.GetKeyLayer(), c);
  EXPECT_EQ(scene.Inset()->GetActors()->GetNumberOfItems(), 2);
  viewer.SetBuilt(0);
  viewer.Render();
  viewer.SetOpacity(0.5);
}

TEST(Viewer, RemoveAllItemsDestroysTheLayers)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto sphere = Sphere();
  vRenderableReference<vMesh3DLayer> layer = vAddMesh(scene, sphere, "A");
  ASSERT_TRUE(layer.IsAlive());
  EXPECT_EQ(layer.Get()->GetNumberOfConsumers(), 1);
  scene.Viewer->RemoveAllItems();
  EXPECT_EQ(scene.Viewer->GetNumberOfItems(), 0);
  EXPECT_FALSE(layer.IsAlive());
}
