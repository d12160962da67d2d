#include "vUtil.h"

#include "vTempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
const std::vector<double> Identity = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };

size_t CountFiles(const std::string& folder)
{
  size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
  {
    n += entry.is_regular_file() ? 1 : 0;
  }
  return n;
}
} // namespace

TEST(MatrixFile, SavesSixDecimalsAtomicallyAndLoadsBack)
{
  vTempHome home;
  const std::string path = home.Sub("local/m.mat");
  ASSERT_EQ(vUtil::SaveMat(path, Identity.data()), 0);
  EXPECT_EQ(vReadFile(path),
    "MATRIX 4 x 4\n1.000000 0.000000 0.000000 0.000000\n0.000000 1.000000 0.000000 0.000000\n"
    "0.000000 0.000000 1.000000 0.000000\n0.000000 0.000000 0.000000 1.000000\n");
  std::vector<double> m(16, 7);
  EXPECT_EQ(vUtil::LoadMat(path, m.data()), 1);
  EXPECT_EQ(m, Identity);

  const double values[16] = { 0.5, -2.25, 1e6, 1.0 / 3 };
  ASSERT_EQ(vUtil::SaveMat(path, values), 0);
  EXPECT_EQ(vUtil::LoadMat(path, m.data()), 1);
  EXPECT_EQ(std::vector<double>(m.begin(), m.begin() + 4),
    std::vector<double>({ 0.5, -2.25, 1e6, 0.333333 }));

  // Failures answer 1 and leave the old file as it was, without temporary files.
  EXPECT_EQ(vUtil::SaveMat(home.Sub("no/such/folder/m.mat"), Identity.data()), 1);
  EXPECT_EQ(vUtil::SaveMat(home.Sub("local"), Identity.data()), 1);
  EXPECT_EQ(vUtil::SaveMat(path, nullptr), 1);
  EXPECT_EQ(vUtil::LoadMat(path, m.data()), 1);
  EXPECT_EQ(m[1], -2.25);
  EXPECT_EQ(CountFiles(home.Sub("local")), 1u);
}

TEST(MatrixFile, LoadHandlesEveryKindOfContent)
{
  std::vector<double> unchanged(16, 7);
  std::vector<double> headerOnly = unchanged; // missing rows read as empty: column 3 becomes 0
  headerOnly[3] = headerOnly[7] = headerOnly[11] = headerOnly[15] = 0;
  std::vector<double> twoNumbers = headerOnly;
  twoNumbers[0] = 1;
  twoNumbers[3] = 2;
  std::vector<double> firstRow = headerOnly;
  firstRow[0] = 1;
  firstRow[1] = 2;
  firstRow[2] = 3;
  firstRow[3] = 4;
  std::vector<double> unreadable = headerOnly;
  unreadable[0] = unreadable[1] = unreadable[2] = 0;
  const std::vector<std::pair<std::string, std::vector<double>>> cases = {
    { "matrix 4 x 4\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n", Identity },
    { "MATRIX 4 x 4\r\n1 0 0 0\r\n0 1 0 0\r\n0 0 1 0\r\n0 0 0 1", Identity },
    { "MATRIX 3 x 3\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n", unchanged },
    { "MATRIX 4 x 4 \n1 0 0 0\n", unchanged },
    { "", unchanged },
    { std::string("\x7f"
                  "ELF\0\0\x01\xff\n\0\0",
        11),
      unchanged },
    { "MATRIX 4 x 4\n", headerOnly },
    { "MATRIX 4 x 4\n1 2\n", twoNumbers },
    { "MATRIX 4 x 4\n \t 1   2\t 3 4\n", firstRow },
    { "MATRIX 4 x 4\nx y z w\n", unreadable },
  };
  vTempHome home;
  for (const auto& c : cases)
  {
    std::vector<double> m(16, 7);
    EXPECT_EQ(vUtil::LoadMat(home.WriteFile("m.mat", c.first), m.data()), 1) << c.first;
    EXPECT_EQ(m, c.second) << c.first;
  }

  // Paths that are not readable files answer -1 without waiting: missing, a folder, a pipe
  // without writer, an endless device.
  ASSERT_EQ(mkfifo(home.Sub("pipe").c_str(), 0600), 0);
  for (const std::string& path : { home.Sub("missing"),
         home.Sub("local"),
         home.Sub("pipe"),
         std::string("/dev/zero"),
         std::string() })
  {
    std::vector<double> m(16, 7);
    EXPECT_EQ(vUtil::LoadMat(path, m.data()), -1) << path;
    EXPECT_EQ(m, unchanged);
  }
}

