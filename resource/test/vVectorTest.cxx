#include "vVector.h"

#include "vTempHome.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
bool Exists(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string Bytes(const void* data, size_t n)
{
  return std::string(static_cast<const char*>(data), n);
}
} // namespace

TEST(vVector, NewVector)
{
  vVector vector;
  EXPECT_EQ(vector.GetName(), "vector");
  EXPECT_EQ(vector.GetFilename(), "vector.raw");
  EXPECT_EQ(vector.GetFileExt(), "raw");
  EXPECT_EQ(vector.GetDataType(), 1);
  EXPECT_EQ(vector.GetSize(), 1);
  EXPECT_FALSE(vector.isLocked());
  EXPECT_EQ(vector.GetDataPointer(), nullptr);
  EXPECT_EQ(vector.toVtkImage(), nullptr);
}

TEST(vVector, SizesNeverOverflow)
{
  vVector vector;
  const struct
  {
    int Nx, Ny, Nz, Size;
  } cases[] = {
    { 2, 3, 4, 24 },
    { 0, 5, 5, 0 },
    { -1, -1, 1, 0 },
    { 46341, 46341, 1, 0 },     // just past 2^31
    { 1 << 15, 1 << 16, 1, 0 }, // exactly 2^31
    { 2147483647, 1, 1, 2147483647 },
    { 2147483647, 2147483647, 2147483647, 0 },
  };
  for (const auto& c : cases)
  {
    vector.SetDimensions(c.Nx, c.Ny, c.Nz);
    EXPECT_EQ(vector.GetSize(), c.Size) << c.Nx << " " << c.Ny << " " << c.Nz;
    int nx, ny, nz;
    vector.GetDimensions(nx, ny, nz);
    EXPECT_EQ(nx, c.Nx);
  }
  // Nothing is allocated or copied for a size that names no array.
  vector.SetDimensions(-1, -1, 1);
  vector.Initialize();
  EXPECT_EQ(vector.GetDataPointer(), nullptr);
  const unsigned char byte = 7;
  vector.SetDataFromChar(&byte);
  EXPECT_EQ(vector.GetDataPointer(), nullptr);
}

TEST(vVector, TextTable)
{
  vTempHome home;
  vVector vector;
  vector.SetFilename(home.Sub("local/table.txt"));
  vector.SetDimensions(2, 1, 1);
  vector.SetDataType(vVector::Double);
  vector.WriteToTextFile(); // no buffer: nothing written
  EXPECT_FALSE(Exists(home.Sub("local/table.txt")));

  const double values[] = { 1.5, 2.25 };
  vector.SetDataFromDouble(values);
  vector.WriteToTextFile();
  EXPECT_EQ(vReadFile(home.Sub("local/table.txt")), "1.5000\t2.2500\n");

  // One line per (y, z) row, x fastest; values are converted from the data type.
  const int ints[] = { 1, -2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };
  vector.SetDimensions(3, 2, 2);
  vector.SetDataType(vVector::Int);
  vector.SetDataFromInt(ints);
  vector.WriteToTextFile();
  EXPECT_EQ(vReadFile(home.Sub("local/table.txt")),
    "1.0000\t-2.0000\t3.0000\n4.0000\t5.0000\t6.0000\n"
    "7.0000\t8.0000\t9.0000\n10.0000\t11.0000\t12.0000\n");

  const unsigned char bytes[] = { 0, 255 };
  vector.SetDimensions(1, 2, 1);
  vector.SetDataType(vVector::UnsignedChar);
  vector.SetDataFromChar(bytes);
  vector.WriteToTextFile();
  EXPECT_EQ(vReadFile(home.Sub("local/table.txt")), "0.0000\n255.0000\n");

  // A table larger than one write chunk arrives whole.
  vector.SetDimensions(1000, 300, 1);
  vector.SetDataPointer(nullptr);
  vector.Initialize();
  vector.GetDataAsChar()[299999] = 7;
  vector.WriteToTextFile();
  const std::string large = vReadFile(home.Sub("local/table.txt"));
  EXPECT_EQ(large.size(), 300u * 1000u * 7u);
  EXPECT_EQ(std::count(large.begin(), large.end(), '\n'), 300);
  EXPECT_EQ(large.substr(large.size() - 14), "0.0000\t7.0000\n");

  // A type whose buffer is too small for the values is refused, not over-read.
  vector.SetDataType(vVector::Double);
  vector.SetFilename(home.Sub("local/other.txt"));
  vector.WriteToTextFile();
  EXPECT_FALSE(Exists(home.Sub("local/other.txt")));
}

