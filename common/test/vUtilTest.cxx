#include "vUtil.h"

#include "vTempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
const double Identity[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };

std::vector<double> Filled(double value)
{
  return std::vector<double>(16, value);
}

// Names in a folder, to check that no temporary file was left behind.
std::vector<std::string> List(const std::string& folder)
{
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str()))
  {
    while (dirent* entry = readdir(dir))
    {
      std::string name = entry->d_name;
      if (name != "." && name != "..")
      {
        names.push_back(name);
      }
    }
    closedir(dir);
  }
  return names;
}
} // namespace

TEST(MatrixFile, SavesSixDecimalsAndLoadsBack)
{
  vTempHome home;
  const std::string path = home.Sub("local/m.mat");
  ASSERT_EQ(vUtil::SaveMat(path, Identity), 0);
  EXPECT_EQ(vReadFile(path),
    "MATRIX 4 x 4\n1.000000 0.000000 0.000000 0.000000\n0.000000 1.000000 0.000000 0.000000\n"
    "0.000000 0.000000 1.000000 0.000000\n0.000000 0.000000 0.000000 1.000000\n");
  std::vector<double> m = Filled(7);
  EXPECT_EQ(vUtil::LoadMat(path, m.data()), 1);
  EXPECT_EQ(m, std::vector<double>(Identity, Identity + 16));

  const double values[16] = { 0.5, -2.25, 1e6, 3, 1.0 / 3, 0, 0, 0, 0, 0, 0, 0, -1e-7, 0, 0, 1 };
  ASSERT_EQ(vUtil::SaveMat(path, values), 0);
  EXPECT_EQ(vUtil::LoadMat(path, m.data()), 1);
  EXPECT_EQ(m[1], -2.25);
  EXPECT_EQ(m[2], 1e6);
  EXPECT_EQ(m[4], 0.333333);
  EXPECT_EQ(m[12], -0.0); // six decimals
  EXPECT_EQ(List(home.Sub("local")), std::vector<std::string>{ "m.mat" });

  EXPECT_EQ(vUtil::SaveMat(home.Sub("no/such/folder/m.mat"), Identity), 1);
  EXPECT_EQ(vUtil::SaveMat(home.Sub("local"), Identity), 1); // a folder is not replaced
  EXPECT_EQ(vUtil::SaveMat(path, nullptr), 1);
  EXPECT_EQ(vUtil::LoadMat(path, m.data()), 1);
  EXPECT_EQ(m[1], -2.25); // the failed saves left the file as it was
}

TEST(MatrixFile, LoadHandlesEveryKindOfContent)
{
  struct Case
  {
    const char* Name;
    std::string Text;
    std::vector<double> Expected; // from a matrix filled with 7
  };
  std::vector<double> unchanged = Filled(7);
  std::vector<double> headerOnly = Filled(7);
  headerOnly[3] = headerOnly[7] = headerOnly[11] = headerOnly[15] = 0;
  std::vector<double> twoNumbers = headerOnly;
  twoNumbers[0] = 1;
  twoNumbers[3] = 2;
  std::vector<double> spaced = headerOnly;
  spaced[0] = 1;
  spaced[1] = 2;
  spaced[2] = 3;
  spaced[3] = 4;
  std::vector<double> garbageRow = headerOnly;
  garbageRow[0] = garbageRow[1] = garbageRow[2] = 0;
  std::vector<double> identity(Identity, Identity + 16);
  std::string longLine(200000, '9');

  const std::vector<Case> cases = {
    { "lower-case header", "matrix 4 x 4\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n", identity },
    { "CRLF line ends", "MATRIX 4 x 4\r\n1 0 0 0\r\n0 1 0 0\r\n0 0 1 0\r\n0 0 0 1\r\n", identity },
    { "no final line break", "MATRIX 4 x 4\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1", identity },
    { "other header", "MATRIX 3 x 3\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n", unchanged },
    { "header with a trailing blank", "MATRIX 4 x 4 \n1 0 0 0\n", unchanged },
    { "empty file", "", unchanged },
    { "binary garbage",
      std::string("\x7f"
                  "ELF\0\0\x01\xff\n\0\0",
        11),
      unchanged },
    { "header only", "MATRIX 4 x 4\n", headerOnly },
    { "row of two numbers", "MATRIX 4 x 4\n1 2\n", twoNumbers },
    { "blanks and tabs", "MATRIX 4 x 4\n \t 1   2\t 3 4\n", spaced },
    { "unreadable row", "MATRIX 4 x 4\nx y z w\n", garbageRow },
    { "very long row", "MATRIX 4 x 4\n" + longLine + "\n0 1 0 0\n", headerOnly },
  };
  vTempHome home;
  for (const Case& c : cases)
  {
    std::string path = home.WriteFile("m.mat", c.Text);
    std::vector<double> m = Filled(7);
    EXPECT_EQ(vUtil::LoadMat(path, m.data()), 1) << c.Name;
    if (std::string(c.Name) == "very long row")
    {
      // The row is cut at the line limit: one huge number in column 3, the others unchanged.
      EXPECT_TRUE(std::isinf(m[3]) || m[3] > 1e300) << c.Name;
      m[3] = 0;
      EXPECT_EQ(m[5], 1) << c.Name;
      m[4] = m[5] = m[6] = 7;
      m[7] = 0;
    }
    EXPECT_EQ(m, c.Expected) << c.Name;
  }
}

