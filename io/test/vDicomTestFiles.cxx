#include "vDicomTestFiles.h"

#include <gdcmAttribute.h>
#include <gdcmDataElement.h>
#include <gdcmFile.h>
#include <gdcmImage.h>
#include <gdcmImageChangeTransferSyntax.h>
#include <gdcmImageReader.h>
#include <gdcmImageWriter.h>
#include <gdcmMediaStorage.h>
#include <gdcmPhotometricInterpretation.h>
#include <gdcmPixelFormat.h>
#include <gdcmReader.h>
#include <gdcmTrace.h>
#include <gdcmTransferSyntax.h>
#include <gdcmUIDGenerator.h>
#include <gdcmWriter.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace
{
template <typename T>
void Store(std::vector<char>& out, const std::vector<int64_t>& values)
{
  for (int64_t v : values)
  {
    const T t = static_cast<T>(v);
    const char* p = reinterpret_cast<const char*>(&t);
    out.insert(out.end(), p, p + sizeof(T));
  }
}
} // namespace

bool vWriteDicomSlice(const std::string& path, const vDicomTestSlice& slice)
{
  // GDCM's writer insists on a file it can open: make the folders first.
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1))
  {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
  if (!std::ofstream(path, std::ios::binary))
  {
    return false;
  }
  gdcm::Trace::SetWarning(false);
  gdcm::ImageWriter writer;
  gdcm::Image& image = writer.GetImage();
  image.SetNumberOfDimensions(2);
  const unsigned int dims[3] = { unsigned(slice.Cols), unsigned(slice.Rows), 1 };
  image.SetDimensions(dims);
  gdcm::PixelFormat pf(static_cast<unsigned short>(slice.Samples),
    static_cast<unsigned short>(slice.BitsAllocated),
    static_cast<unsigned short>(slice.BitsAllocated),
    static_cast<unsigned short>(slice.BitsAllocated - 1),
    slice.Signed ? 1 : 0);
  image.SetPixelFormat(pf);
  image.SetPhotometricInterpretation(slice.Samples == 3
      ? gdcm::PhotometricInterpretation::RGB
      : gdcm::PhotometricInterpretation::MONOCHROME2);
  image.SetTransferSyntax(gdcm::TransferSyntax::ExplicitVRLittleEndian);
  image.SetSpacing(0, slice.PixelSpacing[0]);
  image.SetSpacing(1, slice.PixelSpacing[1]);
  if (slice.WriteGeometry)
  {
    // The array form keeps only as many values as the image has dimensions (two).
    for (unsigned int i = 0; i < 3; ++i)
    {
      image.SetOrigin(i, slice.Position[i]);
    }
    image.SetDirectionCosines(slice.Orientation);
  }

  std::vector<int64_t> values = slice.Values;
  const std::size_t count = std::size_t(slice.Cols) * slice.Rows * slice.Samples;
  if (values.empty())
  {
    for (std::size_t i = 0; i < count; ++i)
    {
      values.push_back(static_cast<int64_t>(i));
    }
  }
  values.resize(count, 0);
  std::vector<char> bytes;
  switch (slice.BitsAllocated)
  {
    case 8:
      Store<uint8_t>(bytes, values);
      break;
    case 16:
      Store<uint16_t>(bytes, values);
      break;
    default:
      Store<uint32_t>(bytes, values);
      break;
  }
  gdcm::DataElement pixels(gdcm::Tag(0x7fe0, 0x0010));
  pixels.SetByteValue(bytes.data(), static_cast<uint32_t>(bytes.size()));
  image.SetDataElement(pixels);

  gdcm::DataSet& ds = writer.GetFile().GetDataSet();
  gdcm::DataElement sopClass(gdcm::Tag(0x0008, 0x0016));
  // Secondary capture images carry no position or orientation.
  const char* mr = gdcm::MediaStorage::GetMSString(slice.WriteGeometry
      ? gdcm::MediaStorage::MRImageStorage
      : gdcm::MediaStorage::SecondaryCaptureImageStorage);
  sopClass.SetByteValue(mr, static_cast<uint32_t>(std::strlen(mr)));
  sopClass.SetVR(gdcm::VR::UI);
  ds.Replace(sopClass);
  std::string uid = slice.SeriesUid;
  if (uid.size() % 2)
  {
    uid.push_back('\0');
  }
  gdcm::DataElement series(gdcm::Tag(0x0020, 0x000e));
  series.SetByteValue(uid.data(), static_cast<uint32_t>(uid.size()));
  series.SetVR(gdcm::VR::UI);
  ds.Replace(series);
  gdcm::Attribute<0x0020, 0x0013> instance = { slice.InstanceNumber };
  ds.Replace(instance.GetAsDataElement());
  writer.SetFileName(path.c_str());
  return writer.Write();
}

