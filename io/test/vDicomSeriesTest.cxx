// Folder series and pixel formats, on slices written with GDCM for each case.
#include "CiDcmLib.h"

#include "vDicomTestFiles.h"
#include "vTempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
// A series of `count` axial-like slices on an oblique orientation, positions `step` mm apart along
// the normal, written in the order given by `order` (a permutation of 0..count-1).
void WriteSeries(const vTempHome& home,
  const std::string& folder,
  const std::vector<int>& order,
  double step,
  const std::string& uid,
  int cols = 8,
  int rows = 6)
{
  const double c = std::cos(0.3);
  const double s = std::sin(0.3);
  for (std::size_t n = 0; n < order.size(); ++n)
  {
    const int k = order[n];
    vDicomTestSlice slice;
    slice.Cols = cols;
    slice.Rows = rows;
    slice.SeriesUid = uid;
    slice.InstanceNumber = static_cast<int>(n + 1);
    const double orientation[6] = { c, s, 0, -s, c, 0 };
    std::copy(orientation, orientation + 6, slice.Orientation);
    // Normal (0, 0, 1); an in-plane offset shows that only the normal's component counts.
    slice.Position[0] = 10 + 3 * k;
    slice.Position[1] = -4;
    slice.Position[2] = 7 + step * k;
    slice.Values.assign(std::size_t(cols) * rows, 100 + k);
    ASSERT_TRUE(vWriteDicomSlice(home.Sub(folder + "/s" + std::to_string(n)), slice));
  }
}

unsigned FirstValue(const CiDcmLib& lib, int frame)
{
  unsigned int value[64 * 64];
  EXPECT_TRUE(lib.CopyFrameToUnsigned32(frame, value, 64 * 64));
  return value[0];
}

std::string ReadPath(CiDcmLib& lib, const std::string& path)
{
  lib.SetFilename(path);
  return lib.Read();
}
} // namespace

TEST(vDicomSeries, SortsAlongTheNormalAndTakesTheLargestSeries)
{
  vTempHome home;
  WriteSeries(home, "local/a", { 3, 0, 4, 1, 2 }, 2.5, "1.2.3.1");
  home.WriteFile("local/a/notes.txt", "scanned on a rainy day\n");
  home.WriteFile("local/a/DICOMDIR.bak", std::string(300, '\0'));
  CiDcmLib lib;
  ASSERT_EQ(ReadPath(lib, home.Sub("local/a")), "");
  int dims[3];
  lib.GetDimensions(dims);
  EXPECT_EQ(dims[0], 8);
  EXPECT_EQ(dims[1], 6);
  EXPECT_EQ(dims[2], 5);
  double spacing[3];
  lib.GetSpacing(spacing);
  EXPECT_NEAR(spacing[0], 0.5, 1e-9);
  EXPECT_NEAR(spacing[1], 0.75, 1e-9);
  EXPECT_NEAR(spacing[2], 2.5, 1e-9);
  for (int k = 0; k < 5; ++k)
  {
    EXPECT_EQ(FirstValue(lib, k), 100u + k) << "slice " << k;
  }

  // A second, smaller series in the same folder is left out; a tie goes to the first file name.
  WriteSeries(home, "local/b", { 1, 0, 2 }, 4.0, "1.2.3.2");
  for (int i = 0; i < 3; ++i)
  {
    home.CopyFile(home.Sub("local/b/s" + std::to_string(i)), "local/a/t" + std::to_string(i));
  }
  ASSERT_EQ(ReadPath(lib, home.Sub("local/a")), "");
  lib.GetDimensions(dims);
  EXPECT_EQ(dims[2], 5);
  ASSERT_EQ(ReadPath(lib, home.Sub("local/b")), "");
  lib.GetDimensions(dims);
  EXPECT_EQ(dims[2], 3);
  lib.GetSpacing(spacing);
  EXPECT_NEAR(spacing[2], 4.0, 1e-9);

  // A folder with one file reads it as that file.
  WriteSeries(home, "local/c", { 0 }, 1.0, "1.2.3.3");
  ASSERT_EQ(ReadPath(lib, home.Sub("local/c")), "");
  EXPECT_EQ(lib.GetNumberOfFrames(), 1);
}

