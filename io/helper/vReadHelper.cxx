// The read helper: reads one file with third-party code (a reader plug-in, VTK's VRML importer,
// GDCM) in a process of its own, so that a crash, a hang or a runaway allocation ends only this
// process. The workstation starts it with exec (vReadIsolation) and takes the result back from a
// shared memory file.
//
//   vreadhelper MEMORY_BYTES CPU_SECONDS REQUEST PATH [EXTRA]
//   vreadhelper --wait
//
// File descriptor 3 receives the reply (text lines, see vReadIsolation.h), descriptor 4 is the
// shared memory file that holds the data blocks. With --wait the helper starts ahead of its
// request (a spare, its libraries loaded) and reads it from descriptor 5: the folder to work in,
// how to hand blocks back ("remote": blocks under 64 MiB stay in this process for the
// workstation to copy out, and the helper waits after its reply until the workstation closes
// its end of descriptor 5; "copy": every block goes into the shared file), then the words above,
// each ended by a NUL byte, up to the end of the stream (the workstation shuts its writing
// down); it answers "reading" first, so that the workstation can tell a spare that died before
// its request from a reader that failed. An empty stream dismisses it. The limits count from the
// request. Requests:
//   plugin PATH LIBRARY   read through a reader plug-in
//   vrml PATH             the first shape of a VRML scene
//   dicom PATH MAXBYTES   decode a DICOM file or series folder (frames as stored)
//   probe PATH            whether the file is DICOM
//   series PATH           the files of the series a folder read would take
#include "vSharedHeap.h"

#include "vCellCheck.h"
#include "vReadHelperParts.h"
#include "vReaderPluginContract.h"
#include "vSharedBlock.h"

#include <algorithm>
#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int ReplyDescriptor = vHelperReplyDescriptor;
constexpr int SharedDescriptor = 4;
constexpr int RequestDescriptor = 5;
/** Requests are a few paths; a longer one is nonsense. */
constexpr std::size_t MaximumRequestBytes = std::size_t(1) << 20;
/** How long blocks left in this process wait for the workstation to copy them. */
constexpr int RemoteWaitMilliseconds = 120000;

