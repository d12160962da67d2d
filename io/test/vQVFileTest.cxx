#include "vQVFile.h"
#include "vFileReader.h"

#include "vTempHome.h"

#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkSmartPointer.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const std::string Corrupted = "error: the QV file may have been corrupted";
const std::string BadFileType = "error: unrecognized file type";
const std::string BadDataType = "error: unrecoginized data type";

void PutInt(std::string& bytes, size_t offset, int32_t value)
{
  std::memcpy(&bytes[offset], &value, 4); // the test machines are little-endian, like the format
}

void PutDouble(std::string& bytes, size_t offset, double value)
{
  std::memcpy(&bytes[offset], &value, 8);
}

/** A well-formed QV file of the given size whose voxel i holds i * 3 + 1. */
std::string MakeQV(int x, int y, int z, double sx = 1.0, double sy = 1.0, double sz = 1.0)
{
  std::string bytes(vQVFile::HeaderSize, '\0');
  const unsigned char signature[] = { 0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D };
  std::memcpy(&bytes[0], signature, 6);
  PutInt(bytes, 6, 1);
  PutInt(bytes, 10, 1);
  PutInt(bytes, 14, x);
  PutInt(bytes, 18, y);
  PutInt(bytes, 22, z);
  PutDouble(bytes, 26, sx);
  PutDouble(bytes, 34, sy);
  PutDouble(bytes, 42, sz);
  PutInt(bytes, 50, 32);
  const size_t count = size_t(x) * y * z;
  bytes.resize(vQVFile::HeaderSize + 4 * count);
  for (size_t i = 0; i < count; ++i)
  {
    PutInt(bytes, vQVFile::HeaderSize + 4 * i, static_cast<int32_t>(i * 3 + 1));
  }
  return bytes;
}

/** Reads through the file reader, as the workstation does; the error text in `error`. */
int ReadThroughReader(vFileReader& reader, const std::string& path, std::string& error)
{
  reader.SetFilename(path);
  int result = reader.Read();
  error = reader.GetErrorMessage();
  return result;
}
} // namespace

TEST(QVFile, ReadsVoxelsSpacingAndCentredOrigin)
{
  vTempHome home;
  vFileReader reader;
  std::string error;
  ASSERT_EQ(1, ReadThroughReader(reader, home.WriteFile("a.qv", MakeQV(2, 2, 1)), error));
  EXPECT_EQ("", error);
  EXPECT_EQ(vFileReader::ImageVolume, reader.GetOutputType());
  auto* image = vtkImageData::SafeDownCast(reader.GetOutput());
  ASSERT_NE(nullptr, image);
  int dims[3];
  image->GetDimensions(dims);
  EXPECT_EQ(2, dims[0]);
  EXPECT_EQ(2, dims[1]);
  EXPECT_EQ(1, dims[2]);
  EXPECT_EQ(VTK_UNSIGNED_INT, image->GetScalarType());
  EXPECT_EQ(1, image->GetNumberOfScalarComponents());
  double* origin = image->GetOrigin();
  EXPECT_DOUBLE_EQ(-0.5, origin[0]);
  EXPECT_DOUBLE_EQ(-0.5, origin[1]);
  EXPECT_DOUBLE_EQ(0.0, origin[2]);
  auto* voxels = static_cast<uint32_t*>(image->GetScalarPointer());
  EXPECT_EQ(1u, voxels[0]);
  EXPECT_EQ(4u, voxels[1]);
  EXPECT_EQ(7u, voxels[2]);
  EXPECT_EQ(10u, voxels[3]);

  // Spacing of 0 or less reads as 1; the origin is centred with the spacing actually used. The
  // data type 64 is read like 32; file type 3 is accepted.
  std::string bytes = MakeQV(3, 5, 7, 0.5, -2.0, 0.0);
  PutInt(bytes, 50, 64);
  PutInt(bytes, 10, 3);
  ASSERT_EQ(1, ReadThroughReader(reader, home.WriteFile("b.QV", bytes), error));
  image = vtkImageData::SafeDownCast(reader.GetOutput());
  double* spacing = image->GetSpacing();
  EXPECT_DOUBLE_EQ(0.5, spacing[0]);
  EXPECT_DOUBLE_EQ(1.0, spacing[1]);
  EXPECT_DOUBLE_EQ(1.0, spacing[2]);
  origin = image->GetOrigin();
  EXPECT_DOUBLE_EQ(-0.5, origin[0]);
  EXPECT_DOUBLE_EQ(-2.0, origin[1]);
  EXPECT_DOUBLE_EQ(-3.0, origin[2]);
  EXPECT_EQ(3.0 * (3 * 5 * 7 - 1) + 1, image->GetScalarComponentAsDouble(2, 4, 6, 0));
}

