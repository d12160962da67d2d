#include "vCommandLine.h"

#include <algorithm>

namespace
{
const char Quote = '\'';
const char Space = ' ';

bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
} // namespace

std::string vCommandLine::Trim(const std::string& text)
{
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first]))
  {
    ++first;
  }
  while (last > first && IsBlank(text[last - 1]))
  {
    --last;
  }
  return text.substr(first, last - first);
}

void vCommandLine::SplitPlain(const std::string& line,
  std::string& word,
  std::vector<std::string>& parameters)
{
  parameters.clear();
  const std::string text = Trim(line);
  size_t space = text.find(Space);
  if (space == std::string::npos)
  {
    word = text;
    return;
  }
  word = text.substr(0, space);
  size_t start = space + 1;
  for (;;)
  {
    size_t next = text.find(Space, start);
    if (next == std::string::npos)
    {
      parameters.push_back(text.substr(start));
      return;
    }
    parameters.push_back(text.substr(start, next - start));
    start = next + 1;
  }
}

void vCommandLine::SplitQuoted(const std::string& line,
  std::string& word,
  std::vector<std::string>& parameters)
{
  Split(line, false, word, parameters);
}

void vCommandLine::SplitConsole(const std::string& line,
  std::string& word,
  std::vector<std::string>& parameters)
{
  Split(line, true, word, parameters);
}

void vCommandLine::Split(const std::string& line,
  bool console,
  std::string& word,
  std::vector<std::string>& parameters)
{
  parameters.clear();
  const std::string text = Trim(line);
  const size_t length = text.size();
  const size_t firstSpace = text.find(Space);

  const size_t quotes = static_cast<size_t>(std::count(text.begin(), text.end(), Quote));
  if (quotes % 2 == 1)
  {
    if (!console)
    {
      word = "error";
      return;
    }
    word = firstSpace == std::string::npos ? text : text.substr(0, firstSpace);
    parameters.push_back(text.substr(text.rfind(Quote) + 1));
    return;
  }

  if (firstSpace == std::string::npos)
  {
    word = text;
    return;
  }
  word = text.substr(0, firstSpace);

  auto fail = [&]()
  {
    word = "error";
    parameters.clear();
  };

  // Stores the quoted token whose opening quote is at `quote` and returns the position of its
  // closing quote; an unclosed quote makes the whole line an error (npos).
  auto takeQuoted = [&](size_t quote)
  {
    size_t close = text.find(Quote, quote + 1);
    if (close == std::string::npos)
    {
      fail();
      return close;
    }
    parameters.push_back(text.substr(quote + 1, close - quote - 1));
    return close;
  };

  // `prev` is the position of the separator before the next token; after a quoted token it is
  // the character after the closing quote, which is taken to be the separator.
  size_t prev = firstSpace;
  while (prev + 1 < length)
  {
    size_t next = text.find(Space, prev + 1);
    if (next == std::string::npos)
    {
      break;
    }
    if (text[prev + 1] == Quote)
    {
      size_t close = takeQuoted(prev + 1);
      if (close == std::string::npos)
      {
        return;
      }
      prev = close + 1;
    }
    else
    {
      parameters.push_back(text.substr(prev + 1, next - prev - 1));
      prev = next;
    }
  }

  // The remainder after the last separator.
  if (prev + 1 >= length)
  {
    return;
  }
  if (text[prev + 1] == Quote)
  {
    takeQuoted(prev + 1);
    return;
  }
  parameters.push_back(text.substr(prev + 1));
}
