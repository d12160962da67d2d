#include "vDynamicLibrary.h"
#include "vInstallation.h"
#include "vShellNotifier.h"
#include "vTextFile.h"
#include "vUserPrompt.h"

#include "vTempHome.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

TEST(Installation, FollowsVemoraHomeAndFallsBackToTheExecutableFolder)
{
  {
    vTempHome home;
    EXPECT_EQ(vInstallation::GetFolder(), home.Path());
    EXPECT_EQ(vInstallation::GetSubFolder("Modules"), home.Path() + "/Modules");
    EXPECT_TRUE(vInstallation::IsFolder(vInstallation::GetSubFolder("SystemRegistry")));
  }
  unsetenv("VEMORA_HOME");
  EXPECT_EQ(vInstallation::GetFolder(), vInstallation::GetExecutableFolder());
  EXPECT_EQ(vInstallation::GetExecutableFolder(), std::string(VEMORA_BIN_DIR));
}

TEST(Installation, StateStaysInABuildTreeAndGoesToTheUserInAnInstalledCopy)
{
  vTempHome home;
  EXPECT_FALSE(vInstallation::IsSharedInstallation());
  for (const char* name : { "SystemRegistry", "History", "local", "Scripts" })
  {
    EXPECT_EQ(vInstallation::GetStateFolder(name), home.Sub(name));
  }

  home.WriteFile("local/demo/ring.vtk", "shipped");
  home.MakeInstalledCopy();
  EXPECT_TRUE(vInstallation::IsSharedInstallation());
  const std::string config = home.Sub("user/config/vemora");
  EXPECT_EQ(vInstallation::GetStateFolder("SystemRegistry"), config);
  EXPECT_EQ(vInstallation::GetStateFolder("History"), home.Sub("user/data/vemora/History"));
  const std::string local = vInstallation::GetStateFolder("local");
  EXPECT_EQ(local, home.Sub("user/data/vemora/local"));
  EXPECT_TRUE(vInstallation::IsFolder(config));
  struct stat st;
  ASSERT_EQ(stat(config.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u) << "per-user state is private";
  // Shipped, read-only files stay in the installation.
  EXPECT_EQ(vInstallation::GetStateFolder("Scripts"), home.Sub("Scripts"));
  EXPECT_EQ(vInstallation::GetStateFolder("Modules"), home.Sub("Modules"));

  // The new repository shows the shipped demo through a link; a case the user removes later
  // does not come back.
  EXPECT_EQ(vReadFile(local + "/demo/ring.vtk"), "shipped");
  ASSERT_EQ(std::remove((local + "/demo").c_str()), 0);
  EXPECT_EQ(vInstallation::GetStateFolder("local"), local);
  EXPECT_FALSE(vInstallation::IsFolder(local + "/demo"));
  EXPECT_TRUE(vInstallation::IsFile(home.Sub("local/demo/ring.vtk")));
}

TEST(Installation, StateFallsBackToTheHomeFolderWithoutUsableXdgVariables)
{
  vTempHome home;
  home.MakeInstalledCopy();
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome ? oldHome : "";
  setenv("HOME", home.Sub("me/").c_str(), 1);
  setenv("XDG_CONFIG_HOME", "relative/config", 1); // not absolute: ignored
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(vInstallation::GetUserHome(), home.Sub("me"));
  EXPECT_EQ(vInstallation::GetStateFolder("SystemRegistry"), home.Sub("me/.config/vemora"));
  EXPECT_EQ(vInstallation::GetStateFolder("History"), home.Sub("me/.local/share/vemora/History"));
  EXPECT_TRUE(vInstallation::IsFolder(home.Sub("me/.local/share/vemora/History")));

  // A home folder that cannot hold the state: the path is still given, nothing is made.
  home.WriteFile("file", "not a folder");
  setenv("HOME", home.Sub("file").c_str(), 1);
  EXPECT_EQ(vInstallation::GetStateFolder("SystemRegistry"), home.Sub("file/.config/vemora"));
  EXPECT_FALSE(vInstallation::IsFolder(home.Sub("file/.config/vemora")));
  if (oldHome)
  {
    setenv("HOME", savedHome.c_str(), 1);
  }
  else
  {
    unsetenv("HOME");
  }
}

TEST(Installation, MakeFolderCreatesParents)
{
  vTempHome home;
  std::string deep = home.Sub("a/b/c");
  EXPECT_TRUE(vInstallation::MakeFolder(deep));
  EXPECT_TRUE(vInstallation::IsFolder(deep));
  EXPECT_FALSE(vInstallation::IsFile(deep));
  std::string file = home.WriteFile("a/file", "x");
  EXPECT_FALSE(vInstallation::MakeFolder(file + "/sub"));
}

TEST(DynamicLibrary, LoadsLooksUpAndReportsFailures)
{
  const std::string folder = VEMORA_TEST_PLUGIN_DIR;
  vDynamicLibrary library;
  ASSERT_TRUE(library.Open(folder + "/vTestDynamicLibrary.so")) << library.GetError();
  auto answer = library.GetFunction<int (*)()>("vTestAnswer");
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(library.GetSymbol("NoSuchExport"), nullptr);

  vDynamicLibrary moved(std::move(library));
  EXPECT_TRUE(moved.IsOpen());
  // Checks the moved-from state on purpose.
  EXPECT_FALSE(library.IsOpen()); // NOLINT(bugprone-use-after-move,clang-analyzer-cplusplus.Move)

  vTempHome home;
  std::string text = home.WriteFile("Modules/notalibrary.so", "this is text, not ELF");
  vDynamicLibrary bad;
  EXPECT_FALSE(bad.Open(text));
  EXPECT_FALSE(bad.GetError().empty());
  EXPECT_EQ(bad.GetSymbol("anything"), nullptr);
  EXPECT_FALSE(bad.Open(home.Sub("missing.so")));
}

TEST(DynamicLibrary, ListsSharedObjectsSortedByName)
{
  vTempHome home;
  home.WriteFile("Soft/b.so", "");
  home.WriteFile("Soft/a.so", "");
  home.WriteFile("Soft/c.so.txt", "");
  home.WriteFile("Soft/readme", "");
  vInstallation::MakeFolder(home.Sub("Soft/folder.so"));
  auto list = vDynamicLibrary::ListLibraries(home.Sub("Soft"));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], home.Sub("Soft/a.so"));
  EXPECT_EQ(list[1], home.Sub("Soft/b.so"));
  EXPECT_TRUE(vDynamicLibrary::ListLibraries(home.Sub("nothing")).empty());
}

