#include "vRendererManager.h"

#include "vRenderBaseline.h"
#include "vTempHome.h"

#include <vtkActor2DCollection.h>
#include <vtkBMPWriter.h>
#include <vtkCallbackCommand.h>
#include <vtkCoordinate.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkImageActor.h>
#include <vtkImageCanvasSource2D.h>
#include <vtkInteractorStyleTrackballCamera.h>
#include <vtkNew.h>
#include <vtkPropCollection.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkRendererCollection.h>
#include <vtkTextActor.h>

#include <gtest/gtest.h>

namespace
{
/** A window as a viewing tab makes it: a new window with its full-window main renderer. */
vtkRenderWindow* MakeTab(vRendererManager& manager, int width = 300, int height = 300)
{
  vtkRenderWindow* window = manager.CreateNewRenderWindow();
  if (window != nullptr)
  {
    window->SetSize(width, height);
    vtkNew<vtkRenderer> main;
    window->AddRenderer(main);
  }
  return window;
}

void ExpectViewport(vtkRenderer* renderer, double x0, double y0, double x1, double y1)
{
  ASSERT_NE(renderer, nullptr);
  double v[4];
  renderer->GetViewport(v);
  EXPECT_NEAR(v[0], x0, 1e-9);
  EXPECT_NEAR(v[1], y0, 1e-9);
  EXPECT_NEAR(v[2], x1, 1e-9);
  EXPECT_NEAR(v[3], y1, 1e-9);
}
} // namespace

TEST(RendererManager, WindowIdsAreReusedAndCountKeepsGrowing)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  for (int i = 0; i < vRendererManager::MaxRenderWindows; ++i)
  {
    ASSERT_NE(manager.CreateNewRenderWindow(), nullptr);
    EXPECT_EQ(manager.GetCurrentRenderWindowId(), i);
  }
  EXPECT_EQ(manager.CreateNewRenderWindow(), nullptr);
  EXPECT_EQ(manager.GetNumberOfRenderWindow(), 24);
  EXPECT_EQ(manager.AddRenderWindow(manager.GetRenderWindow(3)), -1);

  manager.RemoveRenderWindow(5);
  EXPECT_EQ(manager.GetRenderWindow(5), nullptr);
  EXPECT_EQ(manager.GetCurrentRenderWindowId(), 23);
  EXPECT_NE(manager.CreateNewRenderWindow(), nullptr);
  EXPECT_EQ(manager.GetCurrentRenderWindowId(), 5);
  EXPECT_EQ(manager.GetNumberOfRenderWindow(), 25);

  // Ids outside the table are refused everywhere.
  EXPECT_EQ(manager.GetRenderWindow(-1), nullptr);
  EXPECT_EQ(manager.GetRenderWindow(24), nullptr);
  EXPECT_EQ(manager.GetRenderer(24, 0), nullptr);
  EXPECT_EQ(manager.SingleRenderer(99), -1);
  EXPECT_EQ(manager.TwoTwoRenderer(-3), -1);
  manager.RemoveRenderWindow(77);
  manager.SetCaption(30, "x");
  EXPECT_EQ(manager.SetCurrentRenderWindowId(-1), 5);
  EXPECT_EQ(manager.GetRenderer(0), nullptr);
  EXPECT_EQ(manager.GetCaption(), "");
  EXPECT_EQ(manager.GetRendererName(), "No available renderers");
  EXPECT_EQ(manager.CreateRenderer(0, 0), -1);
}

TEST(RendererManager, AddRenderWindowUsesTheCountAsId)
{
  vRendererManager manager;
  vtkNew<vtkRenderWindow> window;
  window->OffScreenRenderingOn();
  EXPECT_EQ(manager.AddRenderWindow(window), 1);
  EXPECT_EQ(manager.GetFirstRenderWindow(), window.GetPointer());
  EXPECT_EQ(manager.AddRenderWindow(nullptr), -1);
  EXPECT_EQ(manager.GetNumberOfRenderWindow(), 1);
}

