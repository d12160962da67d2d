// Writes that fail are reported as failures, tell the user, and leave an old file as it was.
// Tests run as root, where permission bits stop nothing: a write is made to fail with a path whose
// folder is a regular file, or with a file-size limit (which binds root too).

#include "CVemoraCP.h"
#include "CVemoraCPEXE.h"
#include "vFolderConfiguration.h"
#include "vRecentFileList.h"

#include "vControlPanelTestSupport.h"

#include "vInstallation.h"
#include "vTextFile.h"

#include "vVtkOutputCapture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

namespace
{
/** While it lives, no file of this process may grow past `bytes` (writes past it fail). */
class vFileSizeLimit
{
public:
  explicit vFileSizeLimit(rlim_t bytes)
  {
    getrlimit(RLIMIT_FSIZE, &this->Old);
    this->OldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = this->Old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~vFileSizeLimit()
  {
    setrlimit(RLIMIT_FSIZE, &this->Old);
    std::signal(SIGXFSZ, this->OldHandler);
  }
  vFileSizeLimit(const vFileSizeLimit&) = delete;
  vFileSizeLimit& operator=(const vFileSizeLimit&) = delete;

private:
  rlimit Old{};
  void (*OldHandler)(int) = SIG_DFL;
};

std::string Contents(const std::string& path)
{
  std::string text;
  vTextFile::Read(path, text);
  return text;
}

/** Names in a folder other than "." and "..": leftovers of a failed write would show here. */
std::vector<std::string> Entries(const std::string& folder)
{
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str()))
  {
    while (dirent* entry = readdir(dir))
    {
      const std::string name = entry->d_name;
      if (name != "." && name != "..")
      {
        names.push_back(name);
      }
    }
    closedir(dir);
  }
  return names;
}

/** A started control panel with one model loaded and selected. */
struct vSavingPanel
{
  vSavingPanel()
  {
    EXPECT_EQ(this->CP.UIInit(), 0);
    EXPECT_EQ(this->CP.Open(vTestData("mesh/vtk/fran_cut.vtk")), "File loaded");
    this->CP.GetEXE()->SetSelItemText("fran_cut");
    this->Home.WriteFile("plain", "a file, not a folder");
    this->Home.WriteFile("out/old", "the old contents");
  }
  vTempHome Home;
  vQuietPrompt Prompt;
  CVemoraCP CP;
};
} // namespace

TEST(FailedWrite, SavingAModelSaysWhenNothingWasWritten)
{
  vSavingPanel panel;
  const std::string nowhere = panel.Home.Sub("plain/model.vtk");
  const std::string old = panel.Home.Sub("out/old");
  {
    vExpectVtkMessages expected;
    panel.Prompt->QueuePath(nowhere);
    EXPECT_EQ(panel.CP.Save(), "error: fran_cut could not be saved");
    EXPECT_EQ(panel.Prompt.Count("error: fran_cut could not be saved to " + nowhere), 1);
    panel.Prompt->QueuePath(nowhere);
    EXPECT_EQ(panel.CP.GetEXE()->Save("", "fran_cut"), CVemoraCPEXE::WriteFailed);

    // A full disk (here: a file-size limit) while the model replaces an old file.
    vFileSizeLimit limit(256);
    panel.Prompt->QueuePath(old);
    EXPECT_EQ(panel.CP.Save(), "error: fran_cut could not be saved");
  }
  EXPECT_EQ(Contents(old), "the old contents");
  EXPECT_EQ(Entries(panel.Home.Sub("out")), std::vector<std::string>{ "old" });

  // Written, cancelled, unknown: as before.
  panel.Prompt->QueuePath(old);
  EXPECT_EQ(panel.CP.Save(), "");
  EXPECT_NE(Contents(old).find("vtk DataFile"), std::string::npos);
  EXPECT_EQ(panel.CP.GetEXE()->Save("", "fran_cut"), 0);
  EXPECT_EQ(panel.CP.GetEXE()->Save("", "nothing"), -1);
}

TEST(FailedWrite, SavingTheWorkspaceSaysWhenNothingWasWritten)
{
  vSavingPanel panel;
  CVemoraCPEXE* engine = panel.CP.GetEXE();
  const std::string nowhere = panel.Home.Sub("plain/work.v");
  const std::string old = panel.Home.Sub("out/old");
  panel.Prompt->QueuePath(nowhere);
  EXPECT_EQ(engine->SaveWorkspace(), CVemoraCPEXE::WriteFailed);
  EXPECT_EQ(panel.Prompt.Count("error: the workspace could not be saved to " + nowhere), 1);
  {
    vFileSizeLimit limit(16);
    panel.Prompt->QueuePath(old);
    EXPECT_EQ(engine->SaveWorkspace(), CVemoraCPEXE::WriteFailed);
  }
  EXPECT_EQ(Contents(old), "the old contents");
  EXPECT_EQ(Entries(panel.Home.Sub("out")), std::vector<std::string>{ "old" });

  EXPECT_EQ(engine->SaveWorkspace(), 0); // cancelled
  panel.Prompt->QueuePath(old);
  EXPECT_EQ(engine->SaveWorkspace(), 0);
  EXPECT_NE(Contents(old).find("load '"), std::string::npos);
}

TEST(FailedWrite, ConfigurationAndRecentFilesSayWhenTheyCannotBeKept)
{
  vTempHome home;
  vQuietPrompt prompt;
  CVemoraCP cp;
  ASSERT_EQ(cp.UIInit(), 0);
  // The configuration folder is taken away and a plain file put in its place.
  ASSERT_EQ(std::rename(home.Sub("SystemRegistry").c_str(), home.Sub("away").c_str()), 0);
  home.WriteFile("SystemRegistry", "not a folder");

  // The file still opens; the user learns that the recent-file list was not kept.
  EXPECT_EQ(cp.Open(vTestData("mesh/vtk/fran_cut.vtk")), "File loaded");
  EXPECT_EQ(prompt.Count("error: the recent-file list could not be saved to " +
              vRecentFileList::DefaultPath()),
    1);
  EXPECT_FALSE(cp.SaveConfig());
  EXPECT_EQ(prompt.Count("error: the configuration could not be saved to " +
              vFolderConfiguration::DefaultPath()),
    1);
  EXPECT_EQ(Contents(home.Sub("SystemRegistry")), "not a folder");

  // Once the folder is back, both are written again, without a word.
  ASSERT_EQ(unlink(home.Sub("SystemRegistry").c_str()), 0);
  ASSERT_EQ(std::rename(home.Sub("away").c_str(), home.Sub("SystemRegistry").c_str()), 0);
  EXPECT_TRUE(cp.SaveConfig());
  EXPECT_EQ(cp.Open(vTestData("mesh/vtk/carotid.vtk")), "File loaded");
  EXPECT_TRUE(vInstallation::IsFile(vRecentFileList::DefaultPath()));
  EXPECT_EQ(prompt->GetTexts().size(), 2u);
}