TEST(QVFile, ChecksRunInOrderAndTheFirstFaultIsReported)
{
  vTempHome home;
  struct Case
  {
    const char* what;
    size_t offset; // where the fault goes; the other fields stay valid
    int32_t value;
    std::string expected;
  };
  const std::vector<Case> cases = {
    { "signature byte 0", 0, 0x4E, Corrupted },
    { "header word 0", 6, 0, Corrupted },
    { "header word negative", 6, -5, Corrupted },
    { "file type 2", 10, 2, BadFileType },
    { "size x 0", 14, 0, Corrupted },
    { "size y negative", 18, -1, Corrupted },
    { "size z 0", 22, 0, Corrupted },
    { "data type 16", 50, 16, BadDataType },
  };
  vFileReader reader;
  std::string error;
  for (const Case& c : cases)
  {
    std::string bytes = MakeQV(2, 2, 2);
    if (c.offset == 0)
    {
      bytes[5] = 0x1C; // the last signature byte: every one of them is checked
    }
    else
    {
      PutInt(bytes, c.offset, c.value);
    }
    std::string path = home.WriteFile("fault.qv", bytes);
    EXPECT_EQ(0, ReadThroughReader(reader, path, error)) << c.what;
    EXPECT_EQ(c.expected, error) << c.what;
    tagQVHEADER header;
    std::string headerError;
    EXPECT_FALSE(vQVFile::ReadHeader(path, header, headerError)) << c.what;
    EXPECT_EQ(c.expected, headerError) << c.what;
  }

  // Two faults: the earlier check decides.
  std::string bytes = MakeQV(2, 2, 2);
  PutInt(bytes, 10, 7);
  PutInt(bytes, 50, 8);
  EXPECT_EQ(0, ReadThroughReader(reader, home.WriteFile("two.qv", bytes), error));
  EXPECT_EQ(BadFileType, error);
  bytes[2] = 0;
  EXPECT_EQ(0, ReadThroughReader(reader, home.WriteFile("two.qv", bytes), error));
  EXPECT_EQ(Corrupted, error);
  PutInt(bytes, 10, 1);
  bytes[2] = 0x0F;
  PutInt(bytes, 22, 0);
  EXPECT_EQ(0, ReadThroughReader(reader, home.WriteFile("two.qv", bytes), error));
  EXPECT_EQ(Corrupted, error);
}

TEST(QVFile, ShortFilesAreCorruptAndKeepThePreviousOutput)
{
  vTempHome home;
  vFileReader reader;
  std::string error;
  ASSERT_EQ(1, ReadThroughReader(reader, home.WriteFile("good.qv", MakeQV(4, 3, 2)), error));
  vtkSmartPointer<vtkDataSet> previous = reader.GetOutput();

  const std::string whole = MakeQV(4, 3, 2);
  // Empty, inside the signature, inside the fields, inside the reserved area, one voxel short.
  for (size_t length : { size_t(0),
         size_t(3),
         size_t(12),
         size_t(40),
         size_t(1000),
         size_t(vQVFile::HeaderSize),
         whole.size() - 1,
         whole.size() - 4 })
  {
    std::string path = home.WriteFile("short.qv", whole.substr(0, length));
    EXPECT_EQ(0, ReadThroughReader(reader, path, error)) << length;
    EXPECT_EQ(Corrupted, error) << length;
    EXPECT_EQ(previous.Get(), reader.GetOutput()) << length;
    EXPECT_EQ(vFileReader::ImageVolume, reader.GetOutputType());
  }

  // Sizes whose voxels no file could hold are refused before anything is allocated.
  std::string huge = MakeQV(1, 1, 1);
  PutInt(huge, 14, 0x7FFFFFFF);
  PutInt(huge, 18, 0x7FFFFFFF);
  PutInt(huge, 22, 0x7FFFFFFF);
  EXPECT_EQ(0, ReadThroughReader(reader, home.WriteFile("huge.qv", huge), error));
  EXPECT_EQ(Corrupted, error);
  EXPECT_EQ(previous.Get(), reader.GetOutput());

  // Bytes after the voxels are ignored.
  EXPECT_EQ(1, ReadThroughReader(reader, home.WriteFile("tail.qv", whole + "extra"), error));
}

TEST(QVFile, PreviewReadsTheFirstSliceOnly)
{
  vTempHome home;
  std::string whole = MakeQV(3, 2, 4);
  // The preview needs only the header and the first slice: cut the file after it.
  std::string path = home.WriteFile("p.qv", whole.substr(0, vQVFile::HeaderSize + 3 * 2 * 4));
  std::vector<uint32_t> slice;
  int cols = 0;
  int rows = 0;
  std::string error;
  ASSERT_TRUE(vQVFile::ReadPreview(path, slice, cols, rows, error));
  EXPECT_EQ(3, cols);
  EXPECT_EQ(2, rows);
  EXPECT_EQ((std::vector<uint32_t>{ 1, 4, 7, 10, 13, 16 }), slice);

  // Faults give the reader's texts and leave the outputs alone.
  std::string bad = whole;
  PutInt(bad, 50, 31);
  EXPECT_FALSE(vQVFile::ReadPreview(home.WriteFile("bad.qv", bad), slice, cols, rows, error));
  EXPECT_EQ(BadDataType, error);
  EXPECT_FALSE(vQVFile::ReadPreview(
    home.WriteFile("cut.qv", whole.substr(0, vQVFile::HeaderSize + 5)), slice, cols, rows, error));
  EXPECT_EQ(Corrupted, error);
  EXPECT_FALSE(vQVFile::ReadPreview(home.Sub("none.qv"), slice, cols, rows, error));
  EXPECT_EQ(Corrupted, error);
  EXPECT_EQ(6u, slice.size());
  EXPECT_EQ(3, cols);
}

