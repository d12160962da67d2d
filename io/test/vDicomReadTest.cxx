// Real DICOM files and series: every one decodes with the sizes, spacing and pixel values that
// their publishers' data (and other readers) give.
#include "CiDcmLib.h"

#include "vTempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{
struct vPixelStats
{
  long long Min = 0;
  long long Max = 0;
  long long Sum = 0;
};

long long PixelAt(const CiDcmLib& lib, int frame, std::size_t i)
{
  const unsigned char* p = static_cast<const unsigned char*>(lib.GetDataPtr(frame));
  switch (lib.GetChannelPixelSize())
  {
    case 1:
      return lib.IsSigned() ? static_cast<signed char>(p[i]) : p[i];
    case 2:
    {
      uint16_t v;
      std::memcpy(&v, p + 2 * i, 2);
      return lib.IsSigned() ? static_cast<int16_t>(v) : v;
    }
    default:
    {
      uint32_t v;
      std::memcpy(&v, p + 4 * i, 4);
      return lib.IsSigned() ? static_cast<int32_t>(v) : v;
    }
  }
}

vPixelStats Measure(const CiDcmLib& lib)
{
  vPixelStats stats;
  bool first = true;
  const std::size_t count = std::size_t(lib.GetCols()) * std::size_t(lib.GetRows());
  for (int f = 0; f < lib.GetNumberOfFrames(); ++f)
  {
    for (std::size_t i = 0; i < count; ++i)
    {
      const long long v = PixelAt(lib, f, i);
      stats.Min = first ? v : std::min(stats.Min, v);
      stats.Max = first ? v : std::max(stats.Max, v);
      stats.Sum += v;
      first = false;
    }
  }
  return stats;
}

std::vector<unsigned char> AllPixels(const CiDcmLib& lib)
{
  const std::size_t frameBytes = std::size_t(lib.GetCols()) * std::size_t(lib.GetRows()) *
    std::size_t(lib.GetChannelPixelSize());
  std::vector<unsigned char> bytes;
  for (int f = 0; f < lib.GetNumberOfFrames(); ++f)
  {
    const unsigned char* p = static_cast<const unsigned char*>(lib.GetDataPtr(f));
    bytes.insert(bytes.end(), p, p + frameBytes);
  }
  return bytes;
}

std::string ReadInto(CiDcmLib& lib, const std::string& relative)
{
  lib.SetFilename(vTestData("dicom/" + relative));
  return lib.Read();
}
} // namespace

TEST(vDicomRead, EveryTransferSyntaxDecodesToTheSamePixels)
{
  CiDcmLib reference;
  ASSERT_EQ(ReadInto(reference, "transfer-syntaxes/1.dcm"), "");
  const std::vector<unsigned char> expected = AllPixels(reference);
  for (int i = 1; i <= 9; ++i)
  {
    const std::string name = "transfer-syntaxes/" + std::to_string(i) + ".dcm";
    SCOPED_TRACE(name);
    CiDcmLib lib;
    ASSERT_EQ(ReadInto(lib, name), "");
    int dims[3] = { -1, -1, -1 };
    lib.GetDimensions(dims);
    EXPECT_EQ(dims[0] + dims[1] + dims[2], 0) << "a single file is read frame by frame";
    EXPECT_EQ(lib.GetCols(), 384);
    EXPECT_EQ(lib.GetRows(), 384);
    EXPECT_EQ(lib.GetNumberOfFrames(), 1);
    EXPECT_EQ(lib.GetChannelPixelSize(), 2);
    double spacing[3];
    lib.GetSpacing(spacing);
    EXPECT_NEAR(spacing[0], 3.25, 1e-6);
    EXPECT_NEAR(spacing[1], 3.25, 1e-6);
    EXPECT_GT(spacing[2], 0.0);
    const vPixelStats stats = Measure(lib);
    EXPECT_EQ(stats.Min, 0);
    EXPECT_EQ(stats.Max, 2362);
    EXPECT_EQ(stats.Sum, 38036663);
    EXPECT_TRUE(AllPixels(lib) == expected);
    EXPECT_TRUE(CiDcmLib::IsDicomFile(vTestData("dicom/" + name)));
  }
}

