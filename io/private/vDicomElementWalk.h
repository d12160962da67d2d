#ifndef vDicomElementWalk_h
#define vDicomElementWalk_h

#include <cstdint>
#include <map>
#include <set>
#include <string>

/** What one walk over the elements of a DICOM file found. */
struct vDicomWalkResult
{
  /**
   * False when the file is plainly damaged: an element claims more bytes than the file has left,
   * an explicit-VR element has no valid value representation, or the file ends inside an item or
   * sequence of undefined length, or items and sequences nest more than 32 levels deep (counting
   * sequences of defined and undefined length, items, and sequences stored as UN values).
   * Damage inside a sequence of defined length that fits in the file leaves that sequence unread
   * instead (GDCM recovers from some), unless it is nested too deep.
   */
  bool LengthsFit = true;
  /** True when every element up to the end of the file (or the pixel data) was understood. */
  bool Understood = false;
  bool BigEndian = false;
  bool Deflated = false;
  /** Offset of the top-level pixel data value (-1: none). */
  long long PixelDataOffset = -1;
  long long FileSize = 0;
  /** Raw values of the requested top-level elements (tag = group << 16 | element). */
  std::map<uint32_t, std::string> Values;

  /** A requested 2-byte unsigned value (US), in the file's byte order; `fallback` if absent. */
  int UnsignedShort(uint32_t tag, int fallback) const;
  /** A requested text value with trailing spaces and NULs removed; "" if absent. */
  std::string Text(uint32_t tag) const;
};

/**
 * Walks the data elements of a DICOM file (meta header, data set, nested items), reading only
 * the element headers and the few values asked for, in large blocks.
 *
 * It serves two ends. First, GDCM allocates (and zero-fills) whatever length an element claims
 * before it finds the file too short, so a few damaged bytes could make it take gigabytes: a file
 * with such an element is refused before GDCM sees it. Second, a series scan needs a handful of
 * values from hundreds of headers, which this gets with one read per file.
 *
 * The walk keeps its own stack of open sequences and items, so a nest of any depth cannot
 * overflow it, and it takes at most one step per 8 bytes of the file. Anything it does not
 * understand (a meta header element of undefined length) ends it without a verdict (`Understood`
 * false); only plain damage (see `LengthsFit`) refuses a file.
 */
class vDicomElementWalk
{
public:
  static vDicomWalkResult Walk(const std::string& path, const std::set<uint32_t>& wanted);
};

#endif
