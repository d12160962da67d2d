#include "vReadIsolation.h"

#include "vProgress.h"

#include "vLog.h"
#include "vMemoryBudget.h"
#include "vSharedBlock.h"

#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkDataArray.h>
#include <vtkIdTypeArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkTypeInt32Array.h>
#include <vtkTypeInt64Array.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace
{
constexpr int ReplyDescriptor = 3;
constexpr int SharedDescriptor = 4;
constexpr int RequestDescriptor = 5;
/** Replies are short texts; a longer one is nonsense. */
constexpr std::size_t MaximumReplyBytes = std::size_t(64) << 20;

std::atomic<double> TimeLimit{ vReadIsolation::DefaultTimeLimit };
/** Whether blocks may be copied out of the helper (off for good after a copy that failed). */
std::atomic<bool> RemoteCopy{ true };

/** A descriptor closed when it goes. */
class vDescriptor
{
public:
  explicit vDescriptor(int fd = -1)
    : Fd(fd)
  {
  }
  ~vDescriptor() { this->Reset(); }
  vDescriptor(const vDescriptor&) = delete;
  vDescriptor& operator=(const vDescriptor&) = delete;
  int Get() const { return this->Fd; }
  int Release() { return std::exchange(this->Fd, -1); }
  void Reset(int fd = -1)
  {
    if (this->Fd >= 0)
    {
      ::close(this->Fd);
    }
    this->Fd = fd;
  }

private:
  int Fd;
};

/** Moves a descriptor above the numbers the child's descriptors get, so dup2 always copies. */
int AboveChildNumbers(int fd)
{
  if (fd < 0 || fd > RequestDescriptor)
  {
    return fd;
  }
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, RequestDescriptor + 1);
  ::close(fd);
  return moved;
}

/** The address space the helper may take: the machine's memory. */
unsigned long long HelperMemoryLimit()
{
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long page = ::sysconf(_SC_PAGESIZE);
  return pages > 0 && page > 0 ? static_cast<unsigned long long>(pages) * page : 0;
}

/**
 * One read helper started with --wait: its process and the workstation's ends of its reply pipe,
 * shared file and request socket. Owned by one thread at a time; only the process that started
 * it (not a child forked from it) signals or waits for it.
 */
class vHelperProcess
{
public:
  vHelperProcess() = default;
  ~vHelperProcess() { this->Dismiss(); }
  vHelperProcess(const vHelperProcess&) = delete;
  vHelperProcess& operator=(const vHelperProcess&) = delete;
  vHelperProcess(vHelperProcess&& other) noexcept { *this = std::move(other); }
  vHelperProcess& operator=(vHelperProcess&& other) noexcept
  {
    if (this != &other)
    {
      this->Dismiss();
      std::swap(this->Pid, other.Pid);
      std::swap(this->Owner, other.Owner);
      std::swap(this->ReplyEnd, other.ReplyEnd);
      std::swap(this->SharedEnd, other.SharedEnd);
      std::swap(this->RequestEnd, other.RequestEnd);
      std::swap(this->Sent, other.Sent);
    }
    return *this;
  }

  bool Started() const { return this->Pid >= 0 && this->Owner == ::getpid(); }

  /** Started, not yet given a request, and alive (a dead one is reaped). */
  bool Running()
  {
    if (!this->Started() || this->RequestEnd < 0 || this->Sent)
    {
      return false;
    }
    int status = 0;
    if (::waitpid(this->Pid, &status, WNOHANG) != 0)
    {
      this->Pid = -1; // reaped, or not ours to wait for
      return false;
    }
    return true;
  }