TEST(RendererManager, InsetLayoutTableAndEnlargeRestore)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  MakeTab(manager);
  EXPECT_EQ(manager.GetRendererName(), "No available renderers");
  EXPECT_EQ(manager.SingleRenderer(0), 1);
  ExpectViewport(manager.GetRenderer(1), 0.005, 0.005, 0.995, 0.97);
  double background[3];
  manager.GetRenderer(1)->GetBackground(background);
  EXPECT_DOUBLE_EQ(background[0], 0.1);

  vtkNew<vtkRenderer> axes;
  axes->SetViewport(0, 0, 0.2, 0.2);
  EXPECT_EQ(manager.AddRenderer(axes, "Axes"), 2);
  EXPECT_EQ(manager.GetNumberOfRenderer(), 3);
  const std::string expected = std::string("Number of renderers: 2\r\n") +
    "-------------------------\r\n" + "id                  name                \r\n" +
    "1                   IV                  \r\n" + "2                   Axes                ";
  EXPECT_EQ(manager.GetRendererName(), expected);
  EXPECT_EQ(manager.Find("IV"), 1);
  EXPECT_EQ(manager.Find("iv"), -1);
  EXPECT_EQ(manager.GetRendererName(2), "Axes");
  EXPECT_EQ(manager.GetRendererName(3), "");

  EXPECT_EQ(manager.Enlarge("IV"), 1);
  ExpectViewport(manager.GetRenderer(0), 0, 0, 0, 0);
  ExpectViewport(manager.GetRenderer(1), 0.005, 0.005, 0.995, 0.97);
  ExpectViewport(manager.GetRenderer(2), 0, 0, 0, 0);
  EXPECT_EQ(manager.Restore(), 0);
  ExpectViewport(manager.GetRenderer(0), 0, 0, 1, 1);
  ExpectViewport(manager.GetRenderer(1), 0.005, 0.005, 0.995, 0.97);
  ExpectViewport(manager.GetRenderer(2), 0, 0, 0.2, 0.2);

  EXPECT_EQ(manager.Enlarge("nothing"), -1);
  for (int i = 0; i < 3; ++i)
  {
    ExpectViewport(manager.GetRenderer(i), 0, 0, 0, 0);
  }
  manager.Restore();
  ExpectViewport(manager.GetRenderer(2), 0, 0, 0.2, 0.2);
  double x0 = -1, y0 = -1, x1 = -1, y1 = -1;
  manager.GetRendererSize(2, x0, y0, x1, y1);
  EXPECT_DOUBLE_EQ(x1, 0.2);
  manager.GetRendererSize(9, x0, y0, x1, y1);
  EXPECT_DOUBLE_EQ(x1, 0.2);
}

TEST(RendererManager, TwoTwoGridOnAWideWindow)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  MakeTab(manager, 1000, 500);
  EXPECT_EQ(manager.TwoTwoRenderer(0), 1);
  // my = 0.005 * 1000 / 500 = 0.01, wx = (1 - 0.015) / 2 = 0.4925, hy = (0.97 - 0.02) / 2 = 0.475
  ExpectViewport(manager.GetRenderer(1), 0.005, 0.495, 0.4975, 0.96);
  ExpectViewport(manager.GetRenderer(2), 0.5025, 0.495, 0.995, 0.96);
  ExpectViewport(manager.GetRenderer(3), 0.005, 0.01, 0.4975, 0.485);
  ExpectViewport(manager.GetRenderer(4), 0.5025, 0.01, 0.995, 0.485);
  EXPECT_EQ(manager.Find("iv0"), 1);
  EXPECT_EQ(manager.Find("IV0"), -1);
  EXPECT_EQ(manager.Find("3D"), 4);
  EXPECT_EQ(manager.Enlarge("3D"), 4);
  ExpectViewport(manager.GetRenderer(4), 0.005, 0.005, 0.995, 0.97);
  manager.Restore();
  ExpectViewport(manager.GetRenderer(4), 0.5025, 0.01, 0.995, 0.485);
}

