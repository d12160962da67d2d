#include "vOBJCheck.h"

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r';
}

struct vCounts
{
  unsigned long long Defined[3] = { 0, 0, 0 }; // v, vt, vn
  unsigned long long Largest[3] = { 0, 0, 0 }; // largest index used of each
  bool Bad = false;
};

/** Reads the index groups ("7", "7/3", "7//2", "7/3/2") of one element line. */
void ReadElement(const char* p, const char* end, vCounts& counts)
{
  while (p < end)
  {
    while (p < end && IsBlank(*p))
    {
      ++p;
    }
    if (p >= end)
    {
      return;
    }
    for (int part = 0; p < end && !IsBlank(*p); ++part)
    {
      if (*p == '/')
      {
        ++p;
        continue; // an empty part ("7//2")
      }
      if (part > 2 || *p < '0' || *p > '9')
      {
        counts.Bad = true; // relative (negative) or malformed indices are not followed
        return;
      }
      unsigned long long index = 0;
      while (p < end && *p >= '0' && *p <= '9')
      {
        index = index * 10 + static_cast<unsigned long long>(*p - '0');
        if (index > (1ull << 40))
        {
          counts.Bad = true;
          return;
        }
        ++p;
      }
      if (index == 0)
      {
        counts.Bad = true;
        return;
      }
      if (index > counts.Largest[part])
      {
        counts.Largest[part] = index;
      }
      if (p < end && *p == '/')
      {
        ++p;
        if (p < end && *p == '/')
        {
          ++part; // "7//2": the texture part is empty
          ++p;
        }
      }
      else if (p < end && !IsBlank(*p))
      {
        counts.Bad = true;
        return;
      }
    }
  }
}
} // namespace

bool vOBJCheck::IndicesFit(const std::string& path)
{
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
  {
    return true; // VTK's reader reports it
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
  {
    ::close(fd);
    return true;
  }
  const size_t size = static_cast<size_t>(st.st_size);
  void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  ::close(fd);
  if (mapped == MAP_FAILED)
  {
    return true;
  }
  ::madvise(mapped, size, MADV_SEQUENTIAL);
  const char* data = static_cast<const char*>(mapped);
  vCounts counts;
  const char* p = data;
  const char* const fileEnd = data + size;
  while (p < fileEnd && !counts.Bad)
  {
    const void* eol = std::memchr(p, '\n', static_cast<size_t>(fileEnd - p));
    const char* lineEnd = eol ? static_cast<const char*>(eol) : fileEnd;
    while (p < lineEnd && IsBlank(*p))
    {
      ++p;
    }
    const size_t length = static_cast<size_t>(lineEnd - p);
    if (length >= 2 && p[0] == 'v' && IsBlank(p[1]))
    {
      ++counts.Defined[0];
    }
    else if (length >= 3 && p[0] == 'v' && p[1] == 't' && IsBlank(p[2]))
    {
      ++counts.Defined[1];
    }
    else if (length >= 3 && p[0] == 'v' && p[1] == 'n' && IsBlank(p[2]))
    {
      ++counts.Defined[2];
    }
    else if (length >= 2 && (p[0] == 'f' || p[0] == 'l' || p[0] == 'p') && IsBlank(p[1]))
    {
      ReadElement(p + 2, lineEnd, counts);
    }
    p = lineEnd + 1;
  }
  ::munmap(mapped, size);
  return !counts.Bad && counts.Largest[0] <= counts.Defined[0] &&
    counts.Largest[1] <= counts.Defined[1] && counts.Largest[2] <= counts.Defined[2];
}