  /** Starts a helper that waits for its request; false with `failure` set when it cannot. */
  bool Start(std::string& failure)
  {
    this->Dismiss();
    int pipeEnds[2];
    int sockets[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
    {
      failure = "no pipe for the read helper";
      return false;
    }
    vDescriptor replyEnd(AboveChildNumbers(pipeEnds[0]));
    vDescriptor childEnd(AboveChildNumbers(pipeEnds[1]));
    vDescriptor shared(AboveChildNumbers(::memfd_create("vemora-read", MFD_CLOEXEC)));
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
    {
      sockets[0] = sockets[1] = -1;
    }
    vDescriptor requestEnd(AboveChildNumbers(sockets[0]));
    vDescriptor childRequest(AboveChildNumbers(sockets[1]));
    if (replyEnd.Get() < 0 || childEnd.Get() < 0 || shared.Get() < 0 || requestEnd.Get() < 0 ||
      childRequest.Get() < 0)
    {
      failure = "no shared memory for the read helper";
      return false;
    }
    std::string helper = vReadIsolation::HelperPath();
    std::string wait = "--wait";
    char* argv[] = { &helper[0], &wait[0], nullptr };
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, childEnd.Get(), ReplyDescriptor);
    posix_spawn_file_actions_adddup2(&actions, shared.Get(), SharedDescriptor);
    posix_spawn_file_actions_adddup2(&actions, childRequest.Get(), RequestDescriptor);
    // Descriptors that other threads opened without close-on-exec stay out of the helper.
    posix_spawn_file_actions_addclosefrom_np(&actions, RequestDescriptor + 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The helper starts with the default signal actions and no blocked signals, whatever the
    // calling thread has.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = -1;
    const int spawned = ::posix_spawn(&child, helper.c_str(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0)
    {
      failure = "the read helper cannot be started: " + helper;
      return false;
    }
    this->Pid = child;
    this->Owner = ::getpid();
    this->ReplyEnd = replyEnd.Release();
    this->SharedEnd = shared.Release();
    this->RequestEnd = requestEnd.Release();
    this->Sent = false;
    return true;
  }

  /**
   * Hands the request over (NUL-ended words, then the end of the stream: the writing side shuts
   * down, the socket stays open until `Finish`, which the helper may be waiting for).
   */
  bool Send(const std::vector<std::string>& words)
  {
    std::string text;
    for (const std::string& word : words)
    {
      if (word.find('\0') != std::string::npos)
      {
        return false;
      }
      text += word;
      text.push_back('\0');
    }
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0 && this->RequestEnd >= 0)
    {
      const ssize_t put = ::send(this->RequestEnd, data, left, MSG_NOSIGNAL);
      if (put < 0 && errno == EINTR)
      {
        continue;
      }
      if (put <= 0)
      {
        return false;
      }
      data += put;
      left -= static_cast<std::size_t>(put);
    }
    this->Sent = true;
    return left == 0 && ::shutdown(this->RequestEnd, SHUT_WR) == 0;
  }

  int Reply() const { return this->ReplyEnd; }

  pid_t Process() const { return this->Started() ? this->Pid : -1; }

  /** The shared file, now the caller's. */
  int TakeShared() { return std::exchange(this->SharedEnd, -1); }

  /**
   * Waits for the helper's end (killing it first when `kill`, or when it has not ended a few
   * seconds after its request stream closed); its wait status.
   */
  int Finish(bool kill)
  {
    int status = 0;
    CloseDescriptor(this->ReplyEnd);
    CloseDescriptor(this->RequestEnd); // a helper waiting with blocks to copy leaves now
    if (this->Started())
    {
      if (kill)
      {
        ::kill(this->Pid, SIGKILL);
      }
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      for (;;)
      {
        const pid_t ended = ::waitpid(this->Pid, &status, kill ? 0 : WNOHANG);
        if (ended == this->Pid || (ended < 0 && errno != EINTR))
        {
          break;
        }
        if (ended == 0 && std::chrono::steady_clock::now() > deadline)
        {
          ::kill(this->Pid, SIGKILL);
          kill = true;
        }
        else if (ended == 0)
        {
          ::usleep(200);
        }
      }
    }
    this->Pid = -1;
    return status;
  }

  /** Ends the helper, whatever it is doing, and closes its descriptors. */
  void Dismiss()
  {
    this->Finish(true);
    CloseDescriptor(this->SharedEnd);
    CloseDescriptor(this->RequestEnd);
  }

private:
  static void CloseDescriptor(int& fd)
  {
    if (fd >= 0)
    {
      ::close(fd);
    }
    fd = -1;
  }

  pid_t Pid = -1;
  pid_t Owner = -1;
  int ReplyEnd = -1;
  int SharedEnd = -1;
  int RequestEnd = -1;
  bool Sent = false;
};

/**
 * The spare helper: started after each read, so that the next one finds a helper with its
 * libraries loaded. Dismissed when the program exits (a program that ends without its exit
 * handlers closes the request socket, and the spare leaves on its own).
 */
std::mutex SpareLock;
vHelperProcess Spare; // guarded by SpareLock

vHelperProcess TakeSpare()
{
  std::lock_guard<std::mutex> lock(SpareLock);
  return std::move(Spare);
}

void StartSpare()
{

  vHelperProcess fresh; // declared first: one not needed is dismissed after the lock is released
  {
    std::lock_guard<std::mutex> lock(SpareLock);
    if (Spare.Started())
    {
      return;
    }
  }
  std::string failure;
  if (!fresh.Start(failure))
  {
    return;
  }
  std::lock_guard<std::mutex> lock(SpareLock);
  if (!Spare.Started())
  {
    Spare = std::move(fresh);
  }
}

std::vector<std::string> SplitLine(const std::string& line)
{
  std::vector<std::string> words;
  std::size_t pos = 0;
  while (pos < line.size())
  {
    const std::size_t next = line.find(' ', pos);
    words.push_back(line.substr(pos, next == std::string::npos ? std::string::npos : next - pos));
    if (next == std::string::npos)
    {
      break;
    }
    pos = next + 1;
  }
  return words;
}

/** The words of a line, the last one running to the end of the line after `fixed` words. */
std::vector<std::string> SplitLine(const std::string& line, std::size_t fixed)
{
  std::vector<std::string> words;
  std::size_t pos = 0;
  while (words.size() < fixed && pos <= line.size())
  {
    const std::size_t next = line.find(' ', pos);
    if (next == std::string::npos)
    {
      words.push_back(line.substr(pos));
      return words;
    }
    words.push_back(line.substr(pos, next - pos));
    pos = next + 1;
  }
  words.push_back(line.substr(std::min(pos, line.size())));
  return words;
}

bool ParseUnsigned(const std::string& text, std::uint64_t& value)
{
  if (text.empty() || text[0] < '0' || text[0] > '9')
  {
    return false;
  }
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text.c_str(), &end, 10);
  return errno == 0 && end && *end == '\0';
}

