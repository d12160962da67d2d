#include "vDicomPixels.h"

#include <gdcmByteValue.h>
#include <gdcmImage.h>
#include <gdcmLookupTable.h>
#include <gdcmPhotometricInterpretation.h>
#include <gdcmPixelFormat.h>
#include <gdcmSequenceOfFragments.h>
#include <gdcmTransferSyntax.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace
{
// Frames wider or taller than this are not images anybody scans; refusing them keeps every
// product of sizes far from overflow.
constexpr unsigned int MaximumSide = 65536;

bool IsYbr(const gdcm::PhotometricInterpretation& pi)
{
  switch (pi)
  {
    case gdcm::PhotometricInterpretation::YBR_FULL:
    case gdcm::PhotometricInterpretation::YBR_FULL_422:
    case gdcm::PhotometricInterpretation::YBR_PARTIAL_422:
    case gdcm::PhotometricInterpretation::YBR_PARTIAL_420:
      return true;
    default:
      return false;
  }
}

// Bits per sample GDCM hands out for a file's bits allocated (12-bit data comes out as 16).
int SampleBytes(unsigned short bitsAllocated)
{
  switch (bitsAllocated)
  {
    case 1:
    case 8:
      return 1;
    case 12:
    case 16:
      return 2;
    case 32:
      return 4;
    default:
      return 0;
  }
}

template <typename T>
void KeepStoredBits(T* pixels, std::size_t count, int bitsStored, bool isSigned)
{
  using U = typename std::make_unsigned<T>::type;
  const U mask = static_cast<U>((U(1) << bitsStored) - 1);
  const U signBit = static_cast<U>(U(1) << (bitsStored - 1));
  for (std::size_t i = 0; i < count; ++i)
  {
    U value = static_cast<U>(static_cast<U>(pixels[i]) & mask);
    if (isSigned && (value & signBit))
    {
      value = static_cast<U>(value | static_cast<U>(~mask));
    }
    pixels[i] = static_cast<T>(value);
  }
}

template <typename T>
T ReadSample(const unsigned char* p)
{
  T value;
  std::memcpy(&value, p, sizeof(T));
  return value;
}

// One sample out of three: Y of YBR data, the luminance of RGB data (ITU-R BT.601 weights).
template <typename T>
void ToSingleSample(const unsigned char* src,
  const vDicomPixelLayout& layout,
  bool planar,
  bool ybr,
  unsigned char* dest)
{
  const std::size_t pixels = std::size_t(layout.Cols) * std::size_t(layout.Rows);
  T* out = reinterpret_cast<T*>(dest);
  for (int f = 0; f < layout.Frames; ++f)
  {
    const unsigned char* frame = src + std::size_t(f) * pixels * 3 * sizeof(T);
    for (std::size_t i = 0; i < pixels; ++i)
    {
      const std::size_t r = planar ? i : 3 * i;
      const std::size_t g = planar ? pixels + i : 3 * i + 1;
      const std::size_t b = planar ? 2 * pixels + i : 3 * i + 2;
      const long long c0 = ReadSample<T>(frame + r * sizeof(T));
      if (ybr)
      {
        *out++ = static_cast<T>(c0);
        continue;
      }
      const long long c1 = ReadSample<T>(frame + g * sizeof(T));
      const long long c2 = ReadSample<T>(frame + b * sizeof(T));
      *out++ = static_cast<T>((299 * c0 + 587 * c1 + 114 * c2 + 500) / 1000);
    }
  }
}

// Width and height that a JPEG, JPEG-LS or JPEG 2000 code stream declares in its header; false
// when the header is not one of these or does not say.
bool CodestreamSize(const unsigned char* p, std::size_t n, unsigned& width, unsigned& height)
{
  if (n >= 4 && p[0] == 0xff && p[1] == 0x4f && p[2] == 0xff && p[3] == 0x51)
  {
    // JPEG 2000: SIZ follows SOC; Xsiz, Ysiz, XOsiz, YOsiz after Lsiz and Rsiz.
    if (n < 4 + 2 + 2 + 16)
    {
      return false;
    }
    const auto u32 = [p](std::size_t at)
    {
      return uint32_t(p[at]) << 24 | uint32_t(p[at + 1]) << 16 | uint32_t(p[at + 2]) << 8 |
        p[at + 3];
    };
    const uint32_t x = u32(8), y = u32(12), x0 = u32(16), y0 = u32(20);
    if (x < x0 || y < y0)
    {
      return false;
    }
    width = x - x0;
    height = y - y0;
    return true;
  }
  if (n < 4 || p[0] != 0xff || p[1] != 0xd8)
  {
    return false;
  }
  std::size_t at = 2;
  while (at + 4 <= n && p[at] == 0xff)
  {
    const unsigned char marker = p[at + 1];
    const std::size_t length = std::size_t(p[at + 2]) << 8 | p[at + 3];
    const bool frameHeader =
      (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc) ||
      marker == 0xf7;
    if (frameHeader)
    {
      if (at + 9 > n)
      {
        return false;
      }
      height = unsigned(p[at + 5]) << 8 | p[at + 6];
      width = unsigned(p[at + 7]) << 8 | p[at + 8];
      return height != 0; // 0: the height comes later (DNL)
    }
    if (marker == 0xda || length < 2)
    {
      return false; // scan data before any frame header
    }
    at += 2 + length;
  }
  return false;
}

struct FreeBuffer
{
  void operator()(char* p) const { delete[] p; }
};
} // namespace

