#include "vCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Split = void (*)(const std::string&, std::string&, std::vector<std::string>&);

struct Case
{
  std::string Line;
  std::string Word;
  std::vector<std::string> Parameters;
};

void Check(Split split, const std::vector<Case>& cases)
{
  for (const Case& c : cases)
  {
    std::string word = "stale";
    std::vector<std::string> parameters = { "stale" };
    split(c.Line, word, parameters);
    EXPECT_EQ(word, c.Word) << "line: [" << c.Line << "]";
    EXPECT_EQ(parameters, c.Parameters) << "line: [" << c.Line << "]";
  }
}
} // namespace

TEST(CommandLine, PlainSplittingKnowsNoQuotes)
{
  Check(vCommandLine::SplitPlain,
    {
      { "ver", "ver", {} },
      { "  ver \t\r\n", "ver", {} },
      { "", "", {} },
      { "open  a.vtk", "open", { "", "a.vtk" } },
      { "set caption 'My view'", "set", { "caption", "'My", "view'" } },
      { "a b c", "a", { "b", "c" } },
      { "a 'b", "a", { "'b" } },
    });
}

TEST(CommandLine, QuotedSplittingGroupsAndRejectsUnbalancedQuotes)
{
  Check(vCommandLine::SplitQuoted,
    {
      { "set caption 'My view'", "set", { "caption", "My view" } },
      { "set caption 'My view", "error", {} },
      { "a 'b' 'c d", "error", {} },
      { "open  a.vtk", "open", { "", "a.vtk" } },
      { "load '/data/a b.vtk'", "load", { "/data/a b.vtk" } },
      { "'x'", "'x'", {} },
      { "a 'b c' d", "a", { "b c", "d" } },
      // An even count with a quote that never closes is still an error.
      { "a b' 'c", "error", {} },
      // The character after a closing quote is taken to be the separator.
      { "a 'b'c d", "a", { "b", "", "d" } },
      { "a ''", "a", { "" } },
      { "a '' b", "a", { "", "b" } },
      { "a 'b c' 'd e' f", "a", { "b c", "d e", "f" } },
      { "new layer text 'a b' 'c' '' 'd' View1",
        "new",
        { "layer", "text", "a b", "c", "", "d", "View1" } },
      { "a it's b's", "a", { "it's", "b's" } },
      { "a 'x y'z", "a", { "x y" } },
    });
}

TEST(CommandLine, ConsoleSplittingKeepsTheTextAfterAnOddQuote)
{
  Check(vCommandLine::SplitConsole,
    {
      { "set caption 'My view", "set", { "My view" } },
      { "a 'b' 'c d", "a", { "c d" } },
      { "open 'dir/fi", "open", { "dir/fi" } },
      { "word'", "word'", { "" } },
      { "set caption 'My view'", "set", { "caption", "My view" } },
      { "a b' 'c", "error", {} },
    });
}

TEST(CommandLine, HostileLinesStayLinearAndSafe)
{
  std::string word;
  std::vector<std::string> parameters;

  std::string huge(1 << 20, 'x');
  huge[10] = ' ';
  vCommandLine::SplitQuoted(huge, word, parameters);
  EXPECT_EQ(word.size(), 10u);
  ASSERT_EQ(parameters.size(), 1u);

  std::string quotes = "a";
  for (int i = 0; i < 500; ++i)
  {
    quotes += " 'q";
  }
  vCommandLine::SplitQuoted(quotes, word, parameters);
  EXPECT_EQ(word, "a"); // 500 quotes, all closed by the next one
  vCommandLine::SplitConsole(quotes + "'", word, parameters);
  EXPECT_EQ(word, "a");
  EXPECT_EQ(parameters, std::vector<std::string>({ "" }));

  std::string spaces(100000, ' ');
  vCommandLine::SplitPlain("a" + spaces + "b", word, parameters);
  EXPECT_EQ(parameters.size(), spaces.size());

  const std::string binary("ver\0x \xff\xfe '\0'", 12);
  vCommandLine::SplitQuoted(binary, word, parameters);
  EXPECT_EQ(word, std::string("ver\0x", 5));
  ASSERT_EQ(parameters.size(), 2u);
  EXPECT_EQ(parameters[0], "\xff\xfe");
  EXPECT_EQ(parameters[1], std::string("\0", 1));
}
