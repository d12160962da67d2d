#include "vScriptLineReader.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <unistd.h>

vScriptLineReader::vScriptLineReader(const std::string& path)
  : Descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
  , Owned(true)
{
}

vScriptLineReader::vScriptLineReader(int descriptor)
  : Descriptor(descriptor)
{
}

vScriptLineReader::~vScriptLineReader()
{
  if (this->Owned && this->Descriptor >= 0)
  {
    ::close(this->Descriptor);
  }
}

bool vScriptLineReader::Next(std::string& line)
{
  line.clear();
  if (this->Descriptor < 0)
  {
    return false;
  }
  bool any = false;
  for (;;)
  {
    const int c = this->Get();
    if (c < 0)
    {
      return any;
    }
    any = true;
    if (c == '\n')
    {
      return true;
    }
    if (c == '\r')
    {
      // A lone carriage return ends the line too; a line feed right after it belongs to it. From
      // a terminal or a pipe the next byte may not have come yet: it is looked at when it does.
      this->AfterReturn = true;
      return true;
    }
    if (line.size() < MaxLineLength)
    {
      try
      {
        line.push_back(static_cast<char>(c)); // beyond the limit the rest of the line is dropped
      }
      catch (const std::bad_alloc&)
      {
        line.clear();
        line.shrink_to_fit();
        this->NoMemory = true;
        this->Ended = true;
        this->Size = this->Position = 0;
        return false;
      }
    }
  }
}

int vScriptLineReader::Get()
{
  for (;;)
  {
    if (this->Position >= this->Size)
    {
      if (this->Ended)
      {
        return -1;
      }
      ssize_t got = ::read(this->Descriptor, this->Buffer, sizeof(this->Buffer));
      while (got < 0 && errno == EINTR)
      {
        got = ::read(this->Descriptor, this->Buffer, sizeof(this->Buffer));
      }
      this->Position = 0;
      this->Size = got > 0 ? static_cast<std::size_t>(got) : 0;
      if (got <= 0)
      {
        this->Ended = true;
        return -1;
      }
    }
    const int c = static_cast<unsigned char>(this->Buffer[this->Position++]);
    const bool skip = this->AfterReturn && c == '\n';
    this->AfterReturn = false;
    if (!skip)
    {
      return c;
    }
  }
}