TEST(RendererManager, RemovingRenderersKeepsOrBreaksTheRecord)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  MakeTab(manager, 1000, 500);
  manager.TwoTwoRenderer(0);
  // RemoveRenderer(i) keeps names and viewports aligned with the window.
  manager.RemoveRenderer(2);
  EXPECT_EQ(manager.GetNumberOfRenderer(), 4);
  EXPECT_EQ(manager.Find("iv2"), 2);
  EXPECT_EQ(manager.Find("iv1"), -1);
  manager.Enlarge("iv2");
  manager.Restore();
  ExpectViewport(manager.GetRenderer(2), 0.005, 0.01, 0.4975, 0.485);
  manager.RemoveRenderer(40); // no such renderer: nothing happens
  EXPECT_EQ(manager.GetNumberOfRenderer(), 4);

  // RemoveRenderer(win, i) and RemoveAllRenderers touch the window only.
  manager.RemoveRenderer(0, 3);
  EXPECT_EQ(manager.GetNumberOfRenderer(), 3);
  EXPECT_EQ(manager.Find("3D"), 3);
  manager.RemoveAllRenderers(0);
  EXPECT_EQ(manager.GetNumberOfRenderer(0), 1);
  EXPECT_EQ(manager.Find("iv0"), 1);
}

TEST(RendererManager, ARemovedWindowLeavesNoNamesToItsSuccessor)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  MakeTab(manager);
  manager.SingleRenderer(0);
  manager.SetCaption("Welcome to QOVA");
  manager.RemoveRenderWindow(0);
  MakeTab(manager);
  EXPECT_EQ(manager.GetRendererName(), "No available renderers");
  EXPECT_EQ(manager.Find("IV"), -1);
  EXPECT_EQ(manager.GetCaption(), "");
}

TEST(RendererManager, CaptionTextAndRegistry)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  vtkRenderWindow* window = MakeTab(manager, 400, 300);
  manager.SetCaption("Welcome to QOVA");
  EXPECT_EQ(manager.GetCaption(), "Welcome to QOVA");
  vtkRenderer* main = manager.GetMainRenderer();
  EXPECT_EQ(main->GetActors2D()->GetNumberOfItems(), 1);
  manager.SetCaption("Head CT");
  EXPECT_EQ(manager.GetCaption(), "Head CT");
  EXPECT_EQ(main->GetActors2D()->GetNumberOfItems(), 1);

  manager.SetFontSize(20);
  manager.SetFontColor(1.0, 1.0, 0.0);
  manager.WriteOnBottomLeftCorner(0, "bottom left");
  manager.WriteOnTopRightCorner(0, "top right");
  manager.WriteText(7, "nowhere", 0.5, 0.5); // no renderer 7: nothing
  EXPECT_EQ(main->GetActors2D()->GetNumberOfItems(), 3);
  EXPECT_TRUE(vCompareWithBaseline(window, "RendererManager_CaptionAndText"));

  manager.HideText(0);
  vtkActor2DCollection* actors = main->GetActors2D();
  actors->InitTraversal();
  while (vtkActor2D* actor = actors->GetNextActor2D())
  {
    EXPECT_EQ(actor->GetVisibility(), 0);
  }
  manager.ShowText(0);
  EXPECT_EQ(vtkActor2D::SafeDownCast(actors->GetItemAsObject(2))->GetVisibility(), 1);

  EXPECT_EQ(manager.SearchRegistry("Viewer"), -1);
  manager.SingleRenderer(0);
  manager.RegisterRenderer("IV", "Viewer");
  EXPECT_EQ(manager.SearchRegistry("VIEWER"), 0);
  manager.UnregisterModule("Viewer");
  EXPECT_EQ(manager.SearchRegistry("viewer"), -1);
  EXPECT_EQ(manager.GetNumberOfRenderer(), 1);
}

