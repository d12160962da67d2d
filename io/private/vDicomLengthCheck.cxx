#include "vDicomLengthCheck.h"

#include <cstdint>
#include <cstring>
#include <fstream>

namespace
{
enum class vVerdict
{
  Fits,
  TooLong,
  Unknown
};

constexpr uint32_t UndefinedLength = 0xffffffffu;
// Sequences nest a few levels in real files; a deeper nest is left to GDCM without a verdict.
constexpr int MaximumDepth = 32;

bool IsLongVR(const char* vr)
{
  static const char* const names[] = {
    "OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV", "UC", "UN", "UR", "UT", "UV"
  };
  for (const char* name : names)
  {
    if (vr[0] == name[0] && vr[1] == name[1])
    {
      return true;
    }
  }
  return false;
}

bool IsShortVR(const char* vr)
{
  static const char* const names[] = { "AE",
    "AS",
    "AT",
    "CS",
    "DA",
    "DS",
    "DT",
    "FL",
    "FD",
    "IS",
    "LO",
    "LT",
    "PN",
    "SH",
    "SL",
    "SS",
    "ST",
    "TM",
    "UI",
    "UL",
    "US" };
  for (const char* name : names)
  {
    if (vr[0] == name[0] && vr[1] == name[1])
    {
      return true;
    }
  }
  return false;
}

class vElementWalker
{
public:
  vElementWalker(std::ifstream& in, uint64_t size)
    : In(in)
    , Size(size)
  {
  }

  bool ReadAt(uint64_t pos, unsigned char* out, std::size_t n)
  {
    if (pos + n > this->Size)
    {
      return false;
    }
    this->In.clear();
    this->In.seekg(static_cast<std::streamoff>(pos));
    return static_cast<bool>(this->In.read(reinterpret_cast<char*>(out), std::streamsize(n)));
  }

  uint16_t U16(const unsigned char* p) const
  {
    return this->BigEndian ? uint16_t(p[0] << 8 | p[1]) : uint16_t(p[1] << 8 | p[0]);
  }
  uint32_t U32(const unsigned char* p) const
  {
    return this->BigEndian
      ? (uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3])
      : (uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
  }

  // Walks elements from `pos` to `end`; with `untilDelimiter`, up to the delimiter that closes an
  // undefined-length item or sequence.
  vVerdict Walk(uint64_t& pos, bool untilDelimiter, int depth)
  {
    if (depth > MaximumDepth)
    {
      return vVerdict::Unknown;
    }
    while (pos < this->Size)
    {
      unsigned char b[12];
      if (!this->ReadAt(pos, b, 8))
      {
        return vVerdict::Unknown; // a few trailing bytes: not ours to judge
      }
      const uint16_t group = this->U16(b);
      const uint16_t element = this->U16(b + 2);
      uint32_t length = 0;
      if (group == 0xfffe)
      {
        length = this->U32(b + 4);
        pos += 8;
        if (element == 0xe0dd || element == 0xe00d)
        {
          return untilDelimiter ? vVerdict::Fits : vVerdict::Unknown;
        }
        if (element != 0xe000)
        {
          return vVerdict::Unknown;
        }
        if (length == UndefinedLength)
        {
          const vVerdict inner = this->Walk(pos, true, depth + 1);
          if (inner != vVerdict::Fits)
          {
            return inner;
          }
          continue;
        }
      }
      else
      {
        const char vr[2] = { char(b[4]), char(b[5]) };
        if (this->Explicit && IsLongVR(vr))
        {
          if (!this->ReadAt(pos + 8, b + 8, 4))
          {
            return vVerdict::TooLong;
          }
          length = this->U32(b + 8);
          pos += 12;
        }
        else if (this->Explicit && IsShortVR(vr))
        {
          length = this->U16(b + 6);
          pos += 8;
        }
        else
        {
          // Implicit VR (or an implicit element inside an explicit data set, which GDCM accepts).
          length = this->U32(b + 4);
          pos += 8;
        }
        if (length == UndefinedLength)
        {
          if (this->Explicit && vr[0] == 'U' && vr[1] == 'N')
          {
            return vVerdict::Unknown; // its items are implicit VR: beyond this simple walk
          }
          const vVerdict inner = this->Walk(pos, true, depth + 1);
          if (inner != vVerdict::Fits)
          {
            return inner;
          }
          continue;
        }
      }
      if (length > this->Size - pos)
      {
        return vVerdict::TooLong;
      }
      pos += length;
    }
    return untilDelimiter ? vVerdict::Unknown : vVerdict::Fits;
  }

  std::ifstream& In;
  uint64_t Size;
  bool Explicit = true;
  bool BigEndian = false;
};
} // namespace

bool vDicomLengthCheck::LengthsFit(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  if (!in)
  {
    return true;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff end = in.tellg();
  if (end <= 0)
  {
    return true;
  }
  vElementWalker walker(in, static_cast<uint64_t>(end));
  uint64_t pos = 0;
  unsigned char head[132];
  if (walker.ReadAt(0, head, 132) && std::memcmp(head + 128, "DICM", 4) == 0)
  {
    pos = 132;
  }

  // The meta header (group 2) is explicit little endian; it names the data set's encoding.
  std::string syntax;
  bool haveMeta = false;
  for (;;)
  {
    unsigned char b[12];
    if (!walker.ReadAt(pos, b, 8) || walker.U16(b) != 0x0002)
    {
      break;
    }
    haveMeta = true;
    const char vr[2] = { char(b[4]), char(b[5]) };
    uint32_t length = 0;
    uint64_t value = pos + 8;
    if (IsLongVR(vr))
    {
      if (!walker.ReadAt(pos + 8, b + 8, 4))
      {
        return false;
      }
      length = walker.U32(b + 8);
      value = pos + 12;
    }
    else if (IsShortVR(vr))
    {
      length = walker.U16(b + 6);
    }
    else
    {
      return true; // not the meta header we know
    }
    if (length == UndefinedLength || length > walker.Size - value)
    {
      return length == UndefinedLength;
    }
    if (walker.U16(b + 2) == 0x0010 && length < 80)
    {
      char text[80];
      if (walker.ReadAt(value, reinterpret_cast<unsigned char*>(text), length))
      {
        syntax.assign(text, length);
        while (!syntax.empty() && (syntax.back() == '\0' || syntax.back() == ' '))
        {
          syntax.pop_back();
        }
      }
    }
    pos = value + length;
  }

  if (syntax == "1.2.840.10008.1.2.1.99")
  {
    return true; // deflated: the stored bytes are not the elements
  }
  if (syntax == "1.2.840.10008.1.2")
  {
    walker.Explicit = false;
  }
  else if (syntax == "1.2.840.10008.1.2.2")
  {
    walker.BigEndian = true;
  }
  else if (!haveMeta)
  {
    // No meta header (old ACR-NEMA files): guess from the first element.
    unsigned char b[8];
    if (!walker.ReadAt(pos, b, 8))
    {
      return true;
    }
    const char vr[2] = { char(b[4]), char(b[5]) };
    walker.Explicit = IsLongVR(vr) || IsShortVR(vr);
    walker.BigEndian = b[0] == 0 && b[1] != 0;
  }
  return walker.Walk(pos, false, 0) != vVerdict::TooLong;
}
