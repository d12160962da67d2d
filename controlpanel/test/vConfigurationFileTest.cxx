#include "vFolderConfiguration.h"
#include "vLocalRepository.h"
#include "vRecentFileList.h"

#include "vInstallation.h"
#include "vTempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unistd.h>

namespace
{
std::string Path(const vTempHome& home, const std::string& file)
{
  return home.Sub("SystemRegistry/" + file);
}
} // namespace

TEST(FolderConfiguration, MissingFileStartsInTheHomeFolder)
{
  vTempHome home;
  vFolderConfiguration config;
  EXPECT_FALSE(config.Read());
  EXPECT_EQ(config.GetCurrentFolder(), vFolderConfiguration::DefaultFolder());
  ASSERT_EQ(config.GetFolders().size(), 1u);
  EXPECT_EQ(config.GetFolders()[0], vFolderConfiguration::DefaultFolder());
  EXPECT_EQ(vFolderConfiguration::DefaultPath(), Path(home, "Vemora.conf"));
}

TEST(FolderConfiguration, ReadsSectionsAsLaidOut)
{
  vTempHome home;
  home.WriteFile("SystemRegistry/Vemora.conf",
    "junk before\n## [currentdirectory]\r\n/data/a\n/data/b\n\n/data/c\n## [Other]\n/ignored\n"
    "## [CurrentDirectory]\n/data/d\n");
  vFolderConfiguration config;
  EXPECT_TRUE(config.Read());
  EXPECT_EQ(config.GetCurrentFolder(), "/data/d");
  EXPECT_EQ(
    config.GetFolders(), (std::vector<std::string>{ "/data/a", "/data/b", "/data/c", "/data/d" }));

  // An empty current-folder line keeps the folder but still reads the list.
  home.WriteFile("SystemRegistry/Vemora.conf", "## [CurrentDirectory]\n\n/x\n/y\n");
  vFolderConfiguration keep;
  keep.SetCurrentFolder("/before");
  keep.Read();
  EXPECT_EQ(keep.GetCurrentFolder(), "/before");
  EXPECT_EQ(keep.GetFolders(), (std::vector<std::string>{ "/x", "/y" }));
}

TEST(FolderConfiguration, WritesCurrentFolderFirstWithoutRepeats)
{
  vTempHome home;
  vFolderConfiguration config;
  config.SetCurrentFolder("/Data/Cases");
  config.AddRecentFolder("/tmp");
  config.AddRecentFolder("/data/cases"); // equal to the current folder ignoring case
  config.AddRecentFolder("/tmp");        // already listed
  config.AddRecentFolder("");
  EXPECT_TRUE(config.Write());
  EXPECT_EQ(vReadFile(Path(home, "Vemora.conf")), "## [CurrentDirectory]\n/Data/Cases\n/tmp\n");

  vFolderConfiguration back;
  back.Read();
  EXPECT_EQ(back.GetCurrentFolder(), "/Data/Cases");
  EXPECT_EQ(back.GetFolders(), (std::vector<std::string>{ "/Data/Cases", "/tmp" }));

  // A current folder without "/" is not written.
  config.SetCurrentFolder("relative");
  EXPECT_EQ(config.ToText(), "## [CurrentDirectory]\n/tmp\n/data/cases\n");
}

TEST(FolderConfiguration, BadFilesStayWithinLimits)
{
  vTempHome home;
  std::string text = "## [CurrentDirectory]\n" + std::string(100000, 'x') + "\n";
  text += std::string("bin\0ary\x01\n", 9);
  for (int i = 0; i < 1000; ++i)
  {
    text += "/f" + std::to_string(i) + "\n";
  }
  home.WriteFile("SystemRegistry/Vemora.conf", text);
  vFolderConfiguration config;
  config.SetCurrentFolder("/kept");
  EXPECT_TRUE(config.Read());
  EXPECT_EQ(config.GetCurrentFolder(), "/kept"); // the 100,000-character line is not taken
  EXPECT_EQ(config.GetFolders().size(), static_cast<size_t>(vFolderConfiguration::MaximumFolders));
  EXPECT_EQ(config.GetFolders()[0], "/f0");
  EXPECT_FALSE(config.AddRecentFolder("/one/more"));
  ASSERT_TRUE(config.Write());
  std::string written = vReadFile(Path(home, "Vemora.conf"));
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 1 + 1 + 128); // header, current, list

  home.WriteFile("SystemRegistry/Vemora.conf", "");
  vFolderConfiguration empty;
  EXPECT_TRUE(empty.Read());
  EXPECT_TRUE(empty.GetFolders().empty());

  // A huge file is read up to the byte limit only.
  std::string huge(vFolderConfiguration::MaximumFileBytes + 1000, '\n');
  huge.replace(0, 22, "## [CurrentDirectory]\n");
  home.WriteFile("SystemRegistry/Vemora.conf", huge + "/beyond\n");
  vFolderConfiguration big;
  big.Read();
  EXPECT_TRUE(big.GetFolders().empty());
}

