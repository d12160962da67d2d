// The built-in words on a real control panel: replies and result codes, and what each changes.
#include "vConsoleFixture.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "v3DLayer.h"
#include "vDataResource.h"
#include "vImageLayer.h"
#include "vLayer.h"
#include "vRendererManager.h"
#include "vTextLayer.h"
#include "vViewer.h"
#include "vVolumeRenderingLayer.h"
#include <vtkDataSet.h>

#include "vInstallation.h"
#include "vUserPrompt.h"
#include "vUtil.h"

#include "vRenderBaseline.h"
#include "vVtkOutputCapture.h"

#include <vtkMatrix4x4.h>
#include <vtkRenderWindow.h>
#include <vtkTransform.h>
#include <vtkVolume.h>

#include <dlfcn.h>
#include <fstream>
#include <sys/stat.h>

namespace
{
using Commands = vConsoleFixture;
using Layers = vConsoleFixture;
using Modules = vConsoleFixture;
} // namespace

TEST_F(Commands, FoldersFollowTheTypedPaths)
{
  Start({}, false);
  const std::string data = Data();
  EXPECT_EQ(Do("pwd"), 0);
  EXPECT_EQ(Reply(), data + "\r\n");
  EXPECT_EQ(Do("cd"), 0);
  EXPECT_EQ(Reply(), data + "\r\n");

  vInstallation::MakeFolder(data + "/sub dir/deeper");
  EXPECT_EQ(Line("cd 'sub dir'"), 0);
  EXPECT_EQ(Reply(), "");
  EXPECT_EQ(Facade->GetCurDir(), data + "/sub dir");
  EXPECT_EQ(Do("cd", { "deeper" }), 0);
  EXPECT_EQ(Do("cd", { ".." }), 0);
  EXPECT_EQ(Do("cd", { ".." }), 0);
  EXPECT_EQ(Facade->GetCurDir(), data);

  EXPECT_EQ(Do("cd", { "nosuch" }), 1);
  EXPECT_EQ(Reply(), "cannot find the path specified\r\n\r\n");
  EXPECT_EQ(Do("cd", { "ring.vtk" }), 1); // a file is no folder
  EXPECT_EQ(Do("cd", { std::string("sub\0dir", 7) }), 1);
  EXPECT_EQ(Facade->GetCurDir(), data);
  EXPECT_EQ(Do("cd", { "a", "b" }), 19);
  EXPECT_EQ(Reply(), "error: cannot find the path specified\r\n\r\n");

  EXPECT_EQ(Do("cd", { data + "/sub dir" }), 0);
  EXPECT_EQ(Facade->GetCurDir(), data + "/sub dir");
  EXPECT_EQ(Do("cd", { "/" }), 0);
  EXPECT_EQ(Facade->GetCurDir(), "/");
  EXPECT_EQ(Do("cd", { ".." }), 0);
  EXPECT_EQ(Facade->GetCurDir(), "/");
  EXPECT_EQ(Do("cd", { "tmp" }), 0);
  EXPECT_EQ(Facade->GetCurDir(), "/tmp");
}

TEST_F(Commands, DirListsFoldersFirstThenFiles)
{
  Start({}, false);
  const std::string folder = Home.Sub("listing");
  vInstallation::MakeFolder(folder + "/inner");
  Home.WriteFile("listing/file.txt", "x");
  Facade->SetCurDir(folder);
  EXPECT_EQ(Do("ls"), 0);
  const std::string reply = Reply();
  for (const char* entry :
    { "+--- <.>\r\n", "+--- <..>\r\n", "+--- <inner>\r\n", "+--- file.txt\r\n" })
  {
    EXPECT_NE(reply.find(entry), std::string::npos) << entry;
  }
  EXPECT_LT(reply.find("<inner>"), reply.find("file.txt"));
  EXPECT_EQ(reply.substr(reply.size() - 4), "\r\n\r\n");

  Facade->SetCurDir(Home.Sub("gone"));
  EXPECT_EQ(Do("dir"), 0);
  EXPECT_EQ(Reply(), "");
}

