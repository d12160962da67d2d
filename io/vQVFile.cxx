#include "vQVFile.h"

#include "vProgress.h"

#include "vMemoryBudget.h"
#include "vVoxelBuffer.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkUnsignedIntArray.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

const unsigned char vQVFile::Signature[vQVFile::SignatureSize] = { 0x4D,
  0x08,
  0x0F,
  0x4D,
  0x0B,
  0x1D };

namespace
{
const char* const CorruptedText = "error: the QV file may have been corrupted";
const char* const FileTypeText = "error: unrecognized file type";
const char* const DataTypeText = "error: unrecoginized data type";

constexpr int SizeOffset = 14;
constexpr int SpacingOffset = 26;
constexpr int DataTypeOffset = 50;

/** An open file descriptor, closed when it goes. */
class vFileDescriptor
{
public:
  explicit vFileDescriptor(int fd)
    : Fd(fd)
  {
  }
  ~vFileDescriptor()
  {
    if (this->Fd >= 0)
    {
      ::close(this->Fd);
    }
  }
  vFileDescriptor(const vFileDescriptor&) = delete;
  vFileDescriptor& operator=(const vFileDescriptor&) = delete;
  int Get() const { return this->Fd; }
  int Release()
  {
    int fd = this->Fd;
    this->Fd = -1;
    return fd;
  }

private:
  int Fd;
};

/**
 * Reads up to `count` bytes at `offset`; the number of bytes read (short only at the end, or when
 * the user cancelled the operation this read belongs to).
 */
size_t ReadAt(int fd, void* buffer, size_t count, off_t offset)
{
  size_t done = 0;
  auto* out = static_cast<unsigned char*>(buffer);
  while (
    done < count && vProgressScope::Report(static_cast<double>(done), static_cast<double>(count)))
  {
    // Pieces of 64 MiB: progress can be shown between them (and one read is capped near 2 GiB).
    size_t chunk = std::min<size_t>(count - done, size_t(64) << 20);
    ssize_t got = ::pread(fd, out + done, chunk, offset + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR)
    {
      continue;
    }
    if (got <= 0)
    {
      break;
    }
    done += static_cast<size_t>(got);
  }
  return done;
}

bool WriteAll(int fd, const void* buffer, size_t count)
{
  const auto* in = static_cast<const unsigned char*>(buffer);
  while (count > 0)
  {
    ssize_t put = ::write(fd, in, std::min<size_t>(count, size_t(1) << 30));
    if (put < 0 && errno == EINTR)
    {
      continue;
    }
    if (put <= 0)
    {
      return false;
    }
    in += put;
    count -= static_cast<size_t>(put);
  }
  return true;
}

int32_t GetInt32(const unsigned char* p)
{
  uint32_t v =
    uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
  int32_t result;
  std::memcpy(&result, &v, sizeof(result));
  return result;
}

double GetDouble(const unsigned char* p)
{
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i)
  {
    v = (v << 8) | p[i];
  }
  double result;
  std::memcpy(&result, &v, sizeof(result));
  return result;
}

void PutInt32(unsigned char* p, int32_t value)
{
  uint32_t v;
  std::memcpy(&v, &value, sizeof(v));
  for (int i = 0; i < 4; ++i)
  {
    p[i] = static_cast<unsigned char>(v >> (8 * i));
  }
}

void PutDouble(unsigned char* p, double value)
{
  uint64_t v;
  std::memcpy(&v, &value, sizeof(v));
  for (int i = 0; i < 8; ++i)
  {
    p[i] = static_cast<unsigned char>(v >> (8 * i));
  }
}

/** Voxels are stored little-endian; on a big-endian host they are turned around in place. */
void FromLittleEndian(uint32_t* values, size_t count)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  for (size_t i = 0; i < count; ++i)
  {
    values[i] = __builtin_bswap32(values[i]);
  }
#else
  (void)values;
  (void)count;
#endif
}

