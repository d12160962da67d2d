#ifndef vSharedHeap_h
#define vSharedHeap_h

#include <cstddef>
#include <cstdint>

/**
 * The read helper's heap for large blocks. Once `Initialize` names the shared memory file, every
 * allocation of at least `LargeBytes` (malloc, calloc, realloc, operator new, aligned allocations
 * up to a page) becomes a block of that file (vSharedBlock layout), so the arrays a reader fills
 * are already in memory the workstation can map: a large volume crosses without a copy. Smaller
 * allocations stay with the C library. Thread-safe.
 *
 * In builds with AddressSanitizer the C library keeps every allocation (the sanitizer owns
 * malloc); `Find` then never finds a block and the helper copies arrays into `Allocate`d blocks.
 */
namespace vSharedHeap
{
constexpr std::size_t LargeBytes = std::size_t(1) << 20;

/** Starts placing large allocations in the file `fd` (a memfd, initially empty). */
void Initialize(int fd);

/** A block of the file holding `bytes` (zero-filled), or null. Freed with `free`. */
void* Allocate(std::size_t bytes);

/** When `data` is the start of a live block of the file: true, with its offset in the file. */
bool Find(const void* data, std::uint64_t& offset);
} // namespace vSharedHeap

#endif
