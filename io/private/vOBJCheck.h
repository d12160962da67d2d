#ifndef vOBJCheck_h
#define vOBJCheck_h

#include <string>

/**
 * A look at a Wavefront OBJ file before VTK's reader takes it: every index of its faces, lines
 * and points ("f", "l", "p") must name a vertex, texture coordinate or normal that the file
 * defines, counted from 1, or, written negative, one defined above the element's line (-1 is the
 * last one so far). A UTF-8 byte-order mark at the start of the file is skipped. VTK's reader
 * follows indices without checking them and crashes on some that point nowhere. One pass over the
 * file, much cheaper than VTK's own parse.
 */
class vOBJCheck
{
public:
  /** False when an element names something the file does not define; true otherwise. */
  static bool IndicesFit(const std::string& path);

  /**
   * Whether the file starts with a UTF-8 byte-order mark, which VTK's reader would take as part of
   * the first line (losing a vertex written there).
   */
  static bool StartsWithByteOrderMark(const std::string& path);

  /**
   * Copies the file without its first three bytes (the mark) into a new file of the temporary
   * folder (TMPDIR, else /tmp) and returns its path, which the caller removes; "" on failure.
   */
  static std::string CopyWithoutByteOrderMark(const std::string& path);
};

#endif