TEST(vVector, BinaryRoundTripForEachType)
{
  vTempHome home;
  const double doubles[] = { 0.5, -1.25, 3e300, 4, 5, 6 };
  const int ints[] = { -7, 0, 2147483647, 4, 5, 6 };
  const unsigned char chars[] = { 0, 1, 127, 128, 254, 255 };
  const void* sources[] = { chars, ints, doubles };
  for (int type = 1; type <= 3; ++type)
  {
    SCOPED_TRACE(type);
    const size_t bytes = 6 * vVector::GetElementSize(type);
    vVector out;
    out.SetFilename(home.Sub("local/v" + std::to_string(type) + ".raw"));
    out.SetDimensions(3, 2, 1);
    out.SetDataType(type);
    if (type == 1)
    {
      out.SetDataFromChar(chars);
    }
    else if (type == 2)
    {
      out.SetDataFromInt(ints);
    }
    else
    {
      out.SetDataFromDouble(doubles);
    }
    out.Write();
    EXPECT_FALSE(out.isLocked());
    EXPECT_EQ(vReadFile(out.GetFilename()), Bytes(sources[type - 1], bytes));

    vVector in;
    in.SetFilename(out.GetFilename());
    in.SetDimensions(3, 2, 1);
    in.SetDataType(type);
    in.Read();
    EXPECT_FALSE(in.isLocked());
    ASSERT_NE(in.GetDataPointer(), nullptr);
    EXPECT_EQ(Bytes(in.GetDataPointer(), bytes), Bytes(sources[type - 1], bytes));

    vtkImageData* image = in.toVtkImage();
    ASSERT_NE(image, nullptr);
    int dims[3];
    image->GetDimensions(dims);
    EXPECT_EQ(dims[0], 3);
    EXPECT_EQ(dims[1], 2);
    EXPECT_EQ(dims[2], 1);
    EXPECT_EQ(image->GetNumberOfScalarComponents(), 1);
    EXPECT_DOUBLE_EQ(image->GetSpacing()[0], 1.0);
    const int scalarTypes[] = { VTK_UNSIGNED_CHAR, VTK_INT, VTK_DOUBLE };
    EXPECT_EQ(image->GetScalarType(), scalarTypes[type - 1]);
    EXPECT_EQ(Bytes(image->GetScalarPointer(), bytes), Bytes(sources[type - 1], bytes));
    EXPECT_DOUBLE_EQ(image->GetScalarComponentAsDouble(2, 0, 0, 0),
      type == 1     ? 127.0
        : type == 2 ? 2147483647.0
                    : 3e300);
    image->Delete();
  }
}

TEST(vVector, BadBinaryFilesAreRefused)
{
  vTempHome home;
  std::string garbage(64, '\0');
  for (size_t i = 0; i < garbage.size(); ++i)
  {
    garbage[i] = static_cast<char>((i * 131 + 17) & 0xff);
  }
  const struct
  {
    const char* Name;
    std::string Contents; // "" with Create false: no file at all
    bool Create;
    int Nx, Ny, Nz, Type;
    bool Loaded;
  } cases[] = {
    { "missing", "", false, 2, 2, 2, 3, false },
    { "empty", "", true, 2, 2, 2, 1, false },
    { "truncated", std::string(63, 'x'), true, 2, 2, 2, 3, false },
    { "exact garbage", garbage, true, 2, 2, 2, 3, true },
    { "longer than needed", garbage, true, 2, 2, 2, 2, true },
    { "absurd count", garbage, true, 1 << 15, 1 << 16, 1, 1, false },
    { "largest count", garbage, true, 2147483647, 1, 1, 3, false },
    { "negative count", garbage, true, -8, 8, 1, 1, false },
    { "zero count", garbage, true, 0, 8, 1, 1, false },
    { "unknown type", garbage, true, 2, 2, 2, 4, false },
    { "type zero", garbage, true, 2, 2, 2, 0, false },
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.Name);
    const std::string path = home.Sub(std::string("local/") + c.Name + ".raw");
    if (c.Create)
    {
      home.WriteFile(std::string("local/") + c.Name + ".raw", c.Contents);
    }
    vVector vector;
    vector.SetFilename(path);
    vector.SetDimensions(c.Nx, c.Ny, c.Nz);
    vector.SetDataType(c.Type);
    vector.Read();
    EXPECT_FALSE(vector.isLocked());
    EXPECT_EQ(vector.GetDataPointer() != nullptr, c.Loaded);
    vtkImageData* image = vector.toVtkImage();
    EXPECT_EQ(image != nullptr, c.Loaded);
    if (image)
    {
      const size_t bytes = static_cast<size_t>(vector.GetSize()) * vVector::GetElementSize(c.Type);
      EXPECT_EQ(Bytes(image->GetScalarPointer(), bytes), garbage.substr(0, bytes));
      image->Delete();
    }
  }

  // A folder and a pipe are not read (the pipe would block).
  vVector folder;
  folder.SetFilename(home.Sub("local"));
  folder.Read();
  EXPECT_EQ(folder.GetDataPointer(), nullptr);
  const std::string fifo = home.Sub("local/pipe.raw");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  vVector pipe;
  pipe.SetFilename(fifo);
  pipe.Read();
  EXPECT_EQ(pipe.GetDataPointer(), nullptr);
}

