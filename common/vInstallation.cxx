#include "vInstallation.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
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
} // namespace

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
  if (path.empty())
  {
    return false;
  }
  if (IsFolder(path))
  {
    return true;
  }
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0)
  {
    MakeFolder(path.substr(0, slash));
  }
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
  {
    return false;
  }
  return IsFolder(path);
}
