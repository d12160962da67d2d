#ifndef vQVFile_h
#define vQVFile_h

#include "VemoraIOModule.h"

#include <vtkSmartPointer.h> // for the volume results

#include <cstdint>
#include <string>
#include <vector>

class vtkImageData;

/**
 * The header of a QV volume file, as stored in its first 8192 bytes (little-endian).
 *
 * | offset | field |
 * |---|---|
 * | 0 | signature 4D 08 0F 4D 0B 1D |
 * | 6 | header word (int32, > 0) |
 * | 10 | file type (int32, 1 or 3) |
 * | 14, 18, 22 | size X, Y, Z in voxels (int32, > 0) |
 * | 26, 34, 42 | spacing X, Y, Z (double; 0 or less reads as 1.0) |
 * | 50 | data type (int32, 32 or 64; voxels are 4 bytes either way) |
 * | 54 .. 8191 | reserved |
 * | 8192 | X x Y x Z unsigned 32-bit voxels, x fastest, then y, then z |
 */
struct tagQVHEADER
{
  int32_t HeaderWord = 8192;
  int32_t FileType = 1;
  int32_t Size[3] = { 0, 0, 0 };
  double Spacing[3] = { 1.0, 1.0, 1.0 };
  int32_t DataType = 32;
};

/**
 * Reading and writing QV volume files.
 *
 * Reading checks the header in a fixed order and stops at the first fault, with one of these
 * texts: "error: the QV file may have been corrupted" (signature, header word, sizes, a header or
 * voxel block that ends early), "error: unrecognized file type" (file type), "error: unrecoginized
 * data type" (data type). A volume larger than the memory the process may still take (its limits,
 * the machine's available memory) is refused before anything is allocated, with "error: not enough
 * memory: the volume needs N MiB, only M MiB are available". Nothing of a failed read is kept.
 *
 * The volume read from a file has extent 0..X-1, 0..Y-1, 0..Z-1, one component of type
 * VTK_UNSIGNED_INT, the file's spacing (values of 0 or less read as 1.0) and is centred on the
 * coordinate origin: origin = -|s| (n - 1) / 2 on each axis.
 */
class VEMORAIO_EXPORT vQVFile
{
public:
  static constexpr int HeaderSize = 8192;
  static constexpr int SignatureSize = 6;
  static const unsigned char Signature[SignatureSize];

  /** Reads and checks the header; on failure returns false with the error text set. */
  static bool ReadHeader(const std::string& path, tagQVHEADER& header, std::string& error);

  /** Reads a whole volume; null with the error text set on failure. */
  static vtkSmartPointer<vtkImageData> ReadVolume(const std::string& path, std::string& error);

  /**
   * Reads the header and the first slice only (X x Y values), for a thumbnail. On success the
   * slice holds X x Y values, x fastest, and `cols`, `rows` are X and Y; on failure the outputs are
   * left unchanged and the error text is set.
   */
  static bool ReadPreview(const std::string& path,
    std::vector<uint32_t>& slice,
    int& cols,
    int& rows,
    std::string& error);

  /**
   * Writes a volume: header as given (sizes taken from the volume), voxels converted to unsigned
   * 32-bit (negative values become 0, values above 2^32 - 1 become 2^32 - 1, fractions are
   * rounded). Written to a temporary file in the same folder and renamed over `path`. False with
   * the error text set on failure; then `path` is left as it was.
   */
  static bool Write(const std::string& path, vtkImageData* image, std::string& error);

  /** Writes raw voxels (`header.Size` gives their count) the same way. */
  static bool Write(const std::string& path,
    const tagQVHEADER& header,
    const uint32_t* voxels,
    std::string& error);
};

#endif
