#include "CiDcmLib.h"

#include "vDicomPixels.h"
#include "vDicomSeries.h"
#ifndef VEMORA_READ_HELPER
#include "vDicomElementWalk.h"
#include "vReadIsolation.h"

#include <vtkDataArray.h>
#else
#include "vReadHelperParts.h"

#include <unistd.h>
#endif

#include <gdcmImageReader.h>
#include <gdcmReader.h>
#include <gdcmSequenceOfItems.h>
#include <gdcmTrace.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <sys/stat.h>

namespace
{
// GDCM reports every oddity of real files on standard error; the reader's answer is what counts.
void SilenceGdcm()
{
  static const bool silenced = []()
  {
    gdcm::Trace::SetDebug(false);
    gdcm::Trace::SetWarning(false);
    gdcm::Trace::SetError(false);
    return true;
  }();
  (void)silenced;
}

double CleanSpacing(double value)
{
  value = std::fabs(value);
  return std::isfinite(value) && value > 0 ? value : 1.0;
}

// A decimal string value of the data set; 0 when absent or not a number.
double DecimalValue(const gdcm::DataSet& ds, const gdcm::Tag& tag)
{
  if (!ds.FindDataElement(tag))
  {
    return 0;
  }
  const gdcm::ByteValue* value = ds.GetDataElement(tag).GetByteValue();
  if (!value || value->GetLength() == 0 || value->GetLength() > 64)
  {
    return 0;
  }
  const std::string text(value->GetPointer(), value->GetLength());
  const double number = std::strtod(text.c_str(), nullptr);
  return std::isfinite(number) ? number : 0;
}

// The data set of the first item of sequence `tag` (null when absent or empty). For implicit VR
// files GDCM parses the items on request: `holder` keeps them alive for the caller.
const gdcm::DataSet* FirstItem(const gdcm::DataSet& ds,
  const gdcm::Tag& tag,
  gdcm::SmartPointer<gdcm::SequenceOfItems>& holder)
{
  if (!ds.FindDataElement(tag))
  {
    return nullptr;
  }
  holder = ds.GetDataElement(tag).GetValueAsSQ();
  const gdcm::SequenceOfItems* items = holder.GetPointer();
  if (!items || items->GetNumberOfItems() == 0)
  {
    return nullptr;
  }
  return &items->GetItem(1).GetNestedDataSet();
}

// Spacing Between Slices, at the top level or in the shared pixel measures of an enhanced file.
double SpacingBetweenSlices(const gdcm::DataSet& ds)
{
  const gdcm::Tag between(0x0018, 0x0088);
  const double top = DecimalValue(ds, between);
  if (top > 0)
  {
    return top;
  }
  gdcm::SmartPointer<gdcm::SequenceOfItems> sharedItems;
  gdcm::SmartPointer<gdcm::SequenceOfItems> measureItems;
  const gdcm::DataSet* shared = FirstItem(ds, gdcm::Tag(0x5200, 0x9229), sharedItems);
  const gdcm::DataSet* measures =
    shared ? FirstItem(*shared, gdcm::Tag(0x0028, 0x9110), measureItems) : nullptr;
  return measures ? DecimalValue(*measures, between) : 0;
}
} // namespace

CiDcmLib::CiDcmLib()
{
  SilenceGdcm();
}

CiDcmLib::~CiDcmLib() = default;

void CiDcmLib::SetFilename(const std::string& path)
{
  this->Filename = path;
}

void CiDcmLib::Clear()
{
  this->Notice.clear();
  this->Cols = 0;
  this->Rows = 0;
  this->Frames = 0;
  this->PixelSize = 0;
  this->Signed = false;
  this->WholeVolume = false;
  this->Spacing[0] = this->Spacing[1] = this->Spacing[2] = 1.0;
  this->Pixels.reset();
  this->PixelBytes = 0;
}

bool CiDcmLib::Allocate(std::size_t bytes)
{
  this->Pixels.reset(
    new (std::nothrow) unsigned char[bytes], std::default_delete<unsigned char[]>());
  this->PixelBytes = this->Pixels ? bytes : 0;
  return this->Pixels != nullptr;
}

std::string CiDcmLib::Read()
{
#ifdef VEMORA_READ_HELPER
  return this->ReadHere();
#else
  return this->ReadIsolated();
#endif
}