TEST_F(Commands, FilesComeAndGoThroughTheWorkspace)
{
  Start({}, false);
  EXPECT_EQ(Do("ws"), 0);
  EXPECT_EQ(Reply(), "Workspace is Empty\r\n");
  EXPECT_EQ(Do("open", { "ring.vtk", "ignored" }), 0);
  EXPECT_EQ(Reply(), "File loaded\r\n");
  EXPECT_EQ(Do("load", { "ring.vtk" }), 0); // loaded already
  EXPECT_EQ(Reply(), "error: file loading error\r\n");
  EXPECT_EQ(Do("load", { "'" + Data() + "/head.qv" }), 0);
  EXPECT_EQ(Reply(), "File loaded\r\n");
  {
    vExpectVtkMessages expected;
    EXPECT_EQ(Do("open", { "nosuch.vtk" }), 0);
  }
  EXPECT_EQ(Reply(), "error: file loading error\r\n");
  EXPECT_EQ(Do("ws"), 0);
  const std::string listing = Reply();
  EXPECT_NE(listing.find("ring"), std::string::npos);
  EXPECT_NE(listing.find("<image>"), std::string::npos);
  EXPECT_EQ(Do("info", { "workspace" }), 0);
  EXPECT_EQ(Reply(), listing);

  EXPECT_EQ(Do("new", {}), 7);
  EXPECT_EQ(Reply(), "error: insufficient input\r\n");
  EXPECT_EQ(Do("new", { "sphere", "1", "2", "3" }), 7);
  EXPECT_EQ(Reply(), "error: new sphere [x] [y] [z] [r]\r\n");
  const int models = Facade->GetEXE()->GetModel()->GetNumberOfItems();
  EXPECT_EQ(Do("new", { "sphere", "0", "0", "0", "5" }), 0);
  EXPECT_EQ(Facade->GetEXE()->GetModel()->GetNumberOfItems(), models + 1);

  EXPECT_EQ(Do("rm", { "ring" }), 0);
  EXPECT_EQ(Reply(), "");
  EXPECT_LT(Facade->GetEXE()->GetModel()->Find("ring"), 0);
  EXPECT_EQ(Do("remove", { "ring" }), 6);
  EXPECT_EQ(Reply(), "error: undefined parameters\r\n");
}

TEST_F(Commands, SurfacesAndDistancesMakeModelsAndFiles)
{
  Start({}, false);
  Do("open", { "head.qv" });
  Do("open", { "ring.vtk" });
  Do("open", { "marks.vtk" });
  EXPECT_EQ(Do("mc", { "head", "300", "0.5" }), 7);
  EXPECT_EQ(Do("mc", { "nosuch", "300", "0.5", "0" }), 1);
  EXPECT_EQ(Reply(), "error: undefined functions or variables - nosuch\r\n");
  vDataResource* models = Facade->GetEXE()->GetModel();
  EXPECT_EQ(Do("mc", { "head", "600", "0.5", "0" }), 0);
  ASSERT_GE(models->Find("headMesh"), 0);
  EXPECT_GT(models->GetData(models->Find("headMesh"))->GetNumberOfPoints(), 100);
  EXPECT_EQ(Do("mc", { "head", "600", "0.5", "-5" }), 0);
  {
    // Nothing lies at that intensity: an empty model, and the filters say so.
    vExpectVtkMessages expected;
    EXPECT_EQ(Do("mc", { "head", "1e999", "nan", "99999999999999999999" }), 0);
  }
  EXPECT_GE(models->Find("headMesh1"), 0);
  EXPECT_GE(models->Find("headMesh2"), 0);

  EXPECT_EQ(Do("residual", { "ring" }), 7);
  EXPECT_EQ(Do("residual", { "nosuch", "marks" }), 1);
  EXPECT_EQ(Reply(), "error: undefined functions or variables - nosuch\r\n");
  EXPECT_EQ(Do("residual", { "ring", "nosuch" }), 1);
  EXPECT_EQ(Reply(), "error: undefined functions or variables - nosuch\r\n");
  // Without a viewing tab the renderer manager has no renderers.
  EXPECT_EQ(Do("residual", { "ring", "marks" }), 1);
  EXPECT_EQ(Reply(), "error: renderer was not defined\r\n");

  EXPECT_EQ(Do("transform", { "x" }), 7);
  EXPECT_EQ(Do("transform", { "x", "m.mat" }), 1);
  EXPECT_EQ(Reply(), "error: unknow variable x\r\n");
}

