#ifndef CiDcmLib_h
#define CiDcmLib_h

#include "VemoraIOModule.h"

#include <cstddef>
#include <memory> // for member
#include <string>
#include <vector>

/**
 * The DICOM decoder used by the file reader (on GDCM).
 *
 * Use: construct, `SetFilename(path)`, `Read()`; on success (empty text) ask for the geometry and
 * the pixels. The path is either
 * - one DICOM file (single- or multi-frame, any transfer syntax GDCM decodes: uncompressed little
 *   or big endian, RLE, JPEG baseline/lossless, JPEG-LS, JPEG 2000; files with or without the
 *   128-byte preamble), or
 * - a folder holding a DICOM series: the series with the most slices is read as one volume,
 *   slices sorted along the slice normal by Image Position (Patient); files that are not DICOM are
 *   ignored; images of another size are another series; slices of unequal pixel format or
 *   orientation make the read fail. When the read leaves files out (other series, DICOM files
 *   that cannot be read), `GetNotice()` says which, and which series was kept.
 *
 * Pixels are the file's stored values (before any rescale), one sample per pixel: colour images
 * (RGB) are turned into their luminance, YBR images keep their Y channel, PALETTE COLOR images are
 * looked up in their palette and turned into the luminance of that colour. Every frame is
 * `GetCols()` x `GetRows()` pixels of `GetChannelPixelSize()` bytes (1, 2 or 4), signed when
 * `IsSigned()`, in host byte order. All frames lie back to back in one buffer owned by the
 * instance, in slice order.
 *
 * Geometry:
 * - a single file: `GetDimensions` gives three zeros; the volume is `GetCols()` x `GetRows()` x
 *   `GetNumberOfFrames()` and is read frame by frame.
 * - a folder series: `GetDimensions` gives (cols, rows, slices), `GetNumberOfFrames()` gives the
 *   number of slices, so frames x cols x rows = X x Y x Z: the frames form ONE whole block that
 *   begins at `GetDataPtr(0)`, and `GetDataPtr(i)` is slice i. A reader that copies whole blocks
 *   copies exactly one.
 * The spacing is in millimetres, every component > 0 (1 where the file gives none). For a series
 * the third component is the mean distance between neighbouring slice positions.
 *
 * Damaged files fail to read, never end the program: GDCM runs in the read helper
 * (vReadIsolation), so a crash, an `abort()` from its internal checks, a stack overflow or a hang
 * ends only the helper, and the decoded frames come back through shared memory without a copy.
 * Element structure, lengths and nesting depth are checked against the file before GDCM reads it
 * (GDCM allocates whatever a length claims and recurses into every nested sequence), so one
 * damaged file of a series folder is left out instead of failing the folder. Pixel data must hold
 * what the dimensions claim. Slices of a folder series that share a position make the read fail;
 * sub-folders are not searched.
 *
 * No operation throws; a failed read leaves the instance empty (zero sizes, null pointers).
 */
class VEMORAIO_EXPORT CiDcmLib
{
public:
  /** Reads refuse volumes whose decoded frames would exceed this many bytes (default 4 GiB). */
  static constexpr std::size_t DefaultMaximumBytes = std::size_t(4) << 30;

  CiDcmLib();
  ~CiDcmLib();
  CiDcmLib(const CiDcmLib&) = delete;
  CiDcmLib& operator=(const CiDcmLib&) = delete;

  /** A DICOM file or a folder holding a series. */
  void SetFilename(const std::string& path);
  const std::string& GetFilename() const { return this->Filename; }

  /** Decodes the file or series. Empty text on success, a reason (for developers) on failure. */
  std::string Read();

  /** (X, Y, Z) of a whole-volume read (folder series); three zeros for a single file. */
  void GetDimensions(int dims[3]) const;
  int GetCols() const { return this->Cols; }
  int GetRows() const { return this->Rows; }
  int GetNumberOfFrames() const { return this->Frames; }
  /** Voxel size in mm (x = column spacing, y = row spacing, z = slice spacing), all > 0. */
  void GetSpacing(double spacing[3]) const;
  /** Bytes per pixel of a frame buffer: 1, 2 or 4 (0 before a successful read). */
  int GetChannelPixelSize() const { return this->PixelSize; }
  /** Whether the pixels are signed integers (two's complement). */
  bool IsSigned() const { return this->Signed; }
  /**
   * The pixels of frame `frame` (`GetCols()` x `GetRows()` x `GetChannelPixelSize()` bytes), owned
   * by the instance and valid until it is destroyed or reads again; null for a frame out of range.
   */
  const void* GetDataPtr(int frame) const;

  /**
   * Converts frame `frame` into 4-byte unsigned voxels, as the workstation stores volumes: the
   * stored value, negative values becoming 0. Writes `GetCols()` x `GetRows()` values to `dest`,
   * which holds `destCount` values; false (nothing written) for a frame out of range or a
   * destination that is too small.
   */
  bool CopyFrameToUnsigned32(int frame, unsigned int* dest, std::size_t destCount) const;

  /**
   * The same values as `CopyFrameToUnsigned32`, laid out as a slice of the workstation's volume:
   * the rows in reverse order, so that the first stored row (the top of the picture in every DICOM
   * viewer) becomes the slice's last row (y = rows - 1), which the views show at the top, while
   * the first column stays at x = 0. This is the one place where DICOM rows are flipped.
   */
  bool CopyFrameToVolumeSlice(int frame, unsigned int* dest, std::size_t destCount) const;

  /**
   * A message for the user about the last successful read: the files of a folder that were left
   * out and the series that was kept; empty when nothing was left out.
   */
  const std::string& GetNotice() const { return this->Notice; }

  /** Upper bound on the decoded size of one read (bytes); larger volumes fail to read. */
  void SetMaximumBytes(std::size_t bytes) { this->MaximumBytes = bytes; }
  std::size_t GetMaximumBytes() const { return this->MaximumBytes; }

  /**
   * Whether the file's content is DICOM: the "DICM" marker at offset 128, or (without a preamble,
   * like old ACR-NEMA files) a data set GDCM parses that describes an image. Folders: false.
   */
  static bool IsDicomFile(const std::string& path);

  /**
   * The files of the series that reading `folder` would take, in volume order, and its spacing
   * (as `GetSpacing` would give it); headers only, no pixel data is read. Empty text on success.
   */
  static std::string ListSeries(const std::string& folder,
    std::vector<std::string>& files,
    double spacing[3]);
  /** The same, with the notice a read would give (see `GetNotice`). */
  static std::string ListSeries(const std::string& folder,
    std::vector<std::string>& files,
    double spacing[3],
    std::string& notice);

private:
  void Clear();
  /** The read itself, in this process (the read helper's side). */
  std::string ReadHere();
  /** The read through the read helper. */
  std::string ReadIsolated();
  std::string ReadFile(const std::string& path);
  std::string DecodeFile(const std::string& path);
  std::string ReadFolder(const std::string& path);
  bool Allocate(std::size_t bytes);

  std::string Filename;
  std::string Notice;
  int Cols = 0;
  int Rows = 0;
  int Frames = 0;
  int PixelSize = 0;
  bool Signed = false;
  bool WholeVolume = false;
  double Spacing[3] = { 1.0, 1.0, 1.0 };
  std::shared_ptr<unsigned char> Pixels; // decoded here, or mapped from the read helper
  std::size_t PixelBytes = 0;
  std::size_t MaximumBytes = DefaultMaximumBytes;
};

#endif
