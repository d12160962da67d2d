#include "vVector.h"

#include "vTextFile.h"

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
// The binary counterpart of vTextFile::WriteAtomically, without copying the buffer into a
// string: the bytes go to a temporary file in the same folder, which is flushed and renamed over
// the target, so a failed write never leaves a half-written file.
bool WriteBytesAtomically(const std::string& path, const void* data, std::size_t size)
{
  if (path.empty())
  {
    return false;
  }
  std::string name = path + ".tmpXXXXXX";
  const int fd = mkstemp(&name[0]);
  if (fd < 0)
  {
    return false;
  }
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  const char* next = static_cast<const char*>(data);
  std::size_t left = size;
  bool ok = true;
  while (left > 0)
  {
    const ssize_t n = write(fd, next, left);
    if (n < 0)
    {
      if (errno == EINTR)
      {
        continue;
      }
      ok = false;
      break;
    }
    next += n;
    left -= static_cast<std::size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && std::rename(name.c_str(), path.c_str()) == 0;
  if (!ok)
  {
    unlink(name.c_str());
  }
  return ok;
}
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
  WriteBytesAtomically(this->GetFilename(), this->Data.get(), this->GetNeededBytes());
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
  }
  vTextFile::WriteAtomically(this->GetFilename(), text);
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
