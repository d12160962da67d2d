// Reader plug-in: Polygon File Format models (".ply") through VTK's vtkPLYReader.
#include "vReaderPluginHelpers.h"

#include <vtkCellArray.h>
#include <vtkFloatArray.h>
#include <vtkPLYReader.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>
#include <vtkTypeInt32Array.h>
#include <vtkUnsignedCharArray.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <utility>
#include <vector>

VEMORA_READER_PLUGIN_INFO(4096, "ply", "Polygon File Format", "1.0.0.0", "PLY Reader")

namespace
{
constexpr int MaximumHeaderLines = 10000;

/** A scalar type of the format: its size and whether it is an integer, signed, floating. */
struct vPlyType
{
  std::string Word;
  int Size = 0;
  bool Integer = false;
  bool Signed = false;
};

bool TypeOf(const std::string& word, vPlyType& type)
{
  static const struct
  {
    const char* Names[2];
    int Size;
    bool Integer;
    bool Signed;
  } types[] = { { { "char", "int8" }, 1, true, true },
    { { "uchar", "uint8" }, 1, true, false },
    { { "short", "int16" }, 2, true, true },
    { { "ushort", "uint16" }, 2, true, false },
    { { "int", "int32" }, 4, true, true },
    { { "uint", "uint32" }, 4, true, false },
    { { "float", "float32" }, 4, false, true },
    { { "double", "float64" }, 8, false, true } };
  for (const auto& entry : types)
  {
    if (word == entry.Names[0] || word == entry.Names[1])
    {
      type = vPlyType{ word, entry.Size, entry.Integer, entry.Signed };
      return true;
    }
  }
  return false;
}

struct vPlyProperty
{
  std::string Name;
  bool List = false;
  vPlyType Count; // lists: the type of the count
  vPlyType Value;
};

/**
 * VTK's reader keeps a face's vertex count in one byte: a longer face would silently become a
 * wrong polygon, so it is refused as damage.
 */
constexpr long long MostFaceVertices = 255;

/** The longest element line of a text file handed to VTK's reader (its buffer holds 4096). */
constexpr size_t MostLineBytes = 4000;

struct vPlyElement
{
  std::string Name;
  unsigned long long Count = 0;
  std::vector<vPlyProperty> Properties;
  unsigned long long Ids = 0; // faces of a binary file: the ids of all their vertex lists
  /** The faces' vertex list: its ids must name vertices. */
  bool IsIndexList(const vPlyProperty& property) const
  {
    return this->Name == "face" && property.List &&
      (property.Name == "vertex_indices" || property.Name == "vertex_index");
  }
};

/**
 * Texture coordinates named "s" and "t" (as some modelling tools write them) under the names VTK's
 * reader knows, "u" and "v"; other names as they are.
 */
std::string TextureName(const vPlyElement& element, const vPlyProperty& property, bool hasUV)
{
  if (element.Name == "vertex" && !property.List && !hasUV)
  {
    if (property.Name == "s")
    {
      return "u";
    }
    if (property.Name == "t")
    {
      return "v";
    }
  }
  return property.Name;
}

/**
 * A name of an element or property: printable characters only (the copy handed to VTK's reader
 * writes names again, and it reads control characters differently).
 */
bool IsName(const std::string& name)
{
  return !name.empty() && name.size() <= 256 &&
    std::all_of(name.begin(), name.end(), [](char c) { return c > ' ' && c < 127; });
}

/** A file mapped into memory for the checks. */
class vMappedFile
{
public:
  explicit vMappedFile(const char* path)
  {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    const long long size = vReaderPluginHelpers::RegularFileSize(path);
    if (fd >= 0 && size > 0)
    {
      void* data =
        ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (data != MAP_FAILED)
      {
        this->Data = static_cast<const char*>(data);
        this->Size = static_cast<size_t>(size);
      }
    }
    if (fd >= 0)
    {
      ::close(fd);
    }
  }
  ~vMappedFile()
  {
    if (this->Data)
    {
      ::munmap(const_cast<char*>(this->Data), this->Size);
    }
  }
  vMappedFile(const vMappedFile&) = delete;
  vMappedFile& operator=(const vMappedFile&) = delete;

