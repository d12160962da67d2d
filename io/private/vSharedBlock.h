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
 */
namespace vSharedBlock
{
constexpr std::uint64_t Magic = 0x316b6c6241524d56ull;

struct Header
{
  std::uint64_t Magic;
  std::uint64_t MappedBytes; // header page and data, a multiple of the page size
  std::uint64_t DataBytes;   // bytes of data the block holds
};

/** The page size, which is also the size of the header. */
std::size_t PageBytes();

/** Bytes a block of `dataBytes` maps (header page included), rounded up to pages; 0 on overflow. */
std::uint64_t MappedBytesFor(std::uint64_t dataBytes);

/**
 * Maps the block at `offset` of the file `fd` whose size is `fileSize`. The data pointer (owned by
 * the caller, released with `Unmap`), with `dataBytes` set, or null when the header is not a
 * block's or the block does not lie inside the file.
 */
void* Map(int fd, std::uint64_t offset, std::uint64_t fileSize, std::uint64_t& dataBytes);

/** Unmaps the block whose data starts at `data` (null: nothing). */
void Unmap(void* data);
} // namespace vSharedBlock

#endif
