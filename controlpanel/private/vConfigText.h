#ifndef vConfigText_h
#define vConfigText_h

#include "vUtil.h"

#include <cstddef>
#include <string>
#include <vector>

/** Small text helpers shared by the configuration file classes (not exported). */
namespace vConfigText
{
/**
 * Splits a file's text into lines at "\n", dropping one "\r" before each line end. A line longer
 * than `maxLength` or holding a control character other than a tab (a binary file) is replaced by
 * an empty string with `rejected` set, so that callers keep the line count but never use it.
 */
inline std::vector<std::string> SplitLines(const std::string& text,
  std::size_t maxLength,
  std::vector<bool>* rejected = nullptr)
{
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size())
  {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
    {
      end = text.size();
    }
    std::size_t length = end - start;
    if (length > 0 && text[end - 1] == '\r')
    {
      --length;
    }
    bool bad = length > maxLength;
    if (!bad)
    {
      for (std::size_t i = start; i < start + length; ++i)
      {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7f)
        {
          bad = true;
          break;
        }
      }
    }
    lines.push_back(bad ? std::string() : text.substr(start, length));
    if (rejected)
    {
      rejected->push_back(bad);
    }
    start = end + 1;
  }
  return lines;
}

inline bool EqualsNoCase(const std::string& a, const std::string& b)
{
  return vUtil::EqualsNoCase(a, b);
}

inline bool StartsWithNoCase(const std::string& text, const std::string& prefix)
{
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

/** Removes blanks (spaces and tabs) at both ends. */
inline std::string TrimBlanks(const std::string& text)
{
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
  {
    return std::string();
  }
  std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

inline bool HasLineBreak(const std::string& text)
{
  return text.find_first_of("\r\n") != std::string::npos;
}
} // namespace vConfigText

#endif
