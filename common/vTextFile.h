#ifndef vTextFile_h
#define vTextFile_h

#include "VemoraCommonModule.h"

#include <cstddef>
#include <string>

/**
 * Whole-file reading and writing. Every file the system writes goes through `WriteAtomically`:
 * the contents go to a temporary file in the same folder, which is flushed and then renamed over
 * the target, so a crash or a full disk never leaves a half-written file.
 */
class VEMORACOMMON_EXPORT vTextFile
{
public:
  /** Writes `contents` to `path` atomically; false (and the old file untouched) on failure. */
  static bool WriteAtomically(const std::string& path, const std::string& contents);

  /**
   * Reads at most `maxBytes` bytes of a file into `contents`; false when it cannot be opened.
   * A longer file is cut at `maxBytes` and `truncated` (when given) is set.
   */
  static bool Read(const std::string& path,
    std::string& contents,
    std::size_t maxBytes = static_cast<std::size_t>(-1),
    bool* truncated = nullptr);
};

#endif
