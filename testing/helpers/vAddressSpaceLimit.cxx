#include "vAddressSpaceLimit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

vAddressSpaceLimit::vAddressSpaceLimit(std::size_t headroom)
{
  struct rlimit limit;
  if (::getrlimit(RLIMIT_AS, &limit) != 0)
  {
    return;
  }
  this->Previous = limit.rlim_cur;
  limit.rlim_cur = static_cast<rlim_t>(Used() + headroom);
  this->Set = ::setrlimit(RLIMIT_AS, &limit) == 0;
}

vAddressSpaceLimit::~vAddressSpaceLimit()
{
  struct rlimit limit;
  if (this->Set && ::getrlimit(RLIMIT_AS, &limit) == 0)
  {
    limit.rlim_cur = static_cast<rlim_t>(this->Previous);
    ::setrlimit(RLIMIT_AS, &limit);
  }
}

std::size_t vAddressSpaceLimit::Used()
{
  std::size_t used = 0;
  if (FILE* status = std::fopen("/proc/self/status", "r"))
  {
    char line[256];
    while (std::fgets(line, sizeof(line), status))
    {
      if (std::strncmp(line, "VmSize:", 7) == 0)
      {
        used = static_cast<std::size_t>(std::strtoull(line + 7, nullptr, 10)) * 1024;
      }
    }
    std::fclose(status);
  }
  return used;
}
