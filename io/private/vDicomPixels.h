#ifndef vDicomPixels_h
#define vDicomPixels_h

#include <cstddef>
#include <string>

namespace gdcm
{
class Image;
}

/** The shape of decoded DICOM frames: one sample per pixel, host byte order. */
struct vDicomPixelLayout
{
  int Cols = 0;
  int Rows = 0;
  int Frames = 0;
  int PixelSize = 0; // bytes per pixel of a frame: 1, 2 or 4
  bool Signed = false;

  std::size_t FrameBytes() const
  {
    return std::size_t(this->Cols) * std::size_t(this->Rows) * std::size_t(this->PixelSize);
  }
  std::size_t TotalBytes() const { return this->FrameBytes() * std::size_t(this->Frames); }
  bool SameFrameFormat(const vDicomPixelLayout& other) const
  {
    return this->Cols == other.Cols && this->Rows == other.Rows &&
      this->PixelSize == other.PixelSize && this->Signed == other.Signed;
  }
};

/**
 * Turns a `gdcm::Image` (as `gdcm::ImageReader` made it) into the decoder's frames: stored values,
 * one sample per pixel (RGB into luminance, YBR keeps Y, single-bit unpacked to bytes), unused high
 * bits cleared (sign-extended for signed pixels). Every size is checked against what GDCM and the
 * pixel data element hold before a byte is written.
 */
class vDicomPixels
{
public:
  /** Fills `layout` from the image; empty text when the image can be decoded. */
  static std::string Describe(const gdcm::Image& image, vDicomPixelLayout& layout);

  /**
   * Decodes every frame of the image into `dest`, which holds `destBytes` bytes; `layout` must
   * come from `Describe` on the same image. `fileRoom` is the number of bytes the file holds from
   * the start of the pixel data value to its end: native pixel data needing more is refused (GDCM
   * keeps the length an element claims even when the file ends first). Empty text on success.
   */
  static std::string Decode(const gdcm::Image& image,
    const vDicomPixelLayout& layout,
    void* dest,
    std::size_t destBytes,
    std::size_t fileRoom);

  /**
   * Converts `count` pixels of `pixelSize` bytes (`isSigned`) at `src` to 4-byte unsigned values:
   * negative values become 0.
   */
  static void ToUnsigned32(const void* src,
    int pixelSize,
    bool isSigned,
    std::size_t count,
    unsigned int* dest);
};

#endif
