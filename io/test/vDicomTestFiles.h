#ifndef vDicomTestFiles_h
#define vDicomTestFiles_h

#include <cstdint>
#include <string>
#include <vector>

/** One synthetic DICOM slice to write with GDCM, MR image storage, Explicit VR Little Endian. */
struct vDicomTestSlice
{
  int Cols = 8;
  int Rows = 6;
  int BitsAllocated = 16; // 8, 16 or 32
  bool Signed = false;
  int Samples = 1;             // 3: RGB
  std::vector<int64_t> Values; // Cols x Rows x Samples, interleaved; empty: the pixel index
  std::string SeriesUid = "1.2.826.0.1.3680043.2.1125.1.1";
  int InstanceNumber = 1;
  bool WriteGeometry = true; // position and orientation (false: a secondary capture image)
  double Position[3] = { 0, 0, 0 };
  double Orientation[6] = { 1, 0, 0, 0, 1, 0 };
  double PixelSpacing[2] = { 0.5, 0.75 }; // x, y
};

/** Writes the slice to `path` (making its folders); false when that fails. */
bool vWriteDicomSlice(const std::string& path, const vDicomTestSlice& slice);

/**
 * Rewrites the DICOM image `from` into `to` in another transfer syntax (a DICOM UID such as
 * "1.2.840.10008.1.2.5" for RLE), through GDCM; false when GDCM cannot.
 */
bool vConvertDicom(const std::string& from, const std::string& to, const std::string& syntaxUid);

/**
 * Turns the 8-bit grey DICOM image at `path` into a PALETTE COLOR image, in place: its pixels
 * become indices into a palette of 256 colours whose 16-bit components are `red`, `green` and
 * `blue` (256 values each); false when GDCM cannot.
 */
bool vMakePaletteDicom(const std::string& path,
  const std::vector<uint16_t>& red,
  const std::vector<uint16_t>& green,
  const std::vector<uint16_t>& blue);

/** A whole file's bytes, and writing them back. */
std::vector<char> vReadBytes(const std::string& path);
bool vWriteBytes(const std::string& path, const std::vector<char>& bytes);

/**
 * Offset of the value of top-level element (group, element) in the raw bytes of a DICOM file, for
 * the value representation `vr` (two letters; used only by explicit-VR encodings): tries explicit
 * little endian, explicit big endian and implicit little endian. For the long explicit forms (OB,
 * OW, SQ, UN ...) the offset is that of the 4-byte length, which precedes the value. -1 when not
 * found.
 */
long vFindElementValue(const std::vector<char>& bytes,
  uint16_t group,
  uint16_t element,
  const char* vr,
  bool* bigEndian = nullptr);

#endif
