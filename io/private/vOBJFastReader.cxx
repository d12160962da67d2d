#include "vOBJFastReader.h"

#include "vProgress.h"

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkFloatArray.h>
#include <vtkIdTypeArray.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>

#include <fast_float/fast_float.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
/** Lines at least this long are left to VTK's reader, which reads lines into a fixed buffer. */
constexpr size_t LongestLine = 1000;
/** Larger indices are refused, as the check before VTK's reader refuses them. */
constexpr long long LargestIndex = 1LL << 40;

using Result = vOBJFastReader::Result;

/** What `isspace` takes in the C locale, which is what VTK's reader splits words at. */
inline bool IsSpace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

/**
 * A growing block that ends up in a VTK array without a copy (freed with `free`). `realloc` of a
 * large block moves its pages rather than its bytes.
 */
template <typename T>
class vGrowable
{
public:
  vGrowable() = default;
  ~vGrowable() { std::free(this->Data); }
  vGrowable(const vGrowable&) = delete;
  vGrowable& operator=(const vGrowable&) = delete;

  bool Push(T value)
  {
    if (this->Size == this->Capacity && !this->Grow())
    {
      return false;
    }
    this->Data[this->Size++] = value;
    return true;
  }
  T* Get() const { return this->Data; }
  size_t GetSize() const { return this->Size; }
  /** Hands the block over to be freed with `free`; the object is empty afterwards. */
  T* Release()
  {
    T* data = this->Data;
    this->Data = nullptr;
    this->Size = 0;
    this->Capacity = 0;
    return data;
  }

private:
  bool Grow()
  {
    const size_t capacity = this->Capacity ? this->Capacity * 2 : 4096;
    void* grown = std::realloc(this->Data, capacity * sizeof(T));
    if (!grown)
    {
      return false;
    }
    this->Data = static_cast<T*>(grown);
    this->Capacity = capacity;
    return true;
  }

  T* Data = nullptr;
  size_t Size = 0;
  size_t Capacity = 0;
};

/** An array of VTK's own type holding the block (no copy); null for an empty block. */
template <typename ArrayType, typename T>
vtkSmartPointer<ArrayType> ToArray(vGrowable<T>& values, int components)
{
  auto array = vtkSmartPointer<ArrayType>::New();
  array->SetNumberOfComponents(components);
  const size_t size = values.GetSize();
  if (size == 0)
  {
    return array;
  }
  array->SetArray(
    values.Release(), static_cast<vtkIdType>(size), 0, ArrayType::VTK_DATA_ARRAY_FREE);
  return array;
}

/** The parse of one file. */
class vOBJParse
{
public:
  Result Run(const char* data, size_t size);
  vtkSmartPointer<vtkPolyData> MakeModel();

private:
  Result Vertex(const char* p, const char* end);
  Result TextureCoordinate(const char* p, const char* end);
  Result Normal(const char* p, const char* end);
  Result Face(const char* p, const char* end);
  Result PlainElement(const char* p,
    const char* end,
    vGrowable<vtkIdType>& connectivity,
    vGrowable<vtkIdType>& offsets,
    size_t least);
  /** Reads an index ("-"? digits); false (with `refused` set) when it is malformed. */
  static bool Index(const char*& p, const char* end, long long& value, bool& refused);
  /** The 0-based vertex an index names (negative: counted back from the last vertex read). */
  bool VertexId(long long index, vtkIdType& id) const;

  vGrowable<float> Points;
  vGrowable<float> TCoords;
  vGrowable<float> Normals;
  vGrowable<vtkIdType> PolyOffsets;
  vGrowable<vtkIdType> PolyIds;
  vGrowable<vtkIdType> LineOffsets;
  vGrowable<vtkIdType> LineIds;
  vGrowable<vtkIdType> VertOffsets;
  vGrowable<vtkIdType> VertIds;
  int FaceShape = -1; // bit 0: vertex, 1: texture coordinate, 2: normal; -1 before any face
  long long LargestVertex = 0;
  long long LargestTCoord = 0;
  long long LargestNormal = 0;
  bool HasNormalLines = false;
};

bool vOBJParse::Index(const char*& p, const char* end, long long& value, bool& refused)
{
  bool negative = false;
  if (p < end && *p == '-')
  {
    negative = true;
    ++p;
  }
  if (p >= end || *p < '0' || *p > '9')
  {
    refused = true;
    return false;
  }
  long long number = 0;
  while (p < end && *p >= '0' && *p <= '9')
  {
    number = number * 10 + (*p - '0');
    if (number > LargestIndex)
    {
      refused = true;
      return false;
    }
    ++p;
  }
  if (number == 0)
  {
    refused = true;
    return false;
  }
  value = negative ? -number : number;
  return true;
}

