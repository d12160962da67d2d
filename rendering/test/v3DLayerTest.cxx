#include "v3DLayer.h"

#include "v2DLayer.h"
#include "vLayerCollection.h"
#include "vRenderingTestScene.h"
#include "vTextResource.h"

#include "vRenderBaseline.h"

#include <vtkActor.h>
#include <vtkActor2DCollection.h>
#include <vtkActorCollection.h>
#include <vtkMatrix4x4.h>
#include <vtkProperty.h>
#include <vtkSphereSource.h>
#include <vtkTransform.h>

#include <gtest/gtest.h>

namespace
{
vtkSmartPointer<vtkPolyData> Ball(double x, double y, double z, double radius = 5.0)
{
  vtkNew<vtkSphereSource> source;
  source->SetCenter(x, y, z);
  source->SetRadius(radius);
  source->SetThetaResolution(16);
  source->SetPhiResolution(16);
  source->Update();
  return source->GetOutput();
}

double Element(v3DLayer& layer, int row, int column)
{
  return layer.GetTransformObject()->GetMatrix()->GetElement(row, column);
}

vtkActor* First(v3DLayer& layer)
{
  return vtkActor::SafeDownCast(layer.GetOutput()->GetItemAsObject(0));
}

/** A mesh layer with one ball, outside any viewer. */
struct LoneLayer
{
  explicit LoneLayer(vtkPolyData* data)
  {
    auto handle = vMakeHandle(data, "ball");
    this->Layer.AddInput(handle.get());
  }
  vMesh3DLayer Layer;
};
} // namespace

TEST(Layer3D, PlacementReplacesAndReflectionComposes)
{
  auto ball = Ball(0, 0, 0);
  LoneLayer lone(ball);
  vMesh3DLayer& layer = lone.Layer;
  EXPECT_EQ(layer.GetProperty()->GetValue("Bounding Box"), "Off");
  EXPECT_DOUBLE_EQ(layer.GetProperty()->GetOpacity(), 1.0);

  layer.SetPosition(10, 0, 0);
  EXPECT_DOUBLE_EQ(Element(layer, 0, 3), 10.0);
  EXPECT_EQ(First(layer)->GetUserTransform(), layer.GetTransformObject());
  layer.RotateZ(90);
  EXPECT_DOUBLE_EQ(Element(layer, 0, 3), 0.0); // the translation is gone
  EXPECT_NEAR(Element(layer, 1, 0), 1.0, 1e-12);

  layer.SetPosition(10, 0, 0);
  layer.Mirror();
  EXPECT_DOUBLE_EQ(Element(layer, 0, 0), -1.0);
  EXPECT_DOUBLE_EQ(Element(layer, 0, 3), -10.0);
  double centre[3];
  layer.GetGeometryCenter(centre);
  EXPECT_NEAR(centre[0], -10.0, 1e-6);
  layer.Mirror();
  EXPECT_DOUBLE_EQ(Element(layer, 0, 0), 1.0);
  EXPECT_DOUBLE_EQ(Element(layer, 0, 3), 10.0);
  layer.Flip();
  layer.Flip();
  EXPECT_DOUBLE_EQ(Element(layer, 1, 1), 1.0);
  layer.Flip();
  EXPECT_DOUBLE_EQ(Element(layer, 1, 1), -1.0);

  double m[16] = { 1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1 };
  layer.SetTransform(m);
  EXPECT_DOUBLE_EQ(Element(layer, 2, 3), 3.0);
  double stored[16];
  layer.GetTransform(stored);
  EXPECT_DOUBLE_EQ(stored[7], 2.0);
  EXPECT_EQ(layer.GetProperty()->GetValue("Transform"), "True");
}