TEST(MatrixFile, UnopenablePathsAnswerMinusOne)
{
  vTempHome home;
  std::vector<double> m = Filled(7);
  EXPECT_EQ(vUtil::LoadMat(home.Sub("missing.mat"), m.data()), -1);
  EXPECT_EQ(vUtil::LoadMat(home.Sub("local"), m.data()), -1);
  EXPECT_EQ(vUtil::LoadMat("", m.data()), -1);
  // A pipe with no writer is neither waited on nor read.
  ASSERT_EQ(mkfifo(home.Sub("pipe").c_str(), 0600), 0);
  EXPECT_EQ(vUtil::LoadMat(home.Sub("pipe"), m.data()), -1);
  EXPECT_EQ(vUtil::LoadMat("/dev/zero", m.data()), -1);
  EXPECT_EQ(m, Filled(7));
}

TEST(NumberList, ReadsTheCountThenTheValues)
{
  struct Case
  {
    const char* Name;
    std::string Text;
    int Result;
    std::vector<double> Values; // the first Result entries
  };
  const std::vector<Case> cases = {
    { "prefixed count", "Number: 3\n1.5\n-2\n3e2\n", 3, { 1.5, -2, 300 } },
    { "bare count", "3\n1\n2\n3\n", 3, { 1, 2, 3 } },
    { "CRLF and blanks", "  3 \r\n 1\r\n2 \r\n3\r\n", 3, { 1, 2, 3 } },
    { "more values than the count", "2\n1\n2\n3\n", 2, { 1, 2 } },
    { "fewer values than the count", "4\n1\n2\n", 4, { 1, 2, 0, 0 } },
    { "unreadable values", "2\nabc\n\n", 2, { 0, 0 } },
    { "prefix without colon", "Number 3\n1\n2\n3\n", 0, {} },
    { "prefix in lower case", "number: 3\n1\n2\n3\n", 0, {} },
    { "negative count", "-5\n1\n", 0, {} },
    { "empty file", "", 0, {} },
    { "binary garbage", std::string("\0\x01\x02\xff\xfe\n\x80", 7), 0, {} },
    { "count on a very long line", "2" + std::string(100000, ' ') + "x\n4\n5\n", 2, { 4, 5 } },
  };
  vTempHome home;
  for (const Case& c : cases)
  {
    std::string path = home.WriteFile("list.txt", c.Text);
    std::vector<double> values(8, 99);
    EXPECT_EQ(vUtil::ReadDoubleArray(path, values.data(), 8), c.Result) << c.Name;
    for (size_t i = 0; i < c.Values.size(); ++i)
    {
      EXPECT_EQ(values[i], c.Values[i]) << c.Name << " value " << i;
    }
    for (size_t i = c.Values.size(); i < values.size(); ++i)
    {
      EXPECT_EQ(values[i], 99) << c.Name << " wrote past the values at " << i;
    }
  }
}

TEST(NumberList, NeverWritesPastTheCallersCapacity)
{
  vTempHome home;
  const std::vector<std::string> counts = {
    "2147483648", "2147483647", "99999999999999999999", "Number: 4294967296", "1e9"
  };
  for (const std::string& count : counts)
  {
    std::string path = home.WriteFile("list.txt", count + "\n1\n2\n3\n4\n5\n6\n");
    std::vector<double> values(10, 99); // capacity 4, then guards
    int n = vUtil::ReadDoubleArray(path, values.data(), 4);
    double low = 0;
    double high = 0;
    int ranged = vUtil::ReadDoubleArray(path, values.data(), 4, low, high);
    if (count == "1e9")
    {
      EXPECT_EQ(n, 1) << count;
      EXPECT_EQ(ranged, 1) << count;
      continue;
    }
    EXPECT_EQ(n, 4) << count;
    EXPECT_EQ(ranged, 4) << count;
    EXPECT_EQ(values[0], 3) << count; // the ranged form read lines 2 and 3 as bounds
    EXPECT_EQ(values[3], 6) << count;
    for (size_t i = 4; i < values.size(); ++i)
    {
      EXPECT_EQ(values[i], 99) << count;
    }
  }
  std::string path = home.WriteFile("list.txt", "3\n1\n2\n3\n");
  double one = 99;
  EXPECT_EQ(vUtil::ReadDoubleArray(path, &one, 0), 0);
  EXPECT_EQ(vUtil::ReadDoubleArray(path, &one, -3), 0);
  EXPECT_EQ(vUtil::ReadDoubleArray(path, nullptr, 3), 0);
  EXPECT_EQ(one, 99);

  // A large list with the capacity the property grid uses.
  std::string text = "Number: 102400\n";
  for (int i = 0; i < 102400; ++i)
  {
    text += std::to_string(i % 1000) + ".5\n";
  }
  path = home.WriteFile("big.txt", text);
  std::vector<double> big(102400);
  EXPECT_EQ(vUtil::ReadDoubleArray(path, big.data(), 102400), 102400);
  EXPECT_EQ(big[102399], 399.5);
}