TEST(vDicomRead, MultiFrameFilesInEveryEncoding)
{
  CiDcmLib reference;
  ASSERT_EQ(ReadInto(reference, "multiframe/emri_small.dcm"), "");
  const std::vector<unsigned char> expected = AllPixels(reference);
  for (const char* name : { "emri_small.dcm",
         "emri_small_RLE.dcm",
         "emri_small_big_endian.dcm",
         "emri_small_jpeg_2k_lossless.dcm",
         "emri_small_jpeg_ls_lossless.dcm" })
  {
    SCOPED_TRACE(name);
    CiDcmLib lib;
    ASSERT_EQ(ReadInto(lib, std::string("multiframe/") + name), "");
    EXPECT_EQ(lib.GetCols(), 64);
    EXPECT_EQ(lib.GetRows(), 64);
    EXPECT_EQ(lib.GetNumberOfFrames(), 10);
    double spacing[3];
    lib.GetSpacing(spacing);
    EXPECT_NEAR(spacing[2], 1.2, 1e-9) << "Spacing Between Slices of the shared pixel measures";
    const vPixelStats stats = Measure(lib);
    EXPECT_EQ(stats.Min, 0);
    EXPECT_EQ(stats.Max, 467);
    EXPECT_EQ(stats.Sum, 4493276);
    EXPECT_TRUE(AllPixels(lib) == expected);
  }
  EXPECT_EQ(reference.GetDataPtr(-1), nullptr);
  EXPECT_EQ(reference.GetDataPtr(10), nullptr);
  EXPECT_NE(reference.GetDataPtr(9), nullptr);
  std::vector<unsigned int> voxels(64 * 64);
  EXPECT_TRUE(reference.CopyFrameToUnsigned32(9, voxels.data(), voxels.size()));
  EXPECT_FALSE(reference.CopyFrameToUnsigned32(10, voxels.data(), voxels.size()));
  EXPECT_FALSE(reference.CopyFrameToUnsigned32(0, voxels.data(), voxels.size() - 1));
}

TEST(vDicomRead, EnhancedMultiFrameMatchesTheClassicSeries)
{
  CiDcmLib enhanced;
  ASSERT_EQ(ReadInto(enhanced, "multiframe/enhanced-mr-epi-sag-63.dcm"), "");
  EXPECT_EQ(enhanced.GetCols(), 86);
  EXPECT_EQ(enhanced.GetRows(), 86);
  EXPECT_EQ(enhanced.GetNumberOfFrames(), 63);
  double spacing[3];
  enhanced.GetSpacing(spacing);
  EXPECT_NEAR(spacing[0], 2.23256, 1e-4);
  EXPECT_NEAR(spacing[1], 2.23256, 1e-4);
  EXPECT_NEAR(spacing[2], 2.2, 1e-3);

  CiDcmLib classic;
  ASSERT_EQ(ReadInto(classic, "series-mr-epi-sag-63"), "");
  int dims[3];
  classic.GetDimensions(dims);
  EXPECT_EQ(dims[0], 86);
  EXPECT_EQ(dims[1], 86);
  EXPECT_EQ(dims[2], 63);
  EXPECT_EQ(classic.GetNumberOfFrames(), 63);
  classic.GetSpacing(spacing);
  EXPECT_NEAR(spacing[0], 2.23256, 1e-4);
  EXPECT_NEAR(spacing[1], 2.23256, 1e-4);
  EXPECT_NEAR(spacing[2], 2.2, 1e-3);
  const vPixelStats stats = Measure(classic);
  EXPECT_GE(stats.Min, 0);
  EXPECT_LE(stats.Max, 4095);

  // The same voxels but for the few the two encodings round differently. The enhanced file keeps
  // its frames in acquisition order (position x rising); the folder is sorted along the slice
  // normal, which for this sagittal orientation points to -x.
  const std::size_t voxels = 86 * 86;
  int differing = 0;
  for (int f = 0; f < 63; ++f)
  {
    for (std::size_t i = 0; i < voxels; ++i)
    {
      differing += PixelAt(enhanced, 62 - f, i) != PixelAt(classic, f, i);
    }
  }
  EXPECT_LE(differing, 56);
}

