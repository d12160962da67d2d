#ifndef vSharedHeap_h
#define vSharedHeap_h

#include <cstddef>
#include <cstdint>

/**
 * The read helper's heap for large blocks. Once `Initialize` names the shared memory file, every
 * allocation of at least `vSharedBlock::SharedBytes` (malloc, calloc, realloc, operator new,
 * aligned allocations up to a page) becomes a block of that file (vSharedBlock layout), so the
 * arrays a reader fills are already in memory the workstation can map: a large volume crosses
 * without a copy. Allocations from `LargeBytes` up to that size are private blocks in large pages
 * (a reader fills them at a fraction of the cost of the file's small pages); `Publish` copies
 * them into the file when they are handed back. Smaller allocations stay with the C library.
 * Thread-safe.
 *
 * In builds with AddressSanitizer the C library keeps every allocation (the sanitizer owns
 * malloc); `Publish` then copies every array.
 */
namespace vSharedHeap
{
constexpr std::size_t LargeBytes = std::size_t(1) << 20;

/** Starts placing large allocations in the file `fd` (a memfd, initially empty). */
void Initialize(int fd);

/**
 * With `remote` on, `Publish` leaves blocks smaller than `vSharedBlock::SharedBytes` where they
 * are and writes only their header, naming their address: the workstation copies them out of
 * this process, which must then live until it has.
 */
void SetRemote(bool remote);

/** Whether `Publish` left a block in this process's memory. */
bool HasRemoteBlocks();

/**
 * The offset in the file of a block holding the `bytes` bytes at `data`: the block itself when
 * `data` is the start of one of the file's blocks, else a new block written with a copy (or
 * naming `data`, see `SetRemote`). False when the file cannot grow.
 */
bool Publish(const void* data, std::size_t bytes, std::uint64_t& offset);
} // namespace vSharedHeap

#endif