TEST(NumberList, RangedFormReadsBoundsFirst)
{
  vTempHome home;
  double values[4] = { 99, 99, 99, 99 };
  double low = 0;
  double high = 0;
  std::string path =
    home.WriteFile("r.txt", "Number: 2\nRange Min: -1.5\nRange Max: 10\n0.25\n0.75\n");
  EXPECT_EQ(vUtil::ReadDoubleArray(path, values, 4, low, high), 2);
  EXPECT_EQ(low, -1.5);
  EXPECT_EQ(high, 10);
  EXPECT_EQ(values[0], 0.25);
  EXPECT_EQ(values[1], 0.75);
  EXPECT_EQ(values[2], 99);

  path = home.WriteFile("r.txt", "2\n-3\n4\n5\n6\n");
  EXPECT_EQ(vUtil::ReadDoubleArray(path, values, 4, low, high), 2);
  EXPECT_EQ(low, -3);
  EXPECT_EQ(high, 4);
  EXPECT_EQ(values[1], 6);

  // The prefixes are recognised in any case but only their exact spelling is removed.
  path = home.WriteFile("r.txt", "NUMBER: 2\nrange min: 1\nRANGE MAX: 2\n5\n6\n");
  EXPECT_EQ(vUtil::ReadDoubleArray(path, values, 4, low, high), 0);
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 0);

  path = home.WriteFile("r.txt", "");
  EXPECT_EQ(vUtil::ReadDoubleArray(path, values, 4, low, high), 0);
  EXPECT_EQ(low, 0);
  low = high = 42;
  EXPECT_EQ(vUtil::ReadDoubleArray(home.Sub("missing"), values, 4, low, high), -1);
  EXPECT_EQ(vUtil::ReadDoubleArray(home.Sub("Scripts"), values, 4, low, high), -1);
  EXPECT_EQ(vUtil::ReadDoubleArray(home.Sub("missing"), values, 4), -1);
  EXPECT_EQ(low, 42);
  EXPECT_EQ(high, 42);
}

TEST(TextRow, PadsEachCellToItsWidth)
{
  EXPECT_EQ(vUtil::ConstructRow({ "ab", "c" }, { 4, 2 }), "ab  c ");
  EXPECT_EQ(vUtil::ConstructRow({ "ab", "c" }, { 1, 2 }), "abc ");
  EXPECT_EQ(vUtil::ConstructRow({ "id", "name" }, { 20, 20 }).size(), 40u);
  EXPECT_EQ(vUtil::ConstructRow({ "a", "b", "c" }, { 2 }), "a bc");
  EXPECT_EQ(vUtil::ConstructRow({ "a" }, { -5, 3 }), "a");
  EXPECT_EQ(vUtil::ConstructRow({}, { 3 }), "");
}

TEST(FilePath, FolderPartOfAPath)
{
  EXPECT_EQ(vUtil::ExtractFilePath("/data/head.vtk"), "/data");
  EXPECT_EQ(vUtil::ExtractFilePath("/data/sub/"), "/data/sub");
  EXPECT_EQ(vUtil::ExtractFilePath("data/head.vtk"), "data");
  EXPECT_EQ(vUtil::ExtractFilePath("head.vtk"), "head.vtk");
  EXPECT_EQ(vUtil::ExtractFilePath("/head.vtk"), "/");
  EXPECT_EQ(vUtil::ExtractFilePath(""), "");
  // Windows paths of old scripts still split; a colon is an ordinary character here.
  EXPECT_EQ(vUtil::ExtractFilePath("C:\\data\\head.vtk"), "C:\\data");
  EXPECT_EQ(vUtil::ExtractFilePath("C:head.vtk"), "C:head.vtk");
  EXPECT_EQ(vUtil::ExtractFilePath("/data/odd\\name.vtk"), "/data");
}
