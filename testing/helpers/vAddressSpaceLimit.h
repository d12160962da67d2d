#ifndef vAddressSpaceLimit_h
#define vAddressSpaceLimit_h

#include <cstddef>

/**
 * Tests that run something out of memory: the process's address space is held to what it uses
 * now plus `headroom` bytes (RLIMIT_AS), until the object goes (the previous limit is restored).
 *
 * The limit does not hold under AddressSanitizer (its shadow memory needs terabytes of address
 * space): tests using it start with VEMORA_SKIP_UNDER_SANITIZERS().
 */
class vAddressSpaceLimit
{
public:
  explicit vAddressSpaceLimit(std::size_t headroom);
  ~vAddressSpaceLimit();
  vAddressSpaceLimit(const vAddressSpaceLimit&) = delete;
  vAddressSpaceLimit& operator=(const vAddressSpaceLimit&) = delete;

  /** The address space in use, in bytes (VmSize). */
  static std::size_t Used();

private:
  unsigned long long Previous;
  bool Set = false;
};

#if defined(__SANITIZE_ADDRESS__)
#define VEMORA_SKIP_UNDER_SANITIZERS() GTEST_SKIP() << "RLIMIT_AS does not hold under ASan"
#else
#define VEMORA_SKIP_UNDER_SANITIZERS()                                                             \
  do                                                                                               \
  {                                                                                                \
  } while (false)
#endif

#endif
