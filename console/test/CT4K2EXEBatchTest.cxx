// The program in batch mode, the workspace file and its round trip through a fresh process, and
// end-to-end runs on real data with their pictures.
#include "vConsoleFixture.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vImage3DLayer.h"
#include "vRendererManager.h"
#include "vViewer.h"
#include "vVolumeResource.h"
#include "vVolumeResourceFake.h"
#include "vWorkspaceFile.h"

#include "vInstallation.h"
#include "vTextFile.h"
#include "vUserPrompt.h"

#include "vRenderBaseline.h"

#include <vtkImageDifference.h>
#include <vtkNew.h>
#include <vtkPNGReader.h>
#include <vtkPNGWriter.h>
#include <vtkRenderWindow.h>
#include <vtkWindowToImageFilter.h>

#include <cstdio>
#include <sys/wait.h>

namespace
{
struct vProgramRun
{
  int Code = -1;
  std::string Out;
  std::string Err;
};

/** Runs the installation's program with VEMORA_HOME set to `home`. */
vProgramRun RunVemora(const std::string& home, const std::string& arguments)
{
  vProgramRun run;
  const std::string errors = home + "/stderr.txt";
  const std::string command = "VEMORA_HOME='" + home + "' '" + std::string(VEMORA_BIN_DIR) +
    "/Vemora' " + arguments + " 2>'" + errors + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
  {
    return run;
  }
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
  {
    run.Out.append(buffer, n);
  }
  const int status = pclose(pipe);
  run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.Err = vReadFile(errors);
  return run;
}

/** A reply as the program prints it: "\r\n" line ends become "\n". */
std::string vBatchRunText(std::string reply)
{
  for (size_t at = reply.find("\r\n"); at != std::string::npos; at = reply.find("\r\n", at))
  {
    reply.erase(at, 1);
  }
  return reply;
}

std::string Quote(const std::string& path)
{
  return "'" + path + "'";
}

void WriteWindowPng(vtkRenderWindow* window, const std::string& path)
{
  window->Render();
  vtkNew<vtkWindowToImageFilter> grab;
  grab->SetInput(window);
  grab->ReadFrontBufferOff();
  vtkNew<vtkPNGWriter> writer;
  writer->SetInputConnection(grab->GetOutputPort());
  writer->SetFileName(path.c_str());
  writer->Write();
}

/** The thresholded error between two PNG files of the same size; a large number otherwise. */
double PngDifference(const std::string& a, const std::string& b)
{
  vtkNew<vtkPNGReader> first;
  first->SetFileName(a.c_str());
  vtkNew<vtkPNGReader> second;
  second->SetFileName(b.c_str());
  first->Update();
  second->Update();
  int da[3];
  int db[3];
  first->GetOutput()->GetDimensions(da);
  second->GetOutput()->GetDimensions(db);
  if (da[0] != db[0] || da[1] != db[1] || da[0] == 0)
  {
    return 1e9;
  }
  vtkNew<vtkImageDifference> difference;
  difference->SetInputConnection(first->GetOutputPort());
  difference->SetImageConnection(second->GetOutputPort());
  difference->Update();
  return difference->GetThresholdedError();
}

using Batch = vConsoleFixture;
using Workspace = vConsoleFixture;
} // namespace

TEST(BatchProgram, ExplainsItselfAndRefusesBadCommandLines)
{
  vTempHome home;
  vProgramRun help = RunVemora(home.Path(), "--help");
  EXPECT_EQ(help.Code, 0);
  EXPECT_NE(help.Out.find("--batch SCRIPT [--screenshot FILE.png]"), std::string::npos);
  for (const char* bad : { "--batch",
         "--bogus x.v",
         "--batch a.v b.v",
         "--size 0x10 a.v",
         "--size 10 a.v",
         "--size 99999x10 a.v",
         "--size 10x-1 a.v",
         "--screenshot" })
  {
    vProgramRun run = RunVemora(home.Path(), bad);
    EXPECT_EQ(run.Code, 2) << bad;
    EXPECT_NE(run.Err.find("Usage:"), std::string::npos) << bad;
  }
  vProgramRun missing = RunVemora(home.Path(), "--batch " + Quote(home.Sub("nosuch.v")));
  EXPECT_EQ(missing.Code, 1);
  EXPECT_NE(missing.Err.find("Script file does not exist!"), std::string::npos);
}

