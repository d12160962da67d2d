// The program as a user starts it: the window's command line, what it does without a display, and
// a whole run that opens a real file, draws the window and saves its picture.

#include <vtkRenderWindow.h> // for the baseline helpers

#include "vRenderBaseline.h"
#include "vTempHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace
{
struct vRun
{
  int Code = -1;
  std::string Out;
  std::string Err;
};

/** Runs the built program with `arguments` (shell words) and environment settings in front. */
vRun RunProgram(const vTempHome& home, const std::string& environment, const std::string& arguments)
{
  const std::string errors = home.Sub("stderr.txt");
  const std::string command = "cd '" + home.Path() + "' && env " + environment + " VEMORA_HOME='" +
    home.Path() + "' '" + std::string(VEMORA_BIN_DIR) + "/Vemora' " + arguments + " 2>'" + errors +
    "' </dev/null";
  vRun run;
  if (FILE* pipe = popen(command.c_str(), "r"))
  {
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
    {
      run.Out.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.Code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  run.Err = vReadFile(errors);
  return run;
}
} // namespace

TEST(Program, WindowCommandLineIsCheckedAndExplained)
{
  vTempHome home;
  vRun help = RunProgram(home, "", "--help");
  EXPECT_EQ(help.Code, 0);
  EXPECT_NE(help.Out.find("Usage: Vemora [--script FILE]"), std::string::npos);
  EXPECT_NE(help.Out.find("--batch SCRIPT [--screenshot FILE.png]"), std::string::npos);
  for (const char* bad : { "--bogus", "--script", "--size 100x100", "--size 10", "--size 2000x" })
  {
    vRun run = RunProgram(home, "", bad);
    EXPECT_EQ(run.Code, 2) << bad;
    EXPECT_NE(run.Err.find("Usage:"), std::string::npos) << bad;
  }
}

TEST(Program, WithoutADisplayItSaysSoAndPointsToBatchRuns)
{
  vTempHome home;
  for (const char* environment : { "-u DISPLAY", "DISPLAY=:97", "DISPLAY=nosuchhost:0" })
  {
    vRun run = RunProgram(home, environment, "");
    EXPECT_EQ(run.Code, 3) << environment;
    EXPECT_NE(run.Err.find("cannot open the window"), std::string::npos) << environment;
    EXPECT_NE(run.Err.find("--batch"), std::string::npos) << environment;
  }
}

TEST(Program, OpensFilesAndSavesAPictureOfTheWindow)
{
  VEMORA_SKIP_WITHOUT_DISPLAY();
  vTempHome home;
  const std::string script = home.WriteFile("show.v", "ws\n");
  const std::string picture = home.Sub("window.png");
  vRun run = RunProgram(home,
    "",
    "--size 900x700 --script '" + script + "' --screenshot '" + picture + "' --quit '" +
      vTestData("mesh/vtk/skin.vtk") + "' '" + home.Sub("missing.vtk") + "'");
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_FALSE(vReadFile(picture).empty());
  // The picture is whole: a PNG of the window's size.
  const std::string png = vReadFile(picture);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto word = [&png](size_t at)
  {
    return (static_cast<unsigned char>(png[at]) << 24) |
      (static_cast<unsigned char>(png[at + 1]) << 16) |
      (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
  };
  EXPECT_EQ(word(16), 900u);
  EXPECT_EQ(word(20), 700u);

  // A picture that cannot be written fails the run.
  vRun bad = RunProgram(
    home, "", "--size 900x700 --screenshot '" + home.Sub("show.v/inside.png") + "' --quit");
  EXPECT_EQ(bad.Code, 1);
  EXPECT_NE(bad.Err.find("could not write the picture"), std::string::npos);
}

TEST(Program, BatchRunsShowProgressOnlyWhenAsked)
{
  vTempHome home;
  const std::string script =
    home.WriteFile("series.v", "open " + vTestData("dicom/series-mr-epi-sag-63") + "\n");
  vRun quiet = RunProgram(home, "-u DISPLAY", "--batch '" + script + "'");
  EXPECT_EQ(quiet.Code, 0) << quiet.Err;
  EXPECT_EQ(quiet.Err.find("Reading series-mr-epi-sag-63"), std::string::npos);
  vRun shown = RunProgram(home, "-u DISPLAY", "--batch '" + script + "' --progress");
  EXPECT_EQ(shown.Code, 0) << shown.Err;
  EXPECT_NE(shown.Err.find("Reading series-mr-epi-sag-63: done"), std::string::npos);
  EXPECT_NE(shown.Out.find("File loaded"), std::string::npos);
}

TEST(Program, BatchRunsOpenTheFilesNamedBeforeTheScript)
{
  vTempHome home;
  const std::string script = home.WriteFile("list.v", "ws\n");
  const std::string skin = vTestData("mesh/vtk/skin.vtk");
  vRun run = RunProgram(home, "-u DISPLAY", "'" + skin + "' --batch '" + script + "'");
  EXPECT_EQ(run.Code, 0) << run.Err;
  EXPECT_NE(run.Out.find(">> open '" + skin + "\nFile loaded\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("skin"), run.Out.rfind("skin")); // listed by ws as well
  // A file that does not open stops the run before the script, unless told to go on.
  vRun stopped = RunProgram(home, "-u DISPLAY", "nosuch.vtk --batch '" + script + "'");
  EXPECT_EQ(stopped.Code, 1);
  EXPECT_EQ(stopped.Out.find(">> ws"), std::string::npos);
  vRun going = RunProgram(home, "-u DISPLAY", "nosuch.vtk --batch '" + script + "' --keep-going");
  EXPECT_EQ(going.Code, 1);
  EXPECT_NE(going.Out.find(">> ws"), std::string::npos);
}