/**
 * Checks a header of `size` bytes (a file shorter than the header gives fewer) in the file's
 * order; the first fault decides the message.
 */
bool ParseHeader(const unsigned char* bytes, size_t size, tagQVHEADER& header, std::string& error)
{
  for (int i = 0; i < vQVFile::SignatureSize; ++i)
  {
    if (size <= static_cast<size_t>(i) || bytes[i] != vQVFile::Signature[i])
    {
      error = CorruptedText;
      return false;
    }
  }
  tagQVHEADER h;
  if (size < 10 || (h.HeaderWord = GetInt32(bytes + 6)) <= 0)
  {
    error = CorruptedText;
    return false;
  }
  if (size < SizeOffset)
  {
    error = CorruptedText;
    return false;
  }
  h.FileType = GetInt32(bytes + 10);
  if (h.FileType != 1 && h.FileType != 3)
  {
    error = FileTypeText;
    return false;
  }
  if (size < SpacingOffset)
  {
    error = CorruptedText;
    return false;
  }
  for (int i = 0; i < 3; ++i)
  {
    h.Size[i] = GetInt32(bytes + SizeOffset + 4 * i);
    if (h.Size[i] <= 0)
    {
      error = CorruptedText;
      return false;
    }
  }
  if (size < DataTypeOffset)
  {
    error = CorruptedText;
    return false;
  }
  for (int i = 0; i < 3; ++i)
  {
    double s = GetDouble(bytes + SpacingOffset + 8 * i);
    // "Not greater than 0" also catches NaN; an infinite spacing would give an infinite origin.
    h.Spacing[i] = (s > 0.0 && std::isfinite(s)) ? s : 1.0;
  }
  if (size < DataTypeOffset + 4)
  {
    error = CorruptedText;
    return false;
  }
  h.DataType = GetInt32(bytes + DataTypeOffset);
  if (h.DataType != 32 && h.DataType != 64)
  {
    error = DataTypeText;
    return false;
  }
  if (size < static_cast<size_t>(vQVFile::HeaderSize))
  {
    error = CorruptedText;
    return false;
  }
  header = h;
  return true;
}

bool ReadHeaderFd(int fd, tagQVHEADER& header, std::string& error)
{
  unsigned char bytes[vQVFile::HeaderSize];
  size_t got = fd >= 0 ? ReadAt(fd, bytes, sizeof(bytes), 0) : 0;
  return ParseHeader(bytes, got, header, error);
}

/** Bytes of `count` voxels, or false when that does not fit in memory sizes. */
bool VoxelBytes(const int32_t size[3], int planes, size_t& count, size_t& bytes)
{
  size_t n = 0;
  if (__builtin_mul_overflow(size_t(size[0]), size_t(size[1]), &n) ||
    __builtin_mul_overflow(n, size_t(planes), &n) || __builtin_mul_overflow(n, size_t(4), &bytes))
  {
    return false;
  }
  count = n;
  return true;
}

/** The file's size, or -1. */
long long FileSize(int fd)
{
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
  {
    return -1;
  }
  return static_cast<long long>(st.st_size);
}

bool CheckHeader(const tagQVHEADER& header, std::string& error)
{
  if (header.HeaderWord <= 0 || (header.FileType != 1 && header.FileType != 3) ||
    (header.DataType != 32 && header.DataType != 64) || header.Size[0] <= 0 ||
    header.Size[1] <= 0 || header.Size[2] <= 0)
  {
    error = "error: invalid QV header";
    return false;
  }
  return true;
}

