// What a DICOM picture becomes in the workstation's volume: which row is up, what colour images
// turn into, and what a folder read says about the files it left out.
#include "CiDcmLib.h"
#include "vFileReader.h"
#include "vQVFile.h"

#include "vDicomTestFiles.h"
#include "vTempHome.h"

#include <gtest/gtest.h>

#include <vtkImageData.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
/** A 6 x 4 slice whose first stored row is bright (1000 + column), the others dark (row). */
vDicomTestSlice BrightFirstRow(int instance, double z)
{
  vDicomTestSlice slice;
  slice.Cols = 6;
  slice.Rows = 4;
  slice.InstanceNumber = instance;
  slice.Position[2] = z;
  for (int r = 0; r < slice.Rows; ++r)
  {
    for (int c = 0; c < slice.Cols; ++c)
    {
      slice.Values.push_back(r == 0 ? 1000 + c + 10 * instance : r);
    }
  }
  return slice;
}

vtkSmartPointer<vtkImageData> ReadVolume(const std::string& path)
{
  vFileReader reader;
  reader.SetFilename(path);
  if (!reader.Read())
  {
    ADD_FAILURE() << path << ": " << reader.GetErrorMessage();
    return nullptr;
  }
  return vtkImageData::SafeDownCast(reader.GetOutput());
}

double Voxel(vtkImageData* image, int x, int y, int z)
{
  return image->GetScalarComponentAsDouble(x, y, z, 0);
}

/** The first stored row at the top (largest y), first column at x = 0, in every slice given. */
void ExpectFirstRowOnTop(vtkImageData* image, const std::vector<int>& instances)
{
  ASSERT_NE(image, nullptr);
  int dims[3];
  image->GetDimensions(dims);
  ASSERT_EQ(dims[0], 6);
  ASSERT_EQ(dims[1], 4);
  ASSERT_EQ(dims[2], static_cast<int>(instances.size()));
  for (int z = 0; z < dims[2]; ++z)
  {
    const int bright = 1000 + 10 * instances[static_cast<size_t>(z)];
    EXPECT_EQ(Voxel(image, 0, 3, z), bright) << "slice " << z;
    EXPECT_EQ(Voxel(image, 5, 3, z), bright + 5) << "slice " << z;
    EXPECT_EQ(Voxel(image, 0, 2, z), 1.0) << "slice " << z;
    EXPECT_EQ(Voxel(image, 0, 0, z), 3.0) << "slice " << z;
  }
}
} // namespace

TEST(vDicomPicture, TheFirstStoredRowIsAtTheTopForFilesFramesAndSeries)
{
  vTempHome home;
  // One file, without extension (the DICOM route by name).
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/single/IM1"), BrightFirstRow(1, 0)));
  ExpectFirstRowOnTop(ReadVolume(home.Sub("local/single/IM1")), { 1 });

  // A series, written out of order: slices sorted by position, each one turned the same way.
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/series/b"), BrightFirstRow(3, 5)));
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/series/a"), BrightFirstRow(2, 10)));
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/series/c"), BrightFirstRow(1, 0)));
  ExpectFirstRowOnTop(ReadVolume(home.Sub("local/series")), { 1, 3, 2 });

  // Real multi-frame file: its frames keep their order, each turned (frame 0 row 0 is the top).
  CiDcmLib lib;
  const std::string multi = vTestData("dicom/multiframe/emri_small.dcm");
  lib.SetFilename(multi);
  ASSERT_EQ(lib.Read(), "");
  vtkSmartPointer<vtkImageData> frames = ReadVolume(multi);
  ASSERT_NE(frames, nullptr);
  std::vector<unsigned int> stored(64 * 64);
  for (int f : { 0, 9 })
  {
    ASSERT_TRUE(lib.CopyFrameToUnsigned32(f, stored.data(), stored.size()));
    for (int r : { 0, 17, 63 })
    {
      for (int c : { 0, 31, 63 })
      {
        EXPECT_EQ(Voxel(frames, c, 63 - r, f), stored[static_cast<size_t>(r * 64 + c)])
          << "frame " << f << " row " << r << " column " << c;
      }
    }
  }
}

TEST(vDicomPicture, QVFilesConvertedFromDicomKeepTheirOrientation)
{
  vTempHome home;
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/series/a"), BrightFirstRow(1, 0)));
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/series/b"), BrightFirstRow(2, 5)));
  const std::string tool = std::string(VEMORA_BIN_DIR) + "/vqvwrite";
  const std::string qv = home.Sub("series.qv");
  ASSERT_EQ(
    0, std::system((tool + " '" + qv + "' --from '" + home.Sub("local/series") + "'").c_str()));
  std::string error;
  vtkSmartPointer<vtkImageData> converted = vQVFile::ReadVolume(qv, error);
  ASSERT_NE(converted, nullptr) << error;
  ExpectFirstRowOnTop(converted, { 1, 2 });
}

