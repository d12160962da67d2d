#ifndef vRenderingUtil_h
#define vRenderingUtil_h

#include <string>
#include <vector>

/** Small text helpers shared by the rendering classes (not exported). */
namespace vRenderingUtil
{
/** Cells padded with blanks to their widths (a longer cell is kept whole), no separator. */
std::string Row(const std::vector<std::string>& cells, const std::vector<int>& widths);
/** Equality ignoring ASCII letter case. */
bool EqualsNoCase(const std::string& a, const std::string& b);
/** The text without blanks (spaces, tabs, line breaks) at both ends. */
std::string Trim(const std::string& text);
} // namespace vRenderingUtil

#endif