TEST(BatchProgram, PrintsRepliesAndStopsAtTheFirstFailingLine)
{
  vTempHome home;
  const std::string script =
    home.WriteFile("run.v", "# a comment\nver\nnew banana\nbanana split\nver\n");
  vProgramRun run = RunVemora(home.Path(), "--batch " + Quote(script));
  EXPECT_EQ(run.Code, 1);
  EXPECT_EQ(run.Out,
    ">> ver\n1.0.0.0D\n>> new banana\n>> banana split\n"
    "error: undefined variable or function\n");
  EXPECT_NE(
    run.Err.find("Error: Line 3, error: undefined variable or function"), std::string::npos);
  // The batch run adds nothing to the history.
  EXPECT_FALSE(vInstallation::IsFile(home.Sub("History/History.txt")));
}

TEST(BatchProgram, AnswersQuestionsFromItsOptions)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vTempHome home;
  home.CopyFile(
    std::string(VEMORA_BIN_DIR) + "/Modules/vSceneModule.so", "Modules/vSceneModule.so");
  home.CopyFile(std::string(VEMORA_BIN_DIR) + "/local/demo/ring.vtk", "ring.vtk");
  const std::string script = home.WriteFile("answers.v",
    "load " + home.Sub("ring.vtk") +
      "\nScene\ncoolstart\nexit\nnew layer mesh ring IV\n"
      "clear viewer\ninfo layer\n");
  vProgramRun no = RunVemora(home.Path(), "--no --batch " + Quote(script));
  EXPECT_EQ(no.Code, 0);
  EXPECT_NE(no.Err.find("are your sure your want to clear the viewer?"), std::string::npos);
  EXPECT_NE(no.Out.find("number of layers: 1"), std::string::npos) << no.Out;
  vProgramRun yes = RunVemora(home.Path(), "--batch " + Quote(script) + " --yes");
  EXPECT_EQ(yes.Code, 0);
  EXPECT_NE(yes.Out.find(">> info layer\nNo Layers\n"), std::string::npos) << yes.Out;
}

TEST(BatchProgram, RendersTheDemo)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vTempHome home;
  for (const char* module : { "vSceneModule.so", "vQuadviewModule.so" })
  {
    home.CopyFile(
      std::string(VEMORA_BIN_DIR) + "/Modules/" + module, std::string("Modules/") + module);
  }
  const std::string png = home.Sub("demo.png");
  vProgramRun run = RunVemora(home.Path(),
    "--batch " + Quote(std::string(VEMORA_BIN_DIR) + "/Scripts/demo.v") + " --screenshot " +
      Quote(png));
  ASSERT_EQ(run.Code, 0) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("Layer_ring"), std::string::npos);
  EXPECT_TRUE(vComparePngWithBaseline(png, "Batch_Demo"));
  // Another size is honoured.
  vProgramRun wide = RunVemora(home.Path(),
    "--batch " + Quote(std::string(VEMORA_BIN_DIR) + "/Scripts/demo.v") +
      " --size 400x200 --screenshot " + Quote(png));
  EXPECT_EQ(wide.Code, 0);
  vtkNew<vtkPNGReader> reader;
  reader->SetFileName(png.c_str());
  reader->Update();
  int dimensions[3];
  reader->GetOutput()->GetDimensions(dimensions);
  EXPECT_EQ(dimensions[0], 400);
  EXPECT_EQ(dimensions[1], 200);
  // A picture that cannot be written fails the run, and leaves nothing half written.
  vProgramRun nowhere = RunVemora(home.Path(),
    "--batch " + Quote(std::string(VEMORA_BIN_DIR) + "/Scripts/demo.v") + " --screenshot " +
      Quote(home.Sub("nosuch/demo.png")));
  EXPECT_EQ(nowhere.Code, 1);
  EXPECT_NE(nowhere.Err.find("could not write the picture"), std::string::npos);
  EXPECT_FALSE(vInstallation::IsFolder(home.Sub("nosuch")));
}

