#include "vDynamicLibrary.h"

#include <algorithm>
#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <utility>

vDynamicLibrary::~vDynamicLibrary()
{
  this->Close();
}

vDynamicLibrary::vDynamicLibrary(vDynamicLibrary&& other) noexcept
  : Handle(std::exchange(other.Handle, nullptr))
  , Path(std::move(other.Path))
  , Error(std::move(other.Error))
{
}

vDynamicLibrary& vDynamicLibrary::operator=(vDynamicLibrary&& other) noexcept
{
  if (this != &other)
  {
    this->Close();
    this->Handle = std::exchange(other.Handle, nullptr);
    this->Path = std::move(other.Path);
    this->Error = std::move(other.Error);
  }
  return *this;
}

bool vDynamicLibrary::Open(const std::string& path)
{
  this->Close();
  this->Path = path;
  this->Error.clear();
  dlerror();
  this->Handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!this->Handle)
  {
    const char* message = dlerror();
    this->Error = message ? message : "unknown error";
    return false;
  }
  return true;
}

void vDynamicLibrary::Close()
{
  if (this->Handle)
  {
    dlclose(this->Handle);
    this->Handle = nullptr;
  }
}

void* vDynamicLibrary::GetSymbol(const std::string& name) const
{
  if (!this->Handle)
  {
    return nullptr;
  }
  return dlsym(this->Handle, name.c_str());
}

void* vDynamicLibrary::Release()
{
  return std::exchange(this->Handle, nullptr);
}

std::vector<std::string> vDynamicLibrary::ListLibraries(const std::string& folder)
{
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir)
  {
    return names;
  }
  while (const dirent* entry = readdir(dir))
  {
    std::string name = entry->d_name;
    if (name.size() <= 3 || name.compare(name.size() - 3, 3, ".so") != 0)
    {
      continue;
    }
    names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());

  std::vector<std::string> paths;
  std::string base = folder;
  if (base.empty() || base.back() != '/')
  {
    base += '/';
  }
  for (const std::string& name : names)
  {
    std::string path = base + name;
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    {
      paths.push_back(path);
    }
  }
  return paths;
}
