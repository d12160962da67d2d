#ifndef vOBJCheck_h
#define vOBJCheck_h

#include <string>

/**
 * A look at a Wavefront OBJ file before VTK's reader takes it: every index of its faces, lines
 * and points ("f", "l", "p") must name a vertex, texture coordinate or normal that the file
 * defines, counted from 1. VTK's reader follows indices without checking them and crashes on
 * some that point nowhere. One pass over the file, much cheaper than VTK's own parse.
 */
class vOBJCheck
{
public:
  /** False when an element names something the file does not define; true otherwise. */
  static bool IndicesFit(const std::string& path);
};

#endif