  const char* Data = nullptr;
  size_t Size = 0;
};

/**
 * The checks and the clean copy. The header is parsed whole; then every element of the body is
 * walked: list counts must be 0 or more and fit in the file, and the faces' vertex ids must name
 * vertices the file has (VTK's reader trusts all of it and crashes otherwise). VTK's reader also
 * reads the elements in the file's order and skips none: an element before the vertices, one
 * between the vertices and the faces, or the faces before the vertices make it read one element's
 * bytes as another's (wrong points, or a crash). So the file is handed over as its vertices, then
 * its faces, and nothing else (the first element of each name):
 * - an ASCII file is always rewritten, one element per line, ending with a newline (VTK's reader
 *   aborts on a last line without its newline, common in files of modelling tools), texture
 *   coordinates named "s" and "t" renamed to the "u" and "v" it reads;
 * - a binary file is read as it is when it already starts with its vertices and faces, holds
 *   no other element of those names and has a header of printable lines; otherwise the two
 *   elements' bytes are copied after a new header (`BinaryCopy`).
 * A binary file whose vertices hold coordinates and at most the normals, colours and texture
 * coordinates VTK's reader knows, and whose faces hold nothing but their vertex list (the shape
 * of most exported and scanned meshes), is turned into a model here (`ReadPlain`), with the
 * arrays VTK's reader would give, in a fraction of its time: the walk has already checked every
 * count and id.
 */
class vPlyCheck
{
public:
  vPlyCheck(const char* data, size_t size)
    : Data(data)
    , Size(size)
  {
  }

  /**
   * True when the file is sound; `clean` receives the rewritten file, or "" when VTK's reader can
   * read the file as it is.
   */
  bool Run(std::string& clean)
  {
    clean.clear();
    if (!this->ParseHeader())
    {
      return false;
    }
    for (size_t i = 0; i < this->Elements.size(); ++i)
    {
      const std::string& name = this->Elements[i].Name;
      if (name == "vertex" && this->Vertex < 0)
      {
        this->Vertex = static_cast<int>(i);
      }
      else if (name == "face" && this->Face < 0)
      {
        this->Face = static_cast<int>(i);
      }
    }
    // VTK's reader goes on after finding no coordinates, on a file it has closed (a crash).
    if (this->Vertex < 0)
    {
      return false;
    }
    for (const char* axis : { "x", "y", "z" })
    {
      const std::vector<vPlyProperty>& properties =
        this->Elements[static_cast<size_t>(this->Vertex)].Properties;
      if (std::none_of(properties.begin(),
            properties.end(),
            [axis](const vPlyProperty& p) { return !p.List && p.Name == axis; }))
      {
        return false;
      }
    }
    // Nor does it check that faces have their vertex list: it frees what it never allocated.
    if (this->Face >= 0)
    {
      const vPlyElement& face = this->Elements[static_cast<size_t>(this->Face)];
      if (std::none_of(face.Properties.begin(),
            face.Properties.end(),
            [&face](const vPlyProperty& p) { return face.IsIndexList(p); }))
      {
        return false;
      }
    }
    if (this->Format == "ascii")
    {
      return this->WalkAscii(clean);
    }
    return this->WalkBinary(clean);
  }

private:
  bool ParseHeader()
  {
    size_t pos = 0;
    bool first = true;
    for (int lines = 0; lines < MaximumHeaderLines && pos < this->Size; ++lines)
    {
      const char* end =
        static_cast<const char*>(std::memchr(this->Data + pos, '\n', this->Size - pos));
      if (!end)
      {
        return false;
      }
      std::string line(this->Data + pos, static_cast<size_t>(end - (this->Data + pos)));
      pos = static_cast<size_t>(end - this->Data) + 1;
      if (!line.empty() && line.back() == '\r')
      {
        line.pop_back();
      }
      std::istringstream words(line);
      std::string word;
      words >> word;
      if (first)
      {
        if (word != "ply")
        {
          return false;
        }
        first = false;
        continue;
      }
      if (word == "format")
      {
        words >> this->Format;
        if (this->Format != "ascii" && this->Format != "binary_little_endian" &&
          this->Format != "binary_big_endian")
        {
          return false;
        }
      }
      else if (word == "element")
      {
        vPlyElement element;
        std::string count;
        words >> element.Name >> count;
        char* stop = nullptr;
        element.Count = std::strtoull(count.c_str(), &stop, 10);
        // Every element takes at least one byte of the file.
        if (!IsName(element.Name) || count.empty() || count[0] == '-' || *stop != '\0' ||
          element.Count > this->Size)
        {
          return false;
        }
        this->Elements.push_back(element);
      }
      else if (word == "property")
      {
        if (this->Elements.empty())
        {
          return false;
        }
        vPlyProperty property;
        std::string type;
        words >> type;
        if (type == "list")
        {
          std::string countType;
          std::string valueType;
          words >> countType >> valueType;
          property.List = true;
          if (!TypeOf(countType, property.Count) || !property.Count.Integer ||
            !TypeOf(valueType, property.Value))
          {
            return false;
          }
        }
        else if (!TypeOf(type, property.Value))
        {
          return false;
        }
        words >> property.Name;
        // A name twice in one element: VTK's reader stores both in one place and crashes.
        const std::vector<vPlyProperty>& siblings = this->Elements.back().Properties;
        if (!IsName(property.Name) ||
          std::any_of(siblings.begin(),
            siblings.end(),
            [&property](const vPlyProperty& p) { return p.Name == property.Name; }))
        {
          return false;
        }
        this->Elements.back().Properties.push_back(property);
      }
      else if (word == "end_header")
      {
        this->Body = pos;
        return !this->Format.empty();
      }
      // comment, obj_info and unknown keywords carry nothing the reader needs; VTK's reader may
      // take an unknown keyword otherwise
      else if (word != "comment" && word != "obj_info")
      {
        this->UnknownLines = true;
      }
    }
    return false;
  }