bool vConvertDicom(const std::string& from, const std::string& to, const std::string& syntaxUid)
{
  gdcm::ImageReader reader;
  reader.SetFileName(from.c_str());
  const gdcm::TransferSyntax syntax = gdcm::TransferSyntax::GetTSType(syntaxUid.c_str());
  if (!reader.Read() || syntax == gdcm::TransferSyntax::TS_END)
  {
    return false;
  }
  gdcm::ImageChangeTransferSyntax change;
  change.SetTransferSyntax(syntax);
  change.SetInput(reader.GetImage());
  if (!change.Change())
  {
    return false;
  }
  gdcm::ImageWriter writer;
  writer.SetFile(reader.GetFile());
  writer.SetImage(change.GetOutput());
  writer.SetFileName(to.c_str());
  return writer.Write();
}

bool vMakePaletteDicom(const std::string& path,
  const std::vector<uint16_t>& red,
  const std::vector<uint16_t>& green,
  const std::vector<uint16_t>& blue)
{
  gdcm::Reader reader;
  reader.SetFileName(path.c_str());
  if (!reader.Read() || red.size() != 256 || green.size() != 256 || blue.size() != 256)
  {
    return false;
  }
  gdcm::DataSet& ds = reader.GetFile().GetDataSet();
  const auto replace = [&ds](uint16_t element, const gdcm::VR& vr, const char* bytes, size_t n)
  {
    gdcm::DataElement value(gdcm::Tag(0x0028, element));
    value.SetVR(vr);
    value.SetByteValue(bytes, static_cast<uint32_t>(n));
    ds.Replace(value);
  };
  replace(0x0004, gdcm::VR::CS, "PALETTE COLOR ", 14);
  const uint16_t descriptor[3] = { 256, 0, 16 }; // entries, first index mapped, bits per entry
  const std::vector<uint16_t>* tables[3] = { &red, &green, &blue };
  for (uint16_t k = 0; k < 3; ++k)
  {
    replace(static_cast<uint16_t>(0x1101 + k),
      gdcm::VR::US,
      reinterpret_cast<const char*>(descriptor),
      sizeof(descriptor));
    replace(static_cast<uint16_t>(0x1201 + k),
      gdcm::VR::OW,
      reinterpret_cast<const char*>(tables[k]->data()),
      tables[k]->size() * sizeof(uint16_t));
  }
  gdcm::Writer writer;
  writer.SetFile(reader.GetFile());
  writer.SetFileName(path.c_str());
  return writer.Write();
}

std::vector<char> vReadBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool vWriteBytes(const std::string& path, const std::vector<char>& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

long vFindElementValue(const std::vector<char>& bytes,
  uint16_t group,
  uint16_t element,
  const char* vr,
  bool* bigEndian)
{
  const char le[6] = {
    char(group & 0xff), char(group >> 8), char(element & 0xff), char(element >> 8), vr[0], vr[1]
  };
  const char be[6] = {
    char(group >> 8), char(group & 0xff), char(element >> 8), char(element & 0xff), vr[0], vr[1]
  };
  // The meta header (group 2) is always explicit little endian; the data set starts after it.
  const std::size_t start = 132;
  for (int pass = 0; pass < 3; ++pass)
  {
    for (std::size_t i = start; i + 12 <= bytes.size(); ++i)
    {
      const bool match = pass == 0 ? std::memcmp(&bytes[i], le, 6) == 0
        : pass == 1                ? std::memcmp(&bytes[i], be, 6) == 0
                                   : std::memcmp(&bytes[i], le, 4) == 0;
      if (match)
      {
        if (bigEndian)
        {
          *bigEndian = pass == 1;
        }
        return static_cast<long>(i + 8);
      }
    }
  }
  return -1;
}
