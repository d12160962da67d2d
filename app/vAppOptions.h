#ifndef vAppOptions_h
#define vAppOptions_h

#include <string>
#include <vector>

/**
 * The command line of the window (any command line without --batch):
 *
 *   Vemora [--script FILE] [--screenshot FILE.png] [--size WxH] [--quit] [FILE|FOLDER ...]
 *
 * FILE and FOLDER arguments are opened into the workspace at start; --script runs a script in the
 * console once the window shows its first frame; --screenshot saves a picture of the whole window
 * after that; --size sets the window's size instead of maximising it; --quit closes the program
 * once the script ran and the picture was saved.
 */
struct vAppOptions
{
  std::string Script;
  std::string Screenshot;
  int Width = 0; // 0: maximised (or the size saved by the last run)
  int Height = 0;
  bool Quit = false;
  bool Help = false;
  std::vector<std::string> Paths;
  /** Why the command line was refused; empty when it was understood. */
  std::string Error;

  static vAppOptions Parse(int argc, const char* const* argv);
  static std::string Usage();
  /** True when the command line asks for a batch run (it holds --batch). */
  static bool IsBatch(int argc, const char* const* argv);
};

#endif