TEST_F(Workspace, AnEmptyWorkspaceHasTheFixedText)
{
  Start({}, false);
  EXPECT_EQ(vWorkspaceFile::GetText(Facade->GetEXE()),
    "# workspace created by QOVA\n"
    "# Visit the Vemora documentation (docs/ of its source tree) for more information\n"
    "\n"
    "# MODELS\n"
    "# VOLUMES\n"
    "# activated component\n"
    "# No component\n"
    "# THE END");
  // Cancelled: nothing written. A folder that does not exist: nothing written, and the user is
  // told so.
  vScriptedUserPrompt* prompt = vGetDefaultUserPrompt();
  EXPECT_EQ(Facade->GetEXE()->SaveWorkspace(), 0);
  ASSERT_EQ(prompt->GetRecords().size(), 1u);
  EXPECT_EQ(prompt->GetRecords()[0].What, vScriptedUserPrompt::SaveFile);
  EXPECT_EQ(prompt->GetRecords()[0].Text, "Script file (*.v) | *.v |");
  prompt->QueuePath(Home.Sub("nosuch/ws.v"));
  EXPECT_EQ(Facade->GetEXE()->SaveWorkspace(), CVemoraCPEXE::WriteFailed);
  EXPECT_FALSE(vInstallation::IsFile(Home.Sub("nosuch/ws.v")));
  ASSERT_EQ(prompt->GetRecords().size(), 3u);
  EXPECT_EQ(prompt->GetRecords()[2].Text,
    "error: the workspace could not be saved to " + Home.Sub("nosuch/ws.v"));
  // Written as typed, no extension added, over an old file.
  Home.WriteFile("ws", "old");
  prompt->QueuePath(Home.Sub("ws"));
  EXPECT_EQ(Facade->GetEXE()->SaveWorkspace(), 0);
  EXPECT_EQ(vReadFile(Home.Sub("ws")).substr(0, 27), "# workspace created by QOVA");
}

TEST_F(Workspace, ASavedWorkspaceRebuildsItselfInAFreshProcess)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  Start({ "Scene" }, true);
  vtkRenderWindow* window = Facade->GetEXE()->GetRenderers()->GetRenderWindow();
  window->SetSize(300, 300);
  const std::string textLayer =
    "new layer text 'top left' 'top right' 'bottom left' 'bottom right' IV";
  for (const std::string& line : std::vector<std::string>{ "open ring.vtk",
         "open marks.vtk",
         "open head.qv",
         "Scene",
         "coolstart",
         "new layer mesh ring IV",
         "new layer landmark marks IV",
         "new layer vol3d head IV",
         textLayer })
  {
    ASSERT_EQ(Line(line), 0) << line << ": " << Reply();
  }
  ASSERT_EQ(Do("ws"), 0);
  const std::string listing = Reply();
  ASSERT_EQ(Do("info", { "layer" }), 0);
  const std::string layers = Reply();
  const std::string original = Home.Sub("original.png");
  WriteWindowPng(window, original);

  vScriptedUserPrompt* prompt = vGetDefaultUserPrompt();
  const std::string saved = Home.Sub("saved.v");
  prompt->QueuePath(saved);
  EXPECT_EQ(Facade->GetEXE()->SaveWorkspace(), 0);
  const std::string text = vReadFile(saved);
  EXPECT_EQ(text,
    "# workspace created by QOVA\n"
    "# Visit the Vemora documentation (docs/ of its source tree) for more information\n"
    "\n"
    "# MODELS\n"
    "load '" +
      Data() +
      "/ring.vtk'\n"
      "load '" +
      Data() +
      "/marks.vtk'\n"
      "# VOLUMES\n"
      "load '" +
      Data() +
      "/head.qv'\n"
      "# activated component\n"
      "Scene\n"
      "coolstart\n"
      "# Layers\n"
      "new layer mesh ring IV\n"
      "new layer landmark marks IV\n"
      "new layer vol3d head IV\n"
      "new layer text 'top left' 'top right' 'bottom left' 'bottom right' IV\n"
      "# THE END");

  // The fresh process runs the file as the menu does, then lists what it rebuilt.
  vTextFile::WriteAtomically(Home.Sub("check.v"), text + "\nws\ninfo layer\n");
  const std::string restored = Home.Sub("restored.png");
  vProgramRun run = RunVemora(
    Home.Path(), "--batch " + Quote(Home.Sub("check.v")) + " --screenshot " + Quote(restored));
  ASSERT_EQ(run.Code, 0) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("Scene >> ws\n" + vBatchRunText(listing)), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("Scene >> info layer\n" + vBatchRunText(layers)), std::string::npos)
    << run.Out;
  EXPECT_LT(PngDifference(original, restored), 0.15);

  // Layers the language cannot create again are written as a comment and come back as nothing;
  // visibility is not part of the file, so a hidden layer comes back shown.
  ASSERT_EQ(Line("new layer ImageSlice head IV"), 0);
  ASSERT_EQ(Line("new layer vr head IV"), 0);
  ASSERT_EQ(Line("hide Layer_ring"), 0);
  prompt->QueuePath(saved);
  Facade->GetEXE()->SaveWorkspace();
  const std::string more = vReadFile(saved);
  EXPECT_NE(more.find("new layer text 'top left' 'top right' 'bottom left' 'bottom right' IV\n"
                      "## object reconstruction\n## object reconstruction\n# THE END"),
    std::string::npos)
    << more;
  vTextFile::WriteAtomically(Home.Sub("check.v"), more + "\ninfo layer\n");
  vProgramRun again = RunVemora(Home.Path(), "--batch " + Quote(Home.Sub("check.v")));
  ASSERT_EQ(again.Code, 0) << again.Out << again.Err;
  EXPECT_NE(again.Out.find("Scene >> info layer\n" + vBatchRunText(layers)), std::string::npos)
    << again.Out;
}

