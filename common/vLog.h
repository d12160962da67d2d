#ifndef vLog_h
#define vLog_h

#include "VemoraCommonModule.h"

#include <string>

/**
 * Diagnostics meant for developers, sent to VTK's output window (so tests catch them like any VTK
 * warning). Texts for the user go through `vUserPrompt` or a console reply instead.
 */
class VEMORACOMMON_EXPORT vLog
{
public:
  static void Warning(const std::string& text);
  static void Error(const std::string& text);
};

#endif
