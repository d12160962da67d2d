// DICOM series read timings against GDCM's own loops over the same files, in the same run.
//
//   vDicomBench [--folder DIR] [--slices N] [--size S] [--repeat N]
//
// A series of N (300) uncompressed S x S (512) 16-bit slices is written with gdcm::ImageWriter into
// a new folder under DIR (default: $TMPDIR or /tmp), file names in a shuffled order of position.
// Timed, each the median of the repeats with a warm page cache:
//   read      CiDcmLib reading the folder (scan, sort, decode) against a plain loop of
//             gdcm::ImageReader + GetBuffer over the same files into one volume buffer;
//   scan+sort CiDcmLib::ListSeries against gdcm::Scanner (same tags) + gdcm::IPPSorter;
//   reader    the whole file-reader path (vFileReader on the folder, 4-byte voxels), for scale.
//   progress  the same inside an operation whose progress is shown (the window's way).
// The decoded frames must equal the slices GDCM's loop read, in the order of their positions.
// Peak memory (VmHWM above the memory in use before, reset through /proc/self/clear_refs) of the
// decoder alone and of the file reader, against the voxel bytes they produce.
#include "CiDcmLib.h"
#include "vFileReader.h"
#include "vProgress.h"

#include <gdcmAttribute.h>
#include <gdcmIPPSorter.h>
#include <gdcmImage.h>
#include <gdcmImageReader.h>
#include <gdcmImageWriter.h>
#include <gdcmMediaStorage.h>
#include <gdcmScanner.h>
#include <gdcmTrace.h>

#include <vtkDataSet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <exception>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
/** A progress reporter that only counts what it is told, as a window would be told it. */
class vCountingProgress : public vProgress
{
public:
  void Begin(const std::string&) override {}
  bool Update(double) override
  {
    ++this->Updates;
    return true;
  }
  void End() override {}
  int Updates = 0;
};

