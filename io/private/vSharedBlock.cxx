#include "vSharedBlock.h"

#include <sys/mman.h>
#include <unistd.h>

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
