#include "vTempHome.h"

#include "vInstallation.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace
{
int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
  return std::remove(path);
}
} // namespace

vTempHome::vTempHome()
{
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vemora-test-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()))
  {
    this->Folder = name.data();
  }
  for (const char* sub :
    { "Modules", "Soft", "Hard", "SystemRegistry", "Scripts", "History", "local" })
  {
    vInstallation::MakeFolder(this->Folder + "/" + sub);
  }
  if (const char* previous = std::getenv("VEMORA_HOME"))
  {
    this->HadPrevious = true;
    this->Previous = previous;
  }
  setenv("VEMORA_HOME", this->Folder.c_str(), 1);
}

vTempHome::~vTempHome()
{
  for (const auto& saved : this->SavedVariables)
  {
    if (saved.second.first)
    {
      setenv(saved.first.c_str(), saved.second.second.c_str(), 1);
    }
    else
    {
      unsetenv(saved.first.c_str());
    }
  }
  if (this->HadPrevious)
  {
    setenv("VEMORA_HOME", this->Previous.c_str(), 1);
  }
  else
  {
    unsetenv("VEMORA_HOME");
  }
  if (!this->Folder.empty() && !std::getenv("VEMORA_KEEP_TEST_FOLDERS"))
  {
    nftw(this->Folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
}

std::string vTempHome::WriteFile(const std::string& relative, const std::string& contents) const
{
  std::string path = this->Sub(relative);
  size_t slash = path.rfind('/');
  vInstallation::MakeFolder(path.substr(0, slash));
  std::ofstream out(path, std::ios::binary);
  out << contents;
  return path;
}

std::string vTempHome::CopyFile(const std::string& from, const std::string& relative) const
{
  return this->WriteFile(relative, vReadFile(from));
}

void vTempHome::MakeInstalledCopy()
{
  this->WriteFile(vInstallation::InstalledMarkerName, "installed\n");
  const std::pair<const char*, std::string> variables[] = {
    { "XDG_CONFIG_HOME", this->Sub("user/config") }, { "XDG_DATA_HOME", this->Sub("user/data") }
  };
  for (const auto& variable : variables)
  {
    if (this->SavedVariables.size() < 2)
    {
      const char* old = std::getenv(variable.first);
      this->SavedVariables.push_back({ variable.first, { old != nullptr, old ? old : "" } });
    }
    setenv(variable.first, variable.second.c_str(), 1);
  }
}

std::string vReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string vTestData(const std::string& relative)
{
  return std::string(VEMORA_TESTDATA_DIR) + "/" + relative;
}
