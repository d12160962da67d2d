#include "vRenderingTestScene.h"

#include "vLandmarkLayer.h"
#include "vShellNotifier.h"
#include "vViewerWrapper.h"
#include "vXRayViewerWrapper.h"

#include "vRenderBaseline.h"

#include <vtkActorCollection.h>
#include <vtkCamera.h>
#include <vtkCommand.h>
#include <vtkLinearTransform.h>
#include <vtkMath.h>
#include <vtkMatrix4x4.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkSphereSource.h>
#include <vtkTransform.h>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
/**
 * A viewing tab with an ordinary wrapper observing its interactor: the window is 400 x 300 and the
 * viewer's inset renderer covers all of it, so the inset is 400 x 300 pixels.
 */
struct WrapperScene
{
  explicit WrapperScene(vViewerWrapper* wrapper)
    : Wrapper(wrapper)
  {
    this->Window = this->Manager.CreateNewRenderWindow();
    this->Window->SetSize(400, 300);
    vtkNew<vtkRenderer> main;
    this->Window->AddRenderer(main);
    vGetDefaultShellNotifier()->SetEcho(false);
    vGetDefaultShellNotifier()->Reset();
    this->Wrapper->SetRenderer(&this->Manager);
  }
  ~WrapperScene() { this->Wrapper->Delete(); }

  /** Attaches the viewer, adds spheres at the given x positions and renders from +z. */
  void Build(std::initializer_list<double> spheres)
  {
    ASSERT_EQ(this->Wrapper->AddInput(), 0);
    this->Inset()->SetViewport(0, 0, 1, 1);
    for (double x : spheres)
    {
      vtkNew<vtkSphereSource> source;
      source->SetCenter(x, 0, 0);
      source->SetRadius(3);
      source->SetThetaResolution(32);
      source->SetPhiResolution(32);
      source->Update();
      auto data = vtkSmartPointer<vtkPolyData>::New();
      data->DeepCopy(source->GetOutput());
      auto handle = vMakeHandle(data, "sphere");
      auto* layer = new vMesh3DLayer;
      layer->AddInput(handle.get());
      ASSERT_GE(this->Wrapper->AddInput(layer), 0);
    }
    ASSERT_EQ(this->Wrapper->Interacting(), 0);
    this->Wrapper->ForceRender(); // the X-ray wrapper's Render() draws nothing
    vtkCamera* camera = this->Inset()->GetActiveCamera();
    camera->SetFocalPoint(0, 0, 0);
    camera->SetPosition(0, 0, 60);
    camera->SetViewUp(0, 1, 0);
    camera->ParallelProjectionOff();
    this->Inset()->ResetCameraClippingRange();
    this->Window->Render();
  }

  vtkRenderer* Inset() { return this->Manager.GetRenderer(1); }

  void Send(unsigned long event, int x, int y)
  {
    vtkRenderWindowInteractor* interactor = this->Wrapper->GetInteractor();
    interactor->SetEventPosition(x, y);
    interactor->InvokeEvent(event);
  }

  void Drag(int x0, int y0, int x1, int y1, bool right = false)
  {
    this->Send(
      right ? vtkCommand::RightButtonPressEvent : vtkCommand::LeftButtonPressEvent, x0, y0);
    this->Send(vtkCommand::MouseMoveEvent, x1, y1);
    this->Send(
      right ? vtkCommand::RightButtonReleaseEvent : vtkCommand::LeftButtonReleaseEvent, x1, y1);
  }

  /** The display position of a world point in the inset renderer. */
  void ToDisplay(double x, double y, double z, int& dx, int& dy)
  {
    this->Inset()->SetWorldPoint(x, y, z, 1.0);
    this->Inset()->WorldToDisplay();
    const double* d = this->Inset()->GetDisplayPoint();
    dx = static_cast<int>(std::lround(d[0]));
    dy = static_cast<int>(std::lround(d[1]));
  }

  vRendererManager Manager; // declared first: the wrapper and its viewer go before it
  vtkRenderWindow* Window = nullptr;
  vViewerWrapper* Wrapper;
};

void ExpectSameMatrix(vtkMatrix4x4* a, vtkMatrix4x4* b)
{
  for (int i = 0; i < 4; ++i)
  {
    for (int j = 0; j < 4; ++j)
    {
      EXPECT_NEAR(a->GetElement(i, j), b->GetElement(i, j), 1e-9) << i << "," << j;
    }
  }
}
} // namespace

