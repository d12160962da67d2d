#ifndef vCommandLine_h
#define vCommandLine_h

#include "VoxletModule.h"

#include <string>
#include <vector>

/**
 * The three ways a line of the command language is cut into a command word and parameters.
 *
 * All three trim the line at both ends first (blanks, tabs, carriage returns, line feeds). The
 * separator is one space character, so two spaces in a row give an empty parameter.
 *
 * - `SplitPlain` (scripts run by name): no quote handling at all.
 * - `SplitQuoted` (script files run from the menu): a token that begins with a single quote runs
 *   to the next quote and may contain spaces; an odd number of quotes, or a quote that is never
 *   closed, makes the word "error" with no parameters.
 * - `SplitConsole` (lines typed in the console): as `SplitQuoted`, except that an odd number of
 *   quotes gives the word before the first space and exactly one parameter, the text after the
 *   last quote (what the console's name completion leaves behind).
 *
 * Parameters never keep their enclosing quotes; quotes inside a parameter stay. Every function
 * clears `parameters` first and works on any bytes (NUL bytes and invalid UTF-8 included) in time
 * linear in the length of the line.
 */
class VOXLET_EXPORT vCommandLine
{
public:
  static void SplitPlain(const std::string& line,
    std::string& word,
    std::vector<std::string>& parameters);
  static void SplitQuoted(const std::string& line,
    std::string& word,
    std::vector<std::string>& parameters);
  static void SplitConsole(const std::string& line,
    std::string& word,
    std::vector<std::string>& parameters);

  /** The line without blanks, tabs, carriage returns and line feeds at both ends. */
  static std::string Trim(const std::string& text);

private:
  static void Split(const std::string& line,
    bool console,
    std::string& word,
    std::vector<std::string>& parameters);
};

#endif
