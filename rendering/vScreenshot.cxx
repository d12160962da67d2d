#include "vScreenshot.h"

#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPNGWriter.h>
#include <vtkRenderWindow.h>
#include <vtkWindowToImageFilter.h>

#include <cstdio>
#include <unistd.h>

namespace
{
vtkSmartPointer<vtkImageData> ReadBuffer(vtkRenderWindow* window)
{
  vtkNew<vtkWindowToImageFilter> grab;
  grab->SetInput(window);
  grab->SetInputBufferTypeToRGB();
  grab->ReadFrontBufferOff();
  grab->ShouldRerenderOff(); // the caller rendered just before
  grab->Update();
  auto picture = vtkSmartPointer<vtkImageData>::New();
  picture->ShallowCopy(grab->GetOutput());
  return picture;
}
} // namespace

vtkSmartPointer<vtkImageData> vScreenshot::Capture(vtkRenderWindow* window, int scale)
{
  if (!window || scale < 1 || scale > 8)
  {
    return nullptr;
  }
  const int* size = window->GetSize();
  const int width = size[0] * scale;
  const int height = size[1] * scale;
  if (width <= 0 || height <= 0 || width > MaximumSide || height > MaximumSide)
  {
    return nullptr;
  }
  if (scale == 1)
  {
    window->Render();
    return ReadBuffer(window);
  }

  // The window itself draws the picture at the larger size, in one piece, and is put back.
  const int oldWidth = size[0];
  const int oldHeight = size[1];
  const int oldDpi = window->GetDPI();
  window->SetDPI(oldDpi * scale);
  window->SetSize(width, height);
  window->Render();
  vtkSmartPointer<vtkImageData> picture = ReadBuffer(window);
  window->SetDPI(oldDpi);
  window->SetSize(oldWidth, oldHeight);
  window->Render();
  return picture;
}

bool vScreenshot::Write(vtkRenderWindow* window,
  const std::string& path,
  int scale,
  std::string& error)
{
  if (path.empty())
  {
    error = "no file name";
    return false;
  }
  if (scale < 1 || scale > 8)
  {
    error = "the scale must be a whole number from 1 to 8";
    return false;
  }
  vtkSmartPointer<vtkImageData> picture = Capture(window, scale);
  if (!picture)
  {
    error = window
      ? "the picture would be larger than " + std::to_string(MaximumSide) + " pixels a side"
      : "there is no viewing tab";
    return false;
  }
  const std::string temporary = path + ".tmp" + std::to_string(getpid()) + ".png";
  // A folder that cannot take the file is found here, before the writer would complain.
  FILE* probe = std::fopen(temporary.c_str(), "wb");
  if (!probe)
  {
    error = "could not write the picture " + path;
    return false;
  }
  std::fclose(probe);
  vtkNew<vtkPNGWriter> writer;
  writer->SetInputData(picture);
  writer->SetFileName(temporary.c_str());
  writer->Write();
  if (writer->GetErrorCode() != 0 || std::rename(temporary.c_str(), path.c_str()) != 0)
  {
    std::remove(temporary.c_str());
    error = "could not write the picture " + path;
    return false;
  }
  return true;
}
