#include "vMemoryBudget.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

namespace
{
/** A "Name: N kB" field of a /proc file, in bytes; -1 when absent. */
long long ProcField(const char* file, const char* name)
{
  FILE* in = std::fopen(file, "re");
  if (!in)
  {
    return -1;
  }
  char line[256];
  long long value = -1;
  const std::size_t length = std::strlen(name);
  while (std::fgets(line, sizeof(line), in))
  {
    if (std::strncmp(line, name, length) == 0 && line[length] == ':')
    {
      value = std::strtoll(line + length + 1, nullptr, 10) * 1024;
      break;
    }
  }
  std::fclose(in);
  return value;
}

std::uint64_t LeftUnder(int resource, const char* usedField)
{
  struct rlimit limit;
  if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
  {
    return UINT64_MAX;
  }
  const long long used = ProcField("/proc/self/status", usedField);
  const std::uint64_t cap = static_cast<std::uint64_t>(limit.rlim_cur);
  return used < 0 ? cap : (static_cast<std::uint64_t>(used) >= cap ? 0 : cap - used);
}

std::uint64_t MiB(std::uint64_t bytes)
{
  return (bytes + (1u << 20) - 1) >> 20;
}
} // namespace

std::uint64_t vMemoryBudget::AddressSpaceLeft()
{
  return std::min(LeftUnder(RLIMIT_AS, "VmSize"), LeftUnder(RLIMIT_DATA, "VmData"));
}

std::uint64_t vMemoryBudget::Available()
{
  std::uint64_t left = AddressSpaceLeft();
  const long long available = ProcField("/proc/meminfo", "MemAvailable");
  const long long swap = ProcField("/proc/meminfo", "SwapFree");
  if (available >= 0)
  {
    left = std::min(left,
      static_cast<std::uint64_t>(available) + static_cast<std::uint64_t>(std::max(swap, 0LL)));
  }
  return left;
}

bool vMemoryBudget::Fits(std::uint64_t bytes, std::string& error)
{
  const std::uint64_t available = Available();
  if (bytes <= available)
  {
    return true;
  }
  error = NeedText(bytes, available);
  return false;
}

std::string vMemoryBudget::NeedText(std::uint64_t bytes, std::uint64_t available)
{
  char text[160];
  std::snprintf(text,
    sizeof(text),
    "error: not enough memory: the volume needs %llu MiB, only %llu MiB are available",
    static_cast<unsigned long long>(MiB(bytes)),
    static_cast<unsigned long long>(available >> 20));
  return text;
}