TEST(vVector, ReadFreesTheOldBufferAndUnknownTypesDoNothing)
{
  vTempHome home;
  vVector vector;
  vector.SetDimensions(2, 1, 1);
  const unsigned char bytes[] = { 9, 8 };
  vector.SetDataFromChar(bytes);
  vector.SetFilename(home.Sub("local/none.raw"));
  vector.Read();
  EXPECT_EQ(vector.GetDataPointer(), nullptr); // the file could not be opened

  vector.SetDataFromChar(bytes);
  vector.SetDataType(7);
  vector.Read();
  ASSERT_NE(vector.GetDataPointer(), nullptr); // unknown type: Read leaves everything
  vector.Write();
  vector.WriteToTextFile();
  EXPECT_FALSE(Exists(home.Sub("local/none.raw")));
  EXPECT_EQ(vector.toVtkImage(), nullptr);
  vector.Initialize();
  EXPECT_EQ(vector.GetDataAsChar()[1], 8);
}

TEST(vVector, WriteNeedsABufferAndReplacesFilesWhole)
{
  vTempHome home;
  vVector vector;
  vector.SetFilename(home.Sub("local/w.raw"));
  vector.SetDimensions(4, 1, 1);
  vector.Write();
  EXPECT_FALSE(Exists(home.Sub("local/w.raw")));

  home.WriteFile("local/w.raw", std::string(100, 'z'));
  vector.Initialize();
  ASSERT_NE(vector.GetDataPointer(), nullptr);
  EXPECT_EQ(vector.GetDataSizeInBytes(), 4u);
  EXPECT_EQ(Bytes(vector.GetDataPointer(), 4), std::string(4, '\0'));
  vector.GetDataAsChar()[3] = 'k';
  vector.Write();
  EXPECT_EQ(vReadFile(home.Sub("local/w.raw")), std::string("\0\0\0k", 4));

  // Dimensions grown after the buffer was made: the buffer is too small and nothing is written.
  vector.SetDimensions(8, 1, 1);
  vector.Write();
  EXPECT_EQ(vReadFile(home.Sub("local/w.raw")).size(), 4u);
  EXPECT_EQ(vector.toVtkImage(), nullptr);

  // A file in a folder that does not exist is not created, and nothing is left behind.
  vector.SetDimensions(4, 1, 1);
  vector.SetFilename(home.Sub("nowhere/w.raw"));
  vector.Write();
  EXPECT_FALSE(Exists(home.Sub("nowhere")));
}

TEST(vVector, LockingSkipsBufferChanges)
{
  vTempHome home;
  home.WriteFile("local/l.raw", "abcd");
  vVector vector;
  vector.SetDimensions(4, 1, 1);
  vector.SetFilename(home.Sub("local/l.raw"));
  vector.Read();
  ASSERT_NE(vector.GetDataPointer(), nullptr);
  void* before = vector.GetDataPointer();

  vector.Lock();
  const unsigned char other[] = { 1, 2, 3, 4 };
  vector.SetDataFromChar(other);
  vector.Read();
  EXPECT_EQ(vector.GetDataPointer(), before);
  void* mine = std::malloc(4);
  vector.SetDataPointer(mine);
  EXPECT_EQ(vector.GetDataPointer(), before);
  std::free(mine); // refused: still the caller's
  vector.SetFilename(home.Sub("local/locked.raw"));
  vector.Write();
  EXPECT_FALSE(Exists(home.Sub("local/locked.raw")));
  vector.Unlock();

  void* taken = std::malloc(4);
  const char letters[4] = { 'w', 'x', 'y', 'z' };
  std::memcpy(taken, letters, sizeof(letters));
  vector.SetDataPointer(taken);
  EXPECT_EQ(vector.GetDataPointer(), taken);
  vector.Write();
  EXPECT_EQ(vReadFile(home.Sub("local/locked.raw")), "wxyz");
  vector.SetDataPointer(nullptr);
  EXPECT_EQ(vector.GetDataPointer(), nullptr);
  EXPECT_EQ(vector.GetDataSizeInBytes(), 0u);
}