std::string vDicomPixels::Describe(const gdcm::Image& image, vDicomPixelLayout& layout)
{
  layout = vDicomPixelLayout();
  const unsigned int* dims = image.GetDimensions();
  const unsigned int numberOfDims = image.GetNumberOfDimensions();
  if (!dims || numberOfDims < 2 || numberOfDims > 3)
  {
    return "the image has no dimensions";
  }
  const unsigned int frames = numberOfDims == 3 ? dims[2] : 1;
  if (dims[0] == 0 || dims[1] == 0 || frames == 0)
  {
    return "the image is empty";
  }
  if (dims[0] > MaximumSide || dims[1] > MaximumSide || frames > unsigned(INT_MAX))
  {
    return "the image dimensions are out of range";
  }
  const gdcm::PixelFormat& pf = image.GetPixelFormat();
  const unsigned short samples = pf.GetSamplesPerPixel();
  if (samples != 1 && samples != 3)
  {
    return "unsupported samples per pixel";
  }
  switch (pf.GetScalarType())
  {
    case gdcm::PixelFormat::UINT8:
    case gdcm::PixelFormat::INT8:
    case gdcm::PixelFormat::UINT12:
    case gdcm::PixelFormat::INT12:
    case gdcm::PixelFormat::UINT16:
    case gdcm::PixelFormat::INT16:
    case gdcm::PixelFormat::UINT32:
    case gdcm::PixelFormat::INT32:
    case gdcm::PixelFormat::SINGLEBIT:
      break;
    default:
      return "unsupported pixel format";
  }
  const int bytes = SampleBytes(pf.GetBitsAllocated());
  if (bytes == 0 || (pf.GetBitsAllocated() == 1 && samples != 1))
  {
    return "unsupported bits allocated";
  }
  layout.Cols = static_cast<int>(dims[0]);
  layout.Rows = static_cast<int>(dims[1]);
  layout.Frames = static_cast<int>(frames);
  layout.PixelSize = bytes;
  layout.Signed = pf.GetBitsAllocated() != 1 && pf.GetPixelRepresentation() == 1;
  return std::string();
}

