#ifndef vDicomGuard_h
#define vDicomGuard_h

#include <functional>

/**
 * Runs GDCM work so that a damaged file cannot end the program. The GDCM build the workstation
 * uses keeps its internal consistency checks (`assert`), and some damaged files trip them; an
 * `abort()` raised on this thread while `work` runs returns here as `false` instead. Objects that
 * GDCM had on the stack at that moment are abandoned (a small leak, only on such files).
 * Guards nest; the innermost one catches.
 */
class vDicomGuard
{
public:
  /** The result of `work`, or false when it aborted. */
  static bool Run(const std::function<bool()>& work);
};

#endif
