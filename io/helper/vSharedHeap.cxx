#include "vSharedHeap.h"

#include "vSharedBlock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEMORA_SHARED_HEAP_OFF 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VEMORA_SHARED_HEAP_OFF 1
#endif

// The C library's own allocator, under the names glibc exports it for replacements to call.
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C"
{
  void* __libc_malloc(std::size_t size);
  void __libc_free(void* pointer);
  void* __libc_calloc(std::size_t count, std::size_t size);
  void* __libc_realloc(void* pointer, std::size_t size);
  void* __libc_memalign(std::size_t alignment, std::size_t size);
}
// NOLINTEND(bugprone-reserved-identifier)

namespace
{
// Everything here runs inside malloc: no allocation, no C++ objects with constructors.
constexpr int MaximumBlocks = 4096;

struct vBlock
{
  char* Data;
  std::uint64_t Offset; // in the file (shared blocks)
  std::uint64_t Mapped;
  bool Shared; // a block of the file, else private memory
};

pthread_mutex_t Lock = PTHREAD_MUTEX_INITIALIZER;
int File = -1;
std::uint64_t End = 0; // the file's size: blocks are placed one after another
vBlock Blocks[MaximumBlocks];
int Count = 0;
bool Remote = false;   // small blocks stay here, named in the file (vSharedBlock::Header)
bool LeftHere = false; // a block was published that way

class vLocked
{
public:
  vLocked() { pthread_mutex_lock(&Lock); }
  ~vLocked() { pthread_mutex_unlock(&Lock); }
  vLocked(const vLocked&) = delete;
  vLocked& operator=(const vLocked&) = delete;
};

int IndexOf(const void* data)
{
  for (int i = 0; i < Count; ++i)
  {
    if (Blocks[i].Data == data)
    {
      return i;
    }
  }
  return -1;
}

void WriteHeader(char* base, std::uint64_t mapped, std::uint64_t bytes)
{
  auto* header = reinterpret_cast<vSharedBlock::Header*>(base);
  header->Magic = vSharedBlock::Magic;
  header->MappedBytes = mapped;
  header->DataBytes = bytes;
  header->Remote = 0;
}

/** Writes all bytes at `offset` of the file; false on failure. */
bool WriteAllAt(const char* data, std::uint64_t bytes, std::uint64_t offset)
{
  while (bytes > 0)
  {
    const ssize_t put = ::pwrite(File, data, bytes, static_cast<off_t>(offset));
    if (put < 0 && errno == EINTR)
    {
      continue;
    }
    if (put <= 0)
    {
      return false;
    }
    data += put;
    bytes -= static_cast<std::uint64_t>(put);
    offset += static_cast<std::uint64_t>(put);
  }
  return true;
}

// Caller holds the lock.
void* AllocateShared(std::size_t bytes)
{
  const std::uint64_t mapped = vSharedBlock::MappedBytesFor(bytes);
  if (File < 0 || mapped == 0 || Count >= MaximumBlocks ||
    ::ftruncate(File, static_cast<off_t>(End + mapped)) != 0)
  {
    return nullptr;
  }
  void* base =
    ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_SHARED, File, static_cast<off_t>(End));
  if (base == MAP_FAILED)
  {
    ::ftruncate(File, static_cast<off_t>(End));
    return nullptr;
  }
  WriteHeader(static_cast<char*>(base), mapped, bytes);
  char* data = static_cast<char*>(base) + vSharedBlock::PageBytes();
  Blocks[Count++] = vBlock{ data, End, mapped, true };
  End += mapped;
  return data;
}

// Caller holds the lock.
void* AllocatePrivate(std::size_t bytes)
{
  if (File < 0 || Count >= MaximumBlocks)
  {
    return nullptr;
  }
  char* data = static_cast<char*>(vSharedBlock::MapPrivate(bytes));
  if (!data)
  {
    return nullptr;
  }
  const auto* header =
    reinterpret_cast<const vSharedBlock::Header*>(data - vSharedBlock::PageBytes());
  Blocks[Count++] = vBlock{ data, 0, header->MappedBytes, false };
  return data;
}

// Caller holds the lock.
[[maybe_unused]] void* AllocateLocked(std::size_t bytes)
{
  return bytes >= vSharedBlock::SharedBytes ? AllocateShared(bytes) : AllocatePrivate(bytes);
}

