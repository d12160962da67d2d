#include "vLegacyVTKFastReader.h"

#include "vBigEndian.h"

#include "vProgress.h"

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkDataArray.h>
#include <vtkIdTypeArray.h>
#include <vtkNew.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkTypeInt32Array.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
using Result = vLegacyVTKFastReader::Result;

/** Longest keyword line looked at; VTK's reader reads lines of at most 256 characters. */
constexpr size_t LongestLine = 256;

std::string Lower(std::string text)
{
  std::transform(text.begin(),
    text.end(),
    text.begin(),
    [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

/** A count written as plain digits; false for anything else. */
bool Count(const std::string& word, unsigned long long& value)
{
  if (word.empty() || word.size() > 18 ||
    !std::all_of(
      word.begin(), word.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
  {
    return false;
  }
  value = std::strtoull(word.c_str(), nullptr, 10);
  return true;
}

/** The VTK type of a legacy attribute type name this reader takes; -1 for any other. */
int AttributeType(const std::string& name)
{
  const std::string type = Lower(name);
  if (type == "float")
  {
    return VTK_FLOAT;
  }
  if (type == "double")
  {
    return VTK_DOUBLE;
  }
  if (type == "unsigned_char")
  {
    return VTK_UNSIGNED_CHAR;
  }
  if (type == "short")
  {
    return VTK_SHORT;
  }
  if (type == "unsigned_short")
  {
    return VTK_UNSIGNED_SHORT;
  }
  if (type == "int")
  {
    return VTK_INT;
  }
  if (type == "unsigned_int")
  {
    return VTK_UNSIGNED_INT;
  }
  return -1;
}

/** Bytes read at a time into a buffer that stays in the cache while its values are turned. */
constexpr size_t ChunkBytes = size_t(256) << 10;

/** The file, read a keyword line or a binary block at a time. */
class vLegacyFile
{
public:
  explicit vLegacyFile(const std::string& path)
    : Descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
  {
    struct stat st;
    if (this->Descriptor >= 0 && ::fstat(this->Descriptor, &st) == 0 && S_ISREG(st.st_mode))
    {
      this->Size = static_cast<unsigned long long>(st.st_size);
    }
  }
  ~vLegacyFile()
  {
    if (this->Descriptor >= 0)
    {
      ::close(this->Descriptor);
    }
  }
  vLegacyFile(const vLegacyFile&) = delete;
  vLegacyFile& operator=(const vLegacyFile&) = delete;

  bool IsOpen() const { return this->Descriptor >= 0 && this->Size > 0; }
  /** True once a line was too long or a read failed (not at the plain end of the file). */
  bool HasFailed() const { return this->Failed; }
  unsigned long long Remaining() const { return this->Size - std::min(this->Pos, this->Size); }

  /**
   * The next line (after any blank space) as it is, without its end; false at the end of the file
   * or for a line longer than `LongestLine`.
   */
  bool Line(std::string& line)
  {
    char chunk[LongestLine + 64];
    for (;;)
    {
      const ssize_t got =
        ::pread(this->Descriptor, chunk, sizeof(chunk), static_cast<off_t>(this->Pos));
      if (got < 0)
      {
        this->Failed = true;
      }
      if (got <= 0)
      {
        return false;
      }
      size_t i = 0;
      while (i < static_cast<size_t>(got) && IsBlank(chunk[i]))
      {
        ++i;
      }
      this->Pos += i;
      if (i == static_cast<size_t>(got))
      {
        continue; // only blank space in this chunk
      }
      const void* eol = std::memchr(chunk + i, '\n', static_cast<size_t>(got) - i);
      if (!eol && static_cast<unsigned long long>(got) < this->Size - (this->Pos - i))
      {
        this->Failed = true; // too long a line
        return false;
      }
      const char* end = eol ? static_cast<const char*>(eol) : chunk + got;
      line.assign(static_cast<const char*>(chunk + i), end);
      this->Pos += static_cast<size_t>(end - (chunk + i)) + (eol ? 1 : 0);
      while (!line.empty() && IsBlank(line.back()))
      {
        line.pop_back();
      }
      return true;
    }
  }

  /** The next line's words. */
  bool Words(std::vector<std::string>& words)
  {
    std::string line;
    words.clear();
    if (!this->Line(line))
    {
      return false;
    }
    size_t i = 0;
    while (i < line.size())
    {
      while (i < line.size() && IsBlank(line[i]))
      {
        ++i;
      }
      size_t start = i;
      while (i < line.size() && !IsBlank(line[i]))
      {
        ++i;
      }
      if (i > start)
      {
        words.emplace_back(line, start, i - start);
      }
    }
    return !words.empty();
  }

  /**
   * Reads `count` big-endian values of `size` bytes into `data` in the machine's order: a chunk
   * at a time into a small buffer, turned on the way out, so the values cross memory once.
   */
  bool Values(void* data, unsigned long long count, int size)
  {
    const unsigned long long bytes = count * static_cast<unsigned long long>(size);
    if (size <= 1)
    {
      return this->Block(data, bytes);
    }
    if (bytes > this->Remaining())
    {
      return false;
    }
    std::vector<char>& buffer = this->Buffer;
    buffer.resize(ChunkBytes);
    auto* out = static_cast<char*>(data);
    unsigned long long done = 0;
    while (done < bytes)
    {
      if (!vProgressScope::Report(double(this->Pos + done), double(this->Size)))
      {
        return false; // the user stopped the read
      }
      const size_t chunk =
        static_cast<size_t>(std::min<unsigned long long>(bytes - done, ChunkBytes));
      if (!this->ReadAt(buffer.data(), chunk, this->Pos + done))
      {
        return false;
      }
      // Whole values only: a chunk is a multiple of every value size.
      vBigEndian::Copy(out + done, buffer.data(), chunk / static_cast<size_t>(size), size);
      done += chunk;
    }
    this->Pos += bytes;
    return true;
  }

  /**
   * Reads `count` big-endian 64-bit integers into 32-bit ones; false when the file ends first or
   * a value is negative or not below `limit` (at most 2^31).
   */
  bool NarrowValues(int32_t* data, unsigned long long count, uint64_t limit)
  {
    if (count > this->Remaining() / 8)
    {
      return false;
    }
    std::vector<char>& buffer = this->Buffer;
    buffer.resize(ChunkBytes);
    unsigned long long done = 0;
    bool fits = true;
    while (done < count)
    {
      if (!vProgressScope::Report(double(this->Pos + done * 8), double(this->Size)))
      {
        return false; // the user stopped the read
      }
      const size_t chunk =
        static_cast<size_t>(std::min<unsigned long long>(count - done, ChunkBytes / 8));
      if (!this->ReadAt(buffer.data(), chunk * 8, this->Pos + done * 8))
      {
        return false;
      }
      fits = vBigEndian::Narrow(data + done, buffer.data(), chunk, limit) && fits;
      done += chunk;
    }
    this->Pos += count * 8;
    return fits;
  }

  /** Reads `bytes` into `data`; false when the file ends first. */
  bool Block(void* data, unsigned long long bytes)
  {
    if (bytes > this->Remaining())
    {
      return false;
    }
    auto* out = static_cast<char*>(data);
    unsigned long long done = 0;
    while (done < bytes)
    {
      if (!vProgressScope::Report(double(this->Pos + done), double(this->Size)))
      {
        return false; // the user stopped the read
      }
      const size_t chunk =
        static_cast<size_t>(std::min<unsigned long long>(bytes - done, ChunkBytes));
      const ssize_t got =
        ::pread(this->Descriptor, out + done, chunk, static_cast<off_t>(this->Pos + done));
      if (got <= 0)
      {
        return false;
      }
      done += static_cast<unsigned long long>(got);
    }
    this->Pos += bytes;
    return true;
  }

private:
  /** Reads exactly `bytes` at `offset` into `to`; false when the file ends first. */
  bool ReadAt(char* to, size_t bytes, unsigned long long offset) const
  {
    size_t got = 0;
    while (got < bytes)
    {
      const ssize_t n =
        ::pread(this->Descriptor, to + got, bytes - got, static_cast<off_t>(offset + got));
      if (n <= 0)
      {
        return false;
      }
      got += static_cast<size_t>(n);
    }
    return true;
  }

  int Descriptor = -1;
  unsigned long long Size = 0;
  unsigned long long Pos = 0;
  bool Failed = false;
  std::vector<char> Buffer;
};

/** The parse of one file. */
class vLegacyParse
{
public:
  explicit vLegacyParse(const std::string& path)
    : File(path)
  {
  }
  Result Run();
  vtkSmartPointer<vtkPolyData> Model = vtkSmartPointer<vtkPolyData>::New();

private:
  bool Header();
  bool Points(const std::vector<std::string>& words);
  bool Cells(const std::vector<std::string>& words);
  bool Attribute(const std::vector<std::string>& words);
  /** A new array of `tuples` x `components` values of `type` read from the file. */
  vtkSmartPointer<vtkDataArray> Array(int type, unsigned long long tuples, int components);
  vtkIdType TotalCells() const;

  vLegacyFile File;
  bool Modern = false;                        // version 5.1 on: offsets and connectivity
  vtkDataSetAttributes* Attributes = nullptr; // borrowed: the model's point or cell data
  unsigned long long AttributeTuples = 0;
};

bool vLegacyParse::Header()
{
  std::string line;
  if (!this->File.Line(line) || line.compare(0, 22, "# vtk DataFile Version") != 0)
  {
    return false;
  }
  const double version = std::strtod(line.c_str() + 22, nullptr);
  this->Modern = version >= 5.1;
  std::vector<std::string> words;
  // The title (any text, possibly empty: then the format line comes first).
  if (!this->File.Line(line))
  {
    return false;
  }
  if (Lower(line) != "binary")
  {
    if (!this->File.Words(words) || words.size() != 1 || Lower(words[0]) != "binary")
    {
      return false;
    }
  }
  return this->File.Words(words) && words.size() == 2 && Lower(words[0]) == "dataset" &&
    Lower(words[1]) == "polydata";
}

vtkSmartPointer<vtkDataArray> vLegacyParse::Array(int type,
  unsigned long long tuples,
  int components)
{
  vtkSmartPointer<vtkDataArray> array;
  array.TakeReference(vtkDataArray::CreateDataArray(type));
  const int size = array->GetDataTypeSize();
  unsigned long long values = 0;
  unsigned long long bytes = 0;
  if (__builtin_mul_overflow(tuples, static_cast<unsigned long long>(components), &values) ||
    __builtin_mul_overflow(values, static_cast<unsigned long long>(size), &bytes) ||
    bytes > this->File.Remaining())
  {
    return nullptr;
  }
  array->SetNumberOfComponents(components);
  array->SetNumberOfTuples(static_cast<vtkIdType>(tuples));
  if (!this->File.Values(array->GetVoidPointer(0), values, size))
  {
    return nullptr;
  }
  return array;
}

bool vLegacyParse::Points(const std::vector<std::string>& words)
{
  unsigned long long count = 0;
  const int type = words.size() == 3 ? AttributeType(words[2]) : -1;
  if (this->Model->GetPoints() || !Count(words[1], count) ||
    (type != VTK_FLOAT && type != VTK_DOUBLE))
  {
    return false;
  }
  vtkSmartPointer<vtkDataArray> data = this->Array(type, count, 3);
  if (!data)
  {
    return false;
  }
  vtkNew<vtkPoints> points;
  points->SetData(data);
  this->Model->SetPoints(points);
  return true;
}

bool vLegacyParse::Cells(const std::vector<std::string>& words)
{
  unsigned long long first = 0;
  unsigned long long second = 0;
  if (words.size() != 3 || !Count(words[1], first) || !Count(words[2], second))
  {
    return false;
  }
  // The points a cell of each kind needs: VTK cannot build the cell map of a model with fewer,
  // and crashes on the first look at a cell.
  const std::string kind = Lower(words[0]);
  const int fewest = kind == "vertices" ? 1 : kind == "lines" ? 2 : 3;
  vtkNew<vtkCellArray> cells;
  if (this->Modern)
  {
    // "OFFSETS vtktypeint64" and "CONNECTIVITY vtktypeint64", each followed by its values. They
    // are kept in 32 bits (VTK's cell arrays take either): half the memory, and every id is
    // checked against the points on the way.
    const unsigned long long points = this->Model->GetPoints()
      ? static_cast<unsigned long long>(this->Model->GetNumberOfPoints())
      : 0;
    if (second >= (1ull << 31) || first == 0)
    {
      return false;
    }
    vtkNew<vtkTypeInt32Array> offsets;
    vtkNew<vtkTypeInt32Array> connectivity;
    std::vector<std::string> line;
    offsets->SetNumberOfValues(static_cast<vtkIdType>(first));
    connectivity->SetNumberOfValues(static_cast<vtkIdType>(second));
    if (!this->File.Words(line) || line.size() != 2 || Lower(line[0]) != "offsets" ||
      Lower(line[1]) != "vtktypeint64" ||
      !this->File.NarrowValues(offsets->GetPointer(0), first, second + 1) ||
      !this->File.Words(line) || line.size() != 2 || Lower(line[0]) != "connectivity" ||
      Lower(line[1]) != "vtktypeint64" ||
      !this->File.NarrowValues(connectivity->GetPointer(0), second, points))
    {
      return false;
    }
    // Offsets from 0, rising by at least `fewest`, ending at the connectivity's size.
    const int32_t* o = offsets->GetPointer(0);
    const vtkIdType n = offsets->GetNumberOfValues();
    bool bad = o[0] != 0 || o[n - 1] != static_cast<int32_t>(second);
    for (vtkIdType i = 1; i < n; ++i)
    {
      bad |= static_cast<long long>(o[i]) - o[i - 1] < fewest;
    }
    if (bad)
    {
      return false;
    }
    cells->SetData(offsets, connectivity);
  }
  else
  {
    // First the number of cells, then that many point counts each followed by its ids (int).
    auto offsets = vtkSmartPointer<vtkIdTypeArray>::New();
    auto connectivity = vtkSmartPointer<vtkIdTypeArray>::New();
    if (second > this->File.Remaining() / 4 || first > second)
    {
      return false;
    }
    std::vector<int32_t> values(static_cast<size_t>(second));
    if (!this->File.Values(values.data(), second, 4))
    {
      return false;
    }
    offsets->SetNumberOfValues(static_cast<vtkIdType>(first + 1));
    connectivity->SetNumberOfValues(static_cast<vtkIdType>(second - first));
    size_t at = 0;
    vtkIdType used = 0;
    for (unsigned long long c = 0; c < first; ++c)
    {
      if (at >= values.size() || values[at] < fewest ||
        static_cast<size_t>(values[at]) > values.size() - at - 1)
      {
        return false;
      }
      const int32_t points = values[at++];
      offsets->SetValue(static_cast<vtkIdType>(c), used);
      for (int32_t k = 0; k < points; ++k)
      {
        const int32_t id = values[at++];
        if (id < 0 || id >= this->Model->GetNumberOfPoints())
        {
          return false; // an id naming no point
        }
        connectivity->SetValue(used++, id);
      }
    }
    if (at != values.size())
    {
      return false;
    }
    offsets->SetValue(static_cast<vtkIdType>(first), used);
    cells->SetData(offsets, connectivity);
  }

  const std::string& key = kind;
  if (key == "vertices" && !this->Model->GetVerts()->GetNumberOfCells())
  {
    this->Model->SetVerts(cells);
  }
  else if (key == "lines" && !this->Model->GetLines()->GetNumberOfCells())
  {
    this->Model->SetLines(cells);
  }
  else if (key == "polygons" && !this->Model->GetPolys()->GetNumberOfCells())
  {
    this->Model->SetPolys(cells);
  }
  else if (key == "triangle_strips" && !this->Model->GetStrips()->GetNumberOfCells())
  {
    this->Model->SetStrips(cells);
  }
  else
  {
    return false; // a second block of one kind: left to VTK's reader
  }
  return true;
}

vtkIdType vLegacyParse::TotalCells() const
{
  return this->Model->GetNumberOfVerts() + this->Model->GetNumberOfLines() +
    this->Model->GetNumberOfPolys() + this->Model->GetNumberOfStrips();
}

bool vLegacyParse::Attribute(const std::vector<std::string>& words)
{
  const std::string key = Lower(words[0]);
  if (!this->Attributes || words[1].find('%') != std::string::npos)
  {
    return false; // no POINT_DATA / CELL_DATA before, or an encoded name
  }
  vtkSmartPointer<vtkDataArray> array;
  if (key == "scalars" && (words.size() == 3 || words.size() == 4))
  {
    unsigned long long components = 1;
    if (words.size() == 4 && (!Count(words[3], components) || components < 1 || components > 4))
    {
      return false;
    }
    std::vector<std::string> table;
    const int type = AttributeType(words[2]);
    if (type < 0 || this->Attributes->GetScalars() || !this->File.Words(table) ||
      table.size() != 2 || Lower(table[0]) != "lookup_table" || table[1] != "default")
    {
      return false;
    }
    array = this->Array(type, this->AttributeTuples, static_cast<int>(components));
    if (!array)
    {
      return false;
    }
    array->SetName(words[1].c_str());
    this->Attributes->SetScalars(array);
    return true;
  }
  if (key == "normals" && words.size() == 3)
  {
    const int type = AttributeType(words[2]);
    if ((type != VTK_FLOAT && type != VTK_DOUBLE) || this->Attributes->GetNormals())
    {
      return false;
    }
    array = this->Array(type, this->AttributeTuples, 3);
    if (!array)
    {
      return false;
    }
    array->SetName(words[1].c_str());
    this->Attributes->SetNormals(array);
    return true;
  }
  if (key == "texture_coordinates" && words.size() == 4)
  {
    unsigned long long components = 0;
    const int type = AttributeType(words[3]);
    if (!Count(words[2], components) || components < 1 || components > 3 ||
      (type != VTK_FLOAT && type != VTK_DOUBLE) || this->Attributes->GetTCoords())
    {
      return false;
    }
    array = this->Array(type, this->AttributeTuples, static_cast<int>(components));
    if (!array)
    {
      return false;
    }
    array->SetName(words[1].c_str());
    this->Attributes->SetTCoords(array);
    return true;
  }
  return false;
}

Result vLegacyParse::Run()
{
  if (!this->File.IsOpen() || !this->Header())
  {
    return Result::NotHandled;
  }
  std::vector<std::string> words;
  while (this->File.Words(words))
  {
    const std::string key = Lower(words[0]);
    bool ok = false;
    if (key == "points" && words.size() >= 2)
    {
      ok = this->Points(words);
    }
    else if (key == "vertices" || key == "lines" || key == "polygons" || key == "triangle_strips")
    {
      ok = this->Cells(words);
    }
    else if ((key == "point_data" || key == "cell_data") && words.size() == 2)
    {
      unsigned long long tuples = 0;
      const bool points = key == "point_data";
      const unsigned long long expected = static_cast<unsigned long long>(
        points ? this->Model->GetNumberOfPoints() : this->TotalCells());
      ok = Count(words[1], tuples) && tuples == expected;
      this->Attributes = points ? static_cast<vtkDataSetAttributes*>(this->Model->GetPointData())
                                : static_cast<vtkDataSetAttributes*>(this->Model->GetCellData());
      this->AttributeTuples = tuples;
    }
    else if (words.size() >= 3)
    {
      ok = this->Attribute(words);
    }
    if (!ok)
    {
      return Result::NotHandled;
    }
  }
  return this->Model->GetPoints() && !this->File.HasFailed() ? Result::Read : Result::NotHandled;
}
} // namespace

vLegacyVTKFastReader::Result vLegacyVTKFastReader::ReadFile(const std::string& path,
  vtkSmartPointer<vtkPolyData>& model)
{
  vLegacyParse parse(path);
  const Result result = parse.Run();
  if (result == Read)
  {
    model = parse.Model;
  }
  return result;
}
