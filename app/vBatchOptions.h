#ifndef vBatchOptions_h
#define vBatchOptions_h

#include <string>
#include <vector>

/**
 * The command line of the program:
 *
 *   Vemora [FILE|FOLDER ...] --batch SCRIPT [--screenshot FILE.png] [--size WxH] [--yes|--no]
 * [--keep-going]
 *                [--progress]
 *   Vemora --batch - ...         (the script from standard input)
 *   Vemora SCRIPT [options]      (the same, until the window comes)
 *   Vemora --help
 */
struct vBatchOptions
{
  std::string Script;
  /** Files and folders named before --batch, opened before the script runs. */
  std::vector<std::string> Files;
  std::string Screenshot;
  int Width = 300;
  int Height = 300;
  bool Yes = false;
  /**
   * Run every line even after a failure (the result is then the first failure's, 1 for a line
   * whose reply alone told of the failure).
   */
  bool KeepGoing = false;
  /** Show how far long reads are, on standard error. */
  bool Progress = false;
  bool Help = false;
  /** Why the command line was refused; empty when it was understood. */
  std::string Error;

  /** Largest window side accepted by --size. */
  static constexpr int MaximumSide = 8192;

  static vBatchOptions Parse(int argc, const char* const* argv);
  static std::string Usage();
};

#endif
