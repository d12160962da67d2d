// Feeds arbitrary bytes to the QV reader as a ".qv" file: through the file reader (as the
// workstation opens it), the header check and the first-slice preview. Every failure must come
// back as one of the reader's texts; a success must give a volume of exactly the header's size.
#include "vFileReader.h"
#include "vFuzzInput.h"
#include "vQVFile.h"

#include <vtkImageData.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
std::string TempPath()
{
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vFuzzQV-XXXXXX.qv";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemps(name.data(), 3);
  if (fd < 0)
  {
    std::abort();
  }
  close(fd);
  return name.data();
}

bool KnownText(const std::string& text)
{
  return text == "error: the QV file may have been corrupted" ||
    text == "error: unrecognized file type" || text == "error: unrecoginized data type";
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::string path = TempPath();
  static vFileReader* reader = new vFileReader; // one for the run, as in the workstation
  if (!vWriteFuzzInput(path, data, size))
  {
    std::abort();
  }

  reader->SetFilename(path);
  const int ok = reader->Read();
  tagQVHEADER header;
  std::string headerError;
  const bool headerOk = vQVFile::ReadHeader(path, header, headerError);
  if (ok)
  {
    auto* image = vtkImageData::SafeDownCast(reader->GetOutput());
    int dims[3];
    if (!image || !headerOk)
    {
      std::abort();
    }
    image->GetDimensions(dims);
    if (dims[0] != header.Size[0] || dims[1] != header.Size[1] || dims[2] != header.Size[2] ||
      image->GetNumberOfPoints() * 4 + vQVFile::HeaderSize > static_cast<vtkIdType>(size))
    {
      std::abort();
    }
  }
  else if (!KnownText(reader->GetErrorMessage()) ||
    (!headerOk && headerError != reader->GetErrorMessage()))
  {
    std::abort();
  }

  std::vector<uint32_t> slice;
  int cols = 0;
  int rows = 0;
  std::string previewError;
  if (vQVFile::ReadPreview(path, slice, cols, rows, previewError))
  {
    if (!headerOk || slice.size() != static_cast<size_t>(cols) * static_cast<size_t>(rows))
    {
      std::abort();
    }
  }
  else if (!KnownText(previewError))
  {
    std::abort();
  }
  return 0;
}
