// Replays a fuzz corpus without libFuzzer: every regular file of the folders (or files) named on
// the command line is fed once to LLVMFuzzerTestOneInput.
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace
{
int RunFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return 1;
}
} // namespace

int main(int argc, char** argv)
{
  int count = 0;
  for (int i = 1; i < argc; ++i)
  {
    std::string path = argv[i];
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
    {
      std::fprintf(stderr, "no such corpus: %s\n", path.c_str());
      return 1;
    }
    if (S_ISDIR(st.st_mode))
    {
      DIR* dir = opendir(path.c_str());
      while (dir)
      {
        const dirent* entry = readdir(dir);
        if (!entry)
        {
          break;
        }
        std::string file = path + "/" + entry->d_name;
        if (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        {
          count += RunFile(file);
        }
      }
      if (dir)
      {
        closedir(dir);
      }
    }
    else
    {
      count += RunFile(path);
    }
  }
  std::printf("replayed %d inputs\n", count);
  return 0;
}