TEST(Layer3D, FriendsFollowMirrorAndOpacityOnlyWhenAsked)
{
  auto ball = Ball(0, 0, 0);
  LoneLayer a(ball), b(ball), c(ball);
  a.Layer.SetPosition(5, 0, 0);
  b.Layer.SetPosition(5, 0, 0);
  // The base behaviour passes Mirror on to friends.
  vMesh3DLayer& layer = a.Layer;
  EXPECT_EQ(layer.AddFriend(&b.Layer), 0);
  EXPECT_EQ(layer.AddFriend(nullptr), -1);
  layer.WorkWithFriend(1);
  layer.vLayer::Mirror();
  EXPECT_DOUBLE_EQ(Element(b.Layer, 0, 3), -5.0);
  EXPECT_DOUBLE_EQ(Element(a.Layer, 0, 3), 5.0); // the base call moves only the friends
  EXPECT_EQ(b.Layer.WorkWithFriend(0), 0);

  layer.SetOpacity(0.3);
  EXPECT_DOUBLE_EQ(First(b.Layer)->GetProperty()->GetOpacity(), 0.3);

  layer.RemoveAllFriends();
  EXPECT_EQ(layer.GetNumberOfFriends(), 0);
  layer.vLayer::Mirror();
  EXPECT_DOUBLE_EQ(Element(b.Layer, 0, 3), -5.0);
  layer.SetOpacity(0.9);
  EXPECT_DOUBLE_EQ(First(b.Layer)->GetProperty()->GetOpacity(), 0.3);

  for (int i = 0; i < vLayer::MaxNumberOfFriends; ++i)
  {
    ASSERT_EQ(layer.AddFriend(&c.Layer), i);
  }
  EXPECT_EQ(layer.AddFriend(&c.Layer), -1);
  EXPECT_EQ(layer.GetNumberOfFriends(), 128);
  layer.RemoveFriend(0);
  layer.RemoveFriend(500);
  EXPECT_EQ(layer.GetNumberOfFriends(), 127);
  EXPECT_EQ(layer.GetFriend(127), nullptr);
  EXPECT_EQ(layer.GetFriend(126), &c.Layer);
}

TEST(Layer3D, ResourceNamesAndLayerInfo)
{
  vMesh3DLayer layer;
  EXPECT_EQ(layer.GetFirstResourceName(), "No resource");
  EXPECT_EQ(layer.GetResourceName(0), "GetResourceName: data overflow");
  EXPECT_EQ(layer.GetResourceName(-1), "GetResourceName: data overflow");
  auto ball = Ball(0, 0, 0);
  auto first = vMakeHandle(ball, "head");
  auto second = vMakeHandle(ball, "brain");
  layer.AddInput(first.get());
  layer.AddInput(second.get());
  EXPECT_EQ(layer.GetNumberOfItems(), 2);
  EXPECT_EQ(layer.SearchResource("brain"), 1);
  EXPECT_EQ(layer.SearchResource("Brain"), -1);
  EXPECT_EQ(layer.GetResourceName(1), "brain");
  EXPECT_EQ(layer.GetProperty()->GetResourceName(), "brain");
  layer.SetName("Layer_head");
  EXPECT_EQ(layer.GetBriefInfo(), "Layer_head");
  vMesh3DLayer other;
  other.SetName("Layer_head");
  EXPECT_TRUE(layer == other);
  other.SetTransformability(0);
  EXPECT_EQ(other.GetTransformability(), 0);
}

TEST(Layer3D, ZoomByParallelScale)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto ball = Ball(0, 0, 0, 10.0);
  vMesh3DLayer* layer = vAddMesh(scene, ball, "ball");
  vtkCamera* camera = scene.Inset()->GetActiveCamera();
  layer->SetScaleFactor(1.0);
  const double base = layer->GetBaseParallelScale();
  EXPECT_GT(base, 0.0);
  layer->SetScaleFactor(4.0);
  EXPECT_DOUBLE_EQ(camera->GetParallelScale(), base / 4.0);
  EXPECT_DOUBLE_EQ(layer->GetProperty()->GetScaleFactor(), 4.0);
  camera->Zoom(3.0);
  layer->SetScaleFactor(2.0); // measured from the first reset, not from the present view
  EXPECT_DOUBLE_EQ(camera->GetParallelScale(), base / 2.0);
  layer->SetScaleFactor(0.0); // no zoom meaning: kept in the property set only
  EXPECT_DOUBLE_EQ(camera->GetParallelScale(), base / 2.0);
  EXPECT_DOUBLE_EQ(layer->GetProperty()->GetScaleFactor(), 0.0);
}

TEST(Layer3D, VisibilityRestoresBoundingBoxes)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto ball = Ball(0, 0, 0);
  vMesh3DLayer* layer = vAddMesh(scene, ball, "ball");
  layer->SetBoundingBox(true);
  ASSERT_EQ(layer->GetBoundingBoxes()->GetNumberOfItems(), 1);
  vtkActor* outline = vtkActor::SafeDownCast(layer->GetBoundingBoxes()->GetItemAsObject(0));
  EXPECT_TRUE(scene.Inset()->GetActors()->IsItemPresent(outline));
  layer->VisibilityOff();
  EXPECT_EQ(First(*layer)->GetVisibility(), 0);
  EXPECT_EQ(outline->GetVisibility(), 0);
  EXPECT_EQ(layer->GetProperty()->GetBoundingBox(), 1);
  layer->VisibilityOn();
  EXPECT_EQ(First(*layer)->GetVisibility(), 1);
  EXPECT_EQ(outline->GetVisibility(), 1);
  layer->BoundingBoxOff();
  layer->VisibilityOff();
  layer->VisibilityOn();
  EXPECT_EQ(outline->GetVisibility(), 0);

  // Outlines follow the layer transform once, around the untransformed geometry.
  layer->BoundingBoxOn();
  layer->SetPosition(20, 0, 0);
  double bounds[6], actorBounds[6];
  outline->GetBounds(bounds);
  First(*layer)->GetBounds(actorBounds);
  EXPECT_NEAR(bounds[0], actorBounds[0], 1e-6);
  EXPECT_NEAR(bounds[1], actorBounds[1], 1e-6);
  EXPECT_NEAR(bounds[0], 15.0, 0.05);

  // Removing every item takes actors and outlines out of the renderer.
  layer->RemoveAllItems();
  EXPECT_EQ(scene.Inset()->GetActors()->GetNumberOfItems(), 0);
}