TEST(UserPrompt, ScriptedAnswersAndRecordedTexts)
{
  vScriptedUserPrompt prompt;
  prompt.SetEcho(false);
  vUserPrompt::Install(&prompt);
  EXPECT_EQ(vUserPrompt::Get(), &prompt);

  vUserPrompt::Get()->Inform("Couldn't load module");
  prompt.QueueAnswer(true);
  EXPECT_TRUE(vUserPrompt::Get()->AskYesNo("first?"));
  EXPECT_FALSE(vUserPrompt::Get()->AskYesNo("second?"));
  prompt.SetStandingAnswer(true);
  EXPECT_TRUE(vUserPrompt::Get()->AskYesNo("third?"));
  prompt.QueuePath("/tmp/a.vtk");
  EXPECT_EQ(vUserPrompt::Get()->AskOpenFile("VTK|*.vtk|", "/tmp"), "/tmp/a.vtk");
  EXPECT_EQ(vUserPrompt::Get()->AskSaveFile("VTK|*.vtk|", "/tmp"), "");

  std::vector<std::string> expected = {
    "Couldn't load module", "first?", "second?", "third?", "VTK|*.vtk|", "VTK|*.vtk|"
  };
  EXPECT_EQ(prompt.GetTexts(), expected);
  EXPECT_EQ(prompt.GetRecords()[4].What, vScriptedUserPrompt::OpenFile);

  vUserPrompt::Install(nullptr);
  EXPECT_EQ(vUserPrompt::Get(), vGetDefaultUserPrompt());
}

TEST(ShellNotifier, RecordsNoticesInOrder)
{
  vRecordingShellNotifier notifier;
  notifier.SetEcho(false);
  vShellNotifier::Install(&notifier);
  vShellNotifier::Get()->Post(vShellNotifier::RefreshLayerProperties);
  vShellNotifier::Get()->Post(vShellNotifier::ConsoleText, "picked");
  vShellNotifier::Get()->Post(vShellNotifier::RefreshLayerProperties);
  vShellNotifier::Install(nullptr);
  ASSERT_EQ(notifier.GetNotices().size(), 3u);
  EXPECT_EQ(notifier.GetNotices()[1].Code, 1226);
  EXPECT_EQ(notifier.GetNotices()[1].Text, "picked");
  EXPECT_EQ(notifier.Count(1225), 2);
  EXPECT_EQ(notifier.Count(1224), 0);
}

TEST(TextFile, WritesAtomicallyAndReadsWithALimit)
{
  vTempHome home;
  const std::string path = home.Sub("SystemRegistry/Vemora.conf");
  ASSERT_TRUE(vTextFile::WriteAtomically(path, "first\n"));
  ASSERT_TRUE(vTextFile::WriteAtomically(path, "second version\r\n"));
  std::string text;
  ASSERT_TRUE(vTextFile::Read(path, text));
  EXPECT_EQ(text, "second version\r\n");

  bool truncated = false;
  ASSERT_TRUE(vTextFile::Read(path, text, 6, &truncated));
  EXPECT_EQ(text, "second");
  EXPECT_TRUE(truncated);
  ASSERT_TRUE(vTextFile::Read(path, text, 1000, &truncated));
  EXPECT_FALSE(truncated);

  // A folder that does not exist: nothing written, and no temporary file left anywhere.
  EXPECT_FALSE(vTextFile::WriteAtomically(home.Sub("nofolder/x.txt"), "x"));
  EXPECT_FALSE(vTextFile::Read(home.Sub("nofolder/x.txt"), text));

  // A read-only folder keeps the old file whole.
  if (geteuid() != 0)
  {
    chmod(home.Sub("SystemRegistry").c_str(), 0555);
    EXPECT_FALSE(vTextFile::WriteAtomically(path, "third"));
    chmod(home.Sub("SystemRegistry").c_str(), 0755);
    ASSERT_TRUE(vTextFile::Read(path, text));
    EXPECT_EQ(text, "second version\r\n");
  }
}