TEST(ViewerWrapper, LeftDragRotatesByTheWindowAngles)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  WrapperScene scene(vViewerWrapper::New());
  scene.Build({ 0.0 });
  EXPECT_EQ(vGetDefaultShellNotifier()->Count(vShellNotifier::ConsoleText), 1);
  EXPECT_EQ(vGetDefaultShellNotifier()->GetNotices()[0].Text, "Double click surface to select it");
  ASSERT_EQ(scene.Inset()->GetSize()[0], 400);
  ASSERT_EQ(scene.Inset()->GetSize()[1], 300);
  vtkNew<vtkCamera> expected;
  expected->DeepCopy(scene.Inset()->GetActiveCamera());
  expected->Azimuth(-0.5); // 10 x (-20 / 400)
  expected->Elevation(0);
  expected->OrthogonalizeViewUp();

  scene.Drag(200, 150, 210, 150);
  const double* position = scene.Inset()->GetActiveCamera()->GetPosition();
  EXPECT_NEAR(position[0], expected->GetPosition()[0], 1e-9);
  EXPECT_NEAR(position[2], expected->GetPosition()[2], 1e-9);
  EXPECT_NEAR(position[0], 60 * std::sin(vtkMath::RadiansFromDegrees(-0.5)), 1e-9);
  EXPECT_FALSE(scene.Wrapper->IsLeftButtonDown());

  // A vertical drag of 30 pixels: elevation 30 x (-20 / 300) = -2 degrees.
  expected->DeepCopy(scene.Inset()->GetActiveCamera());
  expected->Elevation(-2);
  expected->OrthogonalizeViewUp();
  scene.Drag(200, 150, 200, 180);
  EXPECT_NEAR(scene.Inset()->GetActiveCamera()->GetPosition()[1], expected->GetPosition()[1], 1e-9);

  // Moving without a button changes nothing.
  expected->DeepCopy(scene.Inset()->GetActiveCamera());
  scene.Send(vtkCommand::MouseMoveEvent, 300, 100);
  EXPECT_NEAR(
    scene.Inset()->GetActiveCamera()->GetPosition()[1], expected->GetPosition()[1], 1e-12);
}

TEST(ViewerWrapper, PanMovesPositionAndFocalPointTogether)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  WrapperScene scene(vViewerWrapper::New());
  scene.Build({ 0.0 });
  scene.Wrapper->SetAction(vViewerWrapperBase::Panning);
  vtkCamera* camera = scene.Inset()->GetActiveCamera();
  double before[3];
  camera->GetDirectionOfProjection(before);
  scene.Drag(200, 150, 240, 150);
  const double* focal = camera->GetFocalPoint();
  const double* position = camera->GetPosition();
  // The scene follows the mouse: the camera goes the other way, at the focal depth.
  EXPECT_LT(focal[0], -1.0);
  EXPECT_NEAR(focal[1], 0.0, 1e-9);
  EXPECT_NEAR(position[0], focal[0], 1e-9);
  EXPECT_NEAR(position[2] - focal[2], 60.0, 1e-9);
  // A point under the mouse at the start is under it at the end.
  int x, y;
  scene.ToDisplay(0, 0, 0, x, y);
  EXPECT_NEAR(x, 240, 1);
}

