#include "vVtkOutputCapture.h"

#include <vtkObjectFactory.h>
#include <vtkOutputWindow.h>

namespace
{
std::vector<std::string> Received;
std::vector<std::string> Unexpected;
int ExpectDepth = 0;

class vCapturingOutputWindow : public vtkOutputWindow
{
public:
  static vCapturingOutputWindow* New();
  vtkTypeMacro(vCapturingOutputWindow, vtkOutputWindow);

  void DisplayText(const char* text) override
  {
    (void)text; // plain text output is not a failure
  }
  void DisplayErrorText(const char* text) override { this->Record(text); }
  void DisplayWarningText(const char* text) override { this->Record(text); }
  void DisplayGenericWarningText(const char* text) override { this->Record(text); }
  void DisplayDebugText(const char*) override {}

private:
  void Record(const char* text)
  {
    std::string message = text ? text : "";
    Received.push_back(message);
    if (ExpectDepth == 0)
    {
      Unexpected.push_back(message);
    }
  }
};
vtkStandardNewMacro(vCapturingOutputWindow);
} // namespace

void vVtkOutputCapture::Install()
{
  vCapturingOutputWindow* window = vCapturingOutputWindow::New();
  vtkOutputWindow::SetInstance(window);
  window->Delete();
}

std::vector<std::string> vVtkOutputCapture::Take()
{
  std::vector<std::string> out;
  out.swap(Received);
  return out;
}

std::vector<std::string> vVtkOutputCapture::TakeUnexpected()
{
  std::vector<std::string> out;
  out.swap(Unexpected);
  return out;
}

vExpectVtkMessages::vExpectVtkMessages()
  : First(Received.size())
{
  ++ExpectDepth;
}

vExpectVtkMessages::~vExpectVtkMessages()
{
  --ExpectDepth;
}

std::vector<std::string> vExpectVtkMessages::Messages() const
{
  if (this->First >= Received.size())
  {
    return {};
  }
  return std::vector<std::string>(
    Received.begin() + static_cast<long>(this->First), Received.end());
}

bool vExpectVtkMessages::Contains(const std::string& text) const
{
  for (const std::string& message : this->Messages())
  {
    if (message.find(text) != std::string::npos)
    {
      return true;
    }
  }
  return false;
}
