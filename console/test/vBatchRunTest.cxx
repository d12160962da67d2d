// Batch runs as a command-line tool: failures that only the reply tells of, relative paths from
// the start folder, scripts from standard input, pipes and FIFOs, and an X server that is not
// there.
#include "vInstallation.h"
#include "vTempHome.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
struct vRun
{
  int Code = -1;
  std::string Out;
  std::string Err;
};

std::string Quote(const std::string& text)
{
  return "'" + text + "'";
}

/**
 * Runs `prefix` (shell words: a `cd`, variables, a pipe into the program) then the program with
 * `arguments`, in the installation folder `home`.
 */
vRun RunShell(const vTempHome& home, const std::string& prefix, const std::string& arguments)
{
  vRun run;
  const std::string errors = home.Sub("stderr.txt");
  const std::string command = prefix + " VEMORA_HOME=" + Quote(home.Path()) + " " +
    Quote(std::string(VEMORA_BIN_DIR) + "/Vemora") + " " + arguments + " 2>" + Quote(errors);
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

/** Reads from `fd` until `text` has come or 20 s passed; what was read. */
std::string ReadUntil(int fd, const std::string& text)
{
  std::string got;
  while (got.find(text) == std::string::npos)
  {
    pollfd wait = { fd, POLLIN, 0 };
    if (poll(&wait, 1, 20000) <= 0)
    {
      break;
    }
    char buffer[256];
    const ssize_t n = ::read(fd, buffer, sizeof(buffer));
    if (n <= 0)
    {
      break;
    }
    got.append(buffer, static_cast<size_t>(n));
  }
  return got;
}
} // namespace

TEST(BatchRun, AnErrorReplyFailsTheRunUnlessItKeepsGoing)
{
  vTempHome home;
  const std::string script = home.WriteFile("run.v", "ver\nopen /nosuch.vtk\nver\n");
  vRun run = RunShell(home, "", "--batch " + Quote(script));
  EXPECT_EQ(run.Code, 1); // the line's result is 0, its reply says "error"
  EXPECT_EQ(run.Out, ">> ver\n1.0.0.0D\n>> open /nosuch.vtk\nerror: file loading error\n");
  EXPECT_NE(run.Err.find("Error: Line 1, error: file loading error"), std::string::npos) << run.Err;

  vRun going = RunShell(home, "", "--keep-going --batch " + Quote(script));
  EXPECT_EQ(going.Code, 1);
  EXPECT_EQ(going.Out,
    ">> ver\n1.0.0.0D\n>> open /nosuch.vtk\nerror: file loading error\n>> ver\n1.0.0.0D\n");

  // Replies that do not begin with "error" fail nothing.
  const std::string fine = home.WriteFile("fine.v", "ver\nws\npwd\n");
  EXPECT_EQ(RunShell(home, "", "--batch " + Quote(fine)).Code, 0);
}

TEST(BatchRun, RelativePathsStartInTheStartFolder)
{
  vTempHome home;
  home.CopyFile(std::string(VEMORA_BIN_DIR) + "/local/demo/ring.vtk", "work/ring.vtk");
  home.WriteFile("work/run.v", "pwd\nopen ring.vtk\nws\n");
  // A configured folder elsewhere does not matter to a batch run.
  home.WriteFile("SystemRegistry/Vemora.conf", "## [CurrentDirectory]\n/\n");
  vRun run = RunShell(home, "cd " + Quote(home.Sub("work")) + " &&", "--batch run.v");
  EXPECT_EQ(run.Code, 0) << run.Out << run.Err;
  EXPECT_EQ(run.Out.substr(0, run.Out.find("\n>> ws")),
    ">> pwd\n" + home.Sub("work") + "\n>> open ring.vtk\nFile loaded");
}

