// Who outlives whom: layers, their friends, viewers, wrappers and the handles they show. Every
// removal order must leave the survivors working and touching no freed memory (the sanitizer
// build of the suite turns any such touch into a failure).

#include "vImageLayerTestData.h"
#include "vRenderingTestScene.h"

#include "vImage3DLayer.h"
#include "vLayerCollection.h"
#include "vRenderableReference.h"
#include "vTextLayer.h"
#include "vViewer.h"
#include "vViewerWrapper.h"
#include "vVolumeResource.h"
#include "vVolumeViewerWrapper.h"

#include "vRenderBaseline.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkSphereSource.h>

#include <gtest/gtest.h>

namespace
{
vtkSmartPointer<vtkDataSet> Sphere()
{
  vtkNew<vtkSphereSource> source;
  source->Update();
  return source->GetOutput();
}

/** Three mesh layers of one viewer, each the friend of the two others. */
struct FriendScene : vRenderingTestScene
{
  FriendScene()
  {
    auto sphere = Sphere();
    for (const char* name : { "A", "B", "C" })
    {
      this->Layers.emplace_back(vAddMesh(*this, sphere, name));
    }
    for (auto& own : this->Layers)
    {
      own.Get()->WorkWithFriend(1);
      for (auto& other : this->Layers)
      {
        if (!own.Is(other.Get()))
        {
          own.Get()->AddFriend(other.Get());
        }
      }
    }
  }
  std::vector<vRenderableReference<vMesh3DLayer>> Layers;
};
} // namespace

TEST(LayerOwnership, ARemovedLayerLeavesItsFriends)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  FriendScene scene;
  vMesh3DLayer* a = scene.Layers[0].Get();
  ASSERT_EQ(a->GetNumberOfFriends(), 2);

  // Removed by the viewer, by name: the others' friend lists shrink by themselves.
  scene.Viewer->RemoveItem("layer_b ");
  EXPECT_FALSE(scene.Layers[1].IsAlive());
  EXPECT_EQ(a->GetNumberOfFriends(), 1);
  EXPECT_TRUE(scene.Layers[2].Is(a->GetFriend(0)));
  EXPECT_EQ(a->GetFriend(1), nullptr);
  a->SetOpacity(0.5);
  a->Mirror();
  a->Flip();
  EXPECT_DOUBLE_EQ(scene.Layers[2].Get()->GetProperty()->GetOpacity(), 0.5);

  // Destroyed behind the viewer's back: the viewer and the friends both let it go.
  delete scene.Layers[2].Get();
  EXPECT_EQ(scene.Viewer->GetNumberOfItems(), 1);
  EXPECT_EQ(a->GetNumberOfFriends(), 0);
  a->SetOpacity(0.25);
  a->Mirror();
  scene.Viewer->SetBuilt(0);
  scene.Viewer->Render();

  // A friend destroyed while the friends are being told (a callback that deletes one).
  FriendScene second;
  vMesh3DLayer* first = second.Layers[0].Get();
  vRenderableReference<vMesh3DLayer> doomed = second.Layers[1];
  first->SetOpacity(0.75);
  delete doomed.Get();
  EXPECT_EQ(first->GetNumberOfFriends(), 1);
  EXPECT_EQ(first->AddFriend(nullptr), -1);
}

TEST(LayerOwnership, ViewersAndLayersGoInEitherOrder)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  auto sphere = Sphere();
  vRenderingTestScene left;
  auto right = std::make_unique<vRenderingTestScene>();
  vMesh3DLayer* kept = vAddMesh(left, sphere, "kept");
  vMesh3DLayer* gone = vAddMesh(*right, sphere, "gone");
  kept->WorkWithFriend(1);
  kept->AddFriend(gone);
  vLayerCollection collection;
  collection.AddInput(kept);
  collection.AddInput(gone);
  vLayerCollection copy = collection;
  vRenderableReference<vViewer> rightViewer = right->Viewer.get();
  vRenderableReference<vMesh3DLayer> goneLayer = gone;
  // A layer has one owner: another viewer cannot take it too.
  EXPECT_EQ(left.Viewer->AddInput(gone), -1);
  EXPECT_EQ(right->Viewer->AddInput(gone), -1);

  // The viewer goes before its layer's friend: it takes its layers with it.
  right.reset();
  EXPECT_FALSE(rightViewer.IsAlive());
  EXPECT_FALSE(goneLayer.IsAlive());
  EXPECT_EQ(kept->GetNumberOfFriends(), 0);
  EXPECT_EQ(collection.GetInput(1), nullptr);
  EXPECT_EQ(copy.GetInput(1), nullptr);
  EXPECT_EQ(copy.GetInput(0), kept);
  kept->Mirror();
  kept->SetOpacity(0.3);

  // Emptying a viewer destroys its layers (it owns them) and leaves it usable.
  left.Viewer->RemoveAllItems();
  EXPECT_EQ(collection.GetInput(0), nullptr);
  EXPECT_EQ(left.Viewer->GetNumberOfItems(), 0);
  EXPECT_EQ(left.Viewer->GetKeyLayer(), nullptr);
  EXPECT_EQ(left.Inset()->GetActors()->GetNumberOfItems(), 0);
  ASSERT_NE(vAddMesh(left, sphere, "again"), nullptr);
  left.Frame();
}

