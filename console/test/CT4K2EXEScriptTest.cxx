// Scripts, the command buffer and the history file: everything the interpreter does before it
// reaches the engine, tested on an interpreter without a controller.
#include "CT4K2EXE.h"

#include "vInstallation.h"
#include "vUserPrompt.h"

#include "vTempHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sys/stat.h>

namespace
{
int Do(CT4K2EXE& interpreter, const std::string& word, std::vector<std::string> parameters = {})
{
  return interpreter.ProcCommand(word, parameters);
}
} // namespace

TEST(Dispatch, EmptyWordsAndUnknownWords)
{
  vTempHome home;
  CT4K2EXE interpreter;
  EXPECT_EQ(Do(interpreter, "   "), 0);
  EXPECT_EQ(interpreter.GetLastMessage(), "");
  EXPECT_EQ(Do(interpreter, "ver"), 0);
  EXPECT_EQ(interpreter.GetLastMessage(), "1.0.0.0D\r\n");
  EXPECT_EQ(Do(interpreter, " ver\t"), 0);
  EXPECT_EQ(Do(interpreter, "VER"), 1);
  EXPECT_EQ(interpreter.GetLastMessage(), "error: undefined variable or function\r\n");
  EXPECT_EQ(Do(interpreter, "error"), 1);
  EXPECT_EQ(Do(interpreter, "info"), 1);
  EXPECT_EQ(
    interpreter.GetLastMessage(), "usage: info/see [module]|[ModuleName]|[VariableName]...\r\n");
  EXPECT_EQ(Do(interpreter, "info", { "banana" }), 6);
  EXPECT_EQ(interpreter.GetLastMessage(), "error: undefined info parameter\r\n");
  // Without a controller every command that needs the engine answers 3.
  EXPECT_EQ(Do(interpreter, "pwd"), 3);
  EXPECT_EQ(Do(interpreter, "ws"), 3);
  EXPECT_EQ(Do(interpreter, "rm", { "a" }), 3);
  EXPECT_EQ(Do(interpreter, "rm"), 7);
  EXPECT_EQ(interpreter.GetLastMessage(), "error: insufficient input\r\n");
  EXPECT_EQ(Do(interpreter, "new", { "banana" }), 0);
  EXPECT_EQ(interpreter.GetLastMessage(), "");
  EXPECT_EQ(Do(interpreter, "sf", { "a", "b", "c" }), 0);
  EXPECT_EQ(Do(interpreter, "surface", { "a" }), 7);
  EXPECT_EQ(interpreter.GetLastMessage(), "usage: sf [volume] [voxelintensity] [reduction]\r\n");
  EXPECT_EQ(Do(interpreter, "clear", { "command" }), 0);
  EXPECT_EQ(Do(interpreter, "set", { "banana" }), 15);
  EXPECT_EQ(interpreter.GetLastMessage(), "error: invalid parameter 'banana'\r\n");
  EXPECT_EQ(Do(interpreter, "cd", { "a", "b" }), 19);
  EXPECT_EQ(interpreter.GetLastMessage(), "error: cannot find the path specified\r\n\r\n");
}

TEST(Scripts, RunByNameUsesPlainSplittingAndShadowsBuiltInWords)
{
  vTempHome home;
  home.WriteFile("Scripts/greet.v", "# a comment\n\n  ver  \r\nver\n");
  home.WriteFile("Scripts/ver.v", "banana\n");
  home.WriteFile("Scripts/quiet.v", "# nothing\n");
  CT4K2EXE interpreter;
  // "ver" is shadowed by ver.v, whose last line fails; a run by name goes on and reports it.
  EXPECT_EQ(Do(interpreter, "ver"), 1);
  EXPECT_EQ(interpreter.GetLastMessage(), "error: undefined variable or function\r\n");
  EXPECT_EQ(Do(interpreter, "quiet"), 0);
  EXPECT_EQ(interpreter.GetLastMessage(), "");
  EXPECT_EQ(interpreter.RunScript("nosuchscript"), 1);
  EXPECT_EQ(interpreter.GetLastMessage(), "");
  // A word with a folder separator never names a script, even one that exists.
  home.WriteFile("Scripts/sub/ver.v", "ver\n");
  EXPECT_EQ(Do(interpreter, "sub/ver"), 1);
  EXPECT_EQ(interpreter.GetLastMessage(), "error: undefined variable or function\r\n");
  EXPECT_EQ(Do(interpreter, "../Scripts/quiet"), 1);
  EXPECT_EQ(Do(interpreter, std::string("quiet\0x", 7)), 1);
}

