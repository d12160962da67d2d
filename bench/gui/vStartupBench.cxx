// Process start to the first frame drawn: the workstation (`Vemora --size 1024x768 --quit`, one
// viewing tab, every plug-in of the build loaded) against a bare Qt window with one VTK widget
// rendering an empty scene. Both print the monotonic clock at their first frame (VEMORA_TIMING);
// the time from just before the process is spawned to that moment is measured, runs alternate,
// and the medians are compared. Run under an X server (xvfb-run -a -s -noreset).
//   vStartupBench [runs]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace
{
long long Now()
{
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

/** Seconds from spawning the program to its first frame; negative on failure. */
double TimeToFirstFrame(const std::vector<std::string>& command)
{
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0)
  {
    return -1;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::vector<char*> argv;
  argv.reserve(command.size() + 1);
  for (const std::string& part : command)
  {
    argv.push_back(const_cast<char*>(part.c_str()));
  }
  argv.push_back(nullptr);
  const long long start = Now();
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  std::string output;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = read(pipeEnds[0], buffer, sizeof(buffer))) > 0)
  {
    output.append(buffer, static_cast<size_t>(n));
  }
  close(pipeEnds[0]);
  int status = 0;
  if (spawned == 0)
  {
    waitpid(child, &status, 0);
  }
  const size_t at = output.find("first-frame-ns ");
  if (spawned != 0 || at == std::string::npos)
  {
    std::fprintf(stderr, "%s gave no first frame:\n%s\n", argv[0], output.c_str());
    return -1;
  }
  return (std::atoll(output.c_str() + at + 15) - start) / 1e9;
}

double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}
} // namespace

int main(int argc, char** argv)
{
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  std::string folder = argv[0];
  folder = folder.substr(0, folder.rfind('/'));
  setenv("VEMORA_TIMING", "1", 1);
  char home[] = "/tmp/vemora-startup-XXXXXX";
  if (!mkdtemp(home))
  {
    return 1;
  }
  const std::vector<std::string> vemora = { folder + "/Vemora", "--size", "1024x768", "--quit" };
  const std::vector<std::string> bare = { folder + "/vBareWindow" };
  std::vector<double> vemoraTimes;
  std::vector<double> bareTimes;
  for (int i = 0; i < runs; ++i)
  {
    const double a = TimeToFirstFrame(bare);
    const double b = TimeToFirstFrame(vemora);
    if (a < 0 || b < 0)
    {
      return 1;
    }
    bareTimes.push_back(a);
    vemoraTimes.push_back(b);
  }
  const double bareMedian = Median(bareTimes);
  const double vemoraMedian = Median(vemoraTimes);
  std::printf("start to first frame, median of %d: Vemora %.3f s, bare Qt + VTK window %.3f s, "
              "ratio %.2f (target: under 1 s and at most 1.5)\n",
    runs,
    vemoraMedian,
    bareMedian,
    vemoraMedian / bareMedian);
  return 0;
}