/** A new array of `type` for values a block holds: the cell arrays' exact classes for ids. */
vtkSmartPointer<vtkDataArray> MakeArray(int type, bool cells)
{
  if (cells)
  {
    switch (type)
    {
      case VTK_ID_TYPE:
        return vtkSmartPointer<vtkIdTypeArray>::New();
      case VTK_TYPE_INT64:
        return vtkSmartPointer<vtkTypeInt64Array>::New();
      case VTK_TYPE_INT32:
        return vtkSmartPointer<vtkTypeInt32Array>::New();
      default:
        return nullptr;
    }
  }
  switch (type)
  {
    case VTK_CHAR:
    case VTK_SIGNED_CHAR:
    case VTK_UNSIGNED_CHAR:
    case VTK_SHORT:
    case VTK_UNSIGNED_SHORT:
    case VTK_INT:
    case VTK_UNSIGNED_INT:
    case VTK_LONG:
    case VTK_UNSIGNED_LONG:
    case VTK_LONG_LONG:
    case VTK_UNSIGNED_LONG_LONG:
    case VTK_ID_TYPE:
    case VTK_FLOAT:
    case VTK_DOUBLE:
      return vtkSmartPointer<vtkDataArray>::Take(vtkDataArray::CreateDataArray(type));
    default:
      return nullptr;
  }
}

void FreeBlock(void* data)
{
  vSharedBlock::Unmap(data);
}

/**
 * "array ROLE TYPE COMPONENTS TUPLES OFFSET [NAME]": maps the block (or copies it out of the
 * helper process `helper`) and wraps it in an array of that type; false when anything does not
 * fit, or when the helper's memory could not be read (`remoteFailed` set).
 */