bool vOBJParse::VertexId(long long index, vtkIdType& id) const
{
  if (index < 0)
  {
    const long long resolved = static_cast<long long>(this->Points.GetSize() / 3) + index;
    if (resolved < 0)
    {
      return false;
    }
    id = static_cast<vtkIdType>(resolved);
    return true;
  }
  id = static_cast<vtkIdType>(index - 1);
  return true;
}

/** Parses `count` numbers separated by blanks into `out`; false when one is not a plain number. */
bool Numbers(const char*& p, const char* end, float* out, int count)
{
  for (int k = 0; k < count; ++k)
  {
    while (p < end && IsSpace(*p))
    {
      ++p;
    }
    if (p < end && *p == '+')
    {
      ++p; // the C++ stream VTK reads with takes a plus sign; fast_float does not
      if (p < end && (*p == '-' || *p == '+'))
      {
        return false;
      }
    }
    const fast_float::from_chars_result parsed = fast_float::from_chars(p, end, out[k]);
    if (parsed.ec != std::errc() || !std::isfinite(out[k]) ||
      (parsed.ptr < end && !IsSpace(*parsed.ptr)))
    {
      return false;
    }
    p = parsed.ptr;
  }
  return true;
}

Result vOBJParse::Vertex(const char* p, const char* end)
{
  float xyz[3];
  if (!Numbers(p, end, xyz, 3))
  {
    return Result::NotHandled;
  }
  // VTK's reader reads three numbers and ignores the rest of the line (a weight, colours).
  if (!this->Points.Push(xyz[0]) || !this->Points.Push(xyz[1]) || !this->Points.Push(xyz[2]))
  {
    return Result::Refused;
  }
  return Result::Read;
}

Result vOBJParse::TextureCoordinate(const char* p, const char* end)
{
  float uv[2];
  if (!Numbers(p, end, uv, 2))
  {
    return Result::NotHandled;
  }
  return this->TCoords.Push(uv[0]) && this->TCoords.Push(uv[1]) ? Result::Read : Result::Refused;
}

Result vOBJParse::Normal(const char* p, const char* end)
{
  float xyz[3];
  if (!Numbers(p, end, xyz, 3))
  {
    return Result::NotHandled;
  }
  this->HasNormalLines = true;
  return this->Normals.Push(xyz[0]) && this->Normals.Push(xyz[1]) && this->Normals.Push(xyz[2])
    ? Result::Read
    : Result::Refused;
}

Result vOBJParse::Face(const char* p, const char* end)
{
  size_t corners = 0;
  bool refused = false;
  while (true)
  {
    while (p < end && IsSpace(*p))
    {
      ++p;
    }
    if (p >= end)
    {
      break;
    }
    if (*p == '\\')
    {
      return Result::NotHandled; // a continued line
    }
    long long parts[3] = { 0, 0, 0 };
    int shape = 1;
    if (!Index(p, end, parts[0], refused))
    {
      return Result::Refused;
    }
    if (p < end && *p == '/')
    {
      ++p;
      if (p < end && *p == '/')
      {
        ++p;
        if (!Index(p, end, parts[2], refused))
        {
          return Result::Refused;
        }
        shape |= 4;
      }
      else
      {
        if (!Index(p, end, parts[1], refused))
        {
          return Result::Refused;
        }
        shape |= 2;
        if (p < end && *p == '/')
        {
          ++p;
          if (!Index(p, end, parts[2], refused))
          {
            return Result::Refused;
          }
          shape |= 4;
        }
      }
    }
    if (p < end && !IsSpace(*p))
    {
      return Result::Refused; // more parts or other characters in a group
    }
    if (corners == 0 && this->FaceShape >= 0 && shape != this->FaceShape)
    {
      return Result::NotHandled; // faces of different shapes: VTK's reader sorts them out
    }
    if (corners > 0 && shape != this->FaceShape)
    {
      return Result::Refused; // groups of mixed shape in one face
    }
    this->FaceShape = shape;
    // Texture coordinates and normals numbered as the vertices become point data as they are;
    // any other numbering makes VTK's reader duplicate vertices.
    if (((shape & 2) && parts[1] != parts[0]) || ((shape & 4) && parts[2] != parts[0]) ||
      (shape != 1 && parts[0] < 0))
    {
      return Result::NotHandled;
    }
    vtkIdType id = 0;
    if (!this->VertexId(parts[0], id))
    {
      return Result::Refused;
    }
    if (parts[0] > this->LargestVertex)
    {
      this->LargestVertex = parts[0];
    }
    if (parts[1] > this->LargestTCoord)
    {
      this->LargestTCoord = parts[1];
    }
    if (parts[2] > this->LargestNormal)
    {
      this->LargestNormal = parts[2];
    }
    if (corners == 0 && !this->PolyOffsets.Push(static_cast<vtkIdType>(this->PolyIds.GetSize())))
    {
      return Result::Refused;
    }
    if (!this->PolyIds.Push(id))
    {
      return Result::Refused;
    }
    ++corners;
  }
  return corners >= 3 ? Result::Read : Result::NotHandled;
}