TEST(Scripts, SelfCallsAndCyclesEndWithResultNine)
{
  vTempHome home;
  home.WriteFile("Scripts/self.v", "self\n");
  home.WriteFile("Scripts/selfthenver.v", "selfthenver\nver\n");
  home.WriteFile("Scripts/a.v", "b\nb\nver\n");
  home.WriteFile("Scripts/b.v", "a\na\n");
  CT4K2EXE interpreter;
  EXPECT_EQ(Do(interpreter, "self"), 9);
  EXPECT_EQ(interpreter.GetLastMessage(), "error: infinite loop detected");
  EXPECT_EQ(Do(interpreter, "selfthenver"), 0);
  EXPECT_EQ(interpreter.GetLastMessage(), "1.0.0.0D\r\n");
  // a -> b -> a ... calls twice per level: without the depth bound and the unwinding this would
  // run 2^64 lines.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Do(interpreter, "a"), 9);
  EXPECT_EQ(interpreter.GetLastMessage(), "error: infinite loop detected");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  // The interpreter is usable again afterwards.
  EXPECT_EQ(Do(interpreter, "ver"), 0);
}

TEST(Scripts, ChainsOfScriptsRunSixtyFourDeep)
{
  vTempHome home;
  for (int i = 0; i < 70; ++i)
  {
    home.WriteFile("Scripts/s" + std::to_string(i) + ".v", "s" + std::to_string(i + 1) + "\n");
  }
  home.WriteFile("Scripts/s64.v", "ver\n");
  CT4K2EXE interpreter;
  EXPECT_EQ(Do(interpreter, "s1"), 0); // s1 ... s64: 64 scripts deep
  EXPECT_EQ(interpreter.GetLastMessage(), "1.0.0.0D\r\n");
  EXPECT_EQ(Do(interpreter, "s0"), 9); // s0 ... s64: one too many
  EXPECT_EQ(interpreter.GetLastMessage(), "error: infinite loop detected");
}

TEST(Scripts, MenuRunStopsAtTheFirstFailingLineWithItsNumber)
{
  vTempHome home;
  vScriptedUserPrompt* prompt = vGetDefaultUserPrompt();
  const std::string path = home.WriteFile("elsewhere/fail.v", "# comment\n\nbanana\nver\n");
  CT4K2EXE interpreter;
  std::vector<std::string> seen;
  interpreter.SetLineObserver(
    [&](int line, const std::string& text, int result, const std::string& reply)
    {
      seen.push_back(
        std::to_string(line) + ":" + text + ":" + std::to_string(result) + ":" + reply);
    });
  EXPECT_EQ(interpreter.RunScriptFromUI(path), 1);
  ASSERT_EQ(prompt->GetTexts().size(), 1u);
  EXPECT_EQ(prompt->GetTexts()[0], "Error: Line 2, error: undefined variable or function\r\n");
  EXPECT_EQ(
    seen, std::vector<std::string>({ "2:banana:1:error: undefined variable or function\r\n" }));

  prompt->Reset();
  EXPECT_EQ(interpreter.RunScriptFromUI(home.Sub("elsewhere/missing.v")), 1);
  EXPECT_EQ(prompt->GetTexts(), std::vector<std::string>({ "Script file does not exist!" }));
  for (const std::string& notAFile : { home.Sub("elsewhere"), std::string("/dev/zero") })
  {
    prompt->Reset();
    EXPECT_EQ(interpreter.RunScriptFromUI(notAFile), 1);
    EXPECT_EQ(prompt->GetTexts(), std::vector<std::string>({ "Script file does not exist!" }));
  }

  // Quotes group words in a menu run; an unbalanced quote stops it.
  prompt->Reset();
  const std::string quoted = home.WriteFile("q.v", "ver\nset caption 'My view\nver\n");
  EXPECT_EQ(interpreter.RunScriptFromUI(quoted), 1);
  EXPECT_EQ(prompt->GetTexts(),
    std::vector<std::string>({ "Error: Line 1, error: undefined variable or function\r\n" }));
}

TEST(Scripts, MenuRunReportsSelfCallsAndGoesOn)
{
  vTempHome home;
  vScriptedUserPrompt* prompt = vGetDefaultUserPrompt();
  const std::string path = home.WriteFile("x/demo.v", "ver\ndemo\nver\n");
  CT4K2EXE interpreter;
  int lines = 0;
  interpreter.SetLineObserver([&](int, const std::string&, int, const std::string&) { ++lines; });
  EXPECT_EQ(interpreter.RunScriptFromUI(path), 0);
  EXPECT_EQ(lines, 2);
  EXPECT_EQ(prompt->GetTexts(),
    std::vector<std::string>({ "Error: infinite loop detected in the script file" }));
  // Only the last two characters ".v" are cut: "demo.V" keeps its name and is not a self-call.
  prompt->Reset();
  const std::string upper = home.WriteFile("x/other.V", "other.V\n");
  EXPECT_EQ(interpreter.RunScriptFromUI(upper), 9);
  EXPECT_EQ(interpreter.RunScriptFromUI(home.WriteFile("x/last.v", "ver\nlast\n")), 9);
}