TEST_F(Commands, ViewerWordsWithoutAViewerTouchNothing)
{
  Start({}, false);
  Do("open", { "ring.vtk" });
  EXPECT_EQ(Do("new", { "layer", "mesh", "ring", "IV" }), 11);
  EXPECT_EQ(Reply(), "error: layer can not be created without a renderer\r\n");
  EXPECT_EQ(Do("set", { "color", "1", "0", "0" }), 17);
  EXPECT_EQ(Reply(), "error: viewer not ready\r\n");
  EXPECT_EQ(Do("set", { "color", "1", "0", "2" }), 16);
  EXPECT_EQ(Do("set", { "color", "1", "0" }), 7);
  EXPECT_EQ(Do("set", { "bcolor", "1", "0", "0" }), 17);
  EXPECT_EQ(Do("set", { "opacity", "0.5" }), 17);
  EXPECT_EQ(Do("set", { "orientation", "xy", "ring" }), 17);
  EXPECT_EQ(Do("set", { "orientation", "ab", "ring" }), 16);
  EXPECT_EQ(Reply(), "error: orienation can only be XY, XZ or YZ\r\n");
  EXPECT_EQ(Do("set", { "caption", "hello" }), 0);
  EXPECT_EQ(Do("el", { "IV" }), 3);
  EXPECT_EQ(Reply(), "error: unknown error in command 'enlarge'\r\n");
  EXPECT_EQ(Do("el"), 7);
  EXPECT_EQ(Do("hide", { "ring" }), 6);
  EXPECT_EQ(Do("show", { "ring" }), 6);
  EXPECT_EQ(Do("transform", { "ring", "m.mat" }), 1);
  EXPECT_EQ(Do("rc", { "IV" }), 1);
  EXPECT_EQ(Reply(), "error: undefined functions or variables - IV\r\n");
  EXPECT_EQ(Do("rc", { "a", "b" }), 0);
  EXPECT_EQ(Do("info", { "layer" }), 0);
  EXPECT_EQ(Reply(), "No Layers\r\n");
  EXPECT_EQ(Do("clear", { "viewer" }), 0);
  EXPECT_EQ(Reply(), "error: empty view\r\n");
  EXPECT_EQ(Do("info", { "monitor" }), 0);
  EXPECT_EQ(Reply(),
    "Number of Monitors: 0\r\n-------------------------\r\n"
    "id                  name                resolution          \r\n\r\n");
}

TEST_F(Commands, MonitorListingsNumberFromZeroEveryTime)
{
  Start({}, false);
  CT4K2EXE::SetMonitorProvider(
    [] {
      return std::vector<std::pair<int, int>>{ { 1920, 1080 }, { 800, 600 } };
    });
  const std::string row0 = vUtil::ConstructRow({ "0", "d0", "<1920 x 1080>" }, { 20, 20, 20 });
  for (int i = 0; i < 2; ++i)
  {
    EXPECT_EQ(Do("info", { "monitor" }), 0);
    EXPECT_NE(Reply().find("Number of Monitors: 2\r\n"), std::string::npos);
    EXPECT_NE(Reply().find(row0 + "\r\n"), std::string::npos);
    EXPECT_NE(Reply().find("<800 x 600>"), std::string::npos);
  }
  CT4K2EXE::SetMonitorProvider(nullptr);
}

