#ifndef vRenderingUtil_h
#define vRenderingUtil_h

#include <string>

/** A small text helper shared by the rendering classes (not exported). */
namespace vRenderingUtil
{
/** The text without blanks (spaces, tabs, line breaks) at both ends. */
std::string Trim(const std::string& text);
} // namespace vRenderingUtil

#endif
