#include "vDicomSeries.h"

#include "vDicomElementWalk.h"

#include <gdcmReader.h>
#include <gdcmStringFilter.h>
#include <gdcmTag.h>
#include <gdcmTransferSyntax.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sys/stat.h>
#include <tuple>

namespace
{
// Slices closer than this along the normal (mm) are at the same place.
constexpr double PositionTolerance = 1e-3;
// Direction cosines of one series agree to this.
constexpr double OrientationTolerance = 1e-3;

const gdcm::Tag SeriesUidTag(0x0020, 0x000e);
const gdcm::Tag InstanceNumberTag(0x0020, 0x0013);
const gdcm::Tag PositionTag(0x0020, 0x0032);
const gdcm::Tag OrientationTag(0x0020, 0x0037);
const gdcm::Tag SliceThicknessTag(0x0018, 0x0050);
const gdcm::Tag SpacingBetweenSlicesTag(0x0018, 0x0088);
const gdcm::Tag SamplesTag(0x0028, 0x0002);
const gdcm::Tag FramesTag(0x0028, 0x0008);
const gdcm::Tag RowsTag(0x0028, 0x0010);
const gdcm::Tag ColsTag(0x0028, 0x0011);
const gdcm::Tag PixelSpacingTag(0x0028, 0x0030);
const gdcm::Tag BitsAllocatedTag(0x0028, 0x0100);
const gdcm::Tag PixelRepresentationTag(0x0028, 0x0103);

uint32_t Key(const gdcm::Tag& tag)
{
  return uint32_t(tag.GetGroup()) << 16 | tag.GetElement();
}

// Parses up to `count` backslash-separated decimal numbers; the number parsed.
int ParseNumbers(const std::string& text, double* values, int count)
{
  int parsed = 0;
  const char* p = text.c_str();
  while (parsed < count && *p)
  {
    char* end = nullptr;
    const double value = std::strtod(p, &end);
    if (end == p || !std::isfinite(value))
    {
      break;
    }
    values[parsed++] = value;
    p = end;
    while (*p == ' ')
    {
      ++p;
    }
    if (*p != '\\')
    {
      break;
    }
    ++p;
  }
  return parsed;
}

int ParseInt(const std::string& text, int fallback)
{
  double value = 0;
  if (ParseNumbers(text, &value, 1) != 1 || value < -2147483648.0 || value > 2147483647.0)
  {
    return fallback;
  }
  return static_cast<int>(value);
}

std::string Trimmed(const std::string& text)
{
  // Padding: spaces, and the NUL that ends odd-length UIDs.
  static const std::string padding(" \t\r\n\0", 5);
  const std::size_t first = text.find_first_not_of(padding);
  if (first == std::string::npos)
  {
    return std::string();
  }
  const std::size_t last = text.find_last_not_of(padding);
  return text.substr(first, last - first + 1);
}

// The header values given as text (and the sizes, already set); false when it is no image.
bool FillFromTexts(vDicomSliceHeader& header,
  const std::function<std::string(const gdcm::Tag&)>& text)
{
  if (header.Rows <= 0 || header.Cols <= 0)
  {
    return false;
  }
  header.SeriesUid = text(SeriesUidTag);
  header.Frames = ParseInt(text(FramesTag), 1);
  header.InstanceNumber = ParseInt(text(InstanceNumberTag), 0);
  header.HasPosition = ParseNumbers(text(PositionTag), header.Position, 3) == 3;
  header.HasOrientation = ParseNumbers(text(OrientationTag), header.Orientation, 6) == 6;
  header.HasPixelSpacing = ParseNumbers(text(PixelSpacingTag), header.PixelSpacing, 2) == 2;
  ParseNumbers(text(SpacingBetweenSlicesTag), &header.SpacingBetweenSlices, 1);
  ParseNumbers(text(SliceThicknessTag), &header.SliceThickness, 1);
  return true;
}

bool SameOrientation(const vDicomSliceHeader& a, const vDicomSliceHeader& b)
{
  if (a.HasOrientation != b.HasOrientation)
  {
    return false;
  }
  for (int i = 0; a.HasOrientation && i < 6; ++i)
  {
    if (std::fabs(a.Orientation[i] - b.Orientation[i]) > OrientationTolerance)
    {
      return false;
    }
  }
  return true;
}

double Positive(double value)
{
  return std::isfinite(value) && value > 0 ? value : 0;
}

/** Whether the file has the "DICM" marker of a DICOM file at offset 128. */
bool HasDicomMarker(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  char head[132];
  return in && in.read(head, sizeof(head)) && std::memcmp(head + 128, "DICM", 4) == 0;
}

/** The file names (without folder) of `paths`, comma-separated; at most ten, then a count. */
std::string NameList(const std::vector<std::string>& paths)
{
  constexpr std::size_t MaximumNamed = 10;
  std::string text;
  for (std::size_t i = 0; i < paths.size() && i < MaximumNamed; ++i)
  {
    const std::size_t slash = paths[i].rfind('/');
    text += (i ? ", " : "") + (slash == std::string::npos ? paths[i] : paths[i].substr(slash + 1));
  }
  if (paths.size() > MaximumNamed)
  {
    text += " and " + std::to_string(paths.size() - MaximumNamed) + " more";
  }
  return text;
}

/** What a read of the folder leaves out, for the user; "" when nothing. */
std::string Notice(const std::vector<vDicomSliceHeader>& kept,
  std::size_t seriesCount,
  const std::vector<std::string>& otherSeries,
  const std::vector<std::string>& unreadable)
{
  std::string text;
  if (seriesCount > 1)
  {
    const vDicomSliceHeader& first = kept.front();
    text += "The folder holds " + std::to_string(seriesCount) +
      " series; the one with the most slices was read: " + std::to_string(kept.size()) +
      (kept.size() == 1 ? " file" : " files") + " of " + std::to_string(first.Cols) + " x " +
      std::to_string(first.Rows) + " pixels" +
      (first.SeriesUid.empty() ? std::string() : ", series " + first.SeriesUid) + ", from " +
      NameList({ first.Path }) + ". Left out: " + NameList(otherSeries) + ".";
  }
  if (!unreadable.empty())
  {
    text += std::string(text.empty() ? "" : "\n") + "These DICOM files could not be read and " +
      "were left out: " + NameList(unreadable) + ".";
  }
  return text;
}
} // namespace

