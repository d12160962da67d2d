#include "vInstallation.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::string StripTrailingSlashes(std::string path)
{
  while (path.size() > 1 && path.back() == '/')
  {
    path.pop_back();
  }
  return path;
}

/** Creates the folder and its missing parents with the given mode; true when it exists after. */
bool MakeFolderWithMode(const std::string& path, mode_t mode)
{
  if (path.empty())
  {
    return false;
  }
  if (vInstallation::IsFolder(path))
  {
    return true;
  }
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0)
  {
    MakeFolderWithMode(path.substr(0, slash), mode);
  }
  if (mkdir(path.c_str(), mode) != 0 && errno != EEXIST)
  {
    return false;
  }
  return vInstallation::IsFolder(path);
}

/** An XDG base folder: the variable when it holds an absolute path, else home + fallback. */
std::string XdgFolder(const char* variable, const char* fallback)
{
  const char* value = std::getenv(variable);
  if (value && *value == '/')
  {
    return StripTrailingSlashes(value);
  }
  std::string home = vInstallation::GetUserHome();
  return (home == "/" ? std::string() : home) + fallback;
}

/**
 * A new per-user local repository shows the cases shipped with the installation (the demo) through
 * links, so every user finds them without a copy of the data.
 */
void LinkShippedCases(const std::string& shipped, const std::string& repository)
{
  DIR* dir = opendir(shipped.c_str());
  if (!dir)
  {
    return;
  }
  while (const dirent* entry = readdir(dir))
  {
    const std::string name = entry->d_name;
    std::string target = shipped;
    target.append("/").append(name);
    if (name == "." || name == ".." || !vInstallation::IsFolder(target))
    {
      continue;
    }
    std::string link = repository;
    link.append("/").append(name);
    if (symlink(target.c_str(), link.c_str()) != 0)
    {
      continue; // a failed link only hides that case from this user's repository
    }
  }
  closedir(dir);
}
} // namespace

std::string vInstallation::GetUserHome()
{
  const char* home = std::getenv("HOME");
  if (home && *home == '/')
  {
    return StripTrailingSlashes(home);
  }
  if (const passwd* entry = getpwuid(getuid()))
  {
    if (entry->pw_dir && *entry->pw_dir == '/')
    {
      return StripTrailingSlashes(entry->pw_dir);
    }
  }
  return "/";
}

bool vInstallation::IsSharedInstallation()
{
  const std::string folder = GetFolder();
  return IsFile(folder + "/" + InstalledMarkerName) || access(folder.c_str(), W_OK) != 0;
}

std::string vInstallation::GetStateFolder(const std::string& name)
{
  const bool configuration = name == "SystemRegistry";
  if (!(configuration || name == "History" || name == "local") || !IsSharedInstallation())
  {
    return GetSubFolder(name);
  }
  std::string folder;
  if (configuration)
  {
    folder = XdgFolder("XDG_CONFIG_HOME", "/.config");
    folder += "/vemora";
  }
  else
  {
    folder = XdgFolder("XDG_DATA_HOME", "/.local/share");
    folder += "/vemora/";
    folder += name;
  }
  if (!IsFolder(folder) && MakeFolderWithMode(folder, 0700) && name == "local")
  {
    LinkShippedCases(GetSubFolder("local"), folder);
  }
  return folder;
}

std::string vInstallation::GetExecutableFolder()
{
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0)
  {
    return ".";
  }
  std::string exe(buffer, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  if (slash == std::string::npos)
  {
    return ".";
  }
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

std::string vInstallation::GetFolder()
{
  const char* home = std::getenv("VEMORA_HOME");
  if (home && *home)
  {
    return StripTrailingSlashes(home);
  }
  return GetExecutableFolder();
}

std::string vInstallation::GetSubFolder(const std::string& name)
{
  std::string base = GetFolder();
  return base == "/" ? base + name : base + "/" + name;
}

bool vInstallation::IsFolder(const std::string& path)
{
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool vInstallation::IsFile(const std::string& path)
{
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool vInstallation::MakeFolder(const std::string& path)
{
  return MakeFolderWithMode(path, 0755);
}