TEST(Scripts, LongScriptsAndHostileLinesRunToTheEnd)
{
  vTempHome home;
  std::string text;
  for (int i = 0; i < 100000; ++i)
  {
    text += (i % 3 == 0) ? "ver\n" : (i % 3 == 1) ? "# note\r\n" : "\r";
  }
  text += std::string(1 << 20, 'v') + "\n";
  text += std::string("v\0er\n", 5);
  text += "\xff\xfe\xfd 'x' '\n";
  text += "ver";
  const std::string path = home.WriteFile("long.v", text);
  home.WriteFile("Scripts/long.v", text);
  CT4K2EXE interpreter;
  EXPECT_EQ(interpreter.RunScriptFromUI(path), 1); // stops at the 1 MB word
  EXPECT_EQ(Do(interpreter, "long"), 0);           // by name it goes on to the last "ver"
  EXPECT_EQ(interpreter.GetLastMessage(), "1.0.0.0D\r\n");

  // 20 MB without a line end: one line, cut at its limit, not kept whole in memory.
  const std::string binary = home.WriteFile("binary.v", std::string(20 << 20, 'x') + "\nver");
  interpreter.SetStopOnError(false);
  EXPECT_EQ(interpreter.RunScriptFromUI(binary), 1);
  EXPECT_EQ(interpreter.GetLastMessage(), "1.0.0.0D\r\n");
}

TEST(Scripts, AnUnreadableScriptFolderIsNoScript)
{
  vTempHome home;
  home.WriteFile("Scripts/ver.v", "banana\n");
  chmod(home.Sub("Scripts").c_str(), 0);
  CT4K2EXE interpreter;
  const bool root = access(home.Sub("Scripts/ver.v").c_str(), R_OK) == 0;
  EXPECT_EQ(Do(interpreter, "ver"), root ? 1 : 0);
  chmod(home.Sub("Scripts").c_str(), 0755);
}

TEST(CommandBuffer, KeepsAtMostCapacityMinusOneNewestFirst)
{
  vTempHome home;
  CT4K2EXE interpreter;
  EXPECT_EQ(interpreter.GetNextCommand(), "");
  EXPECT_EQ(interpreter.GetPreviousCommand(), "");
  EXPECT_EQ(interpreter.GetNextCommand("x"), "");
  for (int i = 0; i < 1100; ++i)
  {
    interpreter.UpdateCommandBuffer("cmd " + std::to_string(i));
  }
  EXPECT_EQ(interpreter.GetBufferSize(), 1023);
  EXPECT_EQ(interpreter.GetMaxBufferSize(), 1024);
  EXPECT_EQ(interpreter.GetCommandFromBuffer(0), "cmd 1099");
  EXPECT_EQ(interpreter.GetCommandFromBuffer(1022), "cmd 77");
  EXPECT_EQ(interpreter.GetCommandFromBuffer(1023), "");
  EXPECT_EQ(interpreter.GetCommandFromBuffer(-1), "");
}

TEST(CommandBuffer, RecallWrapsBothWaysAndFollowsPrefixes)
{
  vTempHome home;
  CT4K2EXE interpreter;
  for (const char* line : { "open c", "show b", "open a" })
  {
    interpreter.UpdateCommandBuffer(line);
  }
  EXPECT_EQ(interpreter.GetNextCommand("open"), "open a");
  EXPECT_EQ(interpreter.GetNextCommand("open"), "open c");
  EXPECT_EQ(interpreter.GetNextCommand("open"), "open a");
  EXPECT_EQ(interpreter.GetPreviousCommand("open"), "open c");
  EXPECT_EQ(interpreter.GetPreviousCommand("show"), "show b");
  // No match: the pointer stays and its entry comes back.
  EXPECT_EQ(interpreter.GetNextCommand("zzz"), "show b");

  interpreter.InitBufferPointer();
  EXPECT_EQ(interpreter.GetNextCommand(), "open a");
  EXPECT_EQ(interpreter.GetNextCommand(), "show b");
  EXPECT_EQ(interpreter.GetNextCommand(), "open c");
  EXPECT_EQ(interpreter.GetNextCommand(), "open a");
  interpreter.InitBufferPointer();
  EXPECT_EQ(interpreter.GetPreviousCommand(), "open c");
  EXPECT_EQ(interpreter.GetPreviousCommand(), "show b");
  interpreter.InitBufferPointer();
  EXPECT_EQ(interpreter.GetPreviousCommand("open"), "open c");
  EXPECT_EQ(interpreter.GetNextCommand("zzz"), "open c");
  interpreter.InitBufferPointer();
  EXPECT_EQ(interpreter.GetNextCommand("zzz"), "");
}