std::vector<std::string> vDicomSeries::ListFiles(const std::string& folder)
{
  std::vector<std::string> files;
  DIR* dir = opendir(folder.c_str());
  if (!dir)
  {
    return files;
  }
  while (const dirent* entry = readdir(dir))
  {
    const std::string name = entry->d_name;
    if (name == "." || name == "..")
    {
      continue;
    }
    std::string path = folder;
    path += '/';
    path += name;
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
    {
      files.push_back(path);
    }
  }
  closedir(dir);
  std::sort(files.begin(), files.end());
  return files;
}

namespace
{
bool ReadHeaderUnguarded(const std::string& path, vDicomSliceHeader& header)
{
  header = vDicomSliceHeader();
  header.Path = path;
  const gdcm::Tag pixelDataTag(0x7fe0, 0x0010);
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
  {
    return false;
  }
  header.FileSize = static_cast<long long>(info.st_size);
  static const std::set<uint32_t> wanted = { Key(SeriesUidTag),
    Key(InstanceNumberTag),
    Key(PositionTag),
    Key(OrientationTag),
    Key(SliceThicknessTag),
    Key(SpacingBetweenSlicesTag),
    Key(SamplesTag),
    Key(FramesTag),
    Key(RowsTag),
    Key(ColsTag),
    Key(PixelSpacingTag),
    Key(BitsAllocatedTag),
    Key(PixelRepresentationTag) };
  const vDicomWalkResult walk = vDicomElementWalk::Walk(path, wanted);
  if (!walk.LengthsFit)
  {
    header.LengthsFit = false;
    return false;
  }
  if (walk.Understood)
  {
    // The walk read every element header and the values needed: no need for GDCM here.
    header.HeaderRead = true;
    header.PixelDataOffset = walk.PixelDataOffset;
    header.Deflated = walk.Deflated;
    header.Rows = walk.UnsignedShort(Key(RowsTag), 0);
    header.Cols = walk.UnsignedShort(Key(ColsTag), 0);
    header.Samples = walk.UnsignedShort(Key(SamplesTag), 1);
    header.BitsAllocated = walk.UnsignedShort(Key(BitsAllocatedTag), 0);
    header.PixelRepresentation = walk.UnsignedShort(Key(PixelRepresentationTag), 0);
    return FillFromTexts(header, [&walk](const gdcm::Tag& tag) { return walk.Text(Key(tag)); });
  }
  gdcm::Reader reader;
  reader.SetFileName(path.c_str());
  try
  {
    // Reads the header up to the pixel data element and stops where its value begins, without
    // reading the pixels.
    if (!reader.ReadUpToTag(pixelDataTag, { pixelDataTag }))
    {
      return false;
    }
    header.HeaderRead = true;
    header.Deflated = reader.GetFile().GetHeader().GetDataSetTransferSyntax() ==
      gdcm::TransferSyntax::DeflatedExplicitVRLittleEndian;
    const std::size_t position = reader.GetStreamCurrentPosition();
    if (position != static_cast<std::size_t>(-1) &&
      position <= static_cast<std::size_t>(header.FileSize))
    {
      header.PixelDataOffset = static_cast<long long>(position);
    }
    gdcm::StringFilter filter;
    filter.SetFile(reader.GetFile());
    header.Rows = ParseInt(filter.ToString(RowsTag), 0);
    header.Cols = ParseInt(filter.ToString(ColsTag), 0);
    header.Samples = ParseInt(filter.ToString(SamplesTag), 1);
    header.BitsAllocated = ParseInt(filter.ToString(BitsAllocatedTag), 0);
    header.PixelRepresentation = ParseInt(filter.ToString(PixelRepresentationTag), 0);
    return FillFromTexts(
      header, [&filter](const gdcm::Tag& tag) { return Trimmed(filter.ToString(tag)); });
  }
  catch (...)
  {
    return false;
  }
  return true;
}
} // namespace

