// Times a 100,000-line script of commands that do not render (ver, pwd, ws) run from the menu,
// and, in the same run, the part of it spent looking for a script file named like each command
// word (measured as a second run of the same lines through RunScript alone).
// Every part checks its output: each line of the menu run must give the reply that the same
// command gives when called directly, the look-up must find no script for any word, and the
// splitting must give the word and no parameters; otherwise the benchmark exits with 1.
#include "CT4K2EXE.h"

#include "CVemoraCP.h"

#include "vInstallation.h"
#include "vTextFile.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
double Seconds(std::chrono::steady_clock::time_point start)
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main(int argc, char** argv)
{
  const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
  char folder[] = "/tmp/vemora-bench-XXXXXX";
  if (!mkdtemp(folder))
  {
    return 1;
  }
  setenv("VEMORA_HOME", folder, 1);
  for (const char* sub : { "Modules", "Soft", "Hard", "SystemRegistry", "Scripts", "History" })
  {
    vInstallation::MakeFolder(std::string(folder) + "/" + sub);
  }
  const char* words[] = { "ver", "pwd", "ws" };
  std::string text;
  for (int i = 0; i < lines; ++i)
  {
    text += words[i % 3];
    text += '\n';
  }
  const std::string script = std::string(folder) + "/bench.v";
  vTextFile::WriteAtomically(script, text);

  CVemoraCP facade;
  facade.UIInit();
  CT4K2EXE interpreter;
  interpreter.SetController(&facade);

  // What each command answers when called directly: the menu run must give the same.
  std::vector<std::string> expected;
  for (const char* word : words)
  {
    std::vector<std::string> parameters;
    interpreter.ProcCommand(word, parameters);
    expected.push_back(interpreter.GetLastMessage());
  }
  // The observer only counts the lines and compares their replies (a few nanoseconds a line).
  int linesRun = 0;
  int linesDiffering = 0;
  interpreter.SetLineObserver(
    [&](int line, const std::string&, int lineResult, const std::string& reply)
    {
      ++linesRun;
      if (lineResult != 0 || reply != expected[line % 3])
      {
        ++linesDiffering;
      }
    });

  auto start = std::chrono::steady_clock::now();
  const int result = interpreter.RunScriptFromUI(script);
  const double total = Seconds(start);
  interpreter.SetLineObserver(nullptr);

  int found = 0; // look-ups that found a script: none may
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < lines; ++i)
  {
    found += interpreter.RunScript(words[i % 3]) == 1 ? 0 : 1;
  }
  const double lookup = Seconds(start);

  int badSplits = 0;
  start = std::chrono::steady_clock::now();
  for (int i = 0; i < lines; ++i)
  {
    std::string word;
    std::vector<std::string> parameters;
    CT4K2EXE::PreprocCmdLine(words[i % 3], word, parameters);
    badSplits += (word == words[i % 3] && parameters.empty()) ? 0 : 1;
  }
  const double split = Seconds(start);

  const bool same =
    result == 0 && linesRun == lines && linesDiffering == 0 && found == 0 && badSplits == 0;
  std::printf("lines %d, result %d\n", lines, result);
  std::printf("menu run: %.3f s, %.2f us per command\n", total, 1e6 * total / lines);
  std::printf("script look-up alone: %.3f s, %.2f us per command, %.1f %% of the run\n",
    lookup,
    1e6 * lookup / lines,
    100.0 * lookup / total);
  std::printf("line splitting alone: %.3f s, %.3f us per command\n", split, 1e6 * split / lines);
  std::printf("outputs: %d of %d lines run, %d replies differing from the direct commands', %d "
              "look-ups finding a script, %d lines split wrongly: %s\n",
    linesRun,
    lines,
    linesDiffering,
    found,
    badSplits,
    same ? "as expected" : "DIFFERENT");
  std::string cleanup = std::string("rm -rf ") + folder;
  return std::system(cleanup.c_str()) == 0 && same ? 0 : 1;
}