std::string vDicomPixels::Decode(const gdcm::Image& image,
  const vDicomPixelLayout& layout,
  void* dest,
  std::size_t destBytes,
  std::size_t fileRoom)
{
  if (!dest || destBytes < layout.TotalBytes() || layout.TotalBytes() == 0)
  {
    return "no room for the pixels";
  }
  const gdcm::PixelFormat& pf = image.GetPixelFormat();
  const unsigned short bitsAllocated = pf.GetBitsAllocated();
  const unsigned short samples = pf.GetSamplesPerPixel();
  const std::size_t pixels = layout.TotalBytes() / std::size_t(layout.PixelSize);

  // What GDCM will write: every sample of every frame, or the packed bits of single-bit data.
  const std::size_t gdcmBytes = bitsAllocated == 1
    ? (pixels + 7) / 8
    : pixels * std::size_t(samples) * std::size_t(layout.PixelSize);
  if (static_cast<std::size_t>(image.GetBufferLength()) != gdcmBytes)
  {
    return "the decoded size does not match the image dimensions";
  }

  const gdcm::DataElement& pixelData = image.GetDataElement();
  if (pixelData.IsEmpty())
  {
    return "the file holds no pixel data";
  }
  const gdcm::PhotometricInterpretation& pi = image.GetPhotometricInterpretation();
  if (image.GetTransferSyntax().IsEncapsulated())
  {
    const gdcm::SequenceOfFragments* fragments = pixelData.GetSequenceOfFragments();
    if (!fragments || fragments->GetNumberOfFragments() == 0)
    {
      return "the compressed pixel data holds no fragments";
    }
    // Every fragment (with its 8-byte item header) and the offset table must lie in the file:
    // a cut stream would otherwise decode into an image padded with whatever the codec chose.
    const std::size_t stored = static_cast<std::size_t>(fragments->ComputeByteLength()) +
      8 * std::size_t(fragments->GetNumberOfFragments()) + 8 +
      static_cast<std::size_t>(fragments->GetTable().GetVL());
    if (stored > fileRoom)
    {
      return "the compressed pixel data is cut short";
    }
    // A code stream of another size than the image would make GDCM's codecs stop the program.
    const gdcm::ByteValue* first = fragments->GetFragment(0).GetByteValue();
    unsigned width = 0;
    unsigned height = 0;
    if (first &&
      CodestreamSize(reinterpret_cast<const unsigned char*>(first->GetPointer()),
        first->GetLength(),
        width,
        height) &&
      (width != unsigned(layout.Cols) || height != unsigned(layout.Rows)))
    {
      return "the compressed frames do not match the image size";
    }
  }
  else
  {
    // Native pixel data: the element must hold every bit the dimensions claim.
    const gdcm::ByteValue* value = pixelData.GetByteValue();
    std::size_t storedSamples = pixels * samples;
    if (samples == 3 && pi == gdcm::PhotometricInterpretation::YBR_FULL_422)
    {
      storedSamples = pixels * 2;
    }
    const std::size_t needed = (storedSamples * bitsAllocated + 7) / 8;
    if (!value || static_cast<std::size_t>(value->GetLength()) < needed || fileRoom < needed)
    {
      return "the pixel data is shorter than the image dimensions";
    }
  }

  const bool palette = pi == gdcm::PhotometricInterpretation::PALETTE_COLOR;
  if (palette &&
    (samples != 1 || !image.GetLUT().Initialized() ||
      image.GetLUT().GetBitSample() != bitsAllocated))
  {
    return "the palette of the image is missing or does not fit its pixels";
  }
  const bool direct = samples == 1 && bitsAllocated != 1 && !palette;
  std::unique_ptr<char[], FreeBuffer> scratch;
  char* target = static_cast<char*>(dest);
  if (!direct)
  {
    scratch.reset(new (std::nothrow) char[gdcmBytes]);
    if (!scratch)
    {
      return "out of memory";
    }
    target = scratch.get();
  }
  bool decoded = false;
  try
  {
    decoded = image.GetBuffer(target);
  }
  catch (...)
  {
    decoded = false;
  }
  if (!decoded)
  {
    return std::string("cannot decode the pixel data (") +
      gdcm::TransferSyntax::GetTSString(image.GetTransferSyntax()) + ")";
  }

  unsigned char* out = static_cast<unsigned char*>(dest);
  if (palette)
  {
    // Indices into the palette's colours, stored as the luminance of the colour: a grey picture
    // faithful to the colour one, not the indices' arbitrary order.
    std::unique_ptr<char[], FreeBuffer> colours(new (std::nothrow) char[3 * gdcmBytes]);
    if (!colours)
    {
      return "out of memory";
    }
    bool looked = false;
    try
    {
      looked = image.GetLUT().Decode(colours.get(), 3 * gdcmBytes, target, gdcmBytes);
    }
    catch (...)
    {
      looked = false;
    }
    if (!looked)
    {
      return "cannot look up the palette of the image";
    }
    const unsigned char* rgb = reinterpret_cast<const unsigned char*>(colours.get());
    if (layout.PixelSize == 1)
    {
      ToSingleSample<uint8_t>(rgb, layout, false, false, out);
    }
    else
    {
      ToSingleSample<uint16_t>(rgb, layout, false, false, out);
    }
    return std::string();
  }
  if (bitsAllocated == 1)
  {
    const unsigned char* bits = reinterpret_cast<const unsigned char*>(target);
    for (std::size_t i = 0; i < pixels; ++i)
    {
      out[i] = static_cast<unsigned char>((bits[i >> 3] >> (i & 7)) & 1);
    }
    return std::string();
  }
  if (samples == 3)
  {
    const bool planar = image.GetPlanarConfiguration() == 1;
    const bool ybr = IsYbr(pi);
    const unsigned char* src = reinterpret_cast<const unsigned char*>(target);
    switch (layout.PixelSize)
    {
      case 1:
        ToSingleSample<uint8_t>(src, layout, planar, ybr, out);
        break;
      case 2:
        ToSingleSample<uint16_t>(src, layout, planar, ybr, out);
        break;
      default:
        ToSingleSample<uint32_t>(src, layout, planar, ybr, out);
        break;
    }
    return std::string();
  }

  const int bitsStored = pf.GetBitsStored();
  if (bitsStored > 0 && bitsStored < layout.PixelSize * 8)
  {
    switch (layout.PixelSize)
    {
      case 1:
        KeepStoredBits(reinterpret_cast<uint8_t*>(out), pixels, bitsStored, layout.Signed);
        break;
      case 2:
        KeepStoredBits(reinterpret_cast<uint16_t*>(out), pixels, bitsStored, layout.Signed);
        break;
      default:
        KeepStoredBits(reinterpret_cast<uint32_t*>(out), pixels, bitsStored, layout.Signed);
        break;
    }
  }
  return std::string();
}