TEST(vDicomPicture, ColourImagesBecomeTheLuminanceOfTheirTrueColour)
{
  vTempHome home;
  // RGB: one grey value, the luminance (BT.601), turned like any picture. (Every compressed
  // encoding decodes to the same values: see vDicomSeries.EveryEncodingOfGreyAndColourSlices.)
  vDicomTestSlice colour;
  colour.Cols = 4;
  colour.Rows = 2;
  colour.BitsAllocated = 8;
  colour.Samples = 3;
  colour.Values = {
    255, 0, 0, 0, 255, 0, 0, 0, 255, 200, 200, 200, 10, 20, 30, 0, 0, 0, 255, 255, 255, 90, 180, 45
  };
  const std::vector<double> luminance = { 76, 150, 29, 200, 18, 0, 255, 138 };
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("rgb.dcm"), colour));
  vtkSmartPointer<vtkImageData> rgb = ReadVolume(home.Sub("rgb.dcm"));
  ASSERT_NE(rgb, nullptr);
  for (int i = 0; i < 8; ++i)
  {
    // Pixel i of the file is in stored row i / 4, which is y = 1 - i / 4 in the volume.
    EXPECT_NEAR(Voxel(rgb, i % 4, 1 - i / 4, 0), luminance[static_cast<size_t>(i)], 1.0)
      << "pixel " << i;
  }

  // PALETTE COLOR (ultrasound and the like): the indices are looked up, not shown as they are.
  // Index k is the colour (255 - k, k, 2k) in 8-bit terms; the palette holds 16-bit components.
  vDicomTestSlice indices;
  indices.Cols = 4;
  indices.Rows = 2;
  indices.BitsAllocated = 8;
  indices.Values = { 0, 1, 2, 50, 100, 127, 10, 3 };
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("palette.dcm"), indices));
  std::vector<uint16_t> red(256);
  std::vector<uint16_t> green(256);
  std::vector<uint16_t> blue(256);
  for (int k = 0; k < 256; ++k)
  {
    red[static_cast<size_t>(k)] = static_cast<uint16_t>((255 - k) * 257);
    green[static_cast<size_t>(k)] = static_cast<uint16_t>(k * 257);
    blue[static_cast<size_t>(k)] = static_cast<uint16_t>(std::min(255, 2 * k) * 257);
  }
  ASSERT_TRUE(vMakePaletteDicom(home.Sub("palette.dcm"), red, green, blue));
  vtkSmartPointer<vtkImageData> image = ReadVolume(home.Sub("palette.dcm"));
  ASSERT_NE(image, nullptr);
  for (int i = 0; i < 8; ++i)
  {
    const int k = static_cast<int>(indices.Values[static_cast<size_t>(i)]);
    const double expected = (299.0 * (255 - k) + 587.0 * k + 114.0 * std::min(255, 2 * k)) / 1000;
    EXPECT_NEAR(Voxel(image, i % 4, 1 - i / 4, 0), expected, 1.0) << "index " << k;
  }
}

TEST(vDicomPicture, AFolderReadSaysWhichFilesItLeftOutAndWhichSeriesItKept)
{
  vTempHome home;
  // Series A: three slices of 6 x 4; series B: two; an image of A's series but another size; a
  // DICOM file cut short; and a text file, which is no DICOM file and goes unmentioned.
  for (int k = 0; k < 3; ++k)
  {
    vDicomTestSlice slice = BrightFirstRow(k + 1, 2.0 * k);
    slice.SeriesUid = "1.2.3.100";
    ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/mixed/a" + std::to_string(k)), slice));
  }
  for (int k = 0; k < 2; ++k)
  {
    vDicomTestSlice slice = BrightFirstRow(k + 1, 2.0 * k);
    slice.SeriesUid = "1.2.3.200";
    ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/mixed/b" + std::to_string(k)), slice));
  }
  vDicomTestSlice large;
  large.Cols = 16;
  large.Rows = 12;
  large.SeriesUid = "1.2.3.100";
  large.Position[2] = 9;
  ASSERT_TRUE(vWriteDicomSlice(home.Sub("local/mixed/large"), large));
  std::vector<char> bytes = vReadBytes(home.Sub("local/mixed/a0"));
  bytes.resize(bytes.size() / 2 + 40);
  ASSERT_TRUE(vWriteBytes(home.Sub("local/mixed/cut.dcm"), bytes));
  home.WriteFile("local/mixed/notes.txt", "scanned on Tuesday\n");

  vFileReader reader;
  reader.SetFilename(home.Sub("local/mixed"));
  ASSERT_EQ(reader.Read(), 1) << reader.GetErrorMessage();
  int dims[3];
  vtkImageData::SafeDownCast(reader.GetOutput())->GetDimensions(dims);
  EXPECT_EQ(dims[2], 3); // the series with the most slices, as before
  const std::string notice = reader.GetNotice();
  EXPECT_NE(notice.find("3 series"), std::string::npos) << notice;
  EXPECT_NE(notice.find("3 files of 6 x 4 pixels, series 1.2.3.100, from a0"), std::string::npos)
    << notice;
  EXPECT_NE(notice.find("Left out: b0, b1, large."), std::string::npos) << notice;
  EXPECT_NE(notice.find("could not be read and were left out: cut.dcm."), std::string::npos)
    << notice;
  EXPECT_EQ(notice.find("notes.txt"), std::string::npos) << notice;

  // A folder of one whole series says nothing; neither does a file.
  reader.SetFilename(vTestData("dicom/series-mr-gre-sag-5"));
  ASSERT_EQ(reader.Read(), 1);
  EXPECT_EQ(reader.GetNotice(), "");
  reader.SetFilename(vTestData("dicom/series-mr-forearm-3")); // with its licence texts
  ASSERT_EQ(reader.Read(), 1);
  EXPECT_EQ(reader.GetNotice(), "");
}