double Seconds(const std::function<void()>& work)
{
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

long StatusKiB(const char* field)
{
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::size_t n = std::strlen(field);
  while (std::getline(in, line))
  {
    if (line.compare(0, n, field) == 0)
    {
      return std::atol(line.c_str() + n + 1);
    }
  }
  return -1;
}

// Peak resident memory of `work` above the resident memory before it, in bytes.
long long PeakAbove(const std::function<void()>& work)
{
  {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
  }
  const long before = StatusKiB("VmRSS:");
  work();
  const long peak = StatusKiB("VmHWM:");
  return (static_cast<long long>(peak) - before) * 1024;
}

bool WriteSlice(const std::string& path, int size, double z, int index)
{
  gdcm::ImageWriter writer;
  gdcm::Image& image = writer.GetImage();
  image.SetNumberOfDimensions(2);
  const unsigned int dims[3] = { unsigned(size), unsigned(size), 1 };
  image.SetDimensions(dims);
  image.SetPixelFormat(gdcm::PixelFormat(1, 16, 12, 11, 0));
  image.SetPhotometricInterpretation(gdcm::PhotometricInterpretation::MONOCHROME2);
  image.SetTransferSyntax(gdcm::TransferSyntax::ExplicitVRLittleEndian);
  image.SetSpacing(0, 0.7);
  image.SetSpacing(1, 0.7);
  image.SetOrigin(0, -180.0);
  image.SetOrigin(1, -180.0);
  image.SetOrigin(2, z);
  const double cosines[6] = { 1, 0, 0, 0, 1, 0 };
  image.SetDirectionCosines(cosines);
  std::vector<uint16_t> pixels(std::size_t(size) * size);
  for (std::size_t i = 0; i < pixels.size(); ++i)
  {
    pixels[i] = static_cast<uint16_t>((i * 7 + std::size_t(index) * 13) & 0xfff);
  }
  gdcm::DataElement data(gdcm::Tag(0x7fe0, 0x0010));
  data.SetByteValue(
    reinterpret_cast<const char*>(pixels.data()), static_cast<uint32_t>(pixels.size() * 2));
  image.SetDataElement(data);
  gdcm::DataSet& ds = writer.GetFile().GetDataSet();
  gdcm::DataElement sopClass(gdcm::Tag(0x0008, 0x0016));
  const char* mr = gdcm::MediaStorage::GetMSString(gdcm::MediaStorage::MRImageStorage);
  sopClass.SetByteValue(mr, static_cast<uint32_t>(std::strlen(mr)));
  sopClass.SetVR(gdcm::VR::UI);
  ds.Replace(sopClass);
  const std::string uid = "1.2.826.0.1.3680043.2.1125.9.42";
  gdcm::DataElement series(gdcm::Tag(0x0020, 0x000e));
  series.SetByteValue(uid.data(), static_cast<uint32_t>(uid.size()));
  series.SetVR(gdcm::VR::UI);
  ds.Replace(series);
  gdcm::Attribute<0x0020, 0x0013> instance = { index + 1 };
  ds.Replace(instance.GetAsDataElement());
  writer.SetFileName(path.c_str());
  return writer.Write();
}

std::vector<std::string> ListFolder(const std::string& folder)
{
  std::vector<std::string> files;
  if (DIR* dir = opendir(folder.c_str()))
  {
    while (const dirent* entry = readdir(dir))
    {
      if (entry->d_name[0] != '.')
      {
        files.push_back(folder + "/" + entry->d_name);
      }
    }
    closedir(dir);
  }
  std::sort(files.begin(), files.end());
  return files;
}

int Run(int argc, char** argv)
{
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp && *tmp ? tmp : "/tmp";
  int slices = 300;
  int size = 512;
  int repeat = 5;
  for (int i = 1; i + 1 < argc; i += 2)
  {
    const std::string option = argv[i];
    if (option == "--folder")
    {
      base = argv[i + 1];
    }
    else if (option == "--slices")
    {
      slices = std::max(2, std::atoi(argv[i + 1]));
    }
    else if (option == "--size")
    {
      size = std::max(8, std::atoi(argv[i + 1]));
    }
    else if (option == "--repeat")
    {
      repeat = std::max(1, std::atoi(argv[i + 1]));
    }
  }
  gdcm::Trace::SetWarning(false);
  gdcm::Trace::SetError(false);

  std::string folder = base + "/vDicomBench-XXXXXX";
  if (!mkdtemp(&folder[0]))
  {
    std::fprintf(stderr, "cannot make a folder under %s\n", base.c_str());
    return 1;
  }
  // Positions 1.5 mm apart; file names in a shuffled order so that sorting matters.
  std::vector<int> order(slices);
  for (int i = 0; i < slices; ++i)
  {
    order[i] = i;
  }
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (int n = 0; n < slices; ++n)
  {
    char name[32];
    std::snprintf(name, sizeof(name), "/IM%05d", n);
    if (!WriteSlice(folder + name, size, 1.5 * order[n], n))
    {
      std::fprintf(stderr, "cannot write %s\n", name);
      return 1;
    }
  }
  const std::vector<std::string> files = ListFolder(folder);
  const std::size_t sliceBytes = std::size_t(size) * size * 2;
  const double storedMiB = double(sliceBytes) * slices / (1 << 20);
  std::printf("series: %d slices of %d x %d, 16-bit (%.0f MiB of pixels) in %s\n",
    slices,
    size,
    size,
    storedMiB,
    folder.c_str());

  // Warm the page cache.
  for (const std::string& file : files)
  {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  std::vector<double> ours;
  std::vector<double> bare;
  std::vector<double> scanOurs;
  std::vector<double> scanGdcm;
  std::vector<double> reader;
  std::vector<double> readerProgress;
  bool ok = true;
  for (int r = 0; r < repeat; ++r)
  {
    bare.push_back(Seconds(
      [&]()
      {
        std::unique_ptr<char[]> volume(new char[sliceBytes * files.size()]);
        for (std::size_t i = 0; i < files.size(); ++i)
        {
          gdcm::ImageReader imageReader;
          imageReader.SetFileName(files[i].c_str());
          ok = imageReader.Read() && imageReader.GetImage().GetBufferLength() == sliceBytes &&
            imageReader.GetImage().GetBuffer(volume.get() + i * sliceBytes) && ok;
        }
      }));
    ours.push_back(Seconds(
      [&]()
      {
        CiDcmLib lib;
        lib.SetFilename(folder);
        ok = lib.Read().empty() && lib.GetNumberOfFrames() == slices && ok;
      }));
    scanGdcm.push_back(Seconds(
      [&]()
      {
        gdcm::Scanner scanner;
        for (const gdcm::Tag& tag : { gdcm::Tag(0x0020, 0x000e),
               gdcm::Tag(0x0020, 0x0013),
               gdcm::Tag(0x0020, 0x0032),
               gdcm::Tag(0x0020, 0x0037),
               gdcm::Tag(0x0028, 0x0010),
               gdcm::Tag(0x0028, 0x0011),
               gdcm::Tag(0x0028, 0x0030),
               gdcm::Tag(0x0028, 0x0100) })
        {
          scanner.AddTag(tag);
        }
        ok = scanner.Scan(files) && ok;
        gdcm::IPPSorter sorter;
        sorter.SetComputeZSpacing(true);
        ok = sorter.Sort(scanner.GetKeys()) && sorter.GetFilenames().size() == files.size() && ok;
      }));
    scanOurs.push_back(Seconds(
      [&]()
      {
        std::vector<std::string> sorted;
        double spacing[3];
        ok = CiDcmLib::ListSeries(folder, sorted, spacing).empty() &&
          sorted.size() == files.size() && ok;
      }));
    reader.push_back(Seconds(
      [&]()
      {
        vFileReader fileReader;
        fileReader.SetFilename(folder);
        ok = fileReader.Read() == 1 && ok;
      }));
    // The same read as the window makes it: inside an operation whose progress is shown.
    readerProgress.push_back(Seconds(
      [&]()
      {
        vCountingProgress shown;
        vProgress::Install(&shown);
        {
          vProgressScope operation("Reading the series");
          vFileReader fileReader;
          fileReader.SetFilename(folder);
          ok = fileReader.Read() == 1 && shown.Updates > 0 && ok;
        }
        vProgress::Install(nullptr);
      }));
  }

  long long peakLib = 0;
  long long peakReader = 0;
  peakLib = PeakAbove(
    [&]()
    {
      CiDcmLib lib;
      lib.SetFilename(folder);
      ok = lib.Read().empty() && ok;
    });
  {
    vFileReader fileReader;
    peakReader = PeakAbove(
      [&]()
      {
        fileReader.SetFilename(folder);
        ok = fileReader.Read() == 1 && ok;
      });
  }

  // The outputs: every frame CiDcmLib decodes equals the slice GDCM's loop read from the file it
  // came from (the first pixel names the file: (n * 13) & 0xfff), and the frames follow the
  // positions, one way or the other.
  bool same = true;
  {
    std::unique_ptr<char[]> volume(new char[sliceBytes * files.size()]);
    for (std::size_t i = 0; i < files.size(); ++i)
    {
      gdcm::ImageReader imageReader;
      imageReader.SetFileName(files[i].c_str());
      same = imageReader.Read() &&
        imageReader.GetImage().GetBuffer(volume.get() + i * sliceBytes) && same;
    }
    CiDcmLib lib;
    lib.SetFilename(folder);
    same = lib.Read().empty() && lib.GetNumberOfFrames() == slices && same;
    const std::size_t pixels = std::size_t(size) * size;
    std::vector<unsigned int> frame(pixels);
    std::vector<int> positions;
    for (int k = 0; same && k < slices; ++k)
    {
      same = lib.CopyFrameToUnsigned32(k, frame.data(), frame.size());
      int file = -1;
      for (int n = 0; same && n < slices; ++n)
      {
        if (((n * 13) & 0xfff) == static_cast<int>(frame[0]))
        {
          file = n;
        }
      }
      same = same && file >= 0;
      const auto* slice =
        same ? reinterpret_cast<const uint16_t*>(volume.get() + file * sliceBytes) : nullptr;
      for (std::size_t i = 0; same && i < pixels; ++i)
      {
        same = frame[i] == slice[i];
      }
      if (same)
      {
        positions.push_back(order[file]);
      }
    }
    same = same &&
      (std::is_sorted(positions.begin(), positions.end()) ||
        std::is_sorted(positions.rbegin(), positions.rend()));
  }

  const double b = Median(bare);
  const double o = Median(ours);
  const double sg = Median(scanGdcm);
  const double so = Median(scanOurs);
  std::printf("read      CiDcmLib %.3f s   gdcm::ImageReader loop %.3f s   ratio %.2f (limit 1.5); "
              "same pixels: %s\n",
    o,
    b,
    o / b,
    same ? "yes" : "NO");
  std::printf(
    "scan+sort ListSeries %.3f s   gdcm::Scanner + IPPSorter %.3f s   ratio %.2f (limit 2)\n",
    so,
    sg,
    so / sg);
  std::printf(
    "reader    vFileReader %.3f s (4-byte voxels, %.0f MiB)\n", Median(reader), storedMiB * 2);
  std::printf("progress  the same read with its progress shown %.3f s, ratio %.3f (limit 1.03)\n",
    Median(readerProgress),
    Median(readerProgress) / Median(reader));
  std::printf("peak      CiDcmLib %.0f MiB = %.2f x its %.0f MiB of voxels\n",
    double(peakLib) / (1 << 20),
    double(peakLib) / (storedMiB * (1 << 20)),
    storedMiB);
  std::printf("peak      vFileReader %.0f MiB = %.2f x its %.0f MiB of voxels (limit 2)\n",
    double(peakReader) / (1 << 20),
    double(peakReader) / (2 * storedMiB * (1 << 20)),
    2 * storedMiB);

  for (const std::string& file : files)
  {
    std::remove(file.c_str());
  }
  rmdir(folder.c_str());
  if (!ok)
  {
    std::fprintf(stderr, "a read failed\n");
    return 1;
  }
  return same ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
  try
  {
    return Run(argc, argv);
  }
  catch (const std::exception& error)
  {
    std::fprintf(stderr, "vDicomBench: %s\n", error.what());
  }
  catch (...)
  {
    std::fprintf(stderr, "vDicomBench: stopped by an unknown failure\n");
  }
  return 1;
}