TEST(RendererManager, RegistryIsBounded)
{
  vRendererManager manager;
  for (int i = 0; i < vRendererManager::MaxModules + 5; ++i)
  {
    manager.RegisterRenderer("IV", "module" + std::to_string(i));
  }
  EXPECT_EQ(manager.GetNumberOfModules(), vRendererManager::MaxModules);
  EXPECT_EQ(manager.SearchRegistry("MODULE127"), 127);
  EXPECT_EQ(manager.SearchRegistry("module128"), -1);
}

TEST(RendererManager, SplashImageFromTheInstallationFolder)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vTempHome home;
  vRendererManager manager;
  MakeTab(manager);
  manager.ShowSplashWindow(); // no image yet: nothing happens
  EXPECT_EQ(manager.GetMainRenderer()->GetViewProps()->GetNumberOfItems(), 0);

  vtkNew<vtkImageCanvasSource2D> canvas;
  canvas->SetScalarTypeToUnsignedChar();
  canvas->SetNumberOfScalarComponents(3);
  canvas->SetExtent(0, 63, 0, 31, 0, 0);
  canvas->SetDrawColor(0, 0, 128);
  canvas->FillBox(0, 63, 0, 31);
  canvas->SetDrawColor(255, 200, 0);
  canvas->FillBox(8, 40, 8, 20);
  vtkNew<vtkBMPWriter> writer;
  writer->SetInputConnection(canvas->GetOutputPort());
  const std::string path = home.Sub("SystemRegistry/QOVA.bmp");
  writer->SetFileName(path.c_str());
  writer->Write();

  manager.ShowSplashWindow();
  vtkPropCollection* props = manager.GetMainRenderer()->GetViewProps();
  ASSERT_EQ(props->GetNumberOfItems(), 1);
  EXPECT_TRUE(props->GetItemAsObject(0)->IsA("vtkImageActor"));
  EXPECT_EQ(manager.GetNumberOfRenderer(), 1);
  EXPECT_TRUE(vCompareWithBaseline(manager.GetRenderWindow(), "RendererManager_Splash"));
}

TEST(RendererManager, WindowFactoryIsUsed)
{
  int made = 0;
  vRendererManager::SetRenderWindowFactory(
    [&made]()
    {
      ++made;
      vtkSmartPointer<vtkRenderWindow> window = vtkSmartPointer<vtkRenderWindow>::New();
      window->OffScreenRenderingOn();
      window->SetSize(123, 45);
      return window;
    });
  vRendererManager manager;
  vtkRenderWindow* window = manager.CreateNewRenderWindow();
  vRendererManager::SetRenderWindowFactory(nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(made, 1);
  EXPECT_EQ(window->GetSize()[0], 123);
  vtkRenderWindow* plain = manager.CreateNewRenderWindow();
  EXPECT_EQ(made, 1);
  EXPECT_EQ(plain->GetSize()[0], 300);
  EXPECT_EQ(plain->GetOffScreenRendering(), 1);
}

TEST(RendererManager, RemovalCalmsTheInteractorAndRefreshWaitsForGuiWindows)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  vtkRenderWindow* window = MakeTab(manager);
  vtkNew<vtkRenderWindowInteractor> interactor;
  interactor->SetRenderWindow(window);
  vtkNew<vtkInteractorStyleTrackballCamera> style;
  interactor->SetInteractorStyle(style);
  manager.RemoveRenderWindow(0);
  EXPECT_TRUE(interactor->GetInteractorStyle()->IsA("vtkInteractorStyleSwitch"));

  // A GUI window that its widget has not made ready yet is not drawn by Refresh.
  vtkNew<vtkGenericOpenGLRenderWindow> gui;
  gui->SetReadyForRendering(false);
  vtkNew<vtkRenderer> main;
  gui->AddRenderer(main);
  EXPECT_EQ(manager.AddRenderWindow(gui), 2);
  const vtkMTimeType before = main->GetMTime();
  int renders = 0;
  vtkNew<vtkCallbackCommand> count;
  count->SetClientData(&renders);
  count->SetCallback(
    [](vtkObject*, unsigned long, void* data, void*) { ++*static_cast<int*>(data); });
  gui->AddObserver(vtkCommand::StartEvent, count);
  manager.Refresh(1);
  manager.Refresh();
  EXPECT_EQ(renders, 0);
  EXPECT_EQ(main->GetMTime(), before);
}