TEST(Layer3D, BackgroundOnlyWhenEveryComponentIsPositive)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vtkRenderer* inset = scene.Inset();
  vMesh3DLayer layer;
  const double dim[3] = { 0.2, 0.0, 0.4 };
  layer.GetProperty()->SetBackgroundColor(dim);
  layer.SetRenderer(inset);
  double background[3];
  inset->GetBackground(background);
  EXPECT_DOUBLE_EQ(background[0], 0.1);
  const double blue[3] = { 0.1, 0.2, 0.4 };
  layer.GetProperty()->SetBackgroundColor(blue);
  layer.SetRenderer(inset);
  inset->GetBackground(background);
  EXPECT_DOUBLE_EQ(background[2], 0.4);
}

TEST(Layer3D, BoundingBoxPicture)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto mesh = vReadTestMesh("mesh/obj/cow.obj");
  vMesh3DLayer* layer = vAddMesh(scene, mesh, "cow");
  double colour[3] = { 0.4, 0.8, 1.0 };
  layer->SetColor(colour);
  layer->BoundingBoxOn();
  scene.Frame(30.0, 20.0);
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "Layer3D_BoundingBox"));
}

TEST(Layer2D, TakesTheTextActorsOfATextResource)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  vTextResource text;
  text.AddText("first");
  text.AddText("second");
  auto* layer = new v2DLayer;
  layer->AddInput(&text);
  EXPECT_EQ(layer->GetType(), "2DLayer");
  EXPECT_EQ(layer->GetFirstResourceName(), "TEXT");
  EXPECT_EQ(layer->GetNumberOfItems(), text.GetNumberOfItems());
  EXPECT_EQ(layer->GetActors2D()->GetNumberOfItems(), layer->GetNumberOfItems());
  ASSERT_EQ(scene.Viewer->AddInput(layer), 0);
  scene.Viewer->Render();
  EXPECT_EQ(scene.Inset()->GetActors2D()->GetNumberOfItems(), layer->GetNumberOfItems());
  layer->VisibilityOff();
  EXPECT_EQ(vtkActor2D::SafeDownCast(layer->GetActors2D()->GetItemAsObject(0))->GetVisibility(), 0);
  scene.Viewer->RemoveItem(0);
  EXPECT_EQ(scene.Inset()->GetActors2D()->GetNumberOfItems(), 0);
}

TEST(Layer3D, DeepCopyAndLayerCollection)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto ball = Ball(0, 0, 0);
  vMesh3DLayer* source = vAddMesh(scene, ball, "ball");
  source->SetOpacity(0.4);
  source->TransformabilityOff();
  v2DLayer copy;
  copy.DeepCopy(source);
  EXPECT_DOUBLE_EQ(copy.GetProperty()->GetOpacity(), 0.4);
  EXPECT_EQ(copy.GetRenderer(), scene.Inset());
  EXPECT_EQ(copy.GetRenderWindow(), scene.Window);
  EXPECT_EQ(copy.GetRendererManager(), &scene.Manager);
  EXPECT_EQ(copy.GetRendererName(), "IV");
  EXPECT_EQ(copy.GetTransformability(), 0);
  double rgb[3];
  copy.GetColor(rgb);
  EXPECT_DOUBLE_EQ(rgb[0], 1.0); // the first palette colour, white

  vLayerCollection collection;
  for (int i = 0; i < vLayerCollection::MaxNumberOfItems; ++i)
  {
    ASSERT_EQ(collection.AddInput(source), i);
  }
  EXPECT_EQ(collection.AddInput(source), -1);
  EXPECT_EQ(collection.AddInput(nullptr), -1);
  vLayerCollection other;
  other = collection;
  EXPECT_EQ(other.GetNumberOfItems(), 128);
  EXPECT_EQ(other.GetInput(127), source);
  EXPECT_EQ(other.GetInput(128), nullptr);
}