bool MapArray(const std::string& line,
  int shared,
  std::uint64_t fileSize,
  int helper,
  vReadArray& result,
  bool& remoteFailed)
{
  const std::vector<std::string> words = SplitLine(line, 6);
  std::uint64_t type = 0;
  std::uint64_t components = 0;
  std::uint64_t tuples = 0;
  std::uint64_t offset = 0;
  if (words.size() < 6 || !ParseUnsigned(words[2], type) || !ParseUnsigned(words[3], components) ||
    !ParseUnsigned(words[4], tuples) || !ParseUnsigned(words[5], offset) || type > 64 ||
    components == 0 || components > 1024)
  {
    return false;
  }
  result.Role = words[1];
  result.Name = words.size() > 6 ? words[6] : std::string();
  const bool cells = result.Role.find(".offsets") != std::string::npos ||
    result.Role.find(".connectivity") != std::string::npos;
  vtkSmartPointer<vtkDataArray> array = MakeArray(static_cast<int>(type), cells);
  if (!array)
  {
    return false;
  }
  std::uint64_t values = 0;
  std::uint64_t bytes = 0;
  if (__builtin_mul_overflow(components, tuples, &values) ||
    __builtin_mul_overflow(values, static_cast<std::uint64_t>(array->GetDataTypeSize()), &bytes) ||
    values > static_cast<std::uint64_t>(VTK_ID_MAX))
  {
    return false;
  }
  std::uint64_t dataBytes = 0;
  void* data = vSharedBlock::Map(shared, offset, fileSize, helper, dataBytes, remoteFailed);
  if (!data)
  {
    return false;
  }
  if (dataBytes < bytes)
  {
    vSharedBlock::Unmap(data);
    return false;
  }
  array->SetNumberOfComponents(static_cast<int>(components));
  array->SetVoidArray(
    data, static_cast<vtkIdType>(values), 0, vtkAbstractArray::VTK_DATA_ARRAY_USER_DEFINED);
  array->SetArrayFreeFunction(FreeBlock);
  if (!result.Name.empty())
  {
    array->SetName(result.Name.c_str());
  }
  result.Array = array;
  return true;
}

/**
 * Reads the child's reply until it closes its end or the deadline passes. "progress DONE TOTAL"
 * lines the child sends while it reads are passed on to the running operation's progress (and,
 * between them, the user is given a chance to cancel every 50 ms); a cancellation ends the read.
 */
bool ReadReply(int fd,
  std::chrono::steady_clock::time_point deadline,
  std::string& text,
  bool& timedOut,
  bool& cancelled)
{
  char chunk[65536];
  std::size_t scanned = 0; // progress lines are looked for from here
  double done = 0.0;
  double total = 0.0; // unknown until the child says
  for (;;)
  {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
    {
      timedOut = true;
      return false;
    }
    pollfd wait = { fd, POLLIN, 0 };
    const int ready = ::poll(&wait, 1, static_cast<int>(std::min<long long>(left.count(), 50)));
    if (ready < 0 && errno == EINTR)
    {
      continue;
    }
    if (ready < 0)
    {
      return false;
    }
    if (ready > 0)
    {
      const ssize_t got = ::read(fd, chunk, sizeof(chunk));
      if (got < 0 && (errno == EINTR || errno == EAGAIN))
      {
        continue;
      }
      if (got <= 0)
      {
        return got == 0;
      }
      text.append(chunk, static_cast<std::size_t>(got));
      if (text.size() > MaximumReplyBytes)
      {
        return false;
      }
      for (std::size_t end = text.find('\n', scanned); end != std::string::npos;
           end = text.find('\n', scanned))
      {
        if (text.compare(scanned, 9, "progress ") == 0)
        {
          char* next = nullptr;
          done = std::strtod(text.c_str() + scanned + 9, &next);
          total = std::strtod(next, nullptr);
        }
        scanned = end + 1;
      }
    }
    if (!vProgressScope::Report(done, total))
    {
      cancelled = true;
      return false;
    }
  }
}

