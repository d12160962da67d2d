#ifndef vMemoryBudget_h
#define vMemoryBudget_h

#include "VemoraIOModule.h"

#include <cstdint>
#include <string>

/**
 * How much memory this process may still take, so that a volume that cannot fit is refused before
 * anything is allocated (an allocation that fails half-way, or the kernel's out-of-memory killer,
 * would end the program instead). Operations whose memory is known up front (a volume read, a
 * mask of a volume) ask here first.
 */
namespace vMemoryBudget
{
/** Address space left under the process's limits (RLIMIT_AS, RLIMIT_DATA); UINT64_MAX: none. */
VEMORAIO_EXPORT std::uint64_t AddressSpaceLeft();

/** Bytes that may still be allocated: address space left, and the machine's available memory. */
VEMORAIO_EXPORT std::uint64_t Available();

/** True when `bytes` more can be allocated; else false with `error` set to `NeedText`. */
VEMORAIO_EXPORT bool Fits(std::uint64_t bytes, std::string& error);

/** The user's text for a volume of `bytes` that does not fit into `available` bytes. */
VEMORAIO_EXPORT std::string NeedText(std::uint64_t bytes, std::uint64_t available);
} // namespace vMemoryBudget

#endif
