#ifndef vBigEndian_h
#define vBigEndian_h

#include "VemoraIOModule.h"

#include <cstddef>
#include <cstdint>

/**
 * Turns big-endian values (what VTK's legacy binary files hold) into the machine's order on the
 * way from a read buffer into the data's arrays. Uses AVX2 byte shuffles when the processor has
 * them; the plain loops give the same results everywhere else. Exported for its tests only.
 */
namespace vBigEndian
{
/** Copies `count` values of `size` bytes (1, 2, 4 or 8) from `from` into `to`, turned. */
VEMORAIO_EXPORT void Copy(void* to, const void* from, size_t count, int size);

/**
 * Copies `count` big-endian 64-bit integers from `from` into 32-bit ones in `to`; true when every
 * value, read as unsigned, is below `limit` (at most 2^31), so negative values fail too. All
 * values are copied whatever the answer.
 */
VEMORAIO_EXPORT bool Narrow(int32_t* to, const void* from, size_t count, uint64_t limit);
} // namespace vBigEndian

#endif