TEST(History, SurvivesTheInterpreterAndIsCreatedWithItsFolder)
{
  vTempHome home;
  rmdir(home.Sub("History").c_str());
  {
    CT4K2EXE interpreter;
    EXPECT_EQ(interpreter.GetBufferSize(), 0);
    interpreter.UpdateCommandBuffer("ver");
    interpreter.UpdateCommandBuffer("pwd");
  }
  EXPECT_EQ(vReadFile(home.Sub("History/History.txt")), "pwd\r\nver\r\n");
  {
    // A line break inside an entry does not split it in the file.
    CT4K2EXE interpreter;
    interpreter.UpdateCommandBuffer("two\nlines\r");
  }
  EXPECT_EQ(vReadFile(home.Sub("History/History.txt")), "two lines \r\npwd\r\nver\r\n");
  {
    CT4K2EXE interpreter;
    ASSERT_EQ(interpreter.GetBufferSize(), 3);
    EXPECT_EQ(interpreter.GetCommandFromBuffer(1), "pwd");
    EXPECT_EQ(interpreter.GetCommandFromBuffer(2), "ver");
  }
  // An interpreter that added nothing leaves the file alone, and so does an empty buffer.
  home.WriteFile("History/History.txt", "kept\n");
  {
    CT4K2EXE interpreter;
  }
  EXPECT_EQ(vReadFile(home.Sub("History/History.txt")), "kept\n");
}

TEST(History, InstalledCopyKeepsEachUsersHistory)
{
  vTempHome home;
  home.WriteFile("History/History.txt", "shipped\r\n");
  home.MakeInstalledCopy();
  {
    CT4K2EXE interpreter;
    EXPECT_EQ(interpreter.GetBufferSize(), 0) << "the installation's history is not the user's";
    interpreter.UpdateCommandBuffer("ws");
    EXPECT_EQ(interpreter.GetHistoryPath(), home.Sub("user/data/vemora/History/History.txt"));
  }
  EXPECT_EQ(vReadFile(home.Sub("user/data/vemora/History/History.txt")), "ws\r\n");
  EXPECT_EQ(vReadFile(home.Sub("History/History.txt")), "shipped\r\n");
}

TEST(History, HostileHistoryFilesLoadBoundedAndAreNeverHalfWritten)
{
  vTempHome home;
  // 100 MB: only what the buffer can hold is read.
  {
    std::ofstream out(home.Sub("History/History.txt"), std::ios::binary);
    std::string line(99, 'h');
    line += '\n';
    for (int i = 0; i < 1000000; ++i)
    {
      out << line;
    }
  }
  {
    const auto start = std::chrono::steady_clock::now();
    CT4K2EXE interpreter;
    EXPECT_EQ(interpreter.GetBufferSize(), 1023);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    interpreter.UpdateCommandBuffer("newest");
  }
  std::string text = vReadFile(home.Sub("History/History.txt"));
  EXPECT_EQ(text.substr(0, 8), "newest\r\n");
  EXPECT_EQ(text.size(), 8 + 1022 * 101u);

  // Binary content: loaded as it is, written back whole.
  const std::string binary("a\0b\xff\r\n\x01\x02", 8);
  home.WriteFile("History/History.txt", binary);
  {
    CT4K2EXE interpreter;
    ASSERT_EQ(interpreter.GetBufferSize(), 2);
    EXPECT_EQ(interpreter.GetCommandFromBuffer(0), std::string("a\0b\xff", 4));
    interpreter.UpdateCommandBuffer("x");
  }
  EXPECT_EQ(
    vReadFile(home.Sub("History/History.txt")), std::string("x\r\na\0b\xff\r\n\x01\x02\r\n", 13));

  // A History path that cannot be made: nothing is written, nothing breaks.
  rmdir(home.Sub("History").c_str());
  std::remove(home.Sub("History/History.txt").c_str());
  rmdir(home.Sub("History").c_str());
  home.WriteFile("History", "a file where the folder should be");
  {
    CT4K2EXE interpreter;
    interpreter.UpdateCommandBuffer("lost");
  }
  EXPECT_EQ(vReadFile(home.Sub("History")), "a file where the folder should be");
}