  unsigned long long VertexCount() const
  {
    return this->Vertex >= 0 ? this->Elements[static_cast<size_t>(this->Vertex)].Count : 0;
  }

  /** The elements handed to VTK's reader, in its order: the vertices, then the faces. */
  std::vector<size_t> Kept() const
  {
    std::vector<size_t> kept;
    for (const int index : { this->Vertex, this->Face })
    {
      if (index >= 0)
      {
        kept.push_back(static_cast<size_t>(index));
      }
    }
    return kept;
  }

  /**
   * Whether a text file's rewrite hands a property to VTK's reader: every scalar, and of the
   * lists only those it reads (the faces' vertex list and texture coordinates). It crashes on
   * some lists it has no use for.
   */
  static bool Handed(const vPlyElement& element, const vPlyProperty& property)
  {
    return !property.List || element.IsIndexList(property) || property.Name == "texcoord";
  }

  /** The header of the clean copy: the kept elements only (and of a text file, `Handed`). */
  std::string CleanHeader() const
  {
    std::ostringstream header;
    header << "ply\nformat " << this->Format << " 1.0\n";
    for (const size_t index : this->Kept())
    {
      const vPlyElement& element = this->Elements[index];
      header << "element " << element.Name << ' ' << element.Count << '\n';
      const bool hasUV = std::any_of(element.Properties.begin(),
        element.Properties.end(),
        [](const vPlyProperty& p) { return p.Name == "u" || p.Name == "v"; });
      for (const vPlyProperty& property : element.Properties)
      {
        if (this->Format == "ascii" && !Handed(element, property))
        {
          continue;
        }
        header << "property "
               << (property.List ? "list " + property.Count.Word + " " : std::string())
               << property.Value.Word << ' ' << TextureName(element, property, hasUV) << '\n';
      }
    }
    header << "end_header\n";
    return header.str();
  }

  // ASCII: the body is a stream of words.
  bool NextWord(size_t& pos, const char*& word, size_t& length) const
  {
    while (pos < this->Size &&
      (this->Data[pos] == ' ' || this->Data[pos] == '\t' || this->Data[pos] == '\r' ||
        this->Data[pos] == '\n'))
    {
      ++pos;
    }
    if (pos >= this->Size)
    {
      return false;
    }
    const size_t start = pos;
    while (pos < this->Size && this->Data[pos] != ' ' && this->Data[pos] != '\t' &&
      this->Data[pos] != '\r' && this->Data[pos] != '\n')
    {
      ++pos;
    }
    word = this->Data + start;
    length = pos - start;
    return true;
  }

  static bool WordInteger(const char* word, size_t length, long long& value)
  {
    char text[32];
    if (length == 0 || length >= sizeof(text))
    {
      return false;
    }
    std::memcpy(text, word, length);
    text[length] = '\0';
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return *end == '\0';
  }