TEST(ViewerWrapper, ClippingPlaneTurnsAndMoves)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  WrapperScene scene(vViewerWrapper::New());
  // Before the first render the clipping plane is refused and events are ignored.
  ASSERT_EQ(scene.Wrapper->AddInput(), 0);
  scene.Wrapper->ClippingOn();
  EXPECT_EQ(vGetDefaultShellNotifier()->GetNotices().back().Text, "Viewer is not ready");
  EXPECT_EQ(scene.Wrapper->GetViewer()->GetClippingPlane(), nullptr);

  scene.Build({ 0.0 });
  scene.Wrapper->ClippingOn();
  vtkActor* plane = scene.Wrapper->GetViewer()->GetClippingPlane();
  ASSERT_NE(plane, nullptr);
  scene.Wrapper->InteractionClipOn();
  EXPECT_EQ(scene.Wrapper->GetAction(), vViewerWrapperBase::Clipping);

  vtkNew<vtkTransform> expected;
  expected->SetMatrix(plane->GetUserTransform()->GetMatrix());
  expected->RotateX(10 * (-20.0 / 300) * 5);
  expected->RotateY(-(0 * (-20.0 / 400) * 5));
  scene.Drag(200, 150, 200, 160);
  ExpectSameMatrix(plane->GetUserTransform()->GetMatrix(), expected->GetMatrix());

  // A right drag moves the plane along its normal by half the larger motion.
  expected->Translate(0, 0, 8 / 2.0);
  scene.Drag(200, 150, 203, 158, true);
  ExpectSameMatrix(plane->GetUserTransform()->GetMatrix(), expected->GetMatrix());

  // Outside the inset renderer the plane stays.
  scene.Inset()->SetViewport(0, 0, 0.5, 1);
  scene.Drag(300, 150, 300, 190);
  ExpectSameMatrix(plane->GetUserTransform()->GetMatrix(), expected->GetMatrix());
  scene.Wrapper->InteractionClipOff();
  EXPECT_EQ(scene.Wrapper->GetAction(), vViewerWrapperBase::Rotating);
}

TEST(ViewerWrapper, ClickSelectsThePickedLayer)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  WrapperScene scene(vViewerWrapper::New());
  scene.Build({ -6.0, 6.0 });
  scene.Wrapper->SetAction(vViewerWrapperBase::Selecting);
  vViewer* viewer = scene.Wrapper->GetViewer();
  ASSERT_EQ(viewer->GetCurrentItem(), 0);

  // Empty background: nothing changes.
  scene.Send(vtkCommand::LeftButtonPressEvent, 5, 5);
  EXPECT_EQ(viewer->GetCurrentItem(), 0);
  EXPECT_EQ(vGetDefaultShellNotifier()->Count(vShellNotifier::RefreshLayerProperties), 0);

  int x, y;
  scene.ToDisplay(6, 0, 3, x, y);
  scene.Send(vtkCommand::LeftButtonPressEvent, x, y);
  scene.Send(vtkCommand::LeftButtonReleaseEvent, x, y);
  EXPECT_EQ(viewer->GetCurrentItem(), 1);
  EXPECT_EQ(viewer->GetInput(1)->GetProperty()->GetBoundingBox(), 1);
  EXPECT_EQ(viewer->GetInput(0)->GetProperty()->GetBoundingBox(), 0);
  auto* selected = static_cast<v3DLayer*>(viewer->GetInput(1));
  ASSERT_EQ(selected->GetBoundingBoxes()->GetNumberOfItems(), 1);
  EXPECT_TRUE(
    vtkActor::SafeDownCast(selected->GetBoundingBoxes()->GetItemAsObject(0))->GetVisibility());
  EXPECT_EQ(vGetDefaultShellNotifier()->Count(vShellNotifier::RefreshLayerProperties), 1);

  // Back to the first sphere: its box shows, the other one's hides.
  scene.ToDisplay(-6, 0, 3, x, y);
  scene.Send(vtkCommand::LeftButtonPressEvent, x, y);
  EXPECT_EQ(viewer->GetCurrentItem(), 0);
  EXPECT_EQ(viewer->GetInput(1)->GetProperty()->GetBoundingBox(), 0);
  EXPECT_FALSE(
    vtkActor::SafeDownCast(selected->GetBoundingBoxes()->GetItemAsObject(0))->GetVisibility());
  EXPECT_TRUE(vCompareWithBaseline(scene.Window, "ViewerWrapper_SelectedSphere"));
}