TEST(BatchRun, ScriptsFromStandardInputPipesAndFifos)
{
  vTempHome home;
  // "-" is standard input: a pipe, or a here-document.
  vRun piped = RunShell(home, "printf 'ver\\nbanana\\nver\\n' |", "--batch -");
  EXPECT_EQ(piped.Code, 1);
  EXPECT_EQ(piped.Out, ">> ver\n1.0.0.0D\n>> banana\nerror: undefined variable or function\n");
  vRun empty = RunShell(home, "", "--batch - </dev/null");
  EXPECT_EQ(empty.Code, 0);
  EXPECT_EQ(empty.Out, "");

  // A FIFO as the script: each line is answered as soon as it has come, before the next one is
  // written (the run used to wait for a whole buffer, or refuse the FIFO).
  const std::string fifo = home.Sub("commands");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0)
  {
    dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    setenv("VEMORA_HOME", home.Path().c_str(), 1);
    const std::string program = std::string(VEMORA_BIN_DIR) + "/Vemora";
    execl(program.c_str(), program.c_str(), "--batch", fifo.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(out[1]);
  const int writer = ::open(fifo.c_str(), O_WRONLY); // waits for the program to open it
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::write(writer, "ver\n", 4), 4);
  EXPECT_EQ(ReadUntil(out[0], "1.0.0.0D\n"), ">> ver\n1.0.0.0D\n");
  ASSERT_EQ(::write(writer, "pwd\r\n", 5), 5);
  char folder[4096];
  ASSERT_NE(getcwd(folder, sizeof(folder)), nullptr);
  EXPECT_EQ(ReadUntil(out[0], std::string(folder) + "\n"), ">> pwd\n" + std::string(folder) + "\n");
  ::close(writer);
  ReadUntil(out[0], "never");
  ::close(out[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);

  // A terminal as the script works the same way: a line is answered once it is typed, and the
  // end of input (Ctrl-D) ends the run.
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string terminal = ptsname(master);
  int replies[2];
  ASSERT_EQ(pipe(replies), 0);
  const pid_t typist = fork();
  ASSERT_GE(typist, 0);
  if (typist == 0)
  {
    dup2(replies[1], STDOUT_FILENO);
    ::close(replies[0]);
    ::close(replies[1]);
    ::close(master);
    setsid(); // the terminal must not become the test's controlling one
    setenv("VEMORA_HOME", home.Path().c_str(), 1);
    const std::string program = std::string(VEMORA_BIN_DIR) + "/Vemora";
    execl(
      program.c_str(), program.c_str(), "--batch", terminal.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ::close(replies[1]);
  ASSERT_EQ(::write(master, "ver\n", 4), 4);
  EXPECT_EQ(ReadUntil(replies[0], "1.0.0.0D\n"), ">> ver\n1.0.0.0D\n");
  ASSERT_EQ(::write(master, "\x04", 1), 1);
  ReadUntil(replies[0], "never");
  ::close(replies[0]);
  ASSERT_EQ(waitpid(typist, &status, 0), typist);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ::close(master);

  // Other devices are not scripts.
  vRun device = RunShell(home, "", "--batch /dev/zero");
  EXPECT_EQ(device.Code, 1);
  EXPECT_NE(device.Err.find("Script file does not exist!"), std::string::npos);
}

TEST(BatchRun, AnXServerThatIsNotThereMeansNoViewingTab)
{
  vTempHome home;
  home.CopyFile(
    std::string(VEMORA_BIN_DIR) + "/Modules/vSceneModule.so", "Modules/vSceneModule.so");
  const std::string script = home.WriteFile("run.v", "ver\nScene\ncoolstart\n");
  // No server listens on display 917 (the sockets of running ones are in /tmp/.X11-unix).
  ASSERT_FALSE(vInstallation::IsFolder("/tmp/.X11-unix/X917"));
  vRun run = RunShell(home, "DISPLAY=:917", "--batch " + Quote(script));
  EXPECT_NE(run.Code, -1) << "the program ended on a signal";
  EXPECT_NE(run.Err.find("no X display, so no viewing tab"), std::string::npos) << run.Err;
  EXPECT_EQ(run.Out.substr(0, 16), ">> ver\n1.0.0.0D\n");
}