Result vOBJParse::PlainElement(const char* p,
  const char* end,
  vGrowable<vtkIdType>& connectivity,
  vGrowable<vtkIdType>& offsets,
  size_t least)
{
  const size_t first = connectivity.GetSize();
  bool refused = false;
  while (true)
  {
    while (p < end && IsSpace(*p))
    {
      ++p;
    }
    if (p >= end)
    {
      break;
    }
    if (*p == '\\' || *p == '/')
    {
      return Result::NotHandled;
    }
    long long index = 0;
    if (!Index(p, end, index, refused))
    {
      return Result::Refused;
    }
    if (p < end && *p == '/')
    {
      return Result::NotHandled; // texture coordinates on a line: left to VTK's reader
    }
    if (p < end && !IsSpace(*p))
    {
      return Result::Refused;
    }
    vtkIdType id = 0;
    if (!this->VertexId(index, id))
    {
      return Result::Refused;
    }
    if (index > this->LargestVertex)
    {
      this->LargestVertex = index;
    }
    if (connectivity.GetSize() == first && !offsets.Push(static_cast<vtkIdType>(first)))
    {
      return Result::Refused;
    }
    if (!connectivity.Push(id))
    {
      return Result::Refused;
    }
  }
  return connectivity.GetSize() - first >= least ? Result::Read : Result::NotHandled;
}