std::string CiDcmLib::ReadIsolated()
{
  this->Clear();
#ifndef VEMORA_READ_HELPER
  if (this->Filename.empty())
  {
    return "no file name";
  }
  // A file whose elements claim more than it holds is refused here, by a walk over the element
  // headers (no GDCM), without starting the helper.
  struct stat info;
  if (stat(this->Filename.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
    !vDicomElementWalk::Walk(this->Filename, {}).LengthsFit)
  {
    return "the elements of the file are damaged or cut short";
  }
  vReadReply reply;
  std::string failure;
  if (!vReadIsolation::Run(
        { "dicom", this->Filename, std::to_string(this->MaximumBytes) }, reply, failure))
  {
    return failure;
  }
  if (!reply.Error().empty())
  {
    return reply.Error();
  }
  const std::vector<std::string>* line = reply.Find("dicom");
  vtkDataArray* pixels = reply.FindArray("pixels");
  if (!line || line->size() != 10 || !pixels)
  {
    return "the read helper's reply is incomplete";
  }
  long numbers[6];
  for (int i = 0; i < 6; ++i)
  {
    char* end = nullptr;
    numbers[i] = std::strtol((*line)[1 + i].c_str(), &end, 10);
    if (!end || *end != '\0' || numbers[i] < 0 || numbers[i] > INT_MAX)
    {
      return "the read helper's reply is incomplete";
    }
  }
  const std::size_t bytes = std::size_t(numbers[0]) * std::size_t(numbers[1]) *
    std::size_t(numbers[2]) * std::size_t(numbers[3]);
  if ((numbers[3] != 1 && numbers[3] != 2 && numbers[3] != 4) || numbers[0] > 65535 ||
    numbers[1] > 65535 || bytes == 0 ||
    bytes > static_cast<std::size_t>(pixels->GetNumberOfValues()))
  {
    return "the read helper's reply is incomplete";
  }
  this->Cols = static_cast<int>(numbers[0]);
  this->Rows = static_cast<int>(numbers[1]);
  this->Frames = static_cast<int>(numbers[2]);
  this->PixelSize = static_cast<int>(numbers[3]);
  this->Signed = numbers[4] != 0;
  this->WholeVolume = numbers[5] != 0;
  for (int i = 0; i < 3; ++i)
  {
    this->Spacing[i] = CleanSpacing(std::strtod((*line)[7 + i].c_str(), nullptr));
  }
  if (const std::vector<std::string>* notice = reply.Find("notice"))
  {
    this->Notice = notice->size() == 2 ? (*notice)[1] : std::string();
    std::replace(this->Notice.begin(), this->Notice.end(), '\x1f', '\n');
  }
  // The frames stay in the helper's shared block; the array keeps the mapping alive.
  vtkSmartPointer<vtkDataArray> hold = pixels;
  this->Pixels = std::shared_ptr<unsigned char>(
    static_cast<unsigned char*>(pixels->GetVoidPointer(0)), [hold](unsigned char*) {});
  this->PixelBytes = bytes;
  return std::string();
#else
  return "no read helper";
#endif
}

std::string CiDcmLib::ReadHere()
{
  this->Clear();
  if (this->Filename.empty())
  {
    return "no file name";
  }
  struct stat info;
  if (stat(this->Filename.c_str(), &info) != 0)
  {
    return "no such file or folder";
  }
  std::string error;
  if (S_ISDIR(info.st_mode))
  {
    error = this->ReadFolder(this->Filename);
  }
  else if (S_ISREG(info.st_mode))
  {
    error = this->ReadFile(this->Filename);
  }
  else
  {
    error = "not a regular file";
  }
  if (!error.empty())
  {
    this->Clear();
  }
  return error;
}

std::string CiDcmLib::ReadFile(const std::string& path)
{
  return this->DecodeFile(path);
}

std::string CiDcmLib::DecodeFile(const std::string& path)
{
  vDicomSliceHeader header;
  if (!vDicomSeries::ReadHeader(path, header))
  {
    return header.LengthsFit ? "not a DICOM image"
                             : "the elements of the file are damaged or cut short";
  }
  gdcm::ImageReader reader;
  reader.SetFileName(path.c_str());
  bool ok = false;
  try
  {
    ok = reader.Read();
  }
  catch (...)
  {
    ok = false;
  }
  if (!ok)
  {
    return "not a DICOM image";
  }
  const gdcm::Image& image = reader.GetImage();
  vDicomPixelLayout layout;
  std::string error = vDicomPixels::Describe(image, layout);
  if (!error.empty())
  {
    return error;
  }
  if (layout.TotalBytes() > this->MaximumBytes)
  {
    return "the image is larger than the memory limit";
  }
  if (!this->Allocate(layout.TotalBytes()))
  {
    return "out of memory";
  }
  error = vDicomPixels::Decode(
    image, layout, this->Pixels.get(), this->PixelBytes, header.PixelDataRoom());
  if (!error.empty())
  {
    return error;
  }
  this->Cols = layout.Cols;
  this->Rows = layout.Rows;
  this->Frames = layout.Frames;
  this->PixelSize = layout.PixelSize;
  this->Signed = layout.Signed;
  const double* spacing = image.GetSpacing();
  for (int i = 0; i < 3; ++i)
  {
    this->Spacing[i] = CleanSpacing(spacing ? spacing[i] : 1.0);
  }
  // Without frame positions GDCM falls back to 1 between frames; the file may still say.
  if (layout.Frames > 1 && spacing && spacing[2] == 1.0)
  {
    const double between = SpacingBetweenSlices(reader.GetFile().GetDataSet());
    if (between > 0)
    {
      this->Spacing[2] = between;
    }
  }
  return std::string();
}

std::string CiDcmLib::ReadFolder(const std::string& path)
{
  std::vector<vDicomSliceHeader> slices;
  double spacing[3];
  std::string notice;
  std::string error = vDicomSeries::Scan(path, slices, spacing, notice);
  if (!error.empty())
  {
    return error;
  }
  if (slices.size() == 1)
  {
    // One file: read as the file it is (it may hold many frames).
    error = this->ReadFile(slices.front().Path);
    this->Notice = notice;
    return error;
  }
  this->Notice = notice;

  vDicomPixelLayout first;
  std::size_t frameBytes = 0;
  for (std::size_t i = 0; i < slices.size(); ++i)
  {
#ifdef VEMORA_READ_HELPER
    // The workstation shows how far the series is read, and may stop the helper at any time.
    char progress[64];
    const int length =
      std::snprintf(progress, sizeof(progress), "progress %zu %zu\n", i, slices.size());
    if (length > 0 && ::write(vHelperReplyDescriptor, progress, static_cast<size_t>(length)) < 0)
    {
      return "the workstation stopped the read";
    }
#endif
    const bool finished = [&]()
    {
      gdcm::ImageReader reader;
      reader.SetFileName(slices[i].Path.c_str());
      bool ok = false;
      try
      {
        ok = reader.Read();
      }
      catch (...)
      {
        ok = false;
      }
      if (!ok)
      {
        error = "a slice of the series is not a DICOM image";
        return true;
      }
      const gdcm::Image& image = reader.GetImage();
      vDicomPixelLayout layout;
      error = vDicomPixels::Describe(image, layout);
      if (error.empty() && layout.Frames != 1)
      {
        error = "the series mixes multi-frame files";
      }
      if (!error.empty())
      {
        return true;
      }
      if (i == 0)
      {
        first = layout;
        frameBytes = layout.FrameBytes();
        if (frameBytes == 0 || slices.size() > this->MaximumBytes / frameBytes)
        {
          error = "the series is larger than the memory limit";
          return true;
        }
        if (!this->Allocate(frameBytes * slices.size()))
        {
          error = "out of memory";
          return true;
        }
      }
      else if (!layout.SameFrameFormat(first))
      {
        error = "the slices of the series differ in size or pixel format";
        return true;
      }
      error = vDicomPixels::Decode(
        image, layout, this->Pixels.get() + i * frameBytes, frameBytes, slices[i].PixelDataRoom());
      return true;
    }();
    if (!finished)
    {
      return error;
    }
    if (!error.empty())
    {
      return error;
    }
  }
  this->Cols = first.Cols;
  this->Rows = first.Rows;
  this->Frames = static_cast<int>(slices.size());
  this->PixelSize = first.PixelSize;
  this->Signed = first.Signed;
  this->WholeVolume = true;
  for (int i = 0; i < 3; ++i)
  {
    this->Spacing[i] = CleanSpacing(spacing[i]);
  }
  return std::string();
}

void CiDcmLib::GetDimensions(int dims[3]) const
{
  dims[0] = this->WholeVolume ? this->Cols : 0;
  dims[1] = this->WholeVolume ? this->Rows : 0;
  dims[2] = this->WholeVolume ? this->Frames : 0;
}

void CiDcmLib::GetSpacing(double spacing[3]) const
{
  spacing[0] = this->Spacing[0];
  spacing[1] = this->Spacing[1];
  spacing[2] = this->Spacing[2];
}

const void* CiDcmLib::GetDataPtr(int frame) const
{
  if (!this->Pixels || frame < 0 || frame >= this->Frames)
  {
    return nullptr;
  }
  const std::size_t frameBytes =
    std::size_t(this->Cols) * std::size_t(this->Rows) * std::size_t(this->PixelSize);
  return this->Pixels.get() + std::size_t(frame) * frameBytes;
}

bool CiDcmLib::CopyFrameToUnsigned32(int frame, unsigned int* dest, std::size_t destCount) const
{
  const void* src = this->GetDataPtr(frame);
  const std::size_t count = std::size_t(this->Cols) * std::size_t(this->Rows);
  if (!src || !dest || destCount < count)
  {
    return false;
  }
  vDicomPixels::ToUnsigned32(src, this->PixelSize, this->Signed, count, dest);
  return true;
}

bool CiDcmLib::CopyFrameToVolumeSlice(int frame, unsigned int* dest, std::size_t destCount) const
{
  const unsigned char* src = static_cast<const unsigned char*>(this->GetDataPtr(frame));
  const std::size_t cols = static_cast<std::size_t>(this->Cols);
  const std::size_t rows = static_cast<std::size_t>(this->Rows);
  if (!src || !dest || destCount < cols * rows)
  {
    return false;
  }
  const std::size_t rowBytes = cols * static_cast<std::size_t>(this->PixelSize);
  for (std::size_t r = 0; r < rows; ++r)
  {
    vDicomPixels::ToUnsigned32(
      src + r * rowBytes, this->PixelSize, this->Signed, cols, dest + (rows - 1 - r) * cols);
  }
  return true;
}

bool CiDcmLib::IsDicomFile(const std::string& path)
{
  SilenceGdcm();
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
  {
    return false;
  }
  {
    std::ifstream in(path, std::ios::binary);
    char head[132];
    if (in && in.read(head, sizeof(head)) && std::memcmp(head + 128, "DICM", 4) == 0)
    {
      return true;
    }
  }
  // No preamble: a data set GDCM parses that describes an image (Rows and Columns present).
#ifdef VEMORA_READ_HELPER
  vDicomSliceHeader header;
  return vDicomSeries::ReadHeader(path, header);
#else
  if (!vDicomElementWalk::Walk(path, {}).LengthsFit)
  {
    return false; // plainly damaged: no need to ask GDCM
  }
  vReadReply reply;
  std::string failure;
  const std::vector<std::string>* line = nullptr;
  return vReadIsolation::Run({ "probe", path }, reply, failure) &&
    (line = reply.Find("probe")) != nullptr && line->size() == 2 && (*line)[1] == "1";
#endif
}

std::string CiDcmLib::ListSeries(const std::string& folder,
  std::vector<std::string>& files,
  double spacing[3])
{
  std::string notice;
  return ListSeries(folder, files, spacing, notice);
}

std::string CiDcmLib::ListSeries(const std::string& folder,
  std::vector<std::string>& files,
  double spacing[3],
  std::string& notice)
{
  SilenceGdcm();
  files.clear();
#ifdef VEMORA_READ_HELPER
  std::vector<vDicomSliceHeader> slices;
  std::string error = vDicomSeries::Scan(folder, slices, spacing, notice);
  for (const vDicomSliceHeader& slice : slices)
  {
    files.push_back(slice.Path);
  }
  return error;
#else
  notice.clear(); // a listing leaves the notice to the read
  spacing[0] = spacing[1] = spacing[2] = 1.0;
  vReadReply reply;
  std::string failure;
  if (!vReadIsolation::Run({ "series", folder }, reply, failure))
  {
    return failure;
  }
  if (const std::vector<std::string>* line = reply.Find("spacing"))
  {
    for (std::size_t i = 0; i < 3 && i + 1 < line->size(); ++i)
    {
      spacing[i] = CleanSpacing(std::strtod((*line)[i + 1].c_str(), nullptr));
    }
  }
  for (const std::vector<std::string>& line : reply.Lines)
  {
    if (line.size() == 2 && line[0] == "file")
    {
      files.push_back(line[1]);
    }
  }
  return reply.Error();
#endif
}
