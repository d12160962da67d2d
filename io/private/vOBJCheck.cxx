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
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' ||
    c == '\f'; // what isspace takes, but '\n'
}

struct vCounts
{
  unsigned long long Defined[3] = { 0, 0, 0 }; // v, vt, vn
  unsigned long long Largest[3] = { 0, 0, 0 }; // largest index used of each
  bool Bad = false;
};

/**
 * Reads the index groups ("7", "7/3", "7//2", "7/3/2") of one element line. Every group of a line
 * must have the same shape, and no part may be left dangling ("7/"): VTK's reader takes the
 * shape of the first group for all and follows parts that are not there.
 */
void ReadElement(const char* p, const char* end, vCounts& counts)
{
  int lineShape = -1;
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
    int shape = 0; // bit k set: part k present
    int part = 0;
    bool expectNumber = true;
    while (p < end && !IsBlank(*p))
    {
      if (*p == '/')
      {
        if (++part > 2)
        {
          counts.Bad = true;
          return;
        }
        expectNumber = true;
        ++p;
        continue;
      }
      if (!expectNumber || *p < '0' || *p > '9')
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
      counts.Largest[part] = index > counts.Largest[part] ? index : counts.Largest[part];
      shape |= 1 << part;
      expectNumber = false;
    }
    // "7/" or "7/3/": a part announced and missing; "/3": no vertex.
    if (expectNumber || !(shape & 1) || (lineShape >= 0 && shape != lineShape) ||
      (part == 2 && !(shape & 4)))
    {
      counts.Bad = true;
      return;
    }
    lineShape = shape;
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