bool CellsFromReply(const vReadReply& reply,
  const std::string& kind,
  vtkSmartPointer<vtkCellArray>& cells)
{
  vtkDataArray* offsets = reply.FindArray(kind + ".offsets");
  vtkDataArray* connectivity = reply.FindArray(kind + ".connectivity");
  if (!offsets && !connectivity)
  {
    return true;
  }
  if (!offsets || !connectivity || offsets->GetDataType() != connectivity->GetDataType() ||
    offsets->GetNumberOfComponents() != 1 || connectivity->GetNumberOfComponents() != 1 ||
    offsets->GetNumberOfTuples() == 0)
  {
    return false;
  }
  // The helper checked every offset and id (vCellCheck); the ends are checked here again, so that
  // no reply can make a cell reach past the connectivity.
  const vtkIdType last = offsets->GetNumberOfTuples() - 1;
  if (offsets->GetComponent(0, 0) != 0 ||
    offsets->GetComponent(last, 0) != static_cast<double>(connectivity->GetNumberOfTuples()))
  {
    return false;
  }
  cells = vtkSmartPointer<vtkCellArray>::New();
  return cells->SetData(offsets, connectivity);
}

/** Adds the "pd"/"cd" arrays of a reply to `attributes`; false when one has the wrong count. */
bool AttributesFromReply(const vReadReply& reply,
  const std::string& prefix,
  vtkIdType count,
  vtkDataSetAttributes* attributes)
{
  for (const vReadArray& entry : reply.Arrays)
  {
    if (entry.Role.compare(0, prefix.size(), prefix) != 0 ||
      (entry.Role.size() > prefix.size() && entry.Role[prefix.size()] != '.'))
    {
      continue;
    }
    if (entry.Array->GetNumberOfTuples() != count)
    {
      return false;
    }
    const std::string kind = entry.Role.substr(prefix.size());
    if (kind == ".scalars")
    {
      attributes->SetScalars(entry.Array);
    }
    else if (kind == ".normals")
    {
      if (entry.Array->GetNumberOfComponents() != 3)
      {
        return false;
      }
      attributes->SetNormals(entry.Array);
    }
    else if (kind == ".tcoords")
    {
      attributes->SetTCoords(entry.Array);
    }
    else
    {
      attributes->AddArray(entry.Array);
    }
  }
  return true;
}
/**
 * The parsed reply of a helper that answered `text`: its lines, and its arrays mapped from the
 * shared file or copied out of the helper. True when the reply is whole and sound (an "error"
 * line included); false with `failure` set otherwise.
 */
bool TakeReply(std::string& text,
  vHelperProcess& helper,
  vReadReply& reply,
  std::string& failure,
  bool& remoteFailed)
{
  if (text.compare(0, 8, "reading\n") != 0 || text.size() < 12 ||
    text.compare(text.size() - 4, 4, "end\n") != 0)
  {
    failure = "the read helper's reply is incomplete";
    return false;
  }
  text.erase(0, 8);
  vDescriptor shared(helper.TakeShared());

  struct stat info;
  if (::fstat(shared.Get(), &info) != 0)
  {
    failure = "the shared memory of the read helper is gone";
    return false;
  }
  const std::uint64_t fileSize = static_cast<std::uint64_t>(info.st_size);
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < text.size();)
  {
    const std::size_t end = text.find('\n', pos);
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  // The blocks come into this process's address space: the file's and those copied out of the
  // helper must fit under its limits.
  std::uint64_t needed = fileSize;
  for (const std::string& line : lines)
  {
    if (line.compare(0, 6, "array ") != 0)
    {
      continue;
    }
    const std::vector<std::string> words = SplitLine(line, 6);
    std::uint64_t offset = 0;
    if (words.size() >= 6 && ParseUnsigned(words[5], offset))
    {
      needed += vSharedBlock::RemoteBytes(shared.Get(), offset, fileSize);
    }
  }
  if (needed > vMemoryBudget::AddressSpaceLeft())
  {
    failure = vMemoryBudget::NeedText(needed, vMemoryBudget::AddressSpaceLeft());
    reply.Lines.push_back({ "error", failure });
    return true;
  }
  for (const std::string& line : lines)
  {
    if (line == "end")
    {
      break;
    }
    if (line.compare(0, 6, "array ") == 0)
    {
      vReadArray array;
      if (!MapArray(line, shared.Get(), fileSize, helper.Process(), array, remoteFailed))
      {
        failure = "the read helper's reply names data it does not hold";
        reply = vReadReply();
        return false;
      }
      reply.Arrays.push_back(array);
    }
    else if (line.compare(0, 6, "error ") == 0 || line.compare(0, 5, "file ") == 0 ||
      line.compare(0, 7, "notice ") == 0)
    {
      reply.Lines.push_back(SplitLine(line, 1));
    }
    else
    {
      reply.Lines.push_back(SplitLine(line));
    }
  }
  return true;
}
} // namespace

