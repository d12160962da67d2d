#ifndef vScriptLineReader_h
#define vScriptLineReader_h

#include <cstddef>
#include <string>

/**
 * Reads a script from a file, a pipe or a terminal line by line; a line ends at "\n", "\r\n" or a
 * lone "\r". Lines hold any bytes; a line longer than `MaxLineLength` is cut there. Bytes are
 * taken as they arrive (one `read` at a time), so a line from a pipe or a terminal is handed on
 * as soon as it is complete, never held back until a buffer fills.
 */
class vScriptLineReader
{
public:
  /** The longest line kept: a file without line ends (binary data) must not fill the memory. */
  static constexpr std::size_t MaxLineLength = 16u << 20;

  /** Opens a file (or a FIFO, which waits for its writer). */
  explicit vScriptLineReader(const std::string& path);
  /** Reads from an open descriptor, which stays the caller's. */
  explicit vScriptLineReader(int descriptor);
  ~vScriptLineReader();
  vScriptLineReader(const vScriptLineReader&) = delete;
  vScriptLineReader& operator=(const vScriptLineReader&) = delete;

  bool IsOpen() const { return this->Descriptor >= 0; }
  /**
   * The next line, without its end; false at the end of the input, on a read error, or when the
   * line does not fit into memory (`OutOfMemory` then tells, and reading stops).
   */
  bool Next(std::string& line);
  bool OutOfMemory() const { return this->NoMemory; }

private:
  /** The next byte, or -1 at the end of the input. */
  int Get();

  int Descriptor = -1;
  bool Owned = false;
  bool Ended = false;
  bool AfterReturn = false;
  bool NoMemory = false;
  char Buffer[65536];
  std::size_t Size = 0;
  std::size_t Position = 0;
};

#endif
