#include "vSharedBlock.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/uio.h>
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

/** Copies `bytes` at `address` of process `helper` to `data`; false when they cannot be read. */
bool CopyFromHelper(int helper, std::uint64_t address, char* data, std::uint64_t bytes)
{
  while (bytes > 0)
  {
    iovec local = { data, static_cast<size_t>(bytes) };
    iovec remote = { reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)),
      static_cast<size_t>(bytes) };
    const ssize_t got = ::process_vm_readv(helper, &local, 1, &remote, 1, 0);
    if (got < 0 && errno == EINTR)
    {
      continue;
    }
    if (got <= 0)
    {
      return false;
    }
    data += got;
    address += static_cast<std::uint64_t>(got);
    bytes -= static_cast<std::uint64_t>(got);
  }
  return true;
}

/**
 * The header of the block at `offset`, when it is one and lies inside the file: a block in the
 * file, or a header alone whose data (less than `SharedBytes`) stayed in the helper.
 */
bool ReadHeader(int fd, std::uint64_t offset, std::uint64_t fileSize, vSharedBlock::Header& header)
{
  const std::uint64_t page = vSharedBlock::PageBytes();
  if (fd < 0 || offset % page != 0 || offset >= fileSize || fileSize - offset < page ||
    ::pread(fd, &header, sizeof(header), static_cast<off_t>(offset)) !=
      static_cast<ssize_t>(sizeof(header)))
  {
    return false;
  }
  if (header.Magic != vSharedBlock::Magic || header.MappedBytes < page ||
    header.MappedBytes % page != 0 || header.MappedBytes > fileSize - offset)
  {
    return false;
  }
  return header.Remote != 0
    ? header.MappedBytes == page && header.DataBytes < vSharedBlock::SharedBytes
    : header.DataBytes <= header.MappedBytes - page;
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
  header->Remote = 0;
  return base + PageBytes();
}

void* vSharedBlock::Map(int fd,
  std::uint64_t offset,
  std::uint64_t fileSize,
  int helper,
  std::uint64_t& dataBytes,
  bool& remoteFailed)
{
  Header header;
  if (!ReadHeader(fd, offset, fileSize, header))
  {
    return nullptr;
  }
  const std::uint64_t page = PageBytes();
  if (header.Remote != 0)
  {
    void* data = helper > 0 ? MapPrivate(header.DataBytes) : nullptr;
    if (data && !CopyFromHelper(helper, header.Remote, static_cast<char*>(data), header.DataBytes))
    {
      remoteFailed = true;
      Unmap(data);
      data = nullptr;
    }
    dataBytes = header.DataBytes;
    return data;
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

std::uint64_t vSharedBlock::RemoteBytes(int fd, std::uint64_t offset, std::uint64_t fileSize)
{
  Header header;
  return ReadHeader(fd, offset, fileSize, header) && header.Remote != 0 ? header.DataBytes : 0;
}

bool vSharedBlock::RemoteCopyPossible()
{
  static const bool possible = []()
  {
    // Yama's "admin only" and "no attach" scopes forbid reading even a child's memory.
    int scope = 0;
    if (FILE* file = std::fopen("/proc/sys/kernel/yama/ptrace_scope", "r"))
    {
      if (std::fscanf(file, "%d", &scope) != 1)
      {
        scope = 0;
      }
      std::fclose(file);
    }
    char probe = 1;
    char copy = 0;
    return scope < 2 &&
      CopyFromHelper(
        static_cast<int>(::getpid()), reinterpret_cast<std::uintptr_t>(&probe), &copy, 1) &&
      copy == 1;
  }();
  return possible;
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