TEST(RendererManager, CaptionStaysWholeAboveTheRenderersAtEverySize)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vRendererManager manager;
  vtkRenderWindow* window = MakeTab(manager);
  ASSERT_NE(window, nullptr);
  manager.SetCaption(0, "Welcome to QOVA");
  ASSERT_EQ(manager.TwoTwoRenderer(0), 1);
  vtkActor2DCollection* actors = manager.GetMainRenderer(0)->GetActors2D();
  actors->InitTraversal();
  auto* caption = vtkTextActor::SafeDownCast(actors->GetNextActor2D());
  ASSERT_NE(caption, nullptr);

  const std::string longCaption = "Head CT, axial, 512 x 512 x 300, contrast, patient 12345";
  const int sizes[][2] = {
    { 300, 300 }, { 200, 200 }, { 640, 200 }, { 1600, 1200 }, { 200, 900 }, { 300, 300 }
  };
  for (const std::string& text : { std::string("Welcome to QOVA"), longCaption })
  {
    manager.SetCaption(0, text);
    for (const auto& size : sizes)
    {
      SCOPED_TRACE(text + " at " + std::to_string(size[0]) + " x " + std::to_string(size[1]));
      window->SetSize(size[0], size[1]);
      window->Render();
      double box[4]; // x0, x1, y0, y1 in pixels, from the caption's anchor ...
      caption->GetBoundingBox(manager.GetMainRenderer(0), box);
      const int* anchor =
        caption->GetPositionCoordinate()->GetComputedDisplayValue(manager.GetMainRenderer(0));
      box[0] += anchor[0]; // ... then in the window
      box[1] += anchor[0];
      box[2] += anchor[1];
      box[3] += anchor[1];
      EXPECT_GE(box[0], 0.0);
      EXPECT_LE(box[1], size[0] - 1.0);
      EXPECT_GE(box[2], 0.0);
      EXPECT_LE(box[3], size[1] - 1.0); // not cut at the top edge ...
      for (int i = 1; i <= 4; ++i)
      {
        double v[4];
        manager.GetRenderer(0, i)->GetViewport(v);
        EXPECT_LT(v[3] * size[1], box[2]) << "renderer " << i; // ... nor covered below
        EXPECT_GE(v[1], 0.0);
      }
      EXPECT_NEAR(manager.GetTopMargin(0), 1.0 - (box[2] - 2.0) / size[1], 0.02);
    }
  }
  // The layout is kept: the bottom cells still start at the margin, the cells keep their order.
  double top[4];
  double bottom[4];
  manager.GetRenderer(0, 1)->GetViewport(top);
  manager.GetRenderer(0, 3)->GetViewport(bottom);
  EXPECT_GT(top[1], bottom[3]);
  EXPECT_NEAR(bottom[1], 0.005, 0.001);
  // Enlarge and Restore use the same gap.
  manager.Enlarge("3D");
  double enlarged[4];
  manager.GetRenderer(0, 4)->GetViewport(enlarged);
  EXPECT_NEAR(enlarged[3], 1.0 - manager.GetTopMargin(0), 1e-9);
  manager.Restore();
  double restored[4];
  manager.GetRenderer(0, 1)->GetViewport(restored);
  EXPECT_NEAR(restored[3], top[3], 1e-9);
}