TEST_F(Modules, ModuleModeForwardsLinesAndFallsBackToBuiltInWords)
{
  Start({ "Echo", "Mute" }, false);
  EXPECT_EQ(Do("info", { "module" }), 0);
  EXPECT_EQ(Reply().substr(0, 49), "Number of Modules: 2\r\n-------------------------\r\n");
  EXPECT_EQ(Do("info", { "cmd" }), 6);

  EXPECT_EQ(Do("echo"), 0); // module names ignore letter case
  EXPECT_EQ(Interpreter->GetStarter(), "Echo >> ");
  EXPECT_EQ(Do("echo", { "a b", "c" }), 0);
  EXPECT_EQ(Reply(), "said: echo a b c"); // the module's reply, as it gave it
  EXPECT_EQ(Do("ver"), 0);                // the module does not take it
  EXPECT_EQ(Reply(), "1.0.0.0D\r\n");
  // No second module while one is active; a line that nothing takes gets the module's own reply
  // and result, which say what was wrong with it.
  EXPECT_EQ(Do("Mute"), 1);
  EXPECT_EQ(Reply(), "not mine\r\n");
  EXPECT_EQ(Do("code", { "48" }), 48);
  EXPECT_EQ(Reply(), "code\r\n");
  EXPECT_EQ(Do("info", { "command" }), 0);
  EXPECT_EQ(Reply(), "");
  EXPECT_EQ(Do("echo", std::vector<std::string>(12, "p")), 0);
  EXPECT_EQ(Interpreter->ModuleCommand("echo", std::vector<std::string>(13, "p")), 4);
  EXPECT_EQ(Interpreter->GetLastMessage(), "error: the number of parameters is beyond the limit");
  EXPECT_EQ(Do("exit"), 0); // ends module mode, though the module knows "exit"
  EXPECT_EQ(Interpreter->GetStarter(), ">> ");
  // The module stays activated in the module manager.
  EXPECT_EQ(Facade->GetEXE()->GetModules()->GetActivatedModuleId(),
    Facade->GetEXE()->GetModules()->FindModule("Echo"));

  EXPECT_EQ(Do("Mute"), 0);
  EXPECT_EQ(Do("echo", { "x" }), 0);
  EXPECT_EQ(Reply(), ""); // no "GetLastMessage"
  EXPECT_EQ(Do("see", { "command" }), 5);
  EXPECT_EQ(Reply(), "error: undefined module function\r\n");
  // A module that gives no reply leaves the usual one, with its own result.
  EXPECT_EQ(Do("code", { "3" }), 3);
  EXPECT_EQ(Reply(), "error: undefined variable or function\r\n");
  EXPECT_EQ(Do("quit"), 0);
  EXPECT_EQ(Interpreter->StartModule("nosuch"), 2);
  EXPECT_EQ(Interpreter->GetLastMessage(), "error: unrecognized module");
  EXPECT_EQ(Interpreter->ModuleCommand("echo", {}), 5);
}