TEST(vDicomSeries, RefusesSlicesThatDoNotStack)
{
  vTempHome home;
  WriteSeries(home, "local/size", { 0, 1, 2 }, 1.0, "1.2.3.4");
  WriteSeries(home, "local/size/other", { 3 }, 1.0, "1.2.3.4", 8, 7);
  home.CopyFile(home.Sub("local/size/other/s0"), "local/size/s3");
  CiDcmLib lib;
  // An image of another size is another series: the three that stack are read, and the user is
  // told about the fourth.
  EXPECT_EQ(ReadPath(lib, home.Sub("local/size")), "");
  int dims[3];
  lib.GetDimensions(dims);
  EXPECT_EQ(dims[2], 3);
  EXPECT_NE(lib.GetNotice().find("Left out: s3."), std::string::npos) << lib.GetNotice();

  WriteSeries(home, "local/turned", { 0, 1, 2 }, 1.0, "1.2.3.5");
  vDicomTestSlice turned;
  turned.SeriesUid = "1.2.3.5";
  turned.Position[2] = 50;
  const double sagittal[6] = { 0, 1, 0, 0, 0, -1 };
  std::copy(sagittal, sagittal + 6, turned.Orientation);
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/turned/s9"), turned));
  EXPECT_NE(ReadPath(lib, home.Sub("local/turned")), "");

  WriteSeries(home, "local/same", { 0, 1, 1 }, 1.0, "1.2.3.6");
  EXPECT_NE(ReadPath(lib, home.Sub("local/same")), "") << "two slices at one position";
}

TEST(vDicomSeries, WithoutPositionsOrdersByInstanceNumber)
{
  vTempHome home;
  for (int n : { 3, 1, 2 })
  {
    vDicomTestSlice slice;
    slice.WriteGeometry = false;
    slice.InstanceNumber = n;
    slice.Values.assign(48, n * 10);
    ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/s" + std::to_string(n * 7 % 5)), slice));
  }
  CiDcmLib lib;
  ASSERT_EQ(ReadPath(lib, home.Sub("local")), "");
  int dims[3];
  lib.GetDimensions(dims);
  EXPECT_EQ(dims[2], 3);
  EXPECT_EQ(FirstValue(lib, 0), 10u);
  EXPECT_EQ(FirstValue(lib, 1), 20u);
  EXPECT_EQ(FirstValue(lib, 2), 30u);
  double spacing[3];
  lib.GetSpacing(spacing);
  EXPECT_GT(spacing[2], 0.0);
}

TEST(vDicomSeries, PixelFormats)
{
  vTempHome home;
  CiDcmLib lib;
  std::vector<unsigned int> out(48);

  vDicomTestSlice negative;
  negative.Signed = true;
  negative.Values = { -5, 7, -32768, 32767 };
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("signed.dcm"), negative));
  ASSERT_EQ(ReadPath(lib, home.Sub("signed.dcm")), "");
  EXPECT_TRUE(lib.IsSigned());
  EXPECT_EQ(lib.GetChannelPixelSize(), 2);
  ASSERT_TRUE(lib.CopyFrameToUnsigned32(0, out.data(), out.size()));
  EXPECT_EQ(out[0], 0u) << "negative stored values become 0";
  EXPECT_EQ(out[1], 7u);
  EXPECT_EQ(out[2], 0u);
  EXPECT_EQ(out[3], 32767u);

  vDicomTestSlice bytes;
  bytes.BitsAllocated = 8;
  bytes.Values = { 0, 255, 17 };
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("bytes.dcm"), bytes));
  ASSERT_EQ(ReadPath(lib, home.Sub("bytes.dcm")), "");
  EXPECT_EQ(lib.GetChannelPixelSize(), 1);
  ASSERT_TRUE(lib.CopyFrameToUnsigned32(0, out.data(), out.size()));
  EXPECT_EQ(out[1], 255u);
  EXPECT_EQ(out[2], 17u);

  vDicomTestSlice wide;
  wide.BitsAllocated = 32;
  wide.Values = { 4000000000LL, 70000 };
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("wide.dcm"), wide));
  ASSERT_EQ(ReadPath(lib, home.Sub("wide.dcm")), "");
  EXPECT_EQ(lib.GetChannelPixelSize(), 4);
  ASSERT_TRUE(lib.CopyFrameToUnsigned32(0, out.data(), out.size()));
  EXPECT_EQ(out[0], 4000000000u);
  EXPECT_EQ(out[1], 70000u);

  // Colour: one grey value per pixel, the luminance of the RGB triple.
  vDicomTestSlice colour;
  colour.BitsAllocated = 8;
  colour.Samples = 3;
  colour.Values = { 255, 0, 0, 0, 255, 0, 0, 0, 255, 200, 200, 200 };
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("colour.dcm"), colour));
  ASSERT_EQ(ReadPath(lib, home.Sub("colour.dcm")), "");
  EXPECT_EQ(lib.GetChannelPixelSize(), 1);
  ASSERT_TRUE(lib.CopyFrameToUnsigned32(0, out.data(), out.size()));
  EXPECT_EQ(out[0], 76u);
  EXPECT_EQ(out[1], 150u);
  EXPECT_EQ(out[2], 29u);
  EXPECT_EQ(out[3], 200u);

  // The files are DICOM whatever their names.
  EXPECT_TRUE(CiDcmLib::IsDicomFile(home.Sub("colour.dcm")));
  home.CopyFile(home.Sub("colour.dcm"), "local/IMAGE0001.IMA");
  EXPECT_TRUE(CiDcmLib::IsDicomFile(home.Sub("local/IMAGE0001.IMA")));
}

