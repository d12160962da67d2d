// The program Vemora. For now it has one face: batch runs of a script on an off-screen viewing
// tab (see vBatchOptions.h).
#include "vBatchOptions.h"
#include "vBatchRun.h"

#include <cstdio>

int main(int argc, char** argv)
{
  const vBatchOptions options = vBatchOptions::Parse(argc, argv);
  if (options.Help)
  {
    std::fputs(vBatchOptions::Usage().c_str(), stdout);
    return 0;
  }
  if (!options.Error.empty())
  {
    std::fprintf(stderr, "Vemora: %s\n\n%s", options.Error.c_str(), vBatchOptions::Usage().c_str());
    return 2;
  }
  const int result = vBatchRun::Run(options);
  // An exit status holds 8 bits: a result that does not fit (a module's own code) still fails.
  return result >= 0 && result < 256 ? result : 255;
}
