// Deep nests of sequences in a real slice: sequences of defined length, of undefined length,
// sequences stored as UN (implicit VR inside) and all of them mixed. GDCM recurses once per level,
// so a nest thousands of levels deep must be refused before GDCM parses it, alone and as one file
// of a series folder (whose other slices still read); a modest nest still reads. A sequence inside
// a UN sequence inside one of defined length stops GDCM with a failed assertion, so it is refused
// the same way.
#include "CiDcmLib.h"

#include "vDicomTestFiles.h"
#include "vTempHome.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{
enum class vLevel
{
  DefinedSQ,   // explicit VR SQ of defined length, one item of defined length
  UndefinedSQ, // explicit VR SQ of undefined length, one item of undefined length
  UN,          // explicit VR UN of undefined length, one item; implicit VR from here on
  Implicit,    // implicit VR element of undefined length, one item of undefined length
};

void Put16(std::vector<char>& out, uint16_t value)
{
  out.push_back(static_cast<char>(value & 0xff));
  out.push_back(static_cast<char>(value >> 8));
}

void Put32(std::vector<char>& out, uint32_t value)
{
  Put16(out, static_cast<uint16_t>(value & 0xffff));
  Put16(out, static_cast<uint16_t>(value >> 16));
}

// The bytes of a private element (0009,1010) holding the nest `levels` (outermost first), little
// endian; every container of defined length holds exactly what is inside it.
std::vector<char> Nest(const std::vector<vLevel>& levels)
{
  const std::size_t n = levels.size();
  if (n == 0)
  {
    return {};
  }
  // inner[i]: the bytes inside the item of level i, the whole of level i + 1.
  std::vector<uint32_t> inner(n, 0);
  for (std::size_t i = n - 1; i-- > 0;)
  {
    const vLevel next = levels[i + 1];
    const uint32_t header = next == vLevel::Implicit ? 8 : 12;
    const uint32_t delimiters = next == vLevel::DefinedSQ ? 0 : 16;
    inner[i] = header + 8 + inner[i + 1] + delimiters;
  }
  std::vector<char> out;
  for (std::size_t i = 0; i < n; ++i)
  {
    Put16(out, 0x0009);
    Put16(out, 0x1010);
    switch (levels[i])
    {
      case vLevel::DefinedSQ:
        out.push_back('S');
        out.push_back('Q');
        Put16(out, 0);
        Put32(out, 8 + inner[i]);
        break;
      case vLevel::UndefinedSQ:
      case vLevel::UN:
        out.push_back(levels[i] == vLevel::UN ? 'U' : 'S');
        out.push_back(levels[i] == vLevel::UN ? 'N' : 'Q');
        Put16(out, 0);
        Put32(out, 0xffffffffu);
        break;
      case vLevel::Implicit:
        Put32(out, 0xffffffffu);
        break;
    }
    Put16(out, 0xfffe);
    Put16(out, 0xe000);
    Put32(out, levels[i] == vLevel::DefinedSQ ? inner[i] : 0xffffffffu);
  }
  for (std::size_t i = n; i-- > 0;)
  {
    if (levels[i] != vLevel::DefinedSQ)
    {
      for (const uint16_t delimiter : { uint16_t(0xe00d), uint16_t(0xe0dd) })
      {
        Put16(out, 0xfffe);
        Put16(out, delimiter);
        Put32(out, 0);
      }
    }
  }
  return out;
}

std::vector<vLevel> Repeat(std::vector<vLevel> pattern, std::size_t count)
{
  std::vector<vLevel> levels;
  for (std::size_t i = 0; i < count; ++i)
  {
    levels.insert(levels.end(), pattern.begin(), pattern.end());
  }
  return levels;
}

struct vNestCase
{
  const char* Name;
  std::vector<vLevel> Levels;
};

const char* const Damaged = "the elements of the file are damaged or cut short";

// The error of reading one file alone ("" on success).
std::string ReadAlone(const std::string& path)
{
  CiDcmLib lib;
  lib.SetFilename(path);
  std::string error = lib.Read();
  if (!error.empty())
  {
    EXPECT_EQ(lib.GetNumberOfFrames(), 0);
    EXPECT_EQ(lib.GetDataPtr(0), nullptr);
  }
  return error;
}

// Deep enough to overflow GDCM's stack many times over.
const std::size_t Deep = 20000;

std::vector<vNestCase> DeepCases()
{
  std::vector<vLevel> un = { vLevel::UN };
  const std::vector<vLevel> implicitLevels = Repeat({ vLevel::Implicit }, Deep);
  un.insert(un.end(), implicitLevels.begin(), implicitLevels.end());
  std::vector<vLevel> mixed = Repeat({ vLevel::DefinedSQ, vLevel::UndefinedSQ }, Deep / 4);
  mixed.push_back(vLevel::UN);
  const std::vector<vLevel> tail = Repeat({ vLevel::Implicit }, Deep / 2);
  mixed.insert(mixed.end(), tail.begin(), tail.end());
  return { { "defined-length SQ", Repeat({ vLevel::DefinedSQ }, Deep) },
    { "UN of undefined length", un },
    { "mixed", mixed },
    // Not deep, but GDCM stops the process with a failed assertion on it.
    { "sequence in UN in defined-length SQ",
      { vLevel::DefinedSQ, vLevel::UN, vLevel::Implicit } } };
}

// IM0003 of the real series with `nest` put before the patient's name.
std::vector<char> SliceWith(const std::vector<char>& nest)
{
  std::vector<char> bytes = vReadBytes(vTestData("dicom/series-mr-gre-sag-5") + "/IM0003");
  const long name = vFindElementValue(bytes, 0x0010, 0x0010, "PN");
  EXPECT_GT(name, 8);
  if (name > 8)
  {
    bytes.insert(bytes.begin() + (name - 8), nest.begin(), nest.end());
  }
  return bytes;
}