TEST_F(Layers, EveryKindOfLayerAndItsChecks)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  Start({ "Viewer3D" }, true);
  Do("open", { "ring.vtk" });
  Do("open", { "marks.vtk" });
  Do("open", { "head.qv" });
  ASSERT_EQ(Do("Viewer3D"), 0);
  ASSERT_EQ(Do("coolstart"), 0);
  vViewer* viewer = Facade->GetEXE()->GetModules()->GetViewer();
  ASSERT_NE(viewer, nullptr);

  EXPECT_EQ(Do("new", { "layer", "mesh", "ring" }), 7);
  EXPECT_EQ(Reply(), "error: incorrect parameters\r\n");
  EXPECT_EQ(Do("new", { "layer", "mesh", "ring", "IV", "a", "b", "c" }), 7);
  EXPECT_EQ(Reply(), "errror: incorrect parameters the layer\r\n");
  EXPECT_EQ(Do("new", { "layer", "text", "a", "IV" }), 7);
  EXPECT_EQ(Reply(), "errror: incorrect parameters for text layer\r\n");
  EXPECT_EQ(Do("new", { "layer", "Label", "x", "IV" }), 1);
  EXPECT_EQ(Reply(), "error: undefined functions or variables\r\n");
  EXPECT_EQ(Do("new", { "layer", "mesh", "nosuch", "IV" }), 1);
  EXPECT_EQ(Do("new", { "layer", "mesh", "ring", "nosuch" }), 12);
  EXPECT_EQ(Reply(), "error: unrecognized renderer\r\n");
  EXPECT_EQ(viewer->GetNumberOfItems(), 0);

  EXPECT_EQ(Do("new", { "layer", "MESH", "ring", "IV" }), 0);
  EXPECT_EQ(Reply(), "");
  EXPECT_EQ(Do("new", { "layer", "landmark", "marks", "IV" }), 0);
  EXPECT_EQ(Do("new", { "layer", "ImageSlice", "head", "IV" }), 0);
  EXPECT_EQ(Do("new", { "layer", "vol3d", "head", "IV" }), 0);
  EXPECT_EQ(Do("new", { "layer", "vr", "head", "IV" }), 0);
  EXPECT_EQ(Do("new", { "layer", "vr", "head", "IV" }), 0);
  EXPECT_EQ(Line("new layer text 'top left' 'top right' '' 'bottom right' IV"), 0);
  ASSERT_EQ(viewer->GetNumberOfItems(), 7);
  EXPECT_TRUE(viewer->GetInput(0)->isA("MeshLayer"));
  EXPECT_TRUE(viewer->GetInput(1)->isA("LandmarkLayer"));
  EXPECT_TRUE(viewer->GetInput(2)->isA("image"));
  EXPECT_TRUE(viewer->GetInput(3)->isA("Image3DLayer2"));
  EXPECT_TRUE(viewer->GetInput(6)->isA("TextLayer"));
  auto* first = dynamic_cast<vVolumeRenderingLayer*>(viewer->GetInput(4));
  auto* second = dynamic_cast<vVolumeRenderingLayer*>(viewer->GetInput(5));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(second->GetColorMap(), 1);
  EXPECT_NE(first->GetColorMap(), 1);
  // A layer made with the manager's renderer 1 went into viewer slot 0.
  EXPECT_EQ(viewer->GetInput(0)->GetRendererName(), "IV");

  EXPECT_EQ(Do("info", { "layer" }), 0);
  EXPECT_EQ(Reply(), viewer->GetLayerInfo() + "\r\n");
  EXPECT_EQ(Do("info", { "layer", "6" }), 0);
  EXPECT_EQ(Do("info", { "layer", "7" }), 10);
  EXPECT_EQ(Reply(), "error: data overflow\r\n");
  EXPECT_EQ(Do("info", { "layer", "-1" }), 10);
  EXPECT_EQ(Do("info", { "layer", "99999999999999999999999" }), 10);
  EXPECT_EQ(Do("info", { "ren" }), 0);
  EXPECT_NE(Reply().find("IV"), std::string::npos);

  const std::string mesh = viewer->GetInput(0)->GetName();
  const std::string slice = viewer->GetInput(2)->GetName();
  EXPECT_EQ(Do("hide", { mesh }), 0);
  EXPECT_EQ(viewer->GetInput(0)->GetProperty()->GetVisibility(), 0);
  EXPECT_EQ(Do("show", { mesh }), 0);
  EXPECT_EQ(viewer->GetInput(0)->GetProperty()->GetVisibility(), 1);
  EXPECT_EQ(Do("hide", { "nosuch" }), 6);

  EXPECT_EQ(Do("set", { "orientation", "XZ", slice }), 0);
  EXPECT_EQ(dynamic_cast<vImageLayer*>(viewer->GetInput(2))->GetSliceOrientation(), 1);
  EXPECT_EQ(Do("set", { "orientation", "xy", mesh }), 21);
  EXPECT_EQ(Reply(), "error: Layer" + mesh + " does not have orientation property\r\n");
  EXPECT_EQ(Do("set", { "orientation", "xy", "nosuch" }), 6);

  // Numbers: decimal only; what is not a number reads as 0; overflow is out of range.
  EXPECT_EQ(Do("set", { "color", "1e999", "0", "0" }), 16);
  EXPECT_EQ(Reply(), "error: data out of range. rgb range should be from 0.0 to 1.0\r\n");
  EXPECT_EQ(Do("set", { "color", "-1e-999", "0", "0" }), 0);
  EXPECT_EQ(Do("set", { "color", "nan", "-0", "0x10" }), 0);
  EXPECT_EQ(Do("set", { "color", "-0.5", "0", "0" }), 16);
  EXPECT_EQ(Do("set", { "bcolor", "0.1", "0.2", "0.3" }), 0);
  EXPECT_EQ(Do("set", { "opacity", "1.01" }), 16);
  EXPECT_EQ(Do("set", { "opacity", "0.5", "nosuch" }), 0);
  EXPECT_EQ(Do("set", { "opacity", "0.5", mesh }), 0);
  EXPECT_EQ(Do("set", { "opacity", "0.5", mesh, "x" }), 1);
  EXPECT_EQ(Reply(), "error: \r\n");
  EXPECT_EQ(Do("set", { "opacity", "1" }), 0);

  EXPECT_EQ(Do("el", { "IV" }), 0);
  EXPECT_EQ(Do("el", { "nosuch" }), 12);
  EXPECT_EQ(Do("el", { "off" }), 0);
  EXPECT_EQ(Do("rc", { "IV" }), 0);
  EXPECT_EQ(Do("rc", { "nosuch" }), 1);

  // A matrix file relative to the current folder moves the layer.
  vUtil::SaveMat(Data() + "/shift.mat",
    std::vector<double>{ 1, 0, 0, 5, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 }.data());
  EXPECT_EQ(Do("transform", { mesh, "shift.mat" }), 0);
  EXPECT_EQ(Do("transform", { mesh, "nosuch.mat" }), 14);
  EXPECT_EQ(Reply(), "error: couldn't open file nosuch.mat\r\n");

  // residual now has renderers: the distances land beside the current folder.
  EXPECT_EQ(Do("residual", { "ring", "marks" }), 0);
  const std::string distances = vReadFile(Data() + "/Map_marks.txt");
  EXPECT_EQ(distances.substr(0, 10), "Number: 6\n");

  EXPECT_EQ(Do("rm", { mesh }), 0);
  EXPECT_EQ(viewer->GetNumberOfItems(), 6);
  EXPECT_GE(Facade->GetEXE()->GetModel()->Find("ring"), 0); // the model stays

  // clear viewer asks first; No keeps everything.
  vScriptedUserPrompt* prompt = vGetDefaultUserPrompt();
  prompt->QueueAnswer(false);
  EXPECT_EQ(Do("clear", { "viewer" }), 0);
  EXPECT_EQ(prompt->GetTexts().back(), "are your sure your want to clear the viewer?");
  EXPECT_EQ(Facade->GetEXE()->GetModules()->GetViewer(), viewer);
  // ... and resets the volume-rendering count whatever the answer.
  EXPECT_EQ(Do("new", { "layer", "vr", "head", "IV" }), 0);
  auto* third =
    dynamic_cast<vVolumeRenderingLayer*>(viewer->GetInput(viewer->GetNumberOfItems() - 1));
  ASSERT_NE(third, nullptr);
  EXPECT_NE(third->GetColorMap(), 1);
  prompt->QueueAnswer(true);
  EXPECT_EQ(Do("clear", { "viewer" }), 0);
  EXPECT_EQ(Facade->GetEXE()->GetModules()->GetViewer(), nullptr);
  EXPECT_EQ(Do("info", { "layer" }), 0);
  EXPECT_EQ(Reply(), "No Layers\r\n");
}

