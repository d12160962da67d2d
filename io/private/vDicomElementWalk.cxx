#include "vDicomElementWalk.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace
{
enum class vVerdict
{
  Fits,
  TooLong,
  Unknown
};

constexpr uint32_t UndefinedLength = 0xffffffffu;
constexpr uint32_t PixelDataTag = 0x7fe00010u;
// Sequences and items nest a few levels in real files. A deeper nest is refused, whether its
// sequences have a defined length or not or are stored as UN: GDCM recurses once per level, and a
// few thousand levels overflow its stack.
constexpr std::size_t MaximumDepth = 32;
// Headers of real files fit in one block; pixel data is skipped, not read.
constexpr std::size_t BlockBytes = 64 * 1024;
// Requested values are short texts and numbers.
constexpr uint32_t MaximumValueBytes = 1024;

bool IsLongVR(const char* vr)
{
  static const char* const names[] = {
    "OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV", "UC", "UN", "UR", "UT", "UV"
  };
  return std::any_of(std::begin(names),
    std::end(names),
    [vr](const char* name) { return vr[0] == name[0] && vr[1] == name[1]; });
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
  return std::any_of(std::begin(names),
    std::end(names),
    [vr](const char* name) { return vr[0] == name[0] && vr[1] == name[1]; });
}

class vElementWalker
{
public:
  vElementWalker(int fd, uint64_t size, const std::set<uint32_t>& wanted, vDicomWalkResult& result)
    : File(fd)
    , Size(size)
    , Wanted(wanted)
    , Result(result)
  {
  }

  // Copies n bytes at pos, through a block of the file kept in memory.
  bool ReadAt(uint64_t pos, unsigned char* out, std::size_t n)
  {
    if (pos > this->Size || n > this->Size - pos)
    {
      return false;
    }
    if (this->Memory)
    {
      std::memcpy(out, this->Memory + pos, n);
      return true;
    }
    if (n > BlockBytes)
    {
      return false;
    }
    if (pos < this->BlockStart || pos + n > this->BlockStart + this->Block.size())
    {
      // Reading on where the last block ended (a header) takes a large block; a jump (over pixel
      // data, between fragments) only needs the next element header.
      const bool onward = pos == this->BlockStart + this->Block.size();
      const std::size_t block = std::max<std::size_t>(onward ? BlockBytes : 4096, n);
      const std::size_t want =
        static_cast<std::size_t>(std::min<uint64_t>(block, this->Size - pos));
      this->Block.resize(want);
      const ssize_t got = pread(this->File, this->Block.data(), want, static_cast<off_t>(pos));
      if (got < static_cast<ssize_t>(n))
      {
        this->Block.clear();
        return false;
      }
      this->Block.resize(static_cast<std::size_t>(got));
      this->BlockStart = pos;
    }
    std::memcpy(out, this->Block.data() + (pos - this->BlockStart), n);
    return true;
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

  // One open container of the walk: the file's data set, a sequence, an item, or the fragments
  // of encapsulated pixel data.
  struct vFrame
  {
    uint64_t End = 0;         // where a container of defined length ends
    bool Defined = false;     // false: closed by a delimiter
    bool Implicit = false;    // the elements inside carry no value representation
    bool Fragments = false;   // items inside are compressed bytes, not data sets
    bool Tentative = false;   // read as plain bytes by GDCM, parsed only on request
    bool InDefined = false;   // inside an item or sequence of defined length
    bool UNInDefined = false; // inside a UN sequence that is inside one of defined length
  };

  // Walks the elements from `pos` to the end of the file, through every sequence and item of
  // defined or undefined length (and sequences stored as UN) with a stack of its own, so that
  // no nest of any depth can overflow the walk's stack; each step takes at least one 8-byte
  // header, so a walk ends after at most size / 8 steps.
  //
  // Damage inside a container of defined length that still fits in the file (an element running
  // past its container, a delimiter that closes nothing) leaves that container unread, as GDCM's
  // own recovery may read it: only the nesting depth is held against it. Elsewhere damage
  // refuses the file.
  vVerdict Walk(uint64_t& pos)
  {
    std::vector<vFrame> open;
    open.reserve(MaximumDepth + 1);
    vFrame file;
    file.End = this->Size;
    file.Defined = true;
    file.Implicit = !this->Explicit;
    open.push_back(file);

    // Skips the innermost container of defined length, or refuses the file when there is none
    // (or, with `strict`, when only parsed-on-request containers would hide the damage).
    const auto damage = [&](bool strict) -> bool
    {
      for (std::size_t i = open.size(); i-- > 1;)
      {
        if (open[i].Defined && (!strict || open[i].Tentative))
        {
          pos = open[i].End;
          open.resize(i);
          return true;
        }
      }
      return false;
    };

    for (;;)
    {
      const vFrame frame = open.back();
      const std::size_t depth = open.size() - 1;
      if (depth == 0 && pos >= this->Size)
      {
        return vVerdict::Fits;
      }
      if (depth > 0 && frame.Defined && pos == frame.End)
      {
        open.pop_back();
        continue;
      }
      unsigned char b[12];
      const uint64_t room = frame.Defined ? frame.End - std::min(pos, frame.End) : this->Size - pos;
      if ((frame.Defined && pos > frame.End) || room < 8 || !this->ReadAt(pos, b, 8))
      {
        // Up to three bytes after the last element are padding (GDCM reads past them); a partial
        // element header, or any inside an open item or sequence, means the file was cut.
        if (depth == 0 && pos <= this->Size && this->Size - pos < 4)
        {
          return vVerdict::Fits;
        }
        if (damage(false))
        {
          continue;
        }
        return vVerdict::TooLong;
      }
      const uint16_t group = this->U16(b);
      const uint16_t element = this->U16(b + 2);
      const uint32_t tag = uint32_t(group) << 16 | element;
      uint32_t length = 0;
      bool unknownVR = false;
      bool sequenceVR = false;
      if (group == 0xfffe)
      {
        length = this->U32(b + 4);
        pos += 8;
        if (element == 0xe0dd || element == 0xe00d)
        {
          // A delimiter (of length 0) closes the open item or sequence; outside any, it is damage.
          if (depth > 0 && !frame.Defined && length == 0)
          {
            open.pop_back();
            continue;
          }
          if (damage(false))
          {
            continue;
          }
          return vVerdict::TooLong;
        }
        if (element != 0xe000)
        {
          // Group fffe holds only items and delimiters.
          if (damage(false))
          {
            continue;
          }
          return vVerdict::TooLong;
        }
        if (frame.Fragments)
        {
          // A fragment of compressed pixels: bytes to skip.
          if (length == UndefinedLength || length > this->Size - pos)
          {
            if (damage(false))
            {
              continue;
            }
            return vVerdict::TooLong;
          }
          pos += length;
          continue;
        }
        if (length != UndefinedLength && length > this->Size - pos)
        {
          if (damage(!frame.Tentative))
          {
            continue;
          }
          return vVerdict::TooLong;
        }
        if (open.size() > MaximumDepth)
        {
          return vVerdict::TooLong;
        }
        vFrame item = frame;
        item.Fragments = false;
        item.Defined = length != UndefinedLength;
        item.End = item.Defined ? pos + length : 0;
        item.InDefined = frame.InDefined || item.Defined;
        open.push_back(item);
        continue;
      }
      if (frame.Fragments)
      {
        // Only items and the closing delimiter belong between fragments.
        if (damage(false))
        {
          continue;
        }
        return vVerdict::TooLong;
      }
      if (!frame.Implicit && IsLongVR(reinterpret_cast<const char*>(b + 4)))
      {
        if (room < 12 || !this->ReadAt(pos + 8, b + 8, 4))
        {
          if (damage(false))
          {
            continue;
          }
          return vVerdict::TooLong;
        }
        length = this->U32(b + 8);
        unknownVR = b[4] == 'U' && b[5] == 'N';
        sequenceVR = b[4] == 'S' && b[5] == 'Q';
        pos += 12;
      }
      else if (!frame.Implicit && IsShortVR(reinterpret_cast<const char*>(b + 4)))
      {
        length = this->U16(b + 6);
        pos += 8;
      }
      else if (!frame.Implicit)
      {
        // Not a value representation: damaged bytes. GDCM would go on guessing (and allocate
        // what the guessed lengths claim); the file is refused instead.
        if (damage(false))
        {
          continue;
        }
        return vVerdict::TooLong;
      }
      else
      {
        length = this->U32(b + 4);
        pos += 8;
      }
      if (depth == 0 && tag == PixelDataTag)
      {
        this->Result.PixelDataOffset = static_cast<long long>(pos);
      }
      if (length == UndefinedLength)
      {
        if (open.size() > MaximumDepth)
        {
          return vVerdict::TooLong;
        }
        // Pixel data of undefined length holds fragments; anything else is a sequence, whose
        // items GDCM reads without value representations unless it is declared SQ.
        vFrame inner = frame;
        inner.Defined = false;
        inner.End = 0;
        inner.Fragments = tag == PixelDataTag;
        inner.Implicit = frame.Implicit || !sequenceVR;
        if (!inner.Fragments && frame.UNInDefined && !frame.Tentative)
        {
          // A sequence inside a UN sequence inside one of defined length: GDCM miscounts its
          // length and stops the program with a failed assertion.
          return vVerdict::TooLong;
        }
        inner.UNInDefined = frame.UNInDefined || (unknownVR && frame.InDefined);
        open.push_back(inner);
        continue;
      }
      if (length > this->Size - pos)
      {
        if (damage(!frame.Tentative))
        {
          continue;
        }
        return vVerdict::TooLong;
      }
      if (depth == 0 && length <= MaximumValueBytes && this->Wanted.count(tag))
      {
        unsigned char value[MaximumValueBytes];
        if (this->ReadAt(pos, value, length))
        {
          this->Result.Values[tag].assign(reinterpret_cast<const char*>(value), length);
        }
      }
      if (length >= 8 && tag != PixelDataTag && (sequenceVR || unknownVR || frame.Implicit))
      {
        // A sequence of defined length: GDCM reads an SQ at once and, when asked, parses the
        // items of an implicit or UN value that starts with one.
        unsigned char first[4];
        const bool startsWithItem = this->ReadAt(pos, first, 4) && this->U16(first) == 0xfffe &&
          this->U16(first + 2) == 0xe000;
        if (sequenceVR || startsWithItem)
        {
          if (open.size() > MaximumDepth)
          {
            return vVerdict::TooLong;
          }
          vFrame inner = frame;
          inner.Defined = true;
          inner.End = pos + length;
          inner.Implicit = frame.Implicit || !sequenceVR;
          inner.Tentative = frame.Tentative || !sequenceVR;
          inner.InDefined = true;
          open.push_back(inner);
          continue;
        }
      }
      pos += length;
    }
  }

  int File;
  const unsigned char* Memory = nullptr; // when set, the bytes to walk instead of the file
  uint64_t Size;
  const std::set<uint32_t>& Wanted;
  vDicomWalkResult& Result;
  std::vector<unsigned char> Block;
  uint64_t BlockStart = 0;
  bool Explicit = true;
  bool BigEndian = false;
};

std::string TrimmedText(const std::string& value)
{
  std::string text = value;
  while (!text.empty() && (text.back() == '\0' || text.back() == ' '))
  {
    text.pop_back();
  }
  std::size_t first = 0;
  while (first < text.size() && text[first] == ' ')
  {
    ++first;
  }
  return text.substr(first);
}

// Inflates the raw deflate stream that fills the file from `pos` on. False when it is damaged or
// would inflate beyond the largest data set the decoder accepts.
bool Inflate(int fd, uint64_t pos, uint64_t size, std::vector<unsigned char>& out)
{
  constexpr std::size_t MaximumInflated = std::size_t(4) << 30;
  z_stream stream = {};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
  {
    return false;
  }
  std::vector<unsigned char> input(BlockBytes);
  bool ok = true;
  int status = Z_OK;
  while (ok && status != Z_STREAM_END && pos < size)
  {
    const ssize_t got = pread(fd, input.data(), input.size(), static_cast<off_t>(pos));
    if (got <= 0)
    {
      ok = false;
      break;
    }
    pos += static_cast<uint64_t>(got);
    stream.next_in = input.data();
    stream.avail_in = static_cast<uInt>(got);
    while (stream.avail_in > 0 && status != Z_STREAM_END)
    {
      const std::size_t used = out.size();
      if (used + BlockBytes > MaximumInflated)
      {
        ok = false;
        break;
      }
      out.resize(used + BlockBytes);
      stream.next_out = out.data() + used;
      stream.avail_out = static_cast<uInt>(BlockBytes);
      status = inflate(&stream, Z_NO_FLUSH);
      out.resize(used + BlockBytes - stream.avail_out);
      if (status != Z_OK && status != Z_STREAM_END)
      {
        ok = false;
        break;
      }
    }
  }
  inflateEnd(&stream);
  return ok && status == Z_STREAM_END;
}

vVerdict WalkFile(int fd, uint64_t size, const std::set<uint32_t>& wanted, vDicomWalkResult& result)
{
  vElementWalker walker(fd, size, wanted, result);
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
        return vVerdict::TooLong;
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
      length = walker.U32(b + 4); // written with implicit VR, as some old writers did
    }
    if (length == UndefinedLength)
    {
      return vVerdict::Unknown;
    }
    if (length > size - value)
    {
      return vVerdict::TooLong;
    }
    if (walker.U16(b + 2) == 0x0010 && length < 80)
    {
      unsigned char text[80];
      if (walker.ReadAt(value, text, length))
      {
        syntax = TrimmedText(std::string(reinterpret_cast<const char*>(text), length));
      }
    }
    pos = value + length;
  }

  if (syntax == "1.2.840.10008.1.2.1.99")
  {
    // The data set is stored deflated: walk its inflated bytes.
    result.Deflated = true;
    std::vector<unsigned char> inflated;
    if (!Inflate(fd, pos, size, inflated))
    {
      return vVerdict::TooLong;
    }
    vElementWalker inner(fd, inflated.size(), wanted, result);
    inner.Memory = inflated.data();
    uint64_t start = 0;
    const vVerdict verdict = inner.Walk(start);
    result.PixelDataOffset = -1; // an offset in the inflated bytes says nothing of the file
    return verdict;
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
      return vVerdict::TooLong; // not even one element: cut short
    }
    const char vr[2] = { char(b[4]), char(b[5]) };
    walker.Explicit = IsLongVR(vr) || IsShortVR(vr);
    walker.BigEndian = b[0] == 0 && b[1] != 0;
  }
  result.BigEndian = walker.BigEndian;
  return walker.Walk(pos);
}
} // namespace

int vDicomWalkResult::UnsignedShort(uint32_t tag, int fallback) const
{
  const auto found = this->Values.find(tag);
  if (found == this->Values.end() || found->second.size() < 2)
  {
    return fallback;
  }
  const unsigned char* p = reinterpret_cast<const unsigned char*>(found->second.data());
  return this->BigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
}

std::string vDicomWalkResult::Text(uint32_t tag) const
{
  const auto found = this->Values.find(tag);
  return found == this->Values.end() ? std::string() : TrimmedText(found->second);
}

vDicomWalkResult vDicomElementWalk::Walk(const std::string& path, const std::set<uint32_t>& wanted)
{
  vDicomWalkResult result;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
  {
    return result;
  }
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
  {
    result.FileSize = static_cast<long long>(info.st_size);
    const vVerdict verdict = WalkFile(fd, static_cast<uint64_t>(info.st_size), wanted, result);
    result.LengthsFit = verdict != vVerdict::TooLong;
    result.Understood = verdict == vVerdict::Fits;
  }
  close(fd);
  return result;
}