// Caller holds the lock; `index` names a live block.
[[maybe_unused]] void FreeLocked(int index)
{
  const vBlock block = Blocks[index];
  ::munmap(block.Data - vSharedBlock::PageBytes(), block.Mapped);
  if (block.Shared && block.Offset + block.Mapped == End)
  {
    End = block.Offset; // the last block: the file shrinks, its pages go
    ::ftruncate(File, static_cast<off_t>(End));
  }
  else if (block.Shared)
  {
    ::fallocate(File,
      FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE,
      static_cast<off_t>(block.Offset),
      static_cast<off_t>(block.Mapped));
  }
  Blocks[index] = Blocks[--Count];
}

bool MayBeBlock(const void* pointer)
{
  // Blocks' data is page aligned; the C library's small blocks almost never are.
  return pointer && File >= 0 &&
    reinterpret_cast<std::uintptr_t>(pointer) % vSharedBlock::PageBytes() == 0;
}

[[maybe_unused]] std::uint64_t Capacity(const vBlock& block)
{
  return block.Mapped - vSharedBlock::PageBytes();
}

// Caller holds the lock; `index` names a live block. Grows it where it lies (the file's last
// block, or any private block: only the mapping moves); false when it cannot.
[[maybe_unused]] bool GrowInPlace(int index, std::size_t size)
{
  vBlock& block = Blocks[index];
  const std::uint64_t mapped = vSharedBlock::MappedBytesFor(size);
  if (mapped == 0 || (block.Shared && block.Offset + block.Mapped != End) ||
    (!block.Shared && size >= vSharedBlock::SharedBytes))
  {
    return false;
  }
  if (block.Shared && ::ftruncate(File, static_cast<off_t>(block.Offset + mapped)) != 0)
  {
    return false;
  }
  char* base = block.Data - vSharedBlock::PageBytes();
  void* moved = ::mremap(base, block.Mapped, mapped, MREMAP_MAYMOVE);
  if (moved == MAP_FAILED)
  {
    if (block.Shared)
    {
      ::ftruncate(File, static_cast<off_t>(End));
    }
    return false;
  }
  WriteHeader(static_cast<char*>(moved), mapped, size);
  block.Data = static_cast<char*>(moved) + vSharedBlock::PageBytes();
  block.Mapped = mapped;
  if (block.Shared)
  {
    End = block.Offset + mapped;
  }
  return true;
}
} // namespace

void vSharedHeap::Initialize(int fd)
{
  vLocked lock;
  File = fd;
  End = 0;
}

void vSharedHeap::SetRemote(bool remote)
{
  vLocked lock;
  Remote = remote;
}

bool vSharedHeap::HasRemoteBlocks()
{
  vLocked lock;
  return LeftHere;
}

bool vSharedHeap::Publish(const void* data, std::size_t bytes, std::uint64_t& offset)
{
  vLocked lock;
  if (MayBeBlock(data))
  {
    const int index = IndexOf(data);
    if (index >= 0 && Blocks[index].Shared && bytes <= Capacity(Blocks[index]))
    {
      offset = Blocks[index].Offset;
      return true;
    }
  }
  // A new block after the others, written without mapping it: the workstation copies or maps it.
  // Or its header alone, naming the data where it is, for the workstation to copy from here.
  const bool here = Remote && bytes < vSharedBlock::SharedBytes && data;
  const std::uint64_t mapped =
    here ? vSharedBlock::PageBytes() : vSharedBlock::MappedBytesFor(bytes);
  if (File < 0 || mapped == 0 || (bytes > 0 && !data) ||
    ::ftruncate(File, static_cast<off_t>(End + mapped)) != 0)
  {
    return false;
  }
  vSharedBlock::Header header = {
    vSharedBlock::Magic, mapped, bytes, here ? reinterpret_cast<std::uintptr_t>(data) : 0
  };
  if (here)
  {
    if (!WriteAllAt(reinterpret_cast<const char*>(&header), sizeof(header), End))
    {
      ::ftruncate(File, static_cast<off_t>(End));
      return false;
    }
    LeftHere = true;
    offset = End;
    End += mapped;
    return true;
  }
  if (!WriteAllAt(reinterpret_cast<const char*>(&header), sizeof(header), End) ||
    !WriteAllAt(static_cast<const char*>(data), bytes, End + vSharedBlock::PageBytes()))
  {
    ::ftruncate(File, static_cast<off_t>(End));
    return false;
  }
  offset = End;
  End += mapped;
  return true;
}