// A series folder of the five real slices plus `extra` as IM0006 (a copy of IM0003's place).
std::string SeriesWith(const vTempHome& home,
  const std::string& folder,
  const std::vector<char>& extra)
{
  const std::string series = vTestData("dicom/series-mr-gre-sag-5");
  for (const char* slice : { "IM0001", "IM0002", "IM0003", "IM0004", "IM0005" })
  {
    home.CopyFile(series + "/" + slice, folder + "/" + slice);
  }
  EXPECT_TRUE(vWriteBytes(home.Sub(folder + "/IM0006"), extra));
  return home.Sub(folder);
}
} // namespace

TEST(vDicomNesting, DeepNestsAreRefusedAloneAndLeftOutOfASeries)
{
  vTempHome home;
  int folder = 0;
  for (const vNestCase& c : DeepCases())
  {
    SCOPED_TRACE(c.Name);
    const std::vector<char> bytes = SliceWith(Nest(c.Levels));
    ASSERT_TRUE(vWriteBytes(home.Sub("deep.dcm"), bytes));

    // Alone: refused by the walk over the element headers, before GDCM parses the nest.
    EXPECT_EQ(ReadAlone(home.Sub("deep.dcm")), Damaged);

    // In a series: the damaged file is named and left out, the five real slices read.
    const std::string path = SeriesWith(home, "series" + std::to_string(folder++), bytes);
    CiDcmLib lib;
    lib.SetFilename(path);
    EXPECT_EQ(lib.Read(), "");
    EXPECT_EQ(lib.GetNumberOfFrames(), 5);
    EXPECT_EQ(lib.GetCols(), 42);
    EXPECT_EQ(lib.GetRows(), 64);
    EXPECT_NE(lib.GetNotice().find("IM0006"), std::string::npos) << lib.GetNotice();

    std::vector<std::string> files;
    double spacing[3];
    EXPECT_EQ(CiDcmLib::ListSeries(path, files, spacing), "");
    EXPECT_EQ(files.size(), 5u);
  }
}

TEST(vDicomNesting, ModestNestsStillRead)
{
  // Sixteen sequences of each kind, each holding an item: as deep as a file may nest. The nest
  // is read past, and the slice joins its series (at the place of IM0003, so the series of six
  // has two slices in one place: the series read refuses that, naming the reason).
  vTempHome home;
  const std::vector<std::vector<vLevel>> nests = { Repeat({ vLevel::DefinedSQ }, 16),
    Repeat({ vLevel::UndefinedSQ }, 16),
    []
    {
      std::vector<vLevel> levels = Repeat({ vLevel::DefinedSQ, vLevel::UndefinedSQ }, 7);
      levels.push_back(vLevel::UndefinedSQ);
      levels.push_back(vLevel::UN);
      return levels;
    }(),
    []
    {
      std::vector<vLevel> levels = { vLevel::UndefinedSQ, vLevel::UN };
      const std::vector<vLevel> tail = Repeat({ vLevel::Implicit }, 14);
      levels.insert(levels.end(), tail.begin(), tail.end());
      return levels;
    }() };
  int folder = 0;
  for (const std::vector<vLevel>& levels : nests)
  {
    SCOPED_TRACE(folder);
    const std::vector<char> bytes = SliceWith(Nest(levels));
    ASSERT_TRUE(vWriteBytes(home.Sub("modest.dcm"), bytes));
    CiDcmLib alone;
    alone.SetFilename(home.Sub("modest.dcm"));
    EXPECT_EQ(alone.Read(), "");
    EXPECT_EQ(alone.GetCols(), 42);
    EXPECT_EQ(alone.GetRows(), 64);

    const std::string path = SeriesWith(home, "modest" + std::to_string(folder++), bytes);
    CiDcmLib lib;
    lib.SetFilename(path);
    EXPECT_EQ(lib.Read(), "two slices of the series share a position");
  }

  // One level more is too deep.
  const std::vector<char> bytes = SliceWith(Nest(Repeat({ vLevel::DefinedSQ }, 17)));
  ASSERT_TRUE(vWriteBytes(home.Sub("deeper.dcm"), bytes));
  EXPECT_EQ(ReadAlone(home.Sub("deeper.dcm")), Damaged);
}

TEST(vDicomNesting, DamageInsideASequenceOfDefinedLengthIsLeftToGDCM)
{
  // An item that claims more than its sequence holds (but less than the file): the walk no
  // longer reads that sequence and leaves it to GDCM's recovery, as before it looked inside;
  // an element inside claiming more than the whole file is plain damage.
  vTempHome home;
  std::vector<char> nest = Nest(Repeat({ vLevel::DefinedSQ }, 3));
  // The second item's length (offset: SQ 12 + item 8 + SQ 12 + item tag 4).
  const std::size_t itemLength = 12 + 8 + 12 + 4;
  std::vector<char> overrun = nest;
  overrun[itemLength] = static_cast<char>(overrun[itemLength] + 4);
  ASSERT_TRUE(vWriteBytes(home.Sub("overrun.dcm"), SliceWith(overrun)));
  EXPECT_NE(ReadAlone(home.Sub("overrun.dcm")), Damaged);

  std::vector<char> huge = nest;
  for (int i = 0; i < 4; ++i)
  {
    huge[itemLength + i] = '\x7f';
  }
  ASSERT_TRUE(vWriteBytes(home.Sub("huge.dcm"), SliceWith(huge)));
  EXPECT_EQ(ReadAlone(home.Sub("huge.dcm")), Damaged);
}
