#ifndef vModuleListModel_h
#define vModuleListModel_h

#include "VemoraCPModule.h"

#include <string>
#include <vector>

class CVemoraModules;

/**
 * The contents of the module list dialog: four columns "ID" (width 30), "Name" (200), "Version"
 * (100) and "Path" (800), one row per module in index order with the ID printed with "%d". The Qt
 * dialog shows it in a list with full-row selection; showing it changes nothing.
 */
class VEMORACP_EXPORT vModuleListModel
{
public:
  struct Column
  {
    std::string Title;
    int Width;
  };

  static std::vector<Column> GetColumns();
  /** One row (ID, name, version, path) per module of the manager; none for null. */
  static std::vector<std::vector<std::string>> GetRows(const CVemoraModules* modules);
};

#endif