#ifndef VEMORA_SHARED_HEAP_OFF
// The replacements of the C library's allocator (the glibc manual's "Replacing malloc": malloc,
// free, calloc, realloc and the aligned forms). Small requests go to the C library's own.
extern "C"
{
  __attribute__((visibility("default"))) void* malloc(std::size_t size)
  {
    if (size >= vSharedHeap::LargeBytes && File >= 0)
    {
      vLocked lock;
      if (void* data = AllocateLocked(size))
      {
        return data;
      }
    }
    return __libc_malloc(size);
  }

  __attribute__((visibility("default"))) void free(void* pointer)
  {
    if (MayBeBlock(pointer))
    {
      vLocked lock;
      const int index = IndexOf(pointer);
      if (index >= 0)
      {
        FreeLocked(index);
        return;
      }
    }
    __libc_free(pointer);
  }

  __attribute__((visibility("default"))) void* calloc(std::size_t count, std::size_t size)
  {
    std::size_t bytes = 0;
    if (__builtin_mul_overflow(count, size, &bytes))
    {
      errno = ENOMEM;
      return nullptr;
    }
    if (bytes >= vSharedHeap::LargeBytes && File >= 0)
    {
      vLocked lock;
      if (void* data = AllocateLocked(bytes))
      {
        return data; // new pages of the file read as zeros
      }
    }
    return __libc_calloc(count, size);
  }

  __attribute__((visibility("default"))) void* realloc(void* pointer, std::size_t size)
  {
    if (!pointer)
    {
      return malloc(size); // arrays that start empty grow from here
    }
    if (MayBeBlock(pointer))
    {
      vLocked lock;
      const int index = IndexOf(pointer);
      if (index >= 0)
      {
        vBlock& block = Blocks[index];
        if (size <= Capacity(block))
        {
          reinterpret_cast<vSharedBlock::Header*>(block.Data - vSharedBlock::PageBytes())
            ->DataBytes = size;
          return pointer;
        }
        if (GrowInPlace(index, size))
        {
          return Blocks[index].Data;
        }
        void* data = AllocateLocked(size);
        if (!data)
        {
          data = __libc_malloc(size);
        }
        if (!data)
        {
          return nullptr;
        }
        // AllocateLocked may have moved the table's entries: look the old block up again.
        const int old = IndexOf(pointer);
        std::memcpy(data, pointer, Capacity(Blocks[old]));
        FreeLocked(old);
        return data;
      }
    }
    if (size >= vSharedHeap::LargeBytes && File >= 0 && pointer)
    {
      vLocked lock;
      if (void* data = AllocateLocked(size))
      {
        const std::size_t old = malloc_usable_size(pointer);
        std::memcpy(data, pointer, old < size ? old : size);
        __libc_free(pointer);
        return data;
      }
    }
    return __libc_realloc(pointer, size);
  }

  __attribute__((visibility("default"))) void* memalign(std::size_t alignment, std::size_t size)
  {
    if (size >= vSharedHeap::LargeBytes && File >= 0 && alignment <= vSharedBlock::PageBytes())
    {
      vLocked lock;
      if (void* data = AllocateLocked(size))
      {
        return data;
      }
    }
    return __libc_memalign(alignment, size);
  }

  __attribute__((visibility("default"))) void* aligned_alloc(std::size_t alignment,
    std::size_t size)
  {
    return memalign(alignment, size);
  }

  __attribute__((visibility("default"))) int posix_memalign(void** result,
    std::size_t alignment,
    std::size_t size)
  {
    if (alignment == 0 || (alignment & (alignment - 1)) != 0 || alignment % sizeof(void*) != 0)
    {
      return EINVAL;
    }
    void* data = memalign(alignment, size);
    if (!data)
    {
      return ENOMEM;
    }
    *result = data;
    return 0;
  }
}
#endif