void vDicomPixels::ToUnsigned32(const void* src,
  int pixelSize,
  bool isSigned,
  std::size_t count,
  unsigned int* dest)
{
  const unsigned char* in = static_cast<const unsigned char*>(src);
  switch (pixelSize)
  {
    case 1:
      for (std::size_t i = 0; i < count; ++i)
      {
        const int v = isSigned ? int(static_cast<int8_t>(in[i])) : int(in[i]);
        dest[i] = v < 0 ? 0u : static_cast<unsigned int>(v);
      }
      break;
    case 2:
      if (isSigned)
      {
        const int16_t* p = static_cast<const int16_t*>(src);
        for (std::size_t i = 0; i < count; ++i)
        {
          dest[i] = p[i] < 0 ? 0u : static_cast<unsigned int>(p[i]);
        }
      }
      else
      {
        const uint16_t* p = static_cast<const uint16_t*>(src);
        for (std::size_t i = 0; i < count; ++i)
        {
          dest[i] = p[i];
        }
      }
      break;
    case 4:
      if (isSigned)
      {
        const int32_t* p = static_cast<const int32_t*>(src);
        for (std::size_t i = 0; i < count; ++i)
        {
          dest[i] = p[i] < 0 ? 0u : static_cast<unsigned int>(p[i]);
        }
      }
      else
      {
        std::memcpy(dest, src, count * sizeof(unsigned int));
      }
      break;
    default:
      break;
  }
}
