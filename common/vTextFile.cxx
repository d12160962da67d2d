#include "vTextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

bool vTextFile::WriteAtomically(const std::string& path, const std::string& contents)
{
  if (path.empty())
  {
    return false;
  }
  std::string pattern = path + ".tmpXXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0)
  {
    return false;
  }
  // Keep the permissions an ordinary new file would get.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);

  const char* data = contents.data();
  size_t left = contents.size();
  bool ok = true;
  while (left > 0)
  {
    ssize_t n = write(fd, data, left);
    if (n < 0)
    {
      if (errno == EINTR)
      {
        continue;
      }
      ok = false;
      break;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  if (ok && fsync(fd) != 0)
  {
    ok = false;
  }
  if (close(fd) != 0)
  {
    ok = false;
  }
  if (ok && std::rename(name.data(), path.c_str()) != 0)
  {
    ok = false;
  }
  if (!ok)
  {
    unlink(name.data());
  }
  return ok;
}

bool vTextFile::Read(const std::string& path,
  std::string& contents,
  std::size_t maxBytes,
  bool* truncated)
{
  contents.clear();
  if (truncated)
  {
    *truncated = false;
  }
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file)
  {
    return false;
  }
  char buffer[65536];
  while (contents.size() < maxBytes)
  {
    size_t want = sizeof(buffer);
    if (maxBytes - contents.size() < want)
    {
      want = maxBytes - contents.size();
    }
    size_t n = std::fread(buffer, 1, want, file);
    contents.append(buffer, n);
    if (n < want)
    {
      break;
    }
  }
  if (truncated && contents.size() >= maxBytes && std::fgetc(file) != EOF)
  {
    *truncated = true;
  }
  std::fclose(file);
  return true;
}
