#include "vVector.h"

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A file written whole or not at all: the bytes go to a temporary file in the same folder,
// which is flushed and renamed over the target on `Commit`; without a successful `Commit` the
// temporary file is removed and the target stays as it was. Large contents are streamed, never
// gathered in memory first.
class AtomicFile
{
public:
  explicit AtomicFile(const std::string& path)
    : Path(path)
    , TempName(path + ".tmpXXXXXX")
  {
    if (!path.empty())
    {
      this->Fd = mkstemp(&this->TempName[0]);
    }
    if (this->Fd >= 0)
    {
      // Keep the permissions an ordinary new file would get.
      const mode_t mask = umask(0);
      umask(mask);
      fchmod(this->Fd, 0666 & ~mask);
    }
  }
  ~AtomicFile()
  {
    if (this->Fd >= 0)
    {
      close(this->Fd);
      unlink(this->TempName.c_str());
    }
  }
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool Write(const void* data, std::size_t size)
  {
    const char* next = static_cast<const char*>(data);
    while (this->Fd >= 0 && this->Good && size > 0)
    {
      const ssize_t n = write(this->Fd, next, size);
      if (n < 0 && errno == EINTR)
      {
        continue;
      }
      if (n <= 0)
      {
        this->Good = false;
        break;
      }
      next += n;
      size -= static_cast<std::size_t>(n);
    }
    return this->Fd >= 0 && this->Good;
  }

  bool Commit()
  {
    if (this->Fd < 0)
    {
      return false;
    }
    bool ok = this->Good && fsync(this->Fd) == 0;
    ok = (close(this->Fd) == 0) && ok;
    this->Fd = -1;
    ok = ok && std::rename(this->TempName.c_str(), this->Path.c_str()) == 0;
    if (!ok)
    {
      unlink(this->TempName.c_str());
    }
    return ok;
  }

private:
  std::string Path;
  std::string TempName;
  int Fd = -1;
  bool Good = true;
};
} // namespace

vVector::vVector()
{
  this->SetName("vector");
  this->SetFilename("vector.raw");
}

vVector::~vVector() = default;

void vVector::SetDimensions(int nx, int ny, int nz)
{
  this->Dimensions[0] = nx;
  this->Dimensions[1] = ny;
  this->Dimensions[2] = nz;
}

void vVector::GetDimensions(int& nx, int& ny, int& nz) const
{
  nx = this->Dimensions[0];
  ny = this->Dimensions[1];
  nz = this->Dimensions[2];
}

int vVector::GetSize() const
{
  std::int64_t size = 1;
  for (int d : this->Dimensions)
  {
    if (d < 0)
    {
      return 0;
    }
    size *= d; // at most (2^31)^2 before the check below stops the loop
    if (size > std::numeric_limits<int>::max())
    {
      return 0;
    }
  }
  return static_cast<int>(size);
}

std::size_t vVector::GetElementSize(int type)
{
  switch (type)
  {
    case UnsignedChar:
      return 1;
    case Int:
      return sizeof(std::int32_t);
    case Double:
      return sizeof(double);
    default:
      return 0;
  }
}

std::size_t vVector::GetNeededBytes() const
{
  return static_cast<std::size_t>(this->GetSize()) * GetElementSize(this->Type);
}

bool vVector::HasUsableBuffer() const
{
  const std::size_t needed = this->GetNeededBytes();
  return this->Data && needed > 0 && this->DataBytes >= needed;
}

void vVector::ResetData()
{
  this->Data.reset();
  this->DataBytes = 0;
}

void vVector::Initialize()
{
  const std::size_t needed = this->GetNeededBytes();
  if (this->Data || needed == 0)
  {
    return;
  }
  this->Data.reset(std::calloc(needed, 1));
  this->DataBytes = this->Data ? needed : 0;
}

void vVector::ReplaceData(const void* values, std::size_t elementSize)
{
  if (this->Locked || !values)
  {
    return;
  }
  this->Lock();
  this->ResetData();
  const std::size_t bytes = static_cast<std::size_t>(this->GetSize()) * elementSize;
  if (bytes > 0)
  {
    this->Data.reset(std::malloc(bytes));
    if (this->Data)
    {
      std::memcpy(this->Data.get(), values, bytes);
      this->DataBytes = bytes;
    }
  }
  this->Unlock();
}

