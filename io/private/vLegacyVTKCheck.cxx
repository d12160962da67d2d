#include "vLegacyVTKCheck.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
/**
 * Bytes of one value of a legacy type name; 0 for "bit" (eight per byte), -2 for the text types
 * (no fixed size), -1 for a name VTK does not know.
 */
int TypeSize(std::string type)
{
  std::transform(type.begin(),
    type.end(),
    type.begin(),
    [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (type == "bit")
  {
    return 0;
  }
  if (type == "char" || type == "unsigned_char" || type == "signed_char")
  {
    return 1;
  }
  if (type == "short" || type == "unsigned_short")
  {
    return 2;
  }
  if (type == "int" || type == "unsigned_int" || type == "float")
  {
    return 4;
  }
  if (type == "vtktypeint32" || type == "vtktypeuint32")
  {
    return 4;
  }
  if (type == "long" || type == "unsigned_long" || type == "double" || type == "vtkidtype" ||
    type == "vtktypeint64" || type == "vtktypeuint64")
  {
    return 8;
  }
  if (type == "string" || type == "utf8_string" || type == "variant")
  {
    return -2;
  }
  return -1;
}

/**
 * Whether a word is one whole number as C++ streams read it: an optional sign and digits, or, for
 * reals, digits with a point and an exponent, or nan / inf / infinity. VTK's stream stops inside
 * any other word and its reader then goes wrong.
 */
bool IsNumber(const char* p, size_t n, bool integral, bool wide)
{
  size_t i = 0;
  if (i < n && (p[i] == '+' || p[i] == '-'))
  {
    ++i;
  }
  auto digits = [&]()
  {
    size_t count = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(p[i])))
    {
      ++i;
      ++count;
    }
    return count;
  };
  if (integral)
  {
    // The value must also fit the type: a stream read past the range fails like a bad word.
    if (digits() == 0 || i != n || n > 20)
    {
      return false;
    }
    char word[24];
    std::memcpy(word, p, n);
    word[n] = '\0';
    errno = 0;
    const long long value = std::strtoll(word, nullptr, 10);
    return errno == 0 && (wide || (value >= INT32_MIN && value <= INT32_MAX));
  }
  if (i < n && std::isalpha(static_cast<unsigned char>(p[i])))
  {
    std::string rest(p + i, n - i);
    std::transform(rest.begin(),
      rest.end(),
      rest.begin(),
      [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return rest == "nan" || rest == "inf" || rest == "infinity";
  }
  size_t mantissa = digits();
  if (i < n && p[i] == '.')
  {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0)
  {
    return false;
  }
  if (i < n && (p[i] == 'e' || p[i] == 'E'))
  {
    ++i;
    if (i < n && (p[i] == '+' || p[i] == '-'))
    {
      ++i;
    }
    if (digits() == 0)
    {
      return false;
    }
  }
  return i == n;
}

/** Whether values of a legacy type name are written as integers. */
bool IsIntegral(std::string type)
{
  std::transform(type.begin(),
    type.end(),
    type.begin(),
    [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return TypeSize(type) >= 0 && type != "float" && type != "double";
}

/** The whole file mapped read-only; pages are read only where they are looked at. */
class vMappedFile
{
public:
  explicit vMappedFile(const std::string& path)
  {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    {
      void* data = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
      if (data != MAP_FAILED)
      {
        this->Data = static_cast<const char*>(data);
        this->Size = static_cast<size_t>(st.st_size);
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

class vScanner
{
public:
  vScanner(const char* data, size_t size)
    : Data(data)
    , Size(size)
  {
  }

  /** The next line's words (at most a few), or false at the end of the file. */
  bool NextLine(std::vector<std::string>& words)
  {
    words.clear();
    if (this->Pos >= this->Size)
    {
      return false;
    }
    const char* start = this->Data + this->Pos;
    const void* eol = std::memchr(start, '\n', this->Size - this->Pos);
    const size_t length =
      eol ? static_cast<size_t>(static_cast<const char*>(eol) - start) : this->Size - this->Pos;
    this->Pos += length + 1;
    // Only the first words of a line matter; very long lines are data.
    const size_t look = std::min<size_t>(length, 256);
    size_t i = 0;
    while (i < look && words.size() < 6)
    {
      while (i < look && std::isspace(static_cast<unsigned char>(start[i])))
      {
        ++i;
      }
      size_t begin = i;
      while (i < look && !std::isspace(static_cast<unsigned char>(start[i])))
      {
        ++i;
      }
      if (i > begin)
      {
        words.emplace_back(start + begin, i - begin);
      }
    }
    return true;
  }

  /** Skips a binary block; false when the file is too short for it. */
  bool Skip(unsigned long long bytes)
  {
    if (bytes > this->Size - std::min(this->Pos, this->Size))
    {
      return false;
    }
    this->Pos += static_cast<size_t>(bytes);
    return true;
  }

  /**
   * Skips `count` whitespace-separated words (ASCII values); false when the file ends first or,
   * with `numeric`, when a word is no number (the next keyword, where a value is missing), or
   * with `integral` no integer: VTK's stream stops inside such a word.
   */
  bool SkipWords(unsigned long long count, bool numeric, bool integral = false, bool wide = false)
  {
    while (count > 0)
    {
      while (
        this->Pos < this->Size && std::isspace(static_cast<unsigned char>(this->Data[this->Pos])))
      {
        ++this->Pos;
      }
      if (this->Pos >= this->Size)
      {
        return false;
      }
      const size_t start = this->Pos;
      while (
        this->Pos < this->Size && !std::isspace(static_cast<unsigned char>(this->Data[this->Pos])))
      {
        ++this->Pos;
      }
      if (numeric && !IsNumber(this->Data + start, this->Pos - start, integral, wide))
      {
        return false;
      }
      --count;
    }
    return true;
  }

  /** The next ASCII word as a 32-bit integer; false at the end or when it is none. */
  bool NextInteger(long long& value)
  {
    while (
      this->Pos < this->Size && std::isspace(static_cast<unsigned char>(this->Data[this->Pos])))
    {
      ++this->Pos;
    }
    char word[32];
    size_t length = 0;
    while (
      this->Pos < this->Size && !std::isspace(static_cast<unsigned char>(this->Data[this->Pos])))
    {
      if (length + 1 >= sizeof(word))
      {
        return false;
      }
      word[length++] = this->Data[this->Pos++];
    }
    word[length] = '\0';
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(word, &end, 10);
    return length > 0 && end == word + length && errno == 0 && value >= INT32_MIN &&
      value <= INT32_MAX;
  }

  /** The next binary 32-bit integer (big-endian, as the legacy format stores it). */
  bool NextInt32(long long& value)
  {
    if (this->Remaining() < 4)
    {
      return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(this->Data + this->Pos);
    const uint32_t v =
      (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
    int32_t signedValue;
    std::memcpy(&signedValue, &v, sizeof(v));
    value = signedValue;
    this->Pos += 4;
    return true;
  }

  size_t Remaining() const { return this->Size - std::min(this->Pos, this->Size); }

private:
  const char* Data;
  size_t Size;
  size_t Pos = 0;
};

bool ParseCount(const std::string& text, unsigned long long& value)
{
  if (text.empty() || text[0] == '-')
  {
    return false;
  }
  char* end = nullptr;
  value = std::strtoull(text.c_str(), &end, 10);
  // The whole word: a NUL inside it would end the text early, but not VTK's reading.
  return end == text.c_str() + text.size();
}

std::string Upper(std::string text)
{
  std::transform(text.begin(),
    text.end(),
    text.begin(),
    [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

/**
 * The checker proper. `Values(n, type)` is called for every block of n values: it refuses n that
 * the rest of the file cannot hold (an ASCII value takes at least one character and a separator,
 * a binary one its size, bits one eighth of a byte) and, in a binary file, skips the block.
 */
class vChecker
{
public:
  vChecker(const char* data, size_t size)
    : Scan(data, size)
  {
  }

  bool Run()
  {
    std::vector<std::string> words;
    if (!this->Scan.NextLine(words) || words.size() < 2 || words[0] != "#" ||
      Upper(words[1]) != "VTK")
    {
      return true; // not a legacy header: VTK's reader reports it
    }
    // From version 5.1 on, cell blocks name their offset and connectivity arrays.
    this->NamedCellArrays = words.size() > 4 && std::strtod(words[4].c_str(), nullptr) >= 5.1;
    this->Scan.NextLine(words); // title
    if (!this->Scan.NextLine(words) || words.empty())
    {
      return true;
    }
    this->Binary = Upper(words[0]) == "BINARY";
    while (this->Scan.NextLine(words))
    {
      if (words.empty())
      {
        continue;
      }
      int verdict = this->Line(words);
      if (verdict < 0)
      {
        return false;
      }
      if (verdict == 0)
      {
        return true; // a line it does not know, in a binary file: the rest is left to VTK
      }
    }
    return true;
  }

private:
  /** 1 to go on, 0 to stop looking (accept), -1 to refuse. */
  int Line(const std::vector<std::string>& w)
  {
    const std::string key = Upper(w[0]);
    unsigned long long n = 0;
    unsigned long long m = 0;
    auto count = [&](size_t i, unsigned long long& v)
    { return w.size() > i && ParseCount(w[i], v); };
    if (this->FieldArrays > 0 && w.size() >= 4 && count(1, n) && count(2, m))
    {
      --this->FieldArrays; // a field array: name, components, tuples, type
      unsigned long long values = 0;
      if (__builtin_mul_overflow(n, m, &values))
      {
        return -1;
      }
      return this->Values(values, w[3]);
    }
    if (key == "DATASET" || key == "DIMENSIONS" || key == "ORIGIN" || key == "SPACING" ||
      key == "ASPECT_RATIO")
    {
      return 1;
    }
    if (key == "METADATA")
    {
      // Text lines up to an empty line.
      std::vector<std::string> words;
      while (this->Scan.NextLine(words) && !words.empty())
      {
      }
      return 1;
    }
    if (key == "POINTS")
    {
      if (!count(1, n) || w.size() < 3)
      {
        return -1; // VTK would take the missing words from the data
      }
      return n > this->Scan.Remaining() ? -1 : this->Values(3 * n, w[2]);
    }
    if ((key == "X_COORDINATES" || key == "Y_COORDINATES" || key == "Z_COORDINATES") &&
      count(1, n) && w.size() > 2)
    {
      return this->Values(n, w[2]);
    }
    if (key == "VERTICES" || key == "LINES" || key == "POLYGONS" || key == "TRIANGLE_STRIPS" ||
      key == "CELLS")
    {
      if (!count(1, n) || !count(2, m) || n > this->Scan.Remaining() + 1 ||
        m > this->Scan.Remaining() + 1)
      {
        return -1;
      }
      if (!this->NamedCellArrays)
      {
        return this->LegacyCells(n, m);
      }
      this->CellOffsets = n;
      this->CellConnectivity = m;
      return 1;
    }
    if (key == "OFFSETS" && w.size() > 1)
    {
      return this->Values(this->CellOffsets, w[1]);
    }
    if (key == "CONNECTIVITY" && w.size() > 1)
    {
      return this->Values(this->CellConnectivity, w[1]);
    }
    if (key == "CELL_TYPES")
    {
      return count(1, n) ? this->CellTypes(n) : -1;
    }
    if ((key == "POINT_DATA" || key == "CELL_DATA") && count(1, n))
    {
      if (n > 8 * static_cast<unsigned long long>(this->Scan.Remaining()) + 8)
      {
        return -1;
      }
      this->Tuples = n;
      return 1;
    }
    if (key == "SCALARS" && w.size() > 2)
    {
      unsigned long long components = 1;
      if (w.size() > 3 && !ParseCount(w[3], components))
      {
        components = 1;
      }
      this->PendingScalars = true;
      this->PendingScalarsValues = components * this->Tuples;
      this->PendingScalarsType = w[2];
      return components > 64 ? -1 : 1;
    }
    if (key == "LOOKUP_TABLE")
    {
      if (w.size() >= 3 && count(2, n))
      {
        return this->Values(4 * n, this->Binary ? "unsigned_char" : "float");
      }
      if (this->PendingScalars)
      {
        this->PendingScalars = false;
        return this->Values(this->PendingScalarsValues, this->PendingScalarsType);
      }
      return 1;
    }
    if (key == "COLOR_SCALARS" && count(2, n))
    {
      return this->Values(n * this->Tuples, this->Binary ? "unsigned_char" : "float");
    }
    if ((key == "VECTORS" || key == "NORMALS") && w.size() > 2)
    {
      return this->Values(3 * this->Tuples, w[2]);
    }
    if (key == "TEXTURE_COORDINATES" && count(2, n) && w.size() > 3)
    {
      return n > 3 ? -1 : this->Values(n * this->Tuples, w[3]);
    }
    if ((key == "TENSORS" || key == "TENSORS6") && w.size() > 2)
    {
      return this->Values((key == "TENSORS" ? 9 : 6) * this->Tuples, w[2]);
    }
    if ((key == "GLOBAL_IDS" || key == "PEDIGREE_IDS") && w.size() > 2)
    {
      return this->Values(this->Tuples, w[2]);
    }
    if (key == "FIELD" && count(2, n))
    {
      this->FieldArrays = n;
      return 1;
    }
    if (this->Binary)
    {
      return 0;
    }
    // ASCII: data lines of blocks not followed here begin with a number; keywords VTK knows but
    // this look does not follow end it; any other word is one VTK's reader rejects, after which
    // it reads on from a closed file.
    const unsigned char first = static_cast<unsigned char>(w[0][0]);
    if (std::isdigit(first) || first == '-' || first == '+' || first == '.')
    {
      return 1;
    }
    static const char* const Others[] = { "EDGE_FLAGS",
      "RATIONAL_WEIGHTS",
      "HIGHERORDER_DEGREES",
      "NAME",
      "DATA",
      "INFORMATION",
      "COMPONENT_NAMES",
      "LOCATION",
      "VERTEX_COUNTS",
      "TRIANGLE_STRIPS",
      "POLYHEDRON" };
    for (const char* other : Others)
    {
      if (key == other)
      {
        return 0;
      }
    }
    return -1;
  }

  /**
   * Cells before version 5.1: m integers holding n cells, each a point count and that many ids.
   * VTK's reader writes past its buffer when the counts do not add up to m.
   */
  int LegacyCells(unsigned long long n, unsigned long long m)
  {
    unsigned long long used = 0;
    for (unsigned long long i = 0; i < n; ++i)
    {
      long long points = 0;
      if (!(this->Binary ? this->Scan.NextInt32(points) : this->Scan.NextInteger(points)) ||
        points < 0 || used + 1 + static_cast<unsigned long long>(points) > m)
      {
        return -1;
      }
      const auto ids = static_cast<unsigned long long>(points);
      if (!(this->Binary ? this->Scan.Skip(4 * ids) : this->Scan.SkipWords(ids, true, true)))
      {
        return -1;
      }
      used += 1 + ids;
    }
    return used == m ? 1 : -1;
  }

  /**
   * Grid cell types: only the plain linear and quadratic ones (1 to 37). VTK's reader itself turns
   * polyhedra (42) into faces from the cell's own counts, trusting them.
   */
  int CellTypes(unsigned long long n)
  {
    if (n > this->Scan.Remaining())
    {
      return -1;
    }
    for (unsigned long long i = 0; i < n; ++i)
    {
      long long type = 0;
      if (!(this->Binary ? this->Scan.NextInt32(type) : this->Scan.NextInteger(type)) || type < 1 ||
        type > 37)
      {
        return -1;
      }
    }
    return 1;
  }

  int Values(unsigned long long values, const std::string& type)
  {
    const int size = TypeSize(type);
    const unsigned long long remaining = this->Scan.Remaining();
    if (size == -1)
    {
      return -1; // VTK's reader fails on the type and then reads on from a closed file
    }
    if (!this->Binary)
    {
      // "1 2 3": n values take at least 2n - 1 characters. They must all be there: VTK's reader
      // does not survive a file that ends inside a block.
      return values > remaining / 2 + 1 ||
          !this->Scan.SkipWords(values, size >= 0, IsIntegral(type))
        ? -1
        : 1;
    }
    if (size < 0)
    {
      return 0; // binary text arrays: the layout is not followed further
    }
    unsigned long long bytes = 0;
    if (size == 0)
    {
      bytes = (values + 7) / 8;
    }
    else if (__builtin_mul_overflow(values, static_cast<unsigned long long>(size), &bytes))
    {
      return -1;
    }
    return this->Scan.Skip(bytes) ? 1 : -1;
  }

  vScanner Scan;
  bool Binary = false;
  bool NamedCellArrays = false;
  bool PendingScalars = false;
  unsigned long long PendingScalarsValues = 0;
  std::string PendingScalarsType;
  unsigned long long CellOffsets = 0;
  unsigned long long CellConnectivity = 0;
  unsigned long long Tuples = 0;
  unsigned long long FieldArrays = 0;
};
} // namespace

bool vLegacyVTKCheck::CountsFit(const std::string& path)
{
  vMappedFile file(path);
  if (!file.Data)
  {
    return true; // nothing to look at: VTK's reader reports what is wrong
  }
  return vChecker(file.Data, file.Size).Run();
}