TEST(LayerOwnership, TheVolumeViewForgetsLayersItNoLongerHolds)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  vtkRenderWindow* window = manager.CreateNewRenderWindow();
  window->SetSize(300, 300);
  vtkNew<vtkRenderer> main;
  window->AddRenderer(main);
  auto* wrapper = vVolumeViewerWrapper::New();
  wrapper->SetRenderer(&manager);
  vtkSmartPointer<vtkImageData> image = vMakeTestVolume(24, 20, 16);
  auto volume = vMakeVolumeHandle(image, "CT");
  ASSERT_EQ(wrapper->AddInput(volume.get()), 0);
  vViewer* viewer = wrapper->GetViewer();
  viewer->Render();
  vImage3DLayer* xy = wrapper->GetSliceLayer(0);
  ASSERT_NE(xy, nullptr);
  ASSERT_EQ(xy->GetNumberOfFriends(), 2);

  // The console's "rm Layer_CT0" then "set opacity 0.5 Layer_CT": the XZ slice was a friend.
  viewer->RemoveItem("Layer_CT0");
  EXPECT_EQ(wrapper->GetSliceLayer(1), nullptr);
  EXPECT_EQ(xy->GetNumberOfFriends(), 1);
  viewer->SetOpacity("Layer_CT", 0.5);
  xy->Mirror();
  viewer->ForceRender();

  // A layer destroyed directly, and the text layers removed by index: the wrapper sees them gone.
  delete wrapper->GetSliceLayer(2);
  EXPECT_EQ(wrapper->GetSliceLayer(2), nullptr);
  EXPECT_EQ(xy->GetNumberOfFriends(), 0);
  for (int i = viewer->GetNumberOfItems() - 1; i >= 0; --i)
  {
    if (viewer->GetInput(i)->isA("TextLayer"))
    {
      wrapper->RemoveViewer(i);
    }
  }
  EXPECT_EQ(wrapper->GetTextLayer(0), nullptr);
  viewer->ForceRender();

  // The viewer itself goes (module detached) while the wrapper lives on.
  vRenderableReference<vImage3DLayer> key = xy;
  wrapper->DeleteViewer();
  EXPECT_FALSE(key.IsAlive());
  EXPECT_EQ(wrapper->GetSliceLayer(0), nullptr);
  EXPECT_EQ(wrapper->GetVolumeLayer(), nullptr);
  EXPECT_FALSE(wrapper->ChangeSlice(150, 150));
  wrapper->Delete();
}

TEST(LayerOwnership, LayersAndHandlesOutliveTheWorkspaceItem)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRenderingTestScene scene;
  auto volumes = std::make_unique<vVolumeResource>();
  ASSERT_GE(volumes->AddData(vMakeTestVolume(24, 20, 16)), 0);
  volumes->SetDataName(0, "CT");
  std::unique_ptr<vVolumeResourceFake> handle(volumes->GetDataFake(0));
  ASSERT_NE(handle, nullptr);
  auto* layer = new vImage3DLayer;
  layer->AddInput(handle.get());
  ASSERT_GE(scene.Viewer->AddInput(layer), 0);
  scene.Frame();

  // The workspace removes the volume, then goes altogether: the handle and the layer keep the
  // voxels they show.
  volumes->RemoveItem(0);
  volumes.reset();
  vtkImageData* kept = handle->GetImageData(0);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->GetDimensions()[0], 24);
  EXPECT_EQ(kept->GetPointData()->GetScalars()->GetNumberOfTuples(), 24 * 20 * 16);
  EXPECT_EQ(layer->GetImage(), kept);

  // Then the handle goes before the layer.
  handle.reset();
  layer->SetBuilt(0);
  scene.Viewer->SetBuilt(0);
  scene.Frame();
  EXPECT_EQ(layer->GetImage()->GetDimensions()[2], 16);
}