TEST_F(Layers, TransformRefusesFilesThatAreNoMatrixAndKeepsTheOldOne)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  Start({ "Viewer3D" }, true);
  Do("open", { "ring.vtk" });
  ASSERT_EQ(Do("Viewer3D"), 0);
  ASSERT_EQ(Do("coolstart"), 0);
  ASSERT_EQ(Do("new", { "layer", "mesh", "ring", "IV" }), 0);
  vViewer* viewer = Facade->GetEXE()->GetModules()->GetViewer();
  ASSERT_NE(viewer, nullptr);
  auto* layer = dynamic_cast<v3DLayer*>(viewer->GetInput(0));
  ASSERT_NE(layer, nullptr);
  const std::string name = layer->GetName();

  vUtil::SaveMat(Data() + "/shift.mat",
    std::vector<double>{ 1, 0, 0, 5, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 }.data());
  ASSERT_EQ(Do("transform", { name, "shift.mat" }), 0);
  EXPECT_EQ(layer->GetTransformObject()->GetMatrix()->GetElement(0, 3), 5.0);

  // Not a matrix (read as the identity before), cut short (a blank view), NaN (a hidden model),
  // text where a number belongs, a row too long: each refused, the shift kept.
  const std::string good = vReadFile(Data() + "/shift.mat");
  const std::string bad[] = { "just some notes\n",
    good.substr(0, good.find('\n', good.find('\n') + 1) + 1),
    "MATRIX 4 x 4\nnan 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n",
    "MATRIX 4 x 4\n1 0 0 0\n0 one 0 0\n0 0 1 0\n0 0 0 1\n",
    "MATRIX 4 x 4\n1 0 0 0 9\n0 1 0 0\n0 0 1 0\n0 0 0 1\n",
    "MATRIX 4 x 4\n1 0 0 1e999\n0 1 0 0\n0 0 1 0\n0 0 0 1\n" };
  for (const std::string& text : bad)
  {
    Home.WriteFile("data/bad.mat", text);
    EXPECT_EQ(Do("transform", { name, "bad.mat" }), 14) << text;
    EXPECT_EQ(Reply(), "error: couldn't read a 4 x 4 matrix from file bad.mat\r\n") << text;
    EXPECT_EQ(layer->GetTransformObject()->GetMatrix()->GetElement(0, 3), 5.0) << text;
    EXPECT_EQ(layer->GetTransformObject()->GetMatrix()->GetElement(3, 3), 1.0) << text;
  }
  // Any letter case and "\r\n" line ends are matrices too.
  Home.WriteFile("data/crlf.mat", "matrix 4 X 4\r\n1 0 0 -2\r\n0 1 0 0\r\n0 0 1 0\r\n0 0 0 1\r\n");
  EXPECT_EQ(Do("transform", { name, "crlf.mat" }), 0);
  EXPECT_EQ(layer->GetTransformObject()->GetMatrix()->GetElement(0, 3), -2.0);
  EXPECT_EQ(Do("transform", { name, "." }), 14);
  EXPECT_EQ(Reply(), "error: couldn't open file .\r\n");
}