TEST(vDicomRead, FolderSeriesIsSortedByPosition)
{
  CiDcmLib series;
  ASSERT_EQ(ReadInto(series, "series-mr-forearm-3"), "") << "the .txt files are ignored";
  int dims[3];
  series.GetDimensions(dims);
  EXPECT_EQ(dims[0], 512);
  EXPECT_EQ(dims[1], 512);
  EXPECT_EQ(dims[2], 3);
  double spacing[3];
  series.GetSpacing(spacing);
  EXPECT_NEAR(spacing[0], 0.9766, 1e-4);
  EXPECT_NEAR(spacing[2], 12.0, 1e-6) << "from the positions, not the 8 mm thickness";
  // Positions z = 12, 0, -12 in instance order: along the normal (+z) the order reverses.
  const std::size_t frameBytes = 512 * 512 * std::size_t(series.GetChannelPixelSize());
  const char* files[3] = { "1-3.dcm", "1-2.dcm", "1-1.dcm" };
  for (int slice = 0; slice < 3; ++slice)
  {
    CiDcmLib single;
    ASSERT_EQ(ReadInto(single, std::string("series-mr-forearm-3/") + files[slice]), "");
    EXPECT_EQ(std::memcmp(single.GetDataPtr(0), series.GetDataPtr(slice), frameBytes), 0)
      << "slice " << slice;
  }
  // The slices form one block: frame i follows frame i - 1.
  EXPECT_EQ(
    static_cast<const char*>(series.GetDataPtr(2)) - static_cast<const char*>(series.GetDataPtr(0)),
    static_cast<std::ptrdiff_t>(2 * frameBytes));

  CiDcmLib gre;
  ASSERT_EQ(ReadInto(gre, "series-mr-gre-sag-5"), "");
  gre.GetDimensions(dims);
  EXPECT_EQ(dims[0], 42);
  EXPECT_EQ(dims[1], 64);
  EXPECT_EQ(dims[2], 5);
  gre.GetSpacing(spacing);
  EXPECT_NEAR(spacing[0], 4.375, 1e-6);
  EXPECT_NEAR(spacing[1], 4.375, 1e-6);
  EXPECT_NEAR(spacing[2], 5.0, 1e-3);
}

TEST(vDicomRead, SingleImages)
{
  CiDcmLib uncompressed;
  ASSERT_EQ(ReadInto(uncompressed, "single/MR2_UNCR.dcm"), "");
  EXPECT_EQ(uncompressed.GetCols(), 1024);
  EXPECT_EQ(uncompressed.GetRows(), 1024);
  double spacing[3];
  uncompressed.GetSpacing(spacing);
  EXPECT_NEAR(spacing[0], 0.1953, 1e-4);
  CiDcmLib jpeg2000;
  ASSERT_EQ(ReadInto(jpeg2000, "single/MR2_J2KR.dcm"), "");
  EXPECT_TRUE(AllPixels(jpeg2000) == AllPixels(uncompressed));
  EXPECT_LE(Measure(uncompressed).Max, 4095) << "stored values, before the rescale slope";

  CiDcmLib knee;
  ASSERT_EQ(ReadInto(knee, "single/DICOM_KNEE.dcm"), "");
  EXPECT_EQ(knee.GetCols(), 512);
  EXPECT_EQ(knee.GetRows(), 512);
  EXPECT_TRUE(knee.IsSigned());
  knee.GetSpacing(spacing);
  EXPECT_NEAR(spacing[0], 0.4297, 1e-4);
  vPixelStats stats = Measure(knee);
  EXPECT_EQ(stats.Min, 0);
  EXPECT_EQ(stats.Max, 6930);

  // Old ACR-NEMA data set: no preamble, no meta header.
  const std::string acr = vTestData("dicom/single/mr.001");
  EXPECT_TRUE(CiDcmLib::IsDicomFile(acr));
  CiDcmLib old;
  ASSERT_EQ(ReadInto(old, "single/mr.001"), "");
  EXPECT_EQ(old.GetCols(), 256);
  EXPECT_EQ(old.GetRows(), 256);
  old.GetSpacing(spacing);
  EXPECT_NEAR(spacing[0], 0.78125, 1e-6);
  stats = Measure(old);
  EXPECT_EQ(stats.Min, 0);
  EXPECT_EQ(stats.Max, 2656);
}
