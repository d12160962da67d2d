#include "vOBJCheck.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' ||
    c == '\f'; // what isspace takes, but '\n'
}

bool HasByteOrderMark(const char* data, size_t size)
{
  return size >= 3 && static_cast<unsigned char>(data[0]) == 0xef &&
    static_cast<unsigned char>(data[1]) == 0xbb && static_cast<unsigned char>(data[2]) == 0xbf;
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
      // A relative index ("-1": the last one defined so far) names something above its line.
      const bool relative = expectNumber && *p == '-';
      if (relative)
      {
        ++p;
      }
      if (!expectNumber || p >= end || *p < '0' || *p > '9')
      {
        counts.Bad = true; // malformed
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
      if (index == 0 || (relative && index > counts.Defined[part]))
      {
        counts.Bad = true;
        return;
      }
      if (!relative)
      {
        counts.Largest[part] = index > counts.Largest[part] ? index : counts.Largest[part];
      }
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
  const char* p = HasByteOrderMark(data, size) ? data + 3 : data;
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

bool vOBJCheck::StartsWithByteOrderMark(const std::string& path)
{
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
  {
    return false;
  }
  char head[3];
  const ssize_t got = ::read(fd, head, sizeof(head));
  ::close(fd);
  return got == 3 && HasByteOrderMark(head, 3);
}

std::string vOBJCheck::CopyWithoutByteOrderMark(const std::string& path)
{
  const char* folder = std::getenv("TMPDIR");
  const std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/vemora-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int out = ::mkostemp(name.data(), O_CLOEXEC);
  if (out < 0)
  {
    return std::string();
  }
  const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  bool ok = in >= 0 && ::lseek(in, 3, SEEK_SET) == 3;
  std::vector<char> chunk(1 << 16);
  while (ok)
  {
    const ssize_t got = ::read(in, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR)
    {
      continue;
    }
    if (got <= 0)
    {
      ok = got == 0;
      break;
    }
    for (ssize_t put = 0; ok && put < got;)
    {
      const ssize_t n = ::write(out, chunk.data() + put, static_cast<size_t>(got - put));
      ok = n > 0 || (n < 0 && errno == EINTR);
      put += n > 0 ? n : 0;
    }
  }
  if (in >= 0)
  {
    ::close(in);
  }
  ok = ::close(out) == 0 && ok;
  if (!ok)
  {
    ::unlink(name.data());
    return std::string();
  }
  return std::string(name.data());
}