TEST_F(Commands, ResidualAndSaveSayWhereTheirFilesWent)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  Start({}, true);
  Do("open", { "ring.vtk" });
  Do("open", { "marks.vtk" });
  Do("open", { "head.qv" });
  // residual needs a second renderer: the inset layout of the viewing tab gives it one.
  Facade->GetEXE()->GetRenderers()->SingleRenderer(0);
  ASSERT_EQ(Do("residual", { "ring", "marks" }), 0);
  EXPECT_EQ(Reply(), "distance map saved to " + Data() + "/Map_marks.txt\r\n");
  EXPECT_EQ(vReadFile(Data() + "/Map_marks.txt").substr(0, 10), "Number: 6\n");
  // A map that cannot be written is an error, not a silent success.
  ASSERT_TRUE(vInstallation::MakeFolder(Data() + "/Map_ring.txt"));
  EXPECT_EQ(Do("residual", { "marks", "ring" }), 18);
  EXPECT_EQ(Reply(), "error: couldn't write file " + Data() + "/Map_ring.txt\r\n");

  // save NAME FILE: a surface from mc kept from a script, in the format of the extension.
  ASSERT_EQ(Do("mc", { "head", "600", "0.5", "0" }), 0);
  ASSERT_GE(Facade->GetEXE()->GetModel()->Find("headMesh"), 0);
  EXPECT_EQ(Do("save", { "headMesh", "skull.vtk" }), 0);
  EXPECT_EQ(Reply(), "headMesh saved to " + Data() + "/skull.vtk\r\n");
  EXPECT_EQ(Do("open", { "skull.vtk" }), 0);
  EXPECT_EQ(Reply(), "File loaded\r\n");
  vDataResource* models = Facade->GetEXE()->GetModel();
  ASSERT_GE(models->Find("skull"), 0);
  EXPECT_EQ(models->GetData(models->Find("skull"))->GetNumberOfCells(),
    models->GetData(models->Find("headMesh"))->GetNumberOfCells());
  EXPECT_EQ(Do("save", { "head", Home.Sub("copy.qv") }), 0);
  EXPECT_EQ(Reply(), "head saved to " + Home.Sub("copy.qv") + "\r\n");

  EXPECT_EQ(Do("save", { "headMesh" }), 7);
  EXPECT_EQ(Reply(), "usage: save [model or volume] [file]\r\n");
  EXPECT_EQ(Do("save", { "nosuch", "x.vtk" }), 1);
  EXPECT_EQ(Reply(), "error: undefined functions or variables - nosuch\r\n");
  EXPECT_EQ(Do("save", { "headMesh", "x.qv" }), 18);
  EXPECT_EQ(Reply(),
    "error: can't save headMesh as x.qv (models: .vtk, .stl, .ply, .obj; volumes: .vtk, .qv)\r\n");
  {
    vExpectVtkMessages messages; // the writer says why
    EXPECT_EQ(Do("save", { "headMesh", "nofolder/x.vtk" }), 18);
  }
  EXPECT_EQ(Reply(), "error: couldn't write file " + Data() + "/nofolder/x.vtk\r\n");
}