TEST(BatchProgram, RealDataEndToEndMatchesItsPictures)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vTempHome home;
  home.CopyFile(
    std::string(VEMORA_BIN_DIR) + "/Modules/vSceneModule.so", "Modules/vSceneModule.so");
  char real[4096];
  const std::string testData = realpath(VEMORA_TESTDATA_DIR, real) ? real : VEMORA_TESTDATA_DIR;
  for (const char* name : { "RealMeshes", "RealVolumes", "RealCarotid", "Layers" })
  {
    std::string text =
      vReadFile(std::string(VEMORA_SOURCE_DIR) + "/testing/scripts/" + name + ".v");
    for (const auto& [key, value] : { std::pair<std::string, std::string>{ "@TESTDATA@", testData },
           { "@DEMO@", std::string(VEMORA_BIN_DIR) + "/local/demo" } })
    {
      for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at))
      {
        text.replace(at, key.size(), value);
      }
    }
    const std::string script = home.WriteFile(std::string(name) + ".v", text);
    const std::string png = home.Sub(std::string(name) + ".png");
    const bool keepGoing = text.rfind("# keep-going", 0) == 0;
    vProgramRun run = RunVemora(home.Path(),
      "--batch " + Quote(script) + " --screenshot " + Quote(png) +
        (keepGoing ? " --keep-going" : ""));
    EXPECT_EQ(run.Code == 0, !keepGoing) << name << "\n" << run.Out << run.Err;
    EXPECT_TRUE(vComparePngWithBaseline(png, std::string("Script_") + name)) << name;
  }
}

TEST_F(Workspace, AThreePlaneLayerComesBackAsASliceLayerWithItsOrientation)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  Start({ "Scene" }, true);
  for (const char* line : { "open head.qv", "Scene", "coolstart" })
  {
    ASSERT_EQ(Line(line), 0) << line << ": " << Reply();
  }
  // The language has no word for this layer; a module or a panel makes it.
  vViewer* viewer = Facade->GetEXE()->GetModules()->GetViewer();
  ASSERT_NE(viewer, nullptr);
  auto layer = std::make_unique<vImage3DLayer>();
  std::unique_ptr<vVolumeResourceFake> handle(Facade->GetEXE()->GetVolume()->GetDataFake(0));
  layer->AddInput(handle.get());
  layer->SetSliceOrientation(1);
  ASSERT_GE(viewer->AddInput(layer.get(), 0), 0);
  const std::string name = layer.release()->GetName();

  vGetDefaultUserPrompt()->QueuePath(Home.Sub("ws.v"));
  Facade->GetEXE()->SaveWorkspace();
  const std::string text = vReadFile(Home.Sub("ws.v"));
  EXPECT_NE(
    text.find("# Layers\nnew layer vol head IV\nset orientation xz " + name + "\n# THE END"),
    std::string::npos)
    << text;

  // Read back, "new layer vol" makes an image slice layer, which takes the orientation.
  vTextFile::WriteAtomically(Home.Sub("check.v"), text + "\ninfo layer\n");
  vProgramRun run = RunVemora(Home.Path(), "--batch " + Quote(Home.Sub("check.v")));
  EXPECT_EQ(run.Code, 0) << run.Out << run.Err;
  EXPECT_NE(run.Out.find("Scene >> set orientation xz " + name + "\nScene >> "), std::string::npos)
    << run.Out;
  EXPECT_NE(run.Out.find(name + " "), std::string::npos) << run.Out; // in the layer table
}