void vVector::SetDataFromChar(const unsigned char* values)
{
  this->ReplaceData(values, 1);
}

void vVector::SetDataFromInt(const int* values)
{
  this->ReplaceData(values, sizeof(int));
}

void vVector::SetDataFromDouble(const double* values)
{
  this->ReplaceData(values, sizeof(double));
}

void vVector::SetDataPointer(void* data)
{
  this->SetDataPointer(data, this->GetNeededBytes());
}

void vVector::SetDataPointer(void* data, std::size_t bytes)
{
  if (this->Locked)
  {
    return;
  }
  this->Lock();
  this->Data.reset(data);
  this->DataBytes = data ? bytes : 0;
  this->Unlock();
}

void vVector::Read()
{
  if (this->Locked || GetElementSize(this->Type) == 0)
  {
    return;
  }
  this->ResetData();
  this->Lock();
  const std::size_t needed = this->GetNeededBytes();
  const std::string path = this->GetFilename();
  struct stat info;
  // Only a regular file that holds every value is read: no blocking on a pipe, no partly
  // undefined buffer from a short file, no huge allocation for a file that cannot fill it.
  if (needed > 0 && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
    static_cast<std::uint64_t>(info.st_size) >= needed)
  {
    if (FILE* file = std::fopen(path.c_str(), "rb"))
    {
      std::unique_ptr<void, FreeDeleter> buffer(std::malloc(needed));
      if (buffer && std::fread(buffer.get(), 1, needed, file) == needed)
      {
        this->Data = std::move(buffer);
        this->DataBytes = needed;
      }
      std::fclose(file);
    }
  }
  this->Unlock();
}

void vVector::Write()
{
  if (this->Locked || !this->HasUsableBuffer())
  {
    return;
  }
  this->Lock();
  AtomicFile file(this->GetFilename());
  if (file.Write(this->Data.get(), this->GetNeededBytes()))
  {
    file.Commit();
  }
  this->Unlock();
}

void vVector::WriteToTextFile()
{
  if (!this->HasUsableBuffer())
  {
    return;
  }
  const int nx = this->Dimensions[0];
  const std::size_t size = static_cast<std::size_t>(this->GetSize());
  AtomicFile file(this->GetFilename());
  constexpr std::size_t FlushSize = 1 << 20;
  std::string text;
  char number[400]; // "%.4f" of the largest double is 316 characters
  for (std::size_t i = 0; i < size; ++i)
  {
    double value = 0.0;
    switch (this->Type)
    {
      case UnsignedChar:
        value = this->GetDataAsChar()[i];
        break;
      case Int:
        value = this->GetDataAsInt()[i];
        break;
      default:
        value = this->GetDataAsDouble()[i];
        break;
    }
    const bool lastOfLine = (i % static_cast<std::size_t>(nx)) == static_cast<std::size_t>(nx - 1);
    std::snprintf(number, sizeof(number), lastOfLine ? "%.4f\n" : "%.4f\t", value);
    text += number;
    if (text.size() >= FlushSize)
    {
      if (!file.Write(text.data(), text.size()))
      {
        return; // the temporary file is removed; the old file stays
      }
      text.clear();
    }
  }
  if (file.Write(text.data(), text.size()))
  {
    file.Commit();
  }
}

vtkImageData* vVector::toVtkImage()
{
  if (!this->HasUsableBuffer())
  {
    return nullptr;
  }
  int scalarType = VTK_UNSIGNED_CHAR;
  if (this->Type == Int)
  {
    scalarType = VTK_INT;
  }
  else if (this->Type == Double)
  {
    scalarType = VTK_DOUBLE;
  }
  vtkImageData* image = vtkImageData::New();
  image->SetDimensions(this->Dimensions);
  image->SetSpacing(1.0, 1.0, 1.0);
  image->AllocateScalars(scalarType, 1);
  vtkDataArray* scalars = image->GetPointData()->GetScalars();
  const std::size_t needed = this->GetNeededBytes();
  if (!scalars ||
    static_cast<std::size_t>(scalars->GetNumberOfValues()) * GetElementSize(this->Type) != needed)
  {
    image->Delete();
    return nullptr;
  }
  std::memcpy(scalars->GetVoidPointer(0), this->Data.get(), needed);
  return image;
}
