#ifndef vBatchRun_h
#define vBatchRun_h

#include <string>

struct vBatchOptions;

/**
 * One batch run: the facade with its engine and modules, one off-screen viewing tab, the
 * modules' start-up run, then the script run as the menu runs scripts, every reply printed on
 * standard output as the console shows it. Questions are answered from the options; message
 * boxes go to standard error.
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
