#ifndef vSharedBlock_h
#define vSharedBlock_h

#include <cstddef>
#include <cstdint>

/**
 * The layout of one block of data handed from the read helper to the workstation through a shared
 * memory file: a header page, then the data. Blocks start at page-aligned offsets of the file, so
 * each maps on its own, and the data is page aligned.
 *
 * The header page tells how many bytes the block maps (header page included); the data's owner
 * unmaps the whole block with `Unmap(data)`, which needs nothing but the data pointer (it is the
 * free function of the VTK arrays that take the data over).
 *
 * Blocks of `SharedBytes` or more are mapped from the file as they are (a large volume crosses
 * without a copy). Smaller ones are copied into private memory in large pages: setting up the
 * file's pages one by one in each process costs more than two copies (40 MB: about 60 ms to map
 * against 10 ms to copy on a virtual machine), and a copy takes no more memory than the file.
 * A smaller block may also stay in the helper's memory, its header in the file naming where
 * (`Remote`): the workstation then copies it straight out of the helper (process_vm_readv) while
 * the helper waits, one copy instead of two.
 */
namespace vSharedBlock
{
constexpr std::uint64_t Magic = 0x316b6c6241524d56ull;

struct Header
{
  std::uint64_t Magic;
  std::uint64_t MappedBytes; // header page and data, a multiple of the page size
  std::uint64_t DataBytes;   // bytes of data the block holds
  std::uint64_t Remote; // the data's address in the helper (the block is its header alone), or 0
};

/** Blocks of this many data bytes or more cross by mapping, smaller ones by a copy. */
constexpr std::uint64_t SharedBytes = std::uint64_t(64) << 20;

/** The page size, which is also the size of the header. */
std::size_t PageBytes();

/** Bytes a block of `dataBytes` maps (header page included), rounded up to pages; 0 on overflow. */
std::uint64_t MappedBytesFor(std::uint64_t dataBytes);

/**
 * A block of private memory (zero-filled, in large pages where the system gives them) with the
 * same layout: its data pointer, released with `Unmap`, or null.
 */
void* MapPrivate(std::uint64_t dataBytes);

/**
 * The block at `offset` of the file `fd` whose size is `fileSize`: mapped from the file when it
 * holds `SharedBytes` or more, copied out of the helper process `helper` when its data stayed
 * there, else copied into a private block and its pages in the file released. The data pointer
 * (owned by the caller, released with `Unmap`), with `dataBytes` set, or null when the header is
 * not a block's, the block does not lie inside the file, or the helper's memory cannot be read
 * (then `remoteFailed` is set).
 */
void* Map(int fd,
  std::uint64_t offset,
  std::uint64_t fileSize,
  int helper,
  std::uint64_t& dataBytes,
  bool& remoteFailed);

/** The bytes the block at `offset` keeps in the helper's memory (0: none, or no block there). */
std::uint64_t RemoteBytes(int fd, std::uint64_t offset, std::uint64_t fileSize);

/**
 * Whether this process may copy blocks out of a helper it started: the kernel has the call and
 * does not forbid reading a child's memory. Checked once.
 */
bool RemoteCopyPossible();

/** Unmaps the block whose data starts at `data` (null: nothing). */
void Unmap(void* data);
} // namespace vSharedBlock

#endif