/** Writes a QV file through a temporary file in the same folder; `fill` writes the voxels. */
template <typename Fill>
bool WriteFile(const std::string& path, const tagQVHEADER& header, Fill fill, std::string& error)
{
  if (!CheckHeader(header, error))
  {
    return false;
  }
  std::string temp = path + ".XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  vFileDescriptor fd(::mkstemp(name.data()));
  if (fd.Get() < 0)
  {
    error = "error: cannot write " + path;
    return false;
  }
  ::fchmod(fd.Get(), 0644);
  unsigned char bytes[vQVFile::HeaderSize] = {};
  std::memcpy(bytes, vQVFile::Signature, vQVFile::SignatureSize);
  PutInt32(bytes + 6, header.HeaderWord);
  PutInt32(bytes + 10, header.FileType);
  for (int i = 0; i < 3; ++i)
  {
    PutInt32(bytes + SizeOffset + 4 * i, header.Size[i]);
    PutDouble(bytes + SpacingOffset + 8 * i, header.Spacing[i]);
  }
  PutInt32(bytes + DataTypeOffset, header.DataType);
  bool ok = WriteAll(fd.Get(), bytes, sizeof(bytes)) && fill(fd.Get()) && ::fsync(fd.Get()) == 0;
  ok = (::close(fd.Release()) == 0) && ok;
  if (ok && ::rename(name.data(), path.c_str()) == 0)
  {
    return true;
  }
  ::unlink(name.data());
  error = "error: cannot write " + path;
  return false;
}

/** Writes `count` voxels, produced by `get(i)`, in little-endian chunks. */
template <typename Get>
bool WriteVoxels(int fd, size_t count, Get get)
{
  constexpr size_t Chunk = size_t(1) << 18;
  std::vector<unsigned char> buffer(Chunk * 4);
  for (size_t first = 0; first < count; first += Chunk)
  {
    size_t n = std::min(Chunk, count - first);
    for (size_t i = 0; i < n; ++i)
    {
      uint32_t v = get(first + i);
      unsigned char* p = buffer.data() + 4 * i;
      p[0] = static_cast<unsigned char>(v);
      p[1] = static_cast<unsigned char>(v >> 8);
      p[2] = static_cast<unsigned char>(v >> 16);
      p[3] = static_cast<unsigned char>(v >> 24);
    }
    if (!WriteAll(fd, buffer.data(), 4 * n))
    {
      return false;
    }
  }
  return true;
}

uint32_t ToVoxel(double v)
{
  if (!(v > 0.0))
  {
    return 0;
  }
  if (v >= 4294967295.0)
  {
    return 4294967295u;
  }
  return static_cast<uint32_t>(std::lround(v));
}
} // namespace

bool vQVFile::ReadHeader(const std::string& path, tagQVHEADER& header, std::string& error)
{
  vFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  return ReadHeaderFd(fd.Get(), header, error);
}

vtkSmartPointer<vtkImageData> vQVFile::ReadVolume(const std::string& path, std::string& error)
{
  vFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  tagQVHEADER header;
  if (!ReadHeaderFd(fd.Get(), header, error))
  {
    return nullptr;
  }
  size_t count = 0;
  size_t bytes = 0;
  long long fileSize = FileSize(fd.Get());
  // Voxels that end early (or sizes no file could hold) are refused before anything is allocated.
  if (!VoxelBytes(header.Size, header.Size[2], count, bytes) || fileSize < 0 ||
    static_cast<unsigned long long>(fileSize) - HeaderSize < bytes)
  {
    error = CorruptedText;
    return nullptr;
  }
  // A volume that cannot fit is refused before anything is allocated, saying what it needs.
  if (!vMemoryBudget::Fits(bytes, error))
  {
    return nullptr;
  }
  vVoxelBuffer buffer(bytes);
  if (!buffer.Get())
  {
    error = vMemoryBudget::NeedText(bytes, vMemoryBudget::Available());
    return nullptr;
  }
  if (ReadAt(fd.Get(), buffer.Get(), bytes, HeaderSize) != bytes)
  {
    error = CorruptedText;
    return nullptr;
  }
  auto* voxels = static_cast<uint32_t*>(buffer.Get());
  FromLittleEndian(voxels, count);

  vtkNew<vtkUnsignedIntArray> scalars;
  scalars->SetNumberOfComponents(1);
  scalars->SetName("QV");
  // The buffer goes to the array as it is (no copy); the array frees it.
  scalars->SetArray(
    voxels, static_cast<vtkIdType>(count), 0, vtkAbstractArray::VTK_DATA_ARRAY_FREE);
  buffer.Release();

  auto image = vtkSmartPointer<vtkImageData>::New();
  image->SetExtent(0, header.Size[0] - 1, 0, header.Size[1] - 1, 0, header.Size[2] - 1);
  image->SetSpacing(header.Spacing);
  double origin[3];
  for (int i = 0; i < 3; ++i)
  {
    origin[i] = -std::fabs(header.Spacing[i]) * (header.Size[i] - 1) / 2.0;
  }
  image->SetOrigin(origin);
  image->GetPointData()->SetScalars(scalars);
  return image;
}

