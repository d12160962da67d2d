#ifndef vLegacyVTKCheck_h
#define vLegacyVTKCheck_h

#include <string>

/**
 * A look at a legacy ".vtk" file before VTK's reader takes it: every count the file declares
 * (points, cells, connectivity sizes, attribute tuples, field arrays) must be one the file could
 * hold. VTK's reader allocates what the header says before it reads, so a 100-byte file that
 * declares two billion points would otherwise take all the machine's memory.
 *
 * Binary data blocks are skipped by their declared size, so a large binary file costs a few
 * page reads; in an ASCII file the values of each block are counted (far cheaper than VTK's parse
 * of them), so a block that the file ends inside is refused too: VTK's reader crashes on some.
 * Lines it does not know are left to VTK; in a binary file the look stops at the first one.
 */
class vLegacyVTKCheck
{
public:
  /** False when the file declares more data than its size allows; true otherwise. */
  static bool CountsFit(const std::string& path);
};

#endif