TEST(QVFile, WriterRoundTripsAndReplacesFilesWhole)
{
  vTempHome home;
  vtkNew<vtkImageData> image;
  image->SetDimensions(5, 4, 3);
  image->SetSpacing(0.25, 2.0, 3.5);
  image->AllocateScalars(VTK_SHORT, 1);
  auto* values = static_cast<short*>(image->GetScalarPointer());
  for (int i = 0; i < 60; ++i)
  {
    values[i] = static_cast<short>(i * 100 - 500); // negative values are written as 0
  }
  std::string path = home.Sub("out.qv");
  std::string error;
  ASSERT_TRUE(vQVFile::Write(path, image, error)) << error;
  EXPECT_EQ(size_t(vQVFile::HeaderSize + 60 * 4), vReadFile(path).size());

  auto back = vQVFile::ReadVolume(path, error);
  ASSERT_NE(nullptr, back);
  EXPECT_DOUBLE_EQ(0.25, back->GetSpacing()[0]);
  EXPECT_DOUBLE_EQ(3.5, back->GetSpacing()[2]);
  auto* voxels = static_cast<uint32_t*>(back->GetScalarPointer());
  EXPECT_EQ(0u, voxels[0]);
  EXPECT_EQ(0u, voxels[5]);
  EXPECT_EQ(100u, voxels[6]);
  EXPECT_EQ(5400u, voxels[59]);

  // Writing raw voxels with an invalid header fails and leaves the old file as it was.
  const std::string before = vReadFile(path);
  tagQVHEADER header;
  header.Size[0] = header.Size[1] = header.Size[2] = 1;
  header.FileType = 2;
  const uint32_t one = 1;
  EXPECT_FALSE(vQVFile::Write(path, header, &one, error));
  EXPECT_EQ(before, vReadFile(path));
  header.FileType = 3;
  ASSERT_TRUE(vQVFile::Write(path, header, &one, error));
  EXPECT_EQ(size_t(vQVFile::HeaderSize + 4), vReadFile(path).size());
  // A folder that does not exist cannot be written to.
  EXPECT_FALSE(vQVFile::Write(home.Sub("no/such/folder/x.qv"), header, &one, error));
}

TEST(QVFile, ToolMakesAndConvertsVolumes)
{
  vTempHome home;
  const std::string tool = std::string(VEMORA_BIN_DIR) + "/vqvwrite";
  const std::string sphere = home.Sub("sphere.qv");
  ASSERT_EQ(0,
    std::system(
      (tool + " " + sphere + " --size 21 11 15 --spacing 1 2 0.5 --pattern sphere").c_str()));
  std::string error;
  auto image = vQVFile::ReadVolume(sphere, error);
  ASSERT_NE(nullptr, image) << error;
  EXPECT_EQ(1000.0, image->GetScalarComponentAsDouble(10, 5, 7, 0));
  EXPECT_EQ(0.0, image->GetScalarComponentAsDouble(0, 0, 0, 0));
  EXPECT_DOUBLE_EQ(2.0, image->GetSpacing()[1]);

  // Any volume the workstation reads converts; what is not a volume is refused, writing nothing.
  const std::string series = home.Sub("series.qv");
  ASSERT_EQ(0,
    std::system(
      (tool + " " + series + " --from " + vTestData("dicom/series-mr-gre-sag-5") + " 2>/dev/null")
        .c_str()));
  image = vQVFile::ReadVolume(series, error);
  ASSERT_NE(nullptr, image) << error;
  EXPECT_EQ(42 * 64 * 5, image->GetNumberOfPoints());
  EXPECT_NE(0,
    std::system((tool + " " + home.Sub("mesh.qv") + " --from " + vTestData("mesh/vtk/teeth.vtk") +
      " 2>/dev/null")
                  .c_str()));
  EXPECT_NE(
    0, std::system((tool + " " + home.Sub("bad.qv") + " --size 0 1 1 2>/dev/null").c_str()));
  EXPECT_EQ("", vReadFile(home.Sub("mesh.qv")));
  EXPECT_EQ("", vReadFile(home.Sub("bad.qv")));
}
