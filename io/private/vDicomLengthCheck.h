#ifndef vDicomLengthCheck_h
#define vDicomLengthCheck_h

#include <string>

/**
 * Walks the data elements of a DICOM file (meta header, data set, nested items) without reading
 * their values and reports an element whose length runs past the end of the file. GDCM allocates
 * (and zero-fills) whatever length an element claims before it finds the file too short, so a few
 * damaged bytes could make it claim gigabytes; such files are refused before GDCM sees them.
 * Anything the walk does not understand ends it without a verdict: only a length that plainly
 * cannot fit refuses a file.
 */
class vDicomLengthCheck
{
public:
  /** False when an element of the file claims more bytes than the file has left. */
  static bool LengthsFit(const std::string& path);
};

#endif