/** Writes all bytes to a descriptor; false on failure. */
bool WriteAll(int fd, const char* data, size_t size)
{
  while (size > 0)
  {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0 && errno == EINTR)
    {
      continue;
    }
    if (put <= 0)
    {
      return false;
    }
    data += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

/** One line of the reply: the words, then an optional free text (a name, a path) to the end. */
class vReply
{
public:
  std::ostringstream Text;

  /**
   * Describes an array whose values lie in a block of the shared file: the array's own memory
   * when the reader allocated it there (large arrays), else a copy. False when it cannot be
   * placed.
   */
  bool PutArray(const std::string& role, vtkDataArray* array)
  {
    if (!array || !array->HasStandardMemoryLayout() || array->GetDataTypeSize() <= 0)
    {
      return true; // arrays of other layouts (none of the readers' outputs) are left behind
    }
    const std::uint64_t tuples = static_cast<std::uint64_t>(array->GetNumberOfTuples());
    const std::uint64_t components = static_cast<std::uint64_t>(array->GetNumberOfComponents());
    const std::uint64_t bytes = tuples * components * array->GetDataTypeSize();
    std::uint64_t offset = 0;
    if (!vSharedHeap::Publish(array->GetVoidPointer(0), bytes, offset))
    {
      return false;
    }
    this->Text << "array " << role << ' ' << array->GetDataType() << ' ' << components << ' '
               << tuples << ' ' << offset;
    if (const char* name = array->GetName())
    {
      this->Text << ' ' << name;
    }
    this->Text << '\n';
    return true;
  }

  bool PutAttributes(const char* prefix, vtkDataSetAttributes* attributes)
  {
    for (int i = 0; i < attributes->GetNumberOfArrays(); ++i)
    {
      vtkDataArray* array = attributes->GetArray(i);
      if (!array)
      {
        continue;
      }
      std::string role = prefix;
      if (array == attributes->GetScalars())
      {
        role += ".scalars";
      }
      else if (array == attributes->GetNormals())
      {
        role += ".normals";
      }
      else if (array == attributes->GetTCoords())
      {
        role += ".tcoords";
      }
      if (!this->PutArray(role, array))
      {
        return false;
      }
    }
    return true;
  }

  bool PutCells(const std::string& kind, vtkCellArray* cells)
  {
    if (!cells || cells->GetNumberOfCells() == 0)
    {
      return true;
    }
    return this->PutArray(kind + ".offsets", cells->GetOffsetsArray()) &&
      this->PutArray(kind + ".connectivity", cells->GetConnectivityArray());
  }

  bool PutDataSet(vtkDataSet* data)
  {
    if (auto* image = vtkImageData::SafeDownCast(data))
    {
      const int* e = image->GetExtent();
      const double* s = image->GetSpacing();
      const double* o = image->GetOrigin();
      this->Text.precision(17);
      this->Text << "image " << e[0] << ' ' << e[1] << ' ' << e[2] << ' ' << e[3] << ' ' << e[4]
                 << ' ' << e[5] << ' ' << s[0] << ' ' << s[1] << ' ' << s[2] << ' ' << o[0] << ' '
                 << o[1] << ' ' << o[2] << '\n';
      return this->PutAttributes("pd", image->GetPointData());
    }
    if (auto* poly = vtkPolyData::SafeDownCast(data))
    {
      // Checked here, where the reader just wrote the cells: the workstation need not read them
      // all again.
      if (!vCellCheck::CellsAreValid(poly))
      {
        this->Text << "error cells name points the model does not have, or too few points\n";
        return true;
      }
      this->Text << "poly\n";
      return (!poly->GetPoints() || this->PutArray("points", poly->GetPoints()->GetData())) &&
        this->PutCells("verts", poly->GetVerts()) && this->PutCells("lines", poly->GetLines()) &&
        this->PutCells("polys", poly->GetPolys()) && this->PutCells("strips", poly->GetStrips()) &&
        this->PutAttributes("pd", poly->GetPointData()) &&
        this->PutAttributes("cd", poly->GetCellData());
    }
    this->Text << "error no data set\n";
    return true;
  }
};

void ReadPlugin(const char* path, const char* library, vReply& reply)
{
  // The library stays loaded until the process ends: nothing needs unloading here.
  void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
  if (!handle)
  {
    reply.Text << "error the reader plug-in cannot be loaded\n";
    return;
  }
  auto read = reinterpret_cast<vReaderPlugin::ReadFunction>(::dlsym(handle, "Read"));
  if (!read)
  {
    reply.Text << "error the reader plug-in has no Read\n";
    return;
  }
  vtkDataSet* data = read(path);
  if (auto release =
        reinterpret_cast<vReaderPlugin::ReleaseMemoryFunction>(::dlsym(handle, "ReleaseMemory")))
  {
    release();
  }
  if (!data)
  {
    reply.Text << "error the reader plug-in read nothing\n";
    return;
  }
  if (!reply.PutDataSet(data))
  {
    reply.Text << "error out of memory\n";
  }
}

/** The folder of this program, where its parts are. */
std::string ProgramFolder()
{
  char buffer[4096];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (length <= 0)
  {
    return ".";
  }
  const std::string path(buffer, static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

/** A function of one of the helper's parts (loaded for good), or null. */
template <typename Function>
Function PartFunction(const char* part, const char* name)
{
  void* handle = ::dlopen((ProgramFolder() + "/" + part).c_str(), RTLD_NOW | RTLD_LOCAL);
  return handle ? reinterpret_cast<Function>(::dlsym(handle, name)) : nullptr;
}

void ReadVRML(const char* path, vReply& reply)
{
  auto read = PartFunction<vHelperVRMLReadFunction>("vreadhelper-vrml.so", "vHelperVRMLRead");
  if (!read)
  {
    reply.Text << "error the VRML part of the read helper is missing\n";
    return;
  }
  // The model's arrays are the blocks handed over: it is kept to the end of the process.
  vtkPolyData* model = read(path);
  if (!reply.PutDataSet(model))
  {
    reply.Text << "error out of memory\n";
  }
}

void ReadDicom(const char* path, const char* maximumBytes, vReply& reply)
{
  auto read = PartFunction<vHelperDicomReadFunction>("vreadhelper-dicom.so", "vHelperDicomRead");
  if (!read)
  {
    reply.Text << "error the DICOM part of the read helper is missing\n";
    return;
  }
  vHelperDicom dicom;
  read(path, std::strtoull(maximumBytes, nullptr, 10), dicom);
  if (!dicom.Error.empty())
  {
    reply.Text << "error " << dicom.Error << '\n';
    return;
  }
  reply.Text.precision(17);
  reply.Text << "dicom " << dicom.Cols << ' ' << dicom.Rows << ' ' << dicom.Frames << ' '
             << dicom.PixelSize << ' ' << (dicom.Signed ? 1 : 0) << ' '
             << (dicom.WholeVolume ? 1 : 0) << ' ' << dicom.Spacing[0] << ' ' << dicom.Spacing[1]
             << ' ' << dicom.Spacing[2] << '\n';
  if (!dicom.Notice.empty())
  {
    // One line: the notice's own line breaks travel as unit separators.
    std::string notice = dicom.Notice;
    std::replace(notice.begin(), notice.end(), '\n', '\x1f');
    reply.Text << "notice " << notice << '\n';
  }
  const std::uint64_t bytes = std::uint64_t(dicom.Cols) * std::uint64_t(dicom.Rows) *
    std::uint64_t(dicom.Frames) * std::uint64_t(dicom.PixelSize);
  std::uint64_t offset = 0;
  if (!dicom.Pixels || !vSharedHeap::Publish(dicom.Pixels, bytes, offset))
  {
    reply.Text << "error out of memory\n";
    return;
  }
  reply.Text << "array pixels " << VTK_UNSIGNED_CHAR << " 1 " << bytes << ' ' << offset << '\n';
}

void ProbeDicom(const char* path, vReply& reply)
{
  auto probe = PartFunction<vHelperDicomProbeFunction>("vreadhelper-dicom.so", "vHelperDicomProbe");
  reply.Text << "probe " << (probe && probe(path) ? 1 : 0) << '\n';
}

void ListSeries(const char* path, vReply& reply)
{
  auto list =
    PartFunction<vHelperDicomSeriesFunction>("vreadhelper-dicom.so", "vHelperDicomSeries");
  if (!list)
  {
    reply.Text << "error the DICOM part of the read helper is missing\n";
    return;
  }
  std::vector<std::string> files;
  double spacing[3] = { 1.0, 1.0, 1.0 };
  const std::string error = list(path, files, spacing);
  reply.Text.precision(17);
  reply.Text << "spacing " << spacing[0] << ' ' << spacing[1] << ' ' << spacing[2] << '\n';
  for (const std::string& file : files)
  {
    if (file.find('\n') == std::string::npos)
    {
      reply.Text << "file " << file << '\n';
    }
  }
  if (!error.empty())
  {
    reply.Text << "error " << error << '\n';
  }
}

/**
 * Sets a limit; `used` is added to it (the CPU time a spare took before its request, so that the
 * limit counts from the request).
 */
void SetLimit(int resource, const char* text, unsigned long long used = 0)
{
  char* end = nullptr;
  unsigned long long value = std::strtoull(text, &end, 10);
  if (!end || *end != '\0' || value == 0 || __builtin_add_overflow(value, used, &value))
  {
    return;
  }
  struct rlimit limit;
  if (::getrlimit(resource, &limit) == 0 &&
    (limit.rlim_max == RLIM_INFINITY || value < limit.rlim_max))
  {
    limit.rlim_cur = static_cast<rlim_t>(value);
    ::setrlimit(resource, &limit);
  }
}
/** The CPU seconds this process has used, rounded up. */
unsigned long long CpuSecondsUsed()
{
  struct rusage usage;
  if (::getrusage(RUSAGE_SELF, &usage) != 0)
  {
    return 0;
  }
  return static_cast<unsigned long long>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + 1;
}

/** A spare's request: NUL-ended words up to the end of the stream; false when none came. */
bool ReadRequest(std::vector<std::string>& words)
{
  std::string text;
  char chunk[4096];
  for (;;)
  {
    const ssize_t got = ::read(RequestDescriptor, chunk, sizeof(chunk));
    if (got < 0 && errno == EINTR)
    {
      continue;
    }
    if (got < 0 || text.size() + static_cast<std::size_t>(got) > MaximumRequestBytes)
    {
      return false;
    }
    if (got == 0)
    {
      break;
    }
    text.append(chunk, static_cast<std::size_t>(got));
  }
  std::size_t pos = 0;
  for (std::size_t end = text.find('\0'); end != std::string::npos; end = text.find('\0', pos))
  {
    words.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return !words.empty();
}
} // namespace

int main(int argc, char** argv)
{
  std::vector<std::string> words;
  unsigned long long used = 0;
  if (argc == 2 && std::string(argv[1]) == "--wait")
  {
    if (!ReadRequest(words))
    {
      ::_exit(0); // dismissed, or the workstation has gone
    }
    static const char reading[] = "reading\n";
    if (words.size() < 6 || !WriteAll(ReplyDescriptor, reading, sizeof(reading) - 1))
    {
      ::_exit(2);
    }
    // In a folder that has gone only absolute paths work, as they do in the workstation.
    const bool inFolder = ::chdir(words[0].c_str()) == 0;
    static_cast<void>(inFolder);
    vSharedHeap::SetRemote(words[1] == "remote");
    words.erase(words.begin(), words.begin() + 2);
    used = CpuSecondsUsed();
  }
  else
  {
    words.assign(argv + 1, argv + argc);
  }
  if (words.size() < 4)
  {
    return 2;
  }
#if !defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer reserves terabytes of address space for its shadow memory: under it an
  // address-space limit fails every allocation, so only the time limits hold there.
  SetLimit(RLIMIT_AS, words[0].c_str());
#endif
  SetLimit(RLIMIT_CPU, words[1].c_str(), used);
  vSharedHeap::Initialize(SharedDescriptor);
  const std::string request = words[2];
  const char* path = words[3].c_str();
  const char* extra = words.size() > 4 ? words[4].c_str() : "";
  vReply reply;
  if (request == "plugin")
  {
    ReadPlugin(path, extra, reply);
  }
  else if (request == "vrml")
  {
    ReadVRML(path, reply);
  }
  else if (request == "dicom")
  {
    ReadDicom(path, extra, reply);
  }
  else if (request == "probe")
  {
    ProbeDicom(path, reply);
  }
  else if (request == "series")
  {
    ListSeries(path, reply);
  }
  else
  {
    return 2;
  }
  reply.Text << "end\n";
  const std::string text = reply.Text.str();
  const bool sent = WriteAll(ReplyDescriptor, text.data(), text.size());
  if (sent && vSharedHeap::HasRemoteBlocks())
  {
    // The reply ends here; the blocks left in this process are copied out of it until the
    // workstation closes the request stream (or goes).
    ::close(ReplyDescriptor);
    pollfd closed = { RequestDescriptor, 0, 0 };
    while (::poll(&closed, 1, RemoteWaitMilliseconds) < 0 && errno == EINTR)
    {
    }
  }
  // No destructors: the blocks stay in the shared file for the workstation to map, and the
  // libraries' exit handlers have nothing to do.
  ::_exit(sent ? 0 : 1);
}
