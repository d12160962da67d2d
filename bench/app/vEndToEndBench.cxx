// The whole way from a model file to a picture, against F3D in the same run: open a
// 1,000,000-triangle binary .vtk, start the 3-D module, add the mesh layer and write a 600 x 600
// PNG (bin/Vemora --batch ... --screenshot), against `f3d --output` of the same file at the same
// size. Both are timed as whole processes, from start to exit (medians of alternating runs), and
// both pictures must be 600 x 600 and show the mesh. Runs under an X server:
//   xvfb-run -a -s "-screen 0 1600x1200x24" bin/vEndToEndBench [--repeat 5] [--folder /tmp]
// Without F3D (Debian's f3d package) the peer is skipped and the benchmark says so.
#include "vInstallation.h"

#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPNGReader.h>
#include <vtkPlaneSource.h>
#include <vtkPolyDataWriter.h>
#include <vtkTriangleFilter.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values)
{
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]));
}

/** Runs a program to its end, output discarded; its wall time in seconds, -1 on failure. */
double Run(const std::vector<std::string>& command)
{
  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child == 0)
  {
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0)
    {
      dup2(null, 1);
      dup2(null, 2);
    }
    std::vector<char*> argv;
    argv.reserve(command.size() + 1);
    for (const std::string& word : command)
    {
      argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
  {
    return -1.0;
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

/** A picture is right when it is 600 x 600 and the mesh covers part of it (not one colour). */
bool PictureShowsTheMesh(const std::string& path)
{
  vtkNew<vtkPNGReader> reader;
  if (!reader->CanReadFile(path.c_str()))
  {
    return false;
  }
  reader->SetFileName(path.c_str());
  reader->Update();
  vtkImageData* image = reader->GetOutput();
  int dims[3];
  image->GetDimensions(dims);
  if (dims[0] != 600 || dims[1] != 600)
  {
    return false;
  }
  const auto* pixels = static_cast<const unsigned char*>(image->GetScalarPointer());
  const int components = image->GetNumberOfScalarComponents();
  long differing = 0;
  for (long i = 0; i < 600L * 600L; ++i)
  {
    if (std::memcmp(
          pixels + i * components, pixels, static_cast<size_t>(std::min(components, 3))) != 0)
    {
      ++differing;
    }
  }
  return differing > 600L * 600L / 100; // at least 1% of the picture is not the background
}

bool Executable(const std::string& name)
{
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  size_t begin = 0;
  while (begin <= folders.size())
  {
    const size_t end = std::min(folders.find(':', begin), folders.size());
    if (access((folders.substr(begin, end - begin) + "/" + name).c_str(), X_OK) == 0)
    {
      return true;
    }
    begin = end + 1;
  }
  return false;
}
} // namespace

int main(int argc, char** argv)
{
  int repeat = 5;
  std::string folder = "/tmp";
  for (int i = 1; i + 1 < argc; i += 2)
  {
    if (!std::strcmp(argv[i], "--repeat"))
    {
      repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    else if (!std::strcmp(argv[i], "--folder"))
    {
      folder = argv[i + 1];
    }
  }
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display)
  {
    std::fprintf(stderr, "no X display: run under xvfb-run\n");
    return 1;
  }
  const std::string work = folder + "/vemora-e2e-" + std::to_string(getpid());
  vInstallation::MakeFolder(work);
  const std::string mesh = work + "/mesh.vtk";
  {
    vtkNew<vtkPlaneSource> plane;
    plane->SetResolution(708, 708); // 1,002,528 triangles
    vtkNew<vtkTriangleFilter> triangles;
    triangles->SetInputConnection(plane->GetOutputPort());
    vtkNew<vtkPolyDataWriter> writer;
    writer->SetInputConnection(triangles->GetOutputPort());
    writer->SetFileTypeToBinary();
    writer->SetFileName(mesh.c_str());
    if (writer->Write() != 1)
    {
      std::fprintf(stderr, "cannot write %s\n", mesh.c_str());
      return 1;
    }
  }
  const std::string script = work + "/picture.v";
  {
    std::ofstream out(script);
    out << "open " << mesh << "\nScene\ncoolstart\nnew layer mesh mesh IV\n";
  }
  const std::string ours = work + "/vemora.png";
  const std::string theirs = work + "/f3d.png";
  const std::vector<std::string> vemora = { vInstallation::GetFolder() + "/Vemora",
    "--batch",
    script,
    "--screenshot",
    ours,
    "--size",
    "600x600" };
  const bool peer = Executable("f3d");
  const std::vector<std::string> f3d = {
    "f3d", "--output", theirs, "--resolution", "600,600", mesh
  };

  std::vector<double> vemoraTimes;
  std::vector<double> f3dTimes;
  for (int r = 0; r < repeat; ++r)
  {
    if (peer)
    {
      f3dTimes.push_back(Run(f3d));
    }
    vemoraTimes.push_back(Run(vemora));
  }
  const bool ourPicture = PictureShowsTheMesh(ours);
  const bool theirPicture = peer && PictureShowsTheMesh(theirs);
  const bool failed = std::count(vemoraTimes.begin(), vemoraTimes.end(), -1.0) > 0 ||
    std::count(f3dTimes.begin(), f3dTimes.end(), -1.0) > 0;
  std::printf(
    "open a 1,000,000-triangle .vtk, 3-D module, mesh layer, 600 x 600 PNG (median of %d):"
    "\n",
    repeat);
  std::printf("  Vemora %.0f ms; picture 600 x 600 showing the mesh: %s\n",
    1e3 * Median(vemoraTimes),
    ourPicture ? "yes" : "NO");
  if (peer)
  {
    std::printf("  F3D    %.0f ms; picture 600 x 600 showing the mesh: %s\n",
      1e3 * Median(f3dTimes),
      theirPicture ? "yes" : "NO");
    std::printf("  Vemora / F3D: %.2f (limit 1.0)\n", Median(vemoraTimes) / Median(f3dTimes));
  }
  else
  {
    std::printf("  F3D is not installed (Debian package f3d): the peer is skipped\n");
  }
  for (const std::string& file : { mesh, script, ours, theirs })
  {
    std::remove(file.c_str());
  }
  rmdir(work.c_str());
  return failed || !ourPicture || (peer && !theirPicture) ? 1 : 0;
}