const std::vector<std::string>* vReadReply::Find(const std::string& word) const
{
  for (const std::vector<std::string>& line : this->Lines)
  {
    if (!line.empty() && line[0] == word)
    {
      return &line;
    }
  }
  return nullptr;
}

vtkDataArray* vReadReply::FindArray(const std::string& role) const
{
  for (const vReadArray& entry : this->Arrays)
  {
    if (entry.Role == role)
    {
      return entry.Array;
    }
  }
  return nullptr;
}

std::string vReadReply::Error() const
{
  const std::vector<std::string>* line = this->Find("error");
  return line && line->size() > 1 ? (*line)[1] : std::string();
}

void vReadIsolation::SetTimeLimit(double seconds)
{
  TimeLimit = seconds > 0 && std::isfinite(seconds) ? seconds : DefaultTimeLimit;
}

void vReadIsolation::SetRemoteCopy(bool remote)
{
  RemoteCopy = remote;
}

double vReadIsolation::GetTimeLimit()
{
  return TimeLimit;
}

std::string vReadIsolation::HelperPath()
{
  Dl_info info;
  if (::dladdr(reinterpret_cast<void*>(&vReadIsolation::HelperPath), &info) == 0 || !info.dli_fname)
  {
    return "vreadhelper";
  }
  const std::string library = info.dli_fname;
  const std::size_t slash = library.rfind('/');
  return (slash == std::string::npos ? std::string(".") : library.substr(0, slash)) +
    "/vreadhelper";
}

bool vReadIsolation::Run(const std::vector<std::string>& request,
  vReadReply& reply,
  std::string& failure)
{
  reply = vReadReply();
  // Small blocks are copied straight out of the helper where this process may read its memory;
  // where that fails once, every later read hands them over through the shared file.
  const bool remote = RemoteCopy && vSharedBlock::RemoteCopyPossible();
  const double seconds = TimeLimit;
  char folder[4096];
  std::vector<std::string> words = { ::getcwd(folder, sizeof(folder)) ? folder : "/",
    remote ? "remote" : "copy",
    std::to_string(HelperMemoryLimit()),
    std::to_string(static_cast<long long>(std::ceil(seconds)) + 1) };
  words.insert(words.end(), request.begin(), request.end());

  // The spare when there is one; a fresh helper when there is none, when the spare has died, or
  // when it died before it took the request (then the request is not to blame).
  vHelperProcess helper = TakeSpare();
  std::string text;
  bool timedOut = false;
  bool cancelled = false;
  bool complete = false;
  for (int attempt = 0; attempt < 2; ++attempt)
  {
    if (!helper.Running() || !helper.Send(words))
    {
      helper.Dismiss();
      if (!helper.Start(failure))
      {
        return false;
      }
      if (!helper.Send(words))
      {
        helper.Dismiss();
        failure = "the read helper does not take its request";
        return false;
      }
    }
    const auto deadline = std::chrono::steady_clock::now() +
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(seconds));
    text.clear();
    complete = ReadReply(helper.Reply(), deadline, text, timedOut, cancelled);
    if (complete || timedOut || cancelled || text.compare(0, 8, "reading\n") == 0)
    {
      break;
    }
    helper.Dismiss(); // gone before it took the request: once more with a fresh one
  }
  if (!complete)
  {
    const int status = helper.Finish(true);
    StartSpare();
    failure = timedOut ? "the reader took longer than the time limit"
      : cancelled      ? "reading cancelled"
      : WIFSIGNALED(status)
      ? "the reader stopped on damaged data (signal " + std::to_string(WTERMSIG(status)) + ")"
      : "the reader stopped on damaged data";
    return false;
  }
  // The helper has answered; it may still hold blocks for this process to copy out of it.
  bool remoteFailed = false;
  const bool taken = TakeReply(text, helper, reply, failure, remoteFailed);
  const int status = helper.Finish(false);
  StartSpare();
  if (remoteFailed)
  {
    RemoteCopy = false;
    vLog::Warning("the read helper's memory cannot be read: blocks now come through shared memory");
    return Run(request, reply, failure);
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
  {
    reply = vReadReply();
    failure = "the reader stopped on damaged data";
    return false;
  }
  return taken;
}

