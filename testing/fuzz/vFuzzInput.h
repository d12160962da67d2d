#ifndef vFuzzInput_h
#define vFuzzInput_h

#include <cstdint>
#include <cstdio>
#include <string>

/** Writes a fuzz input to `path` as a whole file; false when it cannot. */
inline bool vWriteFuzzInput(const std::string& path, const uint8_t* data, size_t size)
{
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
  {
    return false;
  }
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  return written;
}

#endif
