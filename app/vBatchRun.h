#ifndef vBatchRun_h
#define vBatchRun_h

#include <string>

struct vBatchOptions;

/**
 * One batch run: the facade with its engine and modules, one off-screen viewing tab (none when no
 * X server answers), the modules' start-up run, then the script run as the menu runs scripts,
 * every reply printed on standard output as the console shows it. The current folder starts as
 * the folder the program was started in. A line fails when its result is not 0 or its reply
 * begins with "error" (any letter case) or "errror" (result 1 then). The script "-" is standard
 * input; it, a FIFO or a terminal is run line by line as the lines arrive. Questions are answered
 * from the options; message boxes go to standard error.
 */
class vBatchRun
{
public:
  /** Returns the script's result code (0 when every line succeeded). */
  static int Run(const vBatchOptions& options);

  /** A reply as a terminal shows it: "\r\n" line ends become "\n". */
  static std::string ForTerminal(const std::string& reply);
};

#endif