bool vDicomSeries::ReadHeader(const std::string& path, vDicomSliceHeader& header)
{
  return ReadHeaderUnguarded(path, header);
}

std::string vDicomSeries::Scan(const std::string& folder,
  std::vector<vDicomSliceHeader>& slices,
  double spacing[3])
{
  std::string notice;
  return Scan(folder, slices, spacing, notice);
}

std::string vDicomSeries::Scan(const std::string& folder,
  std::vector<vDicomSliceHeader>& slices,
  double spacing[3],
  std::string& notice)
{
  slices.clear();
  notice.clear();
  spacing[0] = spacing[1] = spacing[2] = 1.0;

  // Group the image files by series and size, keeping the file-name order inside each.
  using vSeriesKey = std::tuple<std::string, int, int>;
  std::map<vSeriesKey, std::vector<vDicomSliceHeader>> series;
  std::vector<std::string> unreadable;
  for (const std::string& path : vDicomSeries::ListFiles(folder))
  {
    vDicomSliceHeader header;
    if (vDicomSeries::ReadHeader(path, header))
    {
      series[vSeriesKey(header.SeriesUid, header.Rows, header.Cols)].push_back(header);
    }
    else if ((!header.LengthsFit || !header.HeaderRead) && HasDicomMarker(path))
    {
      unreadable.push_back(path);
    }
  }
  if (series.empty())
  {
    return "the folder holds no DICOM image";
  }
  // The series with the most files; on a tie, the one whose first file sorts first.
  const std::vector<vDicomSliceHeader>* chosen = nullptr;
  std::vector<std::string> otherSeries;
  for (const auto& entry : series)
  {
    if (!chosen || entry.second.size() > chosen->size() ||
      (entry.second.size() == chosen->size() && entry.second.front().Path < chosen->front().Path))
    {
      chosen = &entry.second;
    }
  }
  for (const auto& entry : series)
  {
    if (&entry.second != chosen)
    {
      for (const vDicomSliceHeader& other : entry.second)
      {
        otherSeries.push_back(other.Path);
      }
    }
  }
  std::sort(otherSeries.begin(), otherSeries.end());
  slices = *chosen;
  notice = Notice(slices, series.size(), otherSeries, unreadable);

  const vDicomSliceHeader& ref = slices.front();
  for (const vDicomSliceHeader& slice : slices)
  {
    if (slice.Rows != ref.Rows || slice.Cols != ref.Cols || slice.Samples != ref.Samples ||
      slice.BitsAllocated != ref.BitsAllocated ||
      slice.PixelRepresentation != ref.PixelRepresentation)
    {
      slices.clear();
      return "the slices of the series differ in size or pixel format";
    }
    if (!SameOrientation(slice, ref))
    {
      slices.clear();
      return "the slices of the series differ in orientation";
    }
    if (slices.size() > 1 && slice.Frames != 1)
    {
      slices.clear();
      return "the series mixes multi-frame files";
    }
  }

  if (ref.HasPixelSpacing)
  {
    spacing[0] = Positive(ref.PixelSpacing[1]);
    spacing[1] = Positive(ref.PixelSpacing[0]);
  }
  const double fallbackZ = Positive(ref.SpacingBetweenSlices) > 0 ? ref.SpacingBetweenSlices
                                                                  : Positive(ref.SliceThickness);
  spacing[2] = fallbackZ;

  const bool positioned = ref.HasOrientation &&
    std::all_of(
      slices.begin(), slices.end(), [](const vDicomSliceHeader& s) { return s.HasPosition; });
  if (positioned)
  {
    const double* o = ref.Orientation;
    const double normal[3] = {
      o[1] * o[5] - o[2] * o[4], o[2] * o[3] - o[0] * o[5], o[0] * o[4] - o[1] * o[3]
    };
    for (vDicomSliceHeader& slice : slices)
    {
      slice.Distance = normal[0] * slice.Position[0] + normal[1] * slice.Position[1] +
        normal[2] * slice.Position[2];
    }
    std::stable_sort(slices.begin(),
      slices.end(),
      [](const vDicomSliceHeader& a, const vDicomSliceHeader& b)
      { return a.Distance < b.Distance; });
    for (std::size_t i = 1; i < slices.size(); ++i)
    {
      if (slices[i].Distance - slices[i - 1].Distance < PositionTolerance)
      {
        slices.clear();
        return "two slices of the series share a position";
      }
    }
    if (slices.size() > 1)
    {
      spacing[2] = (slices.back().Distance - slices.front().Distance) / double(slices.size() - 1);
    }
  }
  else
  {
    std::stable_sort(slices.begin(),
      slices.end(),
      [](const vDicomSliceHeader& a, const vDicomSliceHeader& b)
      { return a.InstanceNumber < b.InstanceNumber; });
  }
  for (int i = 0; i < 3; ++i)
  {
    if (!(spacing[i] > 0) || !std::isfinite(spacing[i]))
    {
      spacing[i] = 1.0;
    }
  }
  return std::string();
}