TEST(ViewerWrapper, ClickTagsTheSurface)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  WrapperScene scene(vViewerWrapper::New());
  scene.Build({ 6.0 });
  scene.Wrapper->SetAction(vViewerWrapperBase::Tagging);
  scene.Send(vtkCommand::LeftButtonPressEvent, 5, 5); // background
  EXPECT_EQ(scene.Wrapper->GetNumberOfLayers(), 1);

  int x, y;
  scene.ToDisplay(6, 1, 3, x, y);
  scene.Send(vtkCommand::LeftButtonPressEvent, x, y);
  ASSERT_EQ(scene.Wrapper->GetNumberOfLayers(), 2);
  vLayer* tag = scene.Wrapper->GetLayer(1);
  ASSERT_TRUE(tag->isA("LandmarkLayer"));
  double centre[3];
  ASSERT_TRUE(static_cast<vLandmarkLayer*>(tag)->GetLandmark(0, centre));
  // On the front of the sphere, under the cursor.
  const double dx = centre[0] - 6, dy = centre[1], dz = centre[2];
  EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 3.0, 0.05);
  EXPECT_GT(centre[2], 2.0);
  EXPECT_NEAR(centre[1], 1.0, 0.2);
  EXPECT_EQ(vGetDefaultShellNotifier()->Count(vShellNotifier::RefreshLayerProperties), 1);
  EXPECT_EQ(scene.Wrapper->GetLayer(5), nullptr);
}

TEST(ViewerWrapper, CameraLineAndLayerManagement)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  WrapperScene scene(vViewerWrapper::New());
  scene.Build({ 0.0 });
  scene.Wrapper->CreateTextLayer();
  ASSERT_EQ(scene.Wrapper->GetNumberOfLayers(), 2);
  scene.Wrapper->Render();
  scene.Drag(200, 150, 210, 150);
  const std::string info = scene.Wrapper->GetLayer(1)->GetInfo();
  EXPECT_NE(info.find("Camera: "), std::string::npos);
  scene.Wrapper->RemoveViewer(1);
  EXPECT_EQ(scene.Wrapper->GetNumberOfLayers(), 1);
  scene.Wrapper->Render();
  scene.Drag(200, 150, 210, 150); // the text layer is gone: nothing to update, no crash
  scene.Wrapper->RemoveViewer();
  EXPECT_EQ(scene.Wrapper->GetNumberOfLayers(), 0);
  scene.Wrapper->DeleteViewer();
  EXPECT_EQ(scene.Wrapper->GetViewer(), nullptr);
  scene.Send(vtkCommand::LeftButtonPressEvent, 10, 10); // no viewer: ignored
}

TEST(XRayViewerWrapper, OnlySelects)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  WrapperScene scene(vXRayViewerWrapper::New());
  scene.Build({ -6.0, 6.0 });
  vtkNew<vtkCamera> before;
  before->DeepCopy(scene.Inset()->GetActiveCamera());
  scene.Drag(200, 150, 260, 150);
  EXPECT_DOUBLE_EQ(scene.Inset()->GetActiveCamera()->GetPosition()[0], before->GetPosition()[0]);
  scene.Wrapper->SetAction(vViewerWrapperBase::Selecting);
  int x, y;
  scene.ToDisplay(6, 0, 3, x, y);
  scene.Send(vtkCommand::LeftButtonPressEvent, x, y);
  EXPECT_EQ(scene.Wrapper->GetViewer()->GetCurrentItem(), 1);
}

TEST(ViewerWrapper, ReleasedWrapperLeavesTheInteractor)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  vtkRenderWindow* window = manager.CreateNewRenderWindow();
  vtkNew<vtkRenderer> main;
  window->AddRenderer(main);
  vViewerWrapper* wrapper = vViewerWrapper::New();
  wrapper->SetRenderer(&manager);
  ASSERT_EQ(wrapper->AddInput(), 0);
  ASSERT_EQ(wrapper->Interacting(), 0);
  wrapper->ForceRender();
  vtkSmartPointer<vtkRenderWindowInteractor> interactor = wrapper->GetInteractor();
  vtkSmartPointer<vtkCamera> camera = manager.GetRenderer(1)->GetActiveCamera();
  const double before = camera->GetPosition()[0];
  const int references = interactor->GetReferenceCount();
  // Released as a module releases it: the wrapper goes (and lets go of the interactor), and the
  // interactor's events reach nothing.
  wrapper->UnRegister(nullptr);
  EXPECT_EQ(interactor->GetReferenceCount(), references - 1);
  interactor->SetEventPosition(100, 100);
  interactor->InvokeEvent(vtkCommand::LeftButtonPressEvent);
  interactor->SetEventPosition(140, 100);
  interactor->InvokeEvent(vtkCommand::MouseMoveEvent);
  EXPECT_DOUBLE_EQ(camera->GetPosition()[0], before);
}
