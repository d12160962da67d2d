#include "vSharedBlock.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace
{
/** The size of a large page: private blocks are aligned to it, so that whole ones fit. */
constexpr std::uint64_t LargePageBytes = std::uint64_t(2) << 20;

/** Reads `bytes` at `offset` of `fd` into `data`; false when the file holds fewer. */
bool ReadAll(int fd, char* data, std::uint64_t bytes, std::uint64_t offset)
{
  while (bytes > 0)
  {
    const ssize_t got = ::pread(fd, data, bytes, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR)
    {
      continue;
    }
    if (got <= 0)
    {
      return false;
    }
    data += got;
    bytes -= static_cast<std::uint64_t>(got);
    offset += static_cast<std::uint64_t>(got);
  }
  return true;
}
} // namespace

std::size_t vSharedBlock::PageBytes()
{
  static const std::size_t bytes = []()
  {
    const long page = ::sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<std::size_t>(page) : std::size_t(4096);
  }();
  return bytes;
}

std::uint64_t vSharedBlock::MappedBytesFor(std::uint64_t dataBytes)
{
  const std::uint64_t page = PageBytes();
  std::uint64_t total = 0;
  if (__builtin_add_overflow(dataBytes, 2 * page - 1, &total))
  {
    return 0;
  }
  return total / page * page;
}

void* vSharedBlock::MapPrivate(std::uint64_t dataBytes)
{
  const std::uint64_t mapped = MappedBytesFor(dataBytes);
  if (mapped == 0 || mapped > SIZE_MAX - LargePageBytes)
  {
    return nullptr;
  }
  // Reserved a large page longer, then trimmed to start on a large page boundary.
  const std::uint64_t reserved = mapped >= LargePageBytes ? mapped + LargePageBytes : mapped;
  void* area =
    ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED)
  {
    return nullptr;
  }
  char* base = static_cast<char*>(area);
  if (reserved != mapped)
  {
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t aligned = (start + LargePageBytes - 1) & ~(LargePageBytes - 1);
    base = static_cast<char*>(area) + (aligned - start);
    if (base != area)
    {
      ::munmap(area, aligned - start);
    }
    const std::uint64_t tail = reserved - (aligned - start) - mapped;
    if (tail > 0)
    {
      ::munmap(base + mapped, tail);
    }
    ::madvise(base, mapped, MADV_HUGEPAGE);
  }
  auto* header = reinterpret_cast<Header*>(base);
  header->Magic = Magic;
  header->MappedBytes = mapped;
  header->DataBytes = dataBytes;
  return base + PageBytes();
}

void* vSharedBlock::Map(int fd,
  std::uint64_t offset,
  std::uint64_t fileSize,
  std::uint64_t& dataBytes)
{
  const std::uint64_t page = PageBytes();
  if (fd < 0 || offset % page != 0 || offset >= fileSize || fileSize - offset < page)
  {
    return nullptr;
  }
  Header header;
  if (::pread(fd, &header, sizeof(header), static_cast<off_t>(offset)) !=
    static_cast<ssize_t>(sizeof(header)))
  {
    return nullptr;
  }
  if (header.Magic != Magic || header.MappedBytes < page || header.MappedBytes % page != 0 ||
    header.MappedBytes > fileSize - offset || header.DataBytes > header.MappedBytes - page)
  {
    return nullptr;
  }
  if (header.DataBytes < SharedBytes)
  {
    void* data = MapPrivate(header.DataBytes);
    if (!data || !ReadAll(fd, static_cast<char*>(data), header.DataBytes, offset + page))
    {
      Unmap(data);
      return nullptr;
    }
    // The copy is the only one needed: the file's pages go now, not when the file closes.
    ::fallocate(fd,
      FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE,
      static_cast<off_t>(offset),
      static_cast<off_t>(header.MappedBytes));
    dataBytes = header.DataBytes;
    return data;
  }
  void* base = ::mmap(nullptr,
    header.MappedBytes,
    PROT_READ | PROT_WRITE,
    MAP_SHARED | MAP_POPULATE, // one pass over the pages, not a fault each
    fd,
    static_cast<off_t>(offset));
  if (base == MAP_FAILED)
  {
    return nullptr;
  }
  // The header is read again from the mapping: `Unmap` trusts it.
  auto* mapped = static_cast<Header*>(base);
  if (mapped->Magic != Magic || mapped->MappedBytes != header.MappedBytes)
  {
    ::munmap(base, header.MappedBytes);
    return nullptr;
  }
  dataBytes = header.DataBytes;
  return static_cast<char*>(base) + page;
}

void vSharedBlock::Unmap(void* data)
{
  if (!data)
  {
    return;
  }
  char* base = static_cast<char*>(data) - PageBytes();
  ::munmap(base, reinterpret_cast<Header*>(base)->MappedBytes);
}
