#include "CModuleInfoUI.h"

#include "vReportList.h"

#include "CVemoraCPEXE.h"
#include "CVemoraModules.h"
#include "vFileReader.h"

#include <QDialogButtonBox>
#include <QTreeWidget>
#include <QVBoxLayout>

std::vector<std::vector<std::string>> CModuleInfoUI::GetRows(CVemoraCPEXE* boss)
{
  std::vector<std::vector<std::string>> rows;
  if (!boss)
  {
    return rows;
  }
  auto add = [&rows](const std::string& name,
               const char* type,
               const std::string& version,
               const std::string& description) {
    rows.push_back({ std::to_string(rows.size() + 1), name, type, version, description });
  };
  CVemoraModules* modules = boss->GetModules();
  for (int i = 0; i < modules->GetNumberOfModules(); ++i)
  {
    add(
      modules->GetModuleName(i), "Functional", modules->GetModuleVer(i), modules->GetModuleDesc(i));
  }
  vFileReader* reader = boss->GetFileReader();
  for (int i = reader->GetNumberOfInternallySupportedFileFormat();
       i < reader->GetNumberOfSupportedFileFormat();
       ++i)
  {
    add(reader->GetDSCName(i), "DSC", reader->GetDSCVer(i), reader->GetSupportedFileDesc(i));
  }
  for (int i = 0; i < boss->GetNumberOfHardResources(); ++i)
  {
    add(boss->GetHardResourceName(i),
      "IDSC",
      boss->GetHardResourceVer(i),
      boss->GetHardResourceDesc(i));
  }
  return rows;
}

CModuleInfoUI::CModuleInfoUI(CVemoraCPEXE* boss, QWidget* parent)
  : QDialog(parent)
{
  this->setWindowTitle(QStringLiteral("Module Info."));
  this->setObjectName(QStringLiteral("137"));
  this->List = vReportList::Make(this,
    QStringLiteral("1061"),
    { { "id", 40 }, { "Name", 120 }, { "Type", 120 }, { "Version", 120 }, { "Description", 240 } });
  for (const auto& row : GetRows(boss))
  {
    vReportList::AddRow(this->List, row);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(this->List);
  layout->addWidget(buttons);
  this->resize(700, 360);
}