Result vOBJParse::Run(const char* data, size_t size)
{
  const char* p = data;
  const char* const fileEnd = data + size;
  if (size >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
  {
    p += 3; // a UTF-8 byte-order mark
  }
  size_t lines = 0;
  while (p < fileEnd)
  {
    // How far the read is, every 65,536 lines; the user may stop it there.
    if ((lines++ & 0xFFFF) == 0 && !vProgressScope::Report(double(p - data), double(size)))
    {
      return Result::Refused;
    }
    const void* eol = std::memchr(p, '\n', static_cast<size_t>(fileEnd - p));
    const char* lineEnd = eol ? static_cast<const char*>(eol) : fileEnd;
    if (static_cast<size_t>(lineEnd - p) >= LongestLine)
    {
      return Result::NotHandled;
    }
    while (p < lineEnd && IsSpace(*p))
    {
      ++p;
    }
    const char* word = p;
    while (p < lineEnd && !IsSpace(*p))
    {
      ++p;
    }
    const size_t length = static_cast<size_t>(p - word);
    Result result = Result::Read;
    if (length == 1)
    {
      switch (word[0])
      {
        case 'v':
          result = this->Vertex(p, lineEnd);
          break;
        case 'f':
          result = this->Face(p, lineEnd);
          break;
        case 'l':
          result = this->PlainElement(p, lineEnd, this->LineIds, this->LineOffsets, 2);
          break;
        case 'p':
          result = this->PlainElement(p, lineEnd, this->VertIds, this->VertOffsets, 1);
          break;
        case 'g':
          result = Result::NotHandled; // groups become cell data in VTK's reader
          break;
        default:
          break;
      }
    }
    else if (length == 2 && word[0] == 'v' && word[1] == 't')
    {
      result = this->TextureCoordinate(p, lineEnd);
    }
    else if (length == 2 && word[0] == 'v' && word[1] == 'n')
    {
      result = this->Normal(p, lineEnd);
    }
    else if (length == 6 && std::memcmp(word, "usemtl", 6) == 0)
    {
      result = Result::NotHandled; // materials name VTK's texture coordinates
    }
    if (result != Result::Read)
    {
      return result;
    }
    p = lineEnd + 1;
  }
  // Indices may name vertices defined further on; each must name one the file has.
  if (this->LargestVertex > static_cast<long long>(this->Points.GetSize() / 3) ||
    this->LargestTCoord > static_cast<long long>(this->TCoords.GetSize() / 2) ||
    this->LargestNormal > static_cast<long long>(this->Normals.GetSize() / 3))
  {
    return Result::Refused;
  }
  return Result::Read;
}

/** A cell array holding the blocks; null when there are no cells. */
vtkSmartPointer<vtkCellArray> MakeCells(vGrowable<vtkIdType>& offsets,
  vGrowable<vtkIdType>& connectivity)
{
  if (offsets.GetSize() == 0)
  {
    return nullptr;
  }
  if (!offsets.Push(static_cast<vtkIdType>(connectivity.GetSize())))
  {
    return nullptr;
  }
  auto offsetArray = ToArray<vtkIdTypeArray>(offsets, 1);
  auto idArray = ToArray<vtkIdTypeArray>(connectivity, 1);
  auto cells = vtkSmartPointer<vtkCellArray>::New();
  cells->SetData(offsetArray, idArray);
  return cells;
}

vtkSmartPointer<vtkPolyData> vOBJParse::MakeModel()
{
  auto model = vtkSmartPointer<vtkPolyData>::New();
  vtkNew<vtkPoints> points;
  points->SetData(ToArray<vtkFloatArray>(this->Points, 3));
  model->SetPoints(points);
  const bool faceTCoords = this->FaceShape > 0 && (this->FaceShape & 2);
  // Texture coordinates no face names stay (-1, -1), as VTK's reader leaves them.
  if (faceTCoords)
  {
    const vtkIdType count = static_cast<vtkIdType>(this->TCoords.GetSize() / 2);
    std::vector<char> named(static_cast<size_t>(count), 0);
    const vtkIdType* ids = this->PolyIds.Get();
    for (size_t i = 0; i < this->PolyIds.GetSize(); ++i)
    {
      if (ids[i] >= 0 && ids[i] < count)
      {
        named[static_cast<size_t>(ids[i])] = 1;
      }
    }
    float* uv = this->TCoords.Get();
    for (vtkIdType i = 0; i < count; ++i)
    {
      if (!named[static_cast<size_t>(i)])
      {
        uv[2 * i] = -1.0f;
        uv[2 * i + 1] = -1.0f;
      }
    }
  }
  if (auto verts = MakeCells(this->VertOffsets, this->VertIds))
  {
    model->SetVerts(verts);
  }
  if (auto lines = MakeCells(this->LineOffsets, this->LineIds))
  {
    model->SetLines(lines);
  }
  if (auto polys = MakeCells(this->PolyOffsets, this->PolyIds))
  {
    model->SetPolys(polys);
    // VTK's reader numbers the faces' groups; without "g" statements every face is in group 0.
    vtkNew<vtkFloatArray> groups;
    groups->SetName("GroupIds");
    groups->SetNumberOfValues(polys->GetNumberOfCells());
    groups->FillValue(0.0f);
    model->GetCellData()->AddArray(groups);
  }
  if (faceTCoords)
  {
    auto tcoords = ToArray<vtkFloatArray>(this->TCoords, 2);
    tcoords->SetName("TCoords");
    model->GetPointData()->AddArray(tcoords);
    model->GetPointData()->SetActiveTCoords("TCoords");
  }
  if (this->HasNormalLines)
  {
    auto normals = ToArray<vtkFloatArray>(this->Normals, 3);
    normals->SetName("Normals");
    model->GetPointData()->SetNormals(normals);
  }
  return model;
}
} // namespace

vOBJFastReader::Result vOBJFastReader::ReadBytes(const char* data,
  size_t size,
  vtkSmartPointer<vtkPolyData>& model)
{
  vOBJParse parse;
  const Result result = parse.Run(data, size);
  if (result == Read)
  {
    model = parse.MakeModel();
  }
  return result;
}

vOBJFastReader::Result vOBJFastReader::ReadFile(const std::string& path,
  vtkSmartPointer<vtkPolyData>& model)
{
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
  {
    return NotHandled;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
  {
    ::close(fd);
    return NotHandled;
  }
  const size_t size = static_cast<size_t>(st.st_size);
  void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  ::close(fd);
  if (mapped == MAP_FAILED)
  {
    return NotHandled;
  }
  ::madvise(mapped, size, MADV_SEQUENTIAL);
  const Result result = ReadBytes(static_cast<const char*>(mapped), size, model);
  ::munmap(mapped, size);
  return result;
}
