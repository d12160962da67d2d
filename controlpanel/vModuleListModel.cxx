#include "vModuleListModel.h"

#include "CVemoraModules.h"

std::vector<vModuleListModel::Column> vModuleListModel::GetColumns()
{
  return { { "ID", 30 }, { "Name", 200 }, { "Version", 100 }, { "Path", 800 } };
}

std::vector<std::vector<std::string>> vModuleListModel::GetRows(const CVemoraModules* modules)
{
  std::vector<std::vector<std::string>> rows;
  if (!modules)
  {
    return rows;
  }
  for (int i = 0; i < modules->GetNumberOfModules(); ++i)
  {
    rows.push_back({ std::to_string(i),
      modules->GetModuleName(i),
      modules->GetModuleVer(i),
      modules->GetModulePath(i) });
  }
  return rows;
}