TEST(RecentFileList, ReadsTenEntriesAndSkipsBadLines)
{
  vTempHome home;
  std::string text = "# comment\n\n,nameless\nno comma\n  a,b,c  \r\n";
  for (int i = 0; i < 1000; ++i)
  {
    text += "n" + std::to_string(i) + ",/p/" + std::to_string(i) + ".vtk\n";
  }
  home.WriteFile("SystemRegistry/RecentFiles.conf", text);
  vRecentFileList list;
  EXPECT_TRUE(list.Read());
  EXPECT_EQ(list.GetNumberOfFiles(), vRecentFileList::Limit);
  EXPECT_EQ(list.GetName(0), "a");
  EXPECT_EQ(list.GetPath(0), "b,c");
  EXPECT_EQ(list.GetName(9), "n8");
  EXPECT_EQ(list.GetName(10), "");
  EXPECT_EQ(list.GetName(-1), "");
  EXPECT_EQ(list.GetName(100000), "");
  EXPECT_EQ(list.GetPathOf("n3"), "/p/3.vtk");

  // Written back: exactly the ten entries, nothing beyond the limit.
  EXPECT_TRUE(list.Write());
  std::string written = vReadFile(Path(home, "RecentFiles.conf"));
  EXPECT_EQ(written.substr(0, 6), "a,b,c\n");
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 10);
}

TEST(RecentFileList, UpdateRule)
{
  vTempHome home;
  vRecentFileList list;
  EXPECT_FALSE(list.Read()); // missing file: empty list
  EXPECT_EQ(list.GetNumberOfFiles(), 0);
  for (int i = 0; i < 12; ++i)
  {
    EXPECT_TRUE(list.Update("m" + std::to_string(i), "/d/m" + std::to_string(i) + ".vtk"));
  }
  EXPECT_EQ(list.GetNumberOfFiles(), 10);
  EXPECT_EQ(list.GetName(0), "m11");
  EXPECT_EQ(list.GetName(9), "m2");
  // A known name (letter case counts) changes nothing and is not moved to the front.
  EXPECT_FALSE(list.Update("m5", "/elsewhere/m5.vtk"));
  EXPECT_EQ(list.GetName(0), "m11");
  EXPECT_EQ(list.GetPathOf("m5"), "/d/m5.vtk");
  EXPECT_TRUE(list.Update("M5", "/d/M5.vtk"));
  EXPECT_EQ(list.GetName(0), "M5");
  // Entries that could not be read back as written are refused.
  EXPECT_FALSE(list.Update("a,b", "/d/a,b.vtk"));
  EXPECT_FALSE(list.Update("line\nbreak", "/d/x.vtk"));
  EXPECT_FALSE(list.Update("ok", "/d/\nx.vtk"));
  EXPECT_FALSE(list.Update("", "/d/.vtk"));
  EXPECT_EQ(list.GetName(0), "M5");

  EXPECT_TRUE(list.Write());
  vRecentFileList back;
  back.Read();
  for (int i = 0; i < 10; ++i)
  {
    EXPECT_EQ(back.GetName(i), list.GetName(i));
    EXPECT_EQ(back.GetPath(i), list.GetPath(i));
  }
}

TEST(RecentFileList, BinaryAndLongLinesAreSkipped)
{
  vTempHome home;
  std::string text = std::string(100000, 'n') + "," + "/p\n";
  text += std::string("x\0y,/p\n", 7);
  text += "good,/p/good.vtk\n";
  home.WriteFile("SystemRegistry/RecentFiles.conf", text);
  vRecentFileList list;
  list.Read();
  EXPECT_EQ(list.GetNumberOfFiles(), 1);
  EXPECT_EQ(list.GetName(0), "good");
}

TEST(LocalRepository, ListsCasesAndTheirFilesOneLevelDeep)
{
  vTempHome home;
  home.WriteFile("local/case2/b.vtk", "x");
  home.WriteFile("local/case2/a.qv", "x");
  home.WriteFile("local/case1/deeper/hidden.vtk", "x");
  home.WriteFile("local/loose.vtk", "x");
  vLocalRepository repository;
  ASSERT_TRUE(repository.Refresh());
  ASSERT_EQ(repository.GetCases().size(), 2u);
  EXPECT_EQ(repository.GetCases()[0].Name, "case1");
  EXPECT_TRUE(repository.GetCases()[0].Files.empty());
  EXPECT_EQ(repository.GetCases()[1].Files, (std::vector<std::string>{ "a.qv", "b.vtk" }));
  EXPECT_EQ(repository.GetFilePath("case2", "a.qv"), home.Sub("local/case2/a.qv"));
  EXPECT_FALSE(repository.Refresh(home.Sub("missing")));
  EXPECT_TRUE(repository.GetCases().empty());
}

TEST(FolderConfiguration, UnwritableFolderWritesNothing)
{
  vTempHome home;
  ASSERT_EQ(rmdir(home.Sub("SystemRegistry").c_str()), 0);
  vFolderConfiguration config;
  config.SetCurrentFolder("/data");
  EXPECT_FALSE(config.Write());
  vRecentFileList list;
  list.Update("a", "/a.vtk");
  EXPECT_FALSE(list.Write());
  EXPECT_FALSE(vInstallation::IsFolder(home.Sub("SystemRegistry")));
}