TEST(NumberList, ReadsTheCountThenTheValuesWithinTheCapacity)
{
  struct Case
  {
    std::string Text;
    int Result;
    std::vector<double> Values; // the values stored; the rest of the array keeps 99
  };
  const std::vector<Case> cases = {
    { "Number: 3\n1.5\n-2\n3e2\n", 3, { 1.5, -2, 300 } },
    { "  3 \r\n 1\r\n2 \r\n3\r\n4\n", 3, { 1, 2, 3 } },
    { "4\n1\n2\n", 4, { 1, 2, 0, 0 } }, // missing lines read as 0
    { "2\nabc\n\n", 2, { 0, 0 } },      // unreadable numbers read as 0
    { "Number 3\n1\n2\n3\n", 0, {} },   // "Number:" only is dropped
    { "number: 3\n1\n2\n3\n", 0, {} },  // ... and only after "Number"
    { "-5\n1\n", 0, {} },
    { "", 0, {} },
    { std::string("\0\x01\xff\xfe\n\x80", 6), 0, {} },
    { "2" + std::string(100000, ' ') + "x\n4\n5\n", 2, { 4, 5 } }, // a line past the limit
    // Counts beyond the array stop at its size, however large they are.
    { "2147483648\n1\n2\n3\n4\n5\n6\n7\n8\n9\n", 8, { 1, 2, 3, 4, 5, 6, 7, 8 } },
    { "Number: 99999999999999999999\n1\n", 8, { 1, 0, 0, 0, 0, 0, 0, 0 } },
  };
  vTempHome home;
  for (const Case& c : cases)
  {
    std::vector<double> values(12, 99);
    EXPECT_EQ(vUtil::ReadDoubleArray(home.WriteFile("l.txt", c.Text), values.data(), 8), c.Result)
      << c.Text.substr(0, 20);
    std::vector<double> expected = c.Values;
    expected.resize(12, 99);
    EXPECT_EQ(values, expected) << c.Text.substr(0, 20);
  }
  const std::string path = home.WriteFile("l.txt", "3\n1\n2\n3\n");
  double one = 99;
  EXPECT_EQ(vUtil::ReadDoubleArray(path, &one, 0), 0);
  EXPECT_EQ(vUtil::ReadDoubleArray(path, nullptr, 3), 0);
  EXPECT_EQ(one, 99);
  EXPECT_EQ(vUtil::ReadDoubleArray(home.Sub("missing"), &one, 1), -1);
  EXPECT_EQ(vUtil::ReadDoubleArray(home.Sub("local"), &one, 1), -1);
}

TEST(NumberList, RangedFormReadsBoundsFirst)
{
  vTempHome home;
  struct Case
  {
    std::string Text;
    int Result;
    double Low;
    double High;
  };
  const std::vector<Case> cases = {
    { "Number: 2\nRange Min: -1.5\nRange Max: 10\n0.25\n0.75\n", 2, -1.5, 10 },
    { "2\n-3\n4\n0.25\n0.75\n", 2, -3, 4 },
    // Prefixes are recognised in any case, but only their exact spelling is removed.
    { "NUMBER: 2\nrange min: 1\nRANGE MAX: 2\n5\n", 0, 0, 0 },
    { "", 0, 0, 0 },
    { "Number: 4294967296\n0\n1\n0.25\n0.75\n", 3, 0, 1 },
  };
  for (const Case& c : cases)
  {
    double values[4] = { 99, 99, 99, 99 };
    double low = 42;
    double high = 42;
    std::string path = home.WriteFile("r.txt", c.Text);
    EXPECT_EQ(vUtil::ReadDoubleArray(path, values, 3, low, high), c.Result) << c.Text;
    EXPECT_EQ(low, c.Low) << c.Text;
    EXPECT_EQ(high, c.High) << c.Text;
    EXPECT_EQ(values[0], c.Result > 0 ? 0.25 : 99) << c.Text;
    EXPECT_EQ(values[3], 99) << c.Text;
  }
  double low = 42;
  double high = 42;
  double value = 0;
  EXPECT_EQ(vUtil::ReadDoubleArray(home.Sub("missing"), &value, 1, low, high), -1);
  EXPECT_EQ(low + high, 84);
}

TEST(TextRow, PadsEachCellToItsWidth)
{
  EXPECT_EQ(vUtil::ConstructRow({ "ab", "c" }, { 4, 2 }), "ab  c ");
  EXPECT_EQ(vUtil::ConstructRow({ "ab", "c" }, { 1, 2 }), "abc ");
  EXPECT_EQ(vUtil::ConstructRow({ "a", "b", "c" }, { 2 }), "a bc"); // cells without a width
  EXPECT_EQ(vUtil::ConstructRow({ "a" }, { -5 }), "a");
}

TEST(FilePath, FolderPartOfAPath)
{
  const std::vector<std::pair<std::string, std::string>> cases = {
    { "/data/head.vtk", "/data" },
    { "/data/sub/", "/data/sub" },
    { "data/head.vtk", "data" },
    { "head.vtk", "head.vtk" },
    { "/head.vtk", "/" },
    { "", "" },
    // Windows paths of old scripts still split; a colon is an ordinary character here.
    { "C:\\data\\head.vtk", "C:\\data" },
    { "C:head.vtk", "C:head.vtk" },
    { "/data/odd\\name.vtk", "/data" },
  };
  for (const auto& c : cases)
  {
    EXPECT_EQ(vUtil::ExtractFilePath(c.first), c.second) << c.first;
  }
}