TEST(vDicomSeries, EveryEncodingOfGreyAndColourSlices)
{
  vTempHome home;
  // Smooth images: GDCM's JPEG 2000 encoder writes into a buffer the size of the input, which an
  // incompressible (or tiny) image overflows.
  vDicomTestSlice grey;
  grey.Cols = 64;
  grey.Rows = 48;
  for (int y = 0; y < grey.Rows; ++y)
  {
    for (int x = 0; x < grey.Cols; ++x)
    {
      grey.Values.push_back(x * 7 + y * 5);
    }
  }
  vDicomTestSlice colour;
  colour.Cols = 32;
  colour.Rows = 24;
  colour.Samples = 3;
  colour.BitsAllocated = 8;
  for (int y = 0; y < colour.Rows; ++y)
  {
    for (int x = 0; x < colour.Cols; ++x)
    {
      colour.Values.insert(colour.Values.end(), { x * 8, y * 10, 128 });
    }
  }
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("grey.dcm"), grey));
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("colour.dcm"), colour));
  const char* syntaxes[] = { "1.2.840.10008.1.2",
    "1.2.840.10008.1.2.2",
    "1.2.840.10008.1.2.1.99",
    "1.2.840.10008.1.2.5",
    "1.2.840.10008.1.2.4.70",
    "1.2.840.10008.1.2.4.80",
    "1.2.840.10008.1.2.4.90" };
  for (const char* source : { "grey", "colour" })
  {
    CiDcmLib reference;
    ASSERT_EQ(ReadPath(reference, home.Sub(std::string(source) + ".dcm")), "");
    const std::size_t count = std::size_t(reference.GetCols()) * reference.GetRows();
    std::vector<unsigned int> expected(count);
    ASSERT_TRUE(reference.CopyFrameToUnsigned32(0, expected.data(), count));
    for (const char* syntax : syntaxes)
    {
      SCOPED_TRACE(std::string(source) + " " + syntax);
      const std::string path = home.Sub(std::string(source) + "-" + syntax + ".dcm");
      if (!vConvertDicom(home.Sub(std::string(source) + ".dcm"), path, syntax))
      {
        continue; // GDCM encodes colour JPEG 2000 only with some builds
      }
      CiDcmLib lib;
      ASSERT_EQ(ReadPath(lib, path), "");
      std::vector<unsigned int> values(count);
      ASSERT_TRUE(lib.CopyFrameToUnsigned32(0, values.data(), count));
      EXPECT_TRUE(values == expected);
    }
  }
}

TEST(vDicomSeries, ListsTheSeriesOfAFolder)
{
  vTempHome home;
  WriteSeries(home, "local/a", { 2, 0, 1 }, 3.0, "1.2.3.7");
  std::vector<std::string> files;
  double spacing[3] = { 0, 0, 0 };
  ASSERT_EQ(CiDcmLib::ListSeries(home.Sub("local/a"), files, spacing), "");
  ASSERT_EQ(files.size(), 3u);
  // s1 holds position 0, s2 position 1, s0 position 2.
  EXPECT_EQ(files[0], home.Sub("local/a/s1"));
  EXPECT_EQ(files[1], home.Sub("local/a/s2"));
  EXPECT_EQ(files[2], home.Sub("local/a/s0"));
  EXPECT_NEAR(spacing[2], 3.0, 1e-9);
  EXPECT_NE(CiDcmLib::ListSeries(home.Sub("local/none"), files, spacing), "");
  EXPECT_TRUE(files.empty());
}
