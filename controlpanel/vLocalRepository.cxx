#include "vLocalRepository.h"

#include "vInstallation.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace
{
/** Names of the entries of a folder of one kind (folders or regular files), sorted. */
std::vector<std::string> ListEntries(const std::string& folder, bool folders, std::size_t limit)
{
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir)
  {
    return names;
  }
  while (dirent* entry = readdir(dir))
  {
    std::string name = entry->d_name;
    if (name == "." || name == "..")
    {
      continue;
    }
    struct stat st;
    std::string path = folder;
    path.append("/").append(name);
    if (stat(path.c_str(), &st) != 0)
    {
      continue;
    }
    if (folders ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode))
    {
      names.push_back(name);
    }
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  if (names.size() > limit)
  {
    names.resize(limit);
  }
  return names;
}
} // namespace

std::string vLocalRepository::DefaultFolder()
{
  return vInstallation::GetStateFolder("local");
}

bool vLocalRepository::Refresh(const std::string& folder)
{
  this->Folder = folder;
  this->Cases.clear();
  if (!vInstallation::IsFolder(folder))
  {
    return false;
  }
  for (const std::string& name : ListEntries(folder, true, MaximumCases))
  {
    Case entry;
    entry.Name = name;
    entry.Path = folder;
    entry.Path.append("/").append(name);
    entry.Files = ListEntries(entry.Path, false, MaximumFilesPerCase);
    this->Cases.push_back(std::move(entry));
  }
  return true;
}

std::string vLocalRepository::GetFilePath(const std::string& caseName,
  const std::string& file) const
{
  return this->Folder + "/" + caseName + "/" + file;
}