vtkSmartPointer<vtkDataSet> vReadIsolation::Assemble(const vReadReply& reply)
{
  if (const std::vector<std::string>* line = reply.Find("image"))
  {
    if (line->size() != 13)
    {
      return nullptr;
    }
    int extent[6];
    double numbers[6];
    for (int i = 0; i < 6; ++i)
    {
      char* end = nullptr;
      const long value = std::strtol((*line)[1 + i].c_str(), &end, 10);
      if (!end || *end != '\0' || value < VTK_INT_MIN || value > VTK_INT_MAX)
      {
        return nullptr;
      }
      extent[i] = static_cast<int>(value);
      numbers[i] = std::strtod((*line)[7 + i].c_str(), &end);
      if (!end || *end != '\0' || !std::isfinite(numbers[i]))
      {
        return nullptr;
      }
    }
    std::uint64_t points = 1;
    for (int i = 0; i < 3; ++i)
    {
      const long long n = static_cast<long long>(extent[2 * i + 1]) - extent[2 * i] + 1;
      if (n <= 0 || __builtin_mul_overflow(points, static_cast<std::uint64_t>(n), &points))
      {
        return nullptr;
      }
    }
    vtkDataArray* scalars = reply.FindArray("pd.scalars");
    if (!scalars || static_cast<std::uint64_t>(scalars->GetNumberOfTuples()) != points)
    {
      return nullptr;
    }
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetExtent(extent);
    image->SetSpacing(numbers);
    image->SetOrigin(numbers + 3);
    if (!AttributesFromReply(reply, "pd", static_cast<vtkIdType>(points), image->GetPointData()))
    {
      return nullptr;
    }
    return image;
  }
  if (reply.Find("poly"))
  {
    auto model = vtkSmartPointer<vtkPolyData>::New();
    vtkIdType count = 0;
    if (vtkDataArray* coordinates = reply.FindArray("points"))
    {
      if (coordinates->GetNumberOfComponents() != 3)
      {
        return nullptr;
      }
      vtkNew<vtkPoints> points;
      points->SetData(coordinates);
      model->SetPoints(points);
      count = coordinates->GetNumberOfTuples();
    }
    vtkSmartPointer<vtkCellArray> verts;
    vtkSmartPointer<vtkCellArray> lines;
    vtkSmartPointer<vtkCellArray> polys;
    vtkSmartPointer<vtkCellArray> strips;
    if (!CellsFromReply(reply, "verts", verts) || !CellsFromReply(reply, "lines", lines) ||
      !CellsFromReply(reply, "polys", polys) || !CellsFromReply(reply, "strips", strips))
    {
      return nullptr;
    }
    model->SetVerts(verts);
    model->SetLines(lines);
    model->SetPolys(polys);
    model->SetStrips(strips);
    if (!AttributesFromReply(reply, "pd", count, model->GetPointData()))
    {
      return nullptr;
    }
    // Cell data only when it matches the cells; otherwise it is left out.
    const vtkIdType cells = model->GetNumberOfCells();
    vtkNew<vtkCellData> cellData;
    if (AttributesFromReply(reply, "cd", cells, cellData))
    {
      model->GetCellData()->ShallowCopy(cellData);
    }
    return model;
  }
  return nullptr;
}
