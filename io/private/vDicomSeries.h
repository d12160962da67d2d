#ifndef vDicomSeries_h
#define vDicomSeries_h

#include <cstddef>
#include <string>
#include <vector>

/** What the header of one DICOM file says about its place in a series. */
struct vDicomSliceHeader
{
  std::string Path;
  std::string SeriesUid;
  int Rows = 0;
  int Cols = 0;
  int Frames = 1;
  int Samples = 1;
  int BitsAllocated = 0;
  int PixelRepresentation = 0;
  int InstanceNumber = 0;
  bool HasPosition = false;
  bool HasOrientation = false;
  bool HasPixelSpacing = false;
  double Position[3] = { 0, 0, 0 };
  double Orientation[6] = { 0, 0, 0, 0, 0, 0 };
  double PixelSpacing[2] = { 0, 0 }; // row spacing, column spacing (the tag's order)
  double SpacingBetweenSlices = 0;
  double SliceThickness = 0;
  double Distance = 0;            // position along the slice normal, set by the sort
  long long PixelDataOffset = -1; // where the pixel data value starts; -1: none found
  long long FileSize = 0;
  bool Deflated = false;   // the data set is stored deflated: file offsets say nothing of its size
  bool LengthsFit = true;  // false: an element claims more bytes than the file holds
  bool HeaderRead = false; // the header was read (whether it describes an image or not)
  /**
   * Bytes from the start of the pixel data value to the end of the file (0: none; the largest
   * size when the data set is deflated).
   */
  std::size_t PixelDataRoom() const
  {
    if (this->Deflated)
    {
      return static_cast<std::size_t>(-1);
    }
    return this->PixelDataOffset >= 0 && this->FileSize > this->PixelDataOffset
      ? static_cast<std::size_t>(this->FileSize - this->PixelDataOffset)
      : 0;
  }
};

/**
 * The series of a folder: scans the header of every regular file of the folder (reading each up
 * to its pixel data element, never the pixel data), keeps the files that describe an
 * image, takes the series with the most files and sorts its slices along the slice normal by
 * Image Position (Patient). Files without positions are ordered by instance number. Images of
 * one series UID but another size are another series.
 */
class vDicomSeries
{
public:
  /**
   * Fills `slices` in volume order and `spacing` (x, y, z in mm, each > 0). Empty text on
   * success; a reason when the folder holds no DICOM image or its slices differ in size, pixel
   * format or orientation, or share a position.
   */
  static std::string Scan(const std::string& folder,
    std::vector<vDicomSliceHeader>& slices,
    double spacing[3]);
  /**
   * The same; `notice` receives a message for the user naming the files left out (of other
   * series, or DICOM files whose header cannot be read) and the series kept, or "" when every
   * DICOM image of the folder is in the series. Files that are not DICOM are not named.
   */
  static std::string Scan(const std::string& folder,
    std::vector<vDicomSliceHeader>& slices,
    double spacing[3],
    std::string& notice);

  /**
   * Reads the header of one file up to its pixel data; false when it is not a DICOM file
   * describing an image.
   */
  static bool ReadHeader(const std::string& path, vDicomSliceHeader& header);

  /** The regular files of a folder, sorted by name. */
  static std::vector<std::string> ListFiles(const std::string& folder);
};

#endif