bool vQVFile::ReadPreview(const std::string& path,
  std::vector<uint32_t>& slice,
  int& cols,
  int& rows,
  std::string& error)
{
  vFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  tagQVHEADER header;
  if (!ReadHeaderFd(fd.Get(), header, error))
  {
    return false;
  }
  size_t count = 0;
  size_t bytes = 0;
  long long fileSize = FileSize(fd.Get());
  if (!VoxelBytes(header.Size, 1, count, bytes) || fileSize < 0 ||
    static_cast<unsigned long long>(fileSize) - HeaderSize < bytes)
  {
    error = CorruptedText;
    return false;
  }
  if (!vMemoryBudget::Fits(bytes, error))
  {
    return false;
  }
  std::vector<uint32_t> values;
  try
  {
    values.resize(count);
  }
  catch (const std::bad_alloc&)
  {
    error = vMemoryBudget::NeedText(bytes, vMemoryBudget::Available());
    return false;
  }
  if (ReadAt(fd.Get(), values.data(), bytes, HeaderSize) != bytes)
  {
    error = CorruptedText;
    return false;
  }
  FromLittleEndian(values.data(), count);
  slice.swap(values);
  cols = header.Size[0];
  rows = header.Size[1];
  return true;
}

bool vQVFile::Write(const std::string& path,
  const tagQVHEADER& header,
  const uint32_t* voxels,
  std::string& error)
{
  size_t count = 0;
  size_t bytes = 0;
  if (!voxels || !VoxelBytes(header.Size, header.Size[2], count, bytes))
  {
    error = "error: invalid QV header";
    return false;
  }
  return WriteFile(
    path,
    header,
    [&](int fd) { return WriteVoxels(fd, count, [&](size_t i) { return voxels[i]; }); },
    error);
}

bool vQVFile::Write(const std::string& path, vtkImageData* image, std::string& error)
{
  vtkDataArray* scalars = image ? image->GetPointData()->GetScalars() : nullptr;
  if (!scalars)
  {
    error = "error: no voxels to write";
    return false;
  }
  tagQVHEADER header;
  int dims[3];
  image->GetDimensions(dims);
  double spacing[3];
  image->GetSpacing(spacing);
  for (int i = 0; i < 3; ++i)
  {
    header.Size[i] = dims[i];
    header.Spacing[i] = spacing[i];
  }
  size_t count = 0;
  size_t bytes = 0;
  if (!VoxelBytes(header.Size, header.Size[2], count, bytes) ||
    count != static_cast<size_t>(scalars->GetNumberOfTuples()))
  {
    error = "error: no voxels to write";
    return false;
  }
  if (scalars->GetDataType() == VTK_UNSIGNED_INT && scalars->GetNumberOfComponents() == 1)
  {
    return Write(path, header, static_cast<const uint32_t*>(scalars->GetVoidPointer(0)), error);
  }
  return WriteFile(
    path,
    header,
    [&](int fd)
    {
      return WriteVoxels(fd,
        count,
        [&](size_t i) { return ToVoxel(scalars->GetComponent(static_cast<vtkIdType>(i), 0)); });
    },
    error);
}
