#include "vLog.h"

#include <vtkOutputWindow.h>

void vLog::Warning(const std::string& text)
{
  vtkOutputWindow::GetInstance()->DisplayWarningText(("Vemora: " + text + "\n").c_str());
}

void vLog::Error(const std::string& text)
{
  vtkOutputWindow::GetInstance()->DisplayErrorText(("Vemora: " + text + "\n").c_str());
}