  /**
   * True when a word of a kept element is a number as VTK's reader reads one: digits, signs,
   * points and exponents, or "nan" and "inf". Anything else (control characters, a NUL, bytes of
   * another file) can split its lines into fewer words than it expects, and it crashes.
   */
  static bool IsNumberWord(const char* word, size_t length)
  {
    if (length == 0 || length > 64)
    {
      return false;
    }
    if (std::all_of(word,
          word + length,
          [](char c)
          { return (c >= '0' && c <= '9') || (c != 0 && std::strchr("+-.eE", c) != nullptr); }))
    {
      return true;
    }
    std::string lower(word + (word[0] == '-' || word[0] == '+' ? 1 : 0), word + length);
    for (char& c : lower)
    {
      c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return lower == "nan" || lower == "inf" || lower == "infinity";
  }

  bool WalkAscii(std::string& clean) const
  {
    const unsigned long long vertices = this->VertexCount();
    std::string bodies[2]; // the vertices' lines, the faces' lines
    size_t pos = this->Body;
    for (size_t index = 0; index < this->Elements.size(); ++index)
    {
      const vPlyElement& element = this->Elements[index];
      const bool keep =
        static_cast<int>(index) == this->Vertex || static_cast<int>(index) == this->Face;
      std::string& body = bodies[static_cast<int>(index) == this->Vertex ? 0 : 1];
      for (unsigned long long i = 0; i < element.Count; ++i)
      {
        const size_t line = body.size();
        for (const vPlyProperty& property : element.Properties)
        {
          const bool write = keep && Handed(element, property);
          const char* word = nullptr;
          size_t length = 0;
          if (!this->NextWord(pos, word, length) || (write && !IsNumberWord(word, length)))
          {
            return false;
          }
          if (write)
          {
            body.append(word, length).push_back(' ');
          }
          if (!property.List)
          {
            continue;
          }
          long long count = 0;
          const bool ids = element.IsIndexList(property);
          if (!WordInteger(word, length, count) || count < 0 ||
            static_cast<unsigned long long>(count) > this->Size - pos ||
            (ids && count > MostFaceVertices))
          {
            return false;
          }
          for (long long j = 0; j < count; ++j)
          {
            if (!this->NextWord(pos, word, length))
            {
              return false;
            }
            long long id = 0;
            if ((ids &&
                  (!WordInteger(word, length, id) || id < 0 ||
                    static_cast<unsigned long long>(id) >= vertices)) ||
              (write && !IsNumberWord(word, length)))
            {
              return false;
            }
            if (write)
            {
              body.append(word, length).push_back(' ');
            }
          }
        }
        if (keep && body.size() - line > MostLineBytes)
        {
          return false; // VTK's reader takes lines of at most 4 KiB and cuts longer ones short
        }
        if (keep && !body.empty())
        {
          body.back() = '\n';
        }
      }
    }
    clean = this->CleanHeader() + bodies[0] + bodies[1];
    return true;
  }

  // Binary: values of fixed sizes in the file's byte order.
  bool ReadInteger(size_t pos, const vPlyType& type, long long& value) const
  {
    if (this->Size - pos < static_cast<size_t>(type.Size))
    {
      return false;
    }
    unsigned long long bits = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(this->Data + pos);
    const bool big = this->Format == "binary_big_endian";
    for (int i = 0; i < type.Size; ++i)
    {
      bits = bits << 8 | bytes[big ? i : type.Size - 1 - i];
    }
    if (type.Signed && type.Size < 8 && (bits >> (8 * type.Size - 1)) != 0)
    {
      bits |= ~0ull << (8 * type.Size); // sign extension
    }
    value = static_cast<long long>(bits);
    return true;
  }

  /** True when `count` integer ids from `pos` all name one of `vertices` vertices. */
  bool IdsFit(size_t pos, size_t count, const vPlyType& type, unsigned long long vertices) const
  {
    if (!type.Integer)
    {
      return false;
    }
    if (type.Size == 4 && this->Format == "binary_little_endian" &&
      __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__)
    {
      // The common case (32-bit ids in the machine's byte order), without the general decoding.
      // As unsigned, a negative signed id is beyond any vertex count.
      for (size_t j = 0; j < count; ++j)
      {
        std::uint32_t id = 0;
        std::memcpy(&id, this->Data + pos + 4 * j, 4);
        if (id >= vertices)
        {
          return false;
        }
      }
      return true;
    }
    for (size_t j = 0; j < count; ++j)
    {
      long long id = 0;
      this->ReadInteger(pos + j * static_cast<size_t>(type.Size), type, id);
      if (id < 0 || static_cast<unsigned long long>(id) >= vertices)
      {
        return false;
      }
    }
    return true;
  }

  /** A list of 32-bit integer ids after a one-byte count, in the machine's byte order. */
  bool PlainFaces(const vPlyProperty& property) const
  {
    return property.List && property.Count.Size == 1 && property.Value.Integer &&
      property.Value.Size == 4 && this->Format == "binary_little_endian" &&
      __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
  }

  /** Walks `count` faces of `PlainFaces` from `pos`; false when one does not fit or fails. */
  bool WalkPlainFaces(size_t& pos,
    unsigned long long count,
    bool signedCount,
    unsigned long long vertices,
    unsigned long long& total) const
  {
    const auto* bytes = reinterpret_cast<const unsigned char*>(this->Data);
    for (unsigned long long i = 0; i < count; ++i)
    {
      if (pos >= this->Size)
      {
        return false;
      }
      const size_t ids = bytes[pos++];
      if ((signedCount && ids > 127) || 4 * ids > this->Size - pos)
      {
        return false;
      }
      // As unsigned, a negative signed id is beyond any vertex count.
      for (size_t j = 0; j < ids; ++j)
      {
        std::uint32_t id = 0;
        std::memcpy(&id, bytes + pos + 4 * j, 4);
        if (id >= vertices)
        {
          return false;
        }
      }
      pos += 4 * ids;
      total += ids;
    }
    return true;
  }

  bool WalkBinary(std::string& clean)
  {
    const unsigned long long vertices = this->VertexCount();
    size_t pos = this->Body;
    std::vector<std::pair<size_t, size_t>>& ranges = this->Ranges;
    ranges.clear();
    for (vPlyElement& element : this->Elements)
    {
      element.Ids = 0;
      const size_t start = pos;
      // The two common shapes in one step each: elements of fixed size (vertices), and faces of
      // one list of 32-bit ids in the machine's byte order.
      const bool lists = std::any_of(element.Properties.begin(),
        element.Properties.end(),
        [](const vPlyProperty& p) { return p.List; });
      if (!lists)
      {
        unsigned long long size = 0;
        for (const vPlyProperty& property : element.Properties)
        {
          size += static_cast<unsigned long long>(property.Value.Size);
        }
        unsigned long long bytes = 0;
        if (__builtin_mul_overflow(size, element.Count, &bytes) || bytes > this->Size - pos)
        {
          return false;
        }
        pos += static_cast<size_t>(bytes);
        ranges.emplace_back(start, pos);
        continue;
      }
      if (element.Properties.size() == 1 && element.IsIndexList(element.Properties[0]) &&
        this->PlainFaces(element.Properties[0]))
      {
        if (!this->WalkPlainFaces(
              pos, element.Count, element.Properties[0].Count.Signed, vertices, element.Ids))
        {
          return false;
        }
        ranges.emplace_back(start, pos);
        continue;
      }
      for (unsigned long long i = 0; i < element.Count; ++i)
      {
        for (const vPlyProperty& property : element.Properties)
        {
          if (!property.List)
          {
            if (this->Size - pos < static_cast<size_t>(property.Value.Size))
            {
              return false;
            }
            pos += static_cast<size_t>(property.Value.Size);
            continue;
          }
          long long count = 0;
          if (!this->ReadInteger(pos, property.Count, count) || count < 0 ||
            (element.IsIndexList(property) && count > MostFaceVertices))
          {
            return false;
          }
          pos += static_cast<size_t>(property.Count.Size);
          const unsigned long long bytes =
            static_cast<unsigned long long>(count) * static_cast<unsigned>(property.Value.Size);
          if (bytes > this->Size - pos)
          {
            return false;
          }
          if (element.IsIndexList(property))
          {
            if (!this->IdsFit(pos, static_cast<size_t>(count), property.Value, vertices))
            {
              return false;
            }
            element.Ids += static_cast<unsigned long long>(count);
          }
          pos += static_cast<size_t>(bytes);
        }
      }
      ranges.emplace_back(start, pos);
    }
    static_cast<void>(clean); // a binary file's copy is made when VTK's reader needs it
    // VTK's reader may take the file as it is when its vertices and faces come first, in order,
    // no later element shares their names, and the header holds nothing VTK's reader reads
    // differently from these checks (carriage returns, other control characters, lines of
    // unknown keywords).
    const std::vector<size_t> kept = this->Kept();
    this->AsItIs = !this->UnknownLines &&
      std::all_of(this->Data,
        this->Data + this->Body,
        [](char c) { return c == '\n' || (c >= ' ' && c < 127); });
    for (size_t i = 0; i < this->Elements.size(); ++i)
    {
      const bool named = this->Elements[i].Name == "vertex" || this->Elements[i].Name == "face";
      if ((i < kept.size() && kept[i] != i) || (i >= kept.size() && named))
      {
        this->AsItIs = false;
      }
    }
    return true;
  }

public:
  /** Whether VTK's reader may read a walked binary file as it is (else `BinaryCopy`). */
  bool BinaryAsItIs() const { return this->AsItIs; }

public:
  /**
   * The file VTK's reader is given for a walked binary file: its header as this check read it
   * (never the file's own: VTK's reader reads some lines differently and then crashes), then the
   * bytes of the vertices and of the faces.
   */
  std::string BinaryCopy() const
  {
    std::string copy = this->CleanHeader();
    size_t bytes = copy.size();
    for (const size_t index : this->Kept())
    {
      bytes += this->Ranges[index].second - this->Ranges[index].first;
    }
    copy.reserve(bytes);
    for (const size_t index : this->Kept())
    {
      copy.append(this->Data + this->Ranges[index].first,
        this->Ranges[index].second - this->Ranges[index].first);
    }
    return copy;
  }

public:
  /**
   * True when the walked binary file has the plain shape: vertices of x, y and z, optionally
   * normals (nx, ny, nz), colours (red, green, blue of unsigned bytes, optionally alpha) and
   * texture coordinates (u and v, or texture_u and texture_v), in any order and (but colours) any
   * scalar types, and scalar properties VTK's reader skips; faces of their vertex list alone; and
   * counts that 32-bit cell arrays hold. `Targets` receives where each vertex property goes.
   */
  bool IsPlain()
  {
    this->Targets.clear();
    if (this->Format == "ascii" || this->Vertex < 0 || this->Ranges.size() != this->Elements.size())
    {
      return false;
    }
    const vPlyElement& vertex = this->Elements[static_cast<size_t>(this->Vertex)];
    if (vertex.Count == 0 || vertex.Count > 0x7fffffffull)
    {
      return false;
    }
    static const struct
    {
      const char* Name;
      vPlyTarget Target;
    } known[] = { { "x", { Coordinates, 0 } },
      { "y", { Coordinates, 1 } },
      { "z", { Coordinates, 2 } },
      { "red", { Colours, 0 } },
      { "green", { Colours, 1 } },
      { "blue", { Colours, 2 } },
      { "alpha", { Colours, 3 } },
      { "nx", { Normals, 0 } },
      { "ny", { Normals, 1 } },
      { "nz", { Normals, 2 } },
      { "u", { Texture, 0 } },
      { "v", { Texture, 1 } },
      { "texture_u", { Texture, 2 } },
      { "texture_v", { Texture, 3 } } };
    // Other names VTK's reader knows (or sees after the text rewrite renames "s" and "t"): those
    // files stay with it. Any other scalar property it skips, and so does this read.
    static const char* const otherKnown[] = { "diffuse_red",
      "diffuse_green",
      "diffuse_blue",
      "intensity",
      "texcoord",
      "s",
      "t",
      "vertex_indices",
      "vertex_index" };
    int seen[ArrayCount] = {}; // a bit for each component
    for (const vPlyProperty& property : vertex.Properties)
    {
      const auto* match = std::find_if(std::begin(known),
        std::end(known),
        [&property](const auto& entry) { return property.Name == entry.Name; });
      const bool otherName = std::any_of(std::begin(otherKnown),
        std::end(otherKnown),
        [&property](const char* name) { return property.Name == name; });
      if (!property.List && match == std::end(known) && !otherName)
      {
        this->Targets.push_back({ Skipped, 0 });
        continue;
      }
      if (property.List || match == std::end(known) ||
        (match->Target.Array == Colours && property.Value.Word != "uchar" &&
          property.Value.Word != "uint8"))
      {
        return false; // a list, a name VTK's reader knows, or colours it would convert
      }
      const int bit = 1 << match->Target.Component;
      if (seen[match->Target.Array] & bit)
      {
        return false;
      }
      seen[match->Target.Array] |= bit;
      this->Targets.push_back(match->Target);
    }
    // u and v, or texture_u and texture_v: components 2 and 3 of the texture stand for 0 and 1.
    const int texture = seen[Texture];
    if (seen[Coordinates] != 7 ||
      (seen[Colours] != 0 && seen[Colours] != 7 && seen[Colours] != 15) ||
      (seen[Normals] != 0 && seen[Normals] != 7) || (texture != 0 && texture != 3 && texture != 12))
    {
      return false;
    }
    for (vPlyTarget& target : this->Targets)
    {
      target.Component -= target.Array == Texture && texture == 12 ? 2 : 0;
    }
    this->Components[Coordinates] = 3;
    this->Components[Colours] = seen[Colours] == 15 ? 4 : seen[Colours] ? 3 : 0;
    this->Components[Normals] = seen[Normals] ? 3 : 0;
    this->Components[Texture] = texture ? 2 : 0;
    if (this->Face < 0)
    {
      return true;
    }
    const vPlyElement& face = this->Elements[static_cast<size_t>(this->Face)];
    return face.Properties.size() == 1 && face.IsIndexList(face.Properties[0]) &&
      face.Properties[0].Value.Integer && face.Count < 0x7fffffffull && face.Ids <= 0x7fffffffull;
  }

  /**
   * The model of a plain file (`IsPlain`), read after `Run`, with the arrays VTK's reader gives
   * it; null when memory runs out.
   */
  vtkPolyData* ReadPlain() const
  {
    const vPlyElement& vertex = this->Elements[static_cast<size_t>(this->Vertex)];
    const auto count = static_cast<vtkIdType>(vertex.Count);
    vtkNew<vtkPoints> points;
    points->SetDataTypeToFloat();
    points->SetNumberOfPoints(count);
    vtkSmartPointer<vtkDataArray> arrays[ArrayCount] = { points->GetData() };
    if (this->Components[Colours])
    {
      arrays[Colours] = vtkSmartPointer<vtkUnsignedCharArray>::New();
      arrays[Colours]->SetName(this->Components[Colours] == 4 ? "RGBA" : "RGB");
    }
    if (this->Components[Normals])
    {
      arrays[Normals] = vtkSmartPointer<vtkFloatArray>::New();
      arrays[Normals]->SetName("Normals");
    }
    if (this->Components[Texture])
    {
      arrays[Texture] = vtkSmartPointer<vtkFloatArray>::New();
      arrays[Texture]->SetName("TCoords");
    }
    void* out[ArrayCount] = {};
    for (int a = 0; a < ArrayCount; ++a)
    {
      if (!arrays[a])
      {
        continue;
      }
      if (a != Coordinates)
      {
        arrays[a]->SetNumberOfComponents(this->Components[a]);
        arrays[a]->SetNumberOfTuples(count);
      }
      out[a] = arrays[a]->GetVoidPointer(0);
      if (!out[a] || arrays[a]->GetNumberOfTuples() != count)
      {
        return nullptr;
      }
    }
    this->ReadVertices(vertex, out);
    vtkPolyData* model = vtkPolyData::New();
    model->SetPoints(points);
    model->GetPointData()->SetScalars(arrays[Colours]);
    model->GetPointData()->SetNormals(arrays[Normals]);
    model->GetPointData()->SetTCoords(arrays[Texture]);
    if (this->Face >= 0)
    {
      vtkNew<vtkCellArray> polys;
      if (!this->ReadFaces(polys))
      {
        model->Delete();
        return nullptr;
      }
      model->SetPolys(polys);
    }
    return model;
  }

private:
  /** The arrays of a plain model, and where a vertex property goes in them. */
  enum
  {
    Coordinates,
    Colours,
    Normals,
    Texture,
    ArrayCount,
    Skipped = ArrayCount // a property VTK's reader does not read
  };
  struct vPlyTarget
  {
    int Array;
    int Component;
  };

  bool BigEndian() const { return this->Format == "binary_big_endian"; }

  /** The value of `type` at `pos` (inside the file: the walk checked it) as VTK reads it. */
  double ValueAt(size_t pos, const vPlyType& type) const
  {
    if (type.Integer)
    {
      long long value = 0;
      this->ReadInteger(pos, type, value);
      return static_cast<double>(value);
    }
    unsigned char bytes[8];
    std::memcpy(bytes, this->Data + pos, static_cast<size_t>(type.Size));
    if (this->BigEndian() != (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__))
    {
      std::reverse(bytes, bytes + type.Size);
    }
    if (type.Size == 4)
    {
      float value = 0;
      std::memcpy(&value, bytes, 4);
      return value;
    }
    double value = 0;
    std::memcpy(&value, bytes, 8);
    return value;
  }

  /** Reads every vertex into the arrays `out` (Coordinates, Colours, Normals, Texture). */
  void ReadVertices(const vPlyElement& vertex, void* const* out) const
  {
    const size_t start = this->Ranges[static_cast<size_t>(this->Vertex)].first;
    const std::vector<vPlyProperty>& properties = vertex.Properties;
    const bool asStored = properties.size() == 3 && properties[0].Name == "x" &&
      properties[1].Name == "y" && properties[2].Name == "z" &&
      std::all_of(properties.begin(),
        properties.end(),
        [](const vPlyProperty& p)
        { return p.Value.Word == "float" || p.Value.Word == "float32"; }) &&
      this->BigEndian() == (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__);
    if (asStored)
    {
      std::memcpy(out[Coordinates],
        this->Data + start,
        static_cast<size_t>(vertex.Count) * 3 * sizeof(float));
      return;
    }
    size_t pos = start;
    auto* colours = static_cast<unsigned char*>(out[Colours]);
    for (unsigned long long i = 0; i < vertex.Count; ++i)
    {
      for (size_t k = 0; k < properties.size(); ++k)
      {
        const vPlyTarget target = this->Targets[k];
        if (target.Array == Skipped)
        {
          pos += static_cast<size_t>(properties[k].Value.Size);
          continue;
        }
        const size_t at =
          static_cast<size_t>(i) * static_cast<size_t>(this->Components[target.Array]) +
          static_cast<size_t>(target.Component);
        if (target.Array == Colours)
        {
          colours[at] = static_cast<unsigned char>(this->Data[pos]);
        }
        else
        {
          static_cast<float*>(out[target.Array])[at] =
            static_cast<float>(this->ValueAt(pos, properties[k].Value));
        }
        pos += static_cast<size_t>(properties[k].Value.Size);
      }
    }
  }

  bool ReadFaces(vtkCellArray* polys) const
  {
    const vPlyElement& face = this->Elements[static_cast<size_t>(this->Face)];
    const vPlyProperty& list = face.Properties[0];
    vtkNew<vtkTypeInt32Array> offsets;
    vtkNew<vtkTypeInt32Array> connectivity;
    offsets->SetNumberOfValues(static_cast<vtkIdType>(face.Count + 1));
    connectivity->SetNumberOfValues(static_cast<vtkIdType>(face.Ids));
    std::int32_t* offset = offsets->GetPointer(0);
    std::int32_t* id = connectivity->GetPointer(0);
    if (!offset || (face.Ids > 0 && !id))
    {
      return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(this->Data);
    size_t pos = this->Ranges[static_cast<size_t>(this->Face)].first;
    const bool plain = this->PlainFaces(list);
    std::int32_t written = 0;
    *offset++ = 0;
    for (unsigned long long i = 0; i < face.Count; ++i)
    {
      long long count = 0;
      if (plain)
      {
        count = bytes[pos];
      }
      else
      {
        this->ReadInteger(pos, list.Count, count);
      }
      pos += static_cast<size_t>(list.Count.Size);
      if (plain && count > 0)
      {
        std::memcpy(id, bytes + pos, 4 * static_cast<size_t>(count));
        id += count;
        pos += 4 * static_cast<size_t>(count);
      }
      else
      {
        for (long long j = 0; j < count; ++j)
        {
          long long value = 0;
          this->ReadInteger(pos, list.Value, value);
          *id++ = static_cast<std::int32_t>(value);
          pos += static_cast<size_t>(list.Value.Size);
        }
      }
      written += static_cast<std::int32_t>(count);
      *offset++ = written;
    }
    polys->SetData(offsets, connectivity);
    return true;
  }

  const char* Data;
  size_t Size;
  size_t Body = 0;
  std::string Format;
  std::vector<vPlyElement> Elements;
  std::vector<std::pair<size_t, size_t>> Ranges; // a binary file's elements: start, end
  std::vector<vPlyTarget> Targets;               // a plain file's vertex properties
  int Components[ArrayCount] = {};
  bool AsItIs = false;       // see BinaryAsItIs
  bool UnknownLines = false; // header lines of keywords the format does not have
  int Vertex = -1;           // the first "vertex" element, or -1
  int Face = -1;             // the first "face" element, or -1
};

vtkDataSet* ReadPLY(const char* path)
{
  std::string clean;
  {
    vMappedFile file(path);
    vPlyCheck check(file.Data, file.Size);
    if (!file.Data || !check.Run(clean))
    {
      return nullptr;
    }
    if (check.IsPlain())
    {
      return check.ReadPlain();
    }
    if (clean.empty() && !check.BinaryAsItIs())
    {
      clean = check.BinaryCopy();
    }
  }
  vtkNew<vtkPLYReader> reader;
  if (clean.empty())
  {
    reader->SetFileName(path);
  }
  else
  {
    reader->ReadFromInputStringOn();
    reader->SetInputString(clean);
  }
  reader->Update();
  vtkPolyData* output = reader->GetOutput();
  if (reader->GetErrorCode() != 0 || !output || output->GetNumberOfPoints() == 0)
  {
    return nullptr;
  }
  vtkPolyData* model = vtkPolyData::New();
  model->ShallowCopy(output);
  return model;
}
} // namespace

vtkDataSet* Read(const char* path)
{
  return vReaderPluginHelpers::Guarded(ReadPLY, path);
}
