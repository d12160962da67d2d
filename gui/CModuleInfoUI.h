#ifndef CModuleInfoUI_h
#define CModuleInfoUI_h

#include "VemoraGUIModule.h"

#include <QDialog>

#include <string>
#include <vector>

class CVemoraCPEXE;
class QTreeWidget;

/**
 * "Module Info.": every plug-in the program found, numbered from 1 across the three kinds:
 * analysis modules ("Functional"), file-reader plug-ins ("DSC") and data sources ("IDSC"), each
 * with its name, version and description.
 */
class VEMORAGUI_EXPORT CModuleInfoUI : public QDialog
{
  Q_OBJECT
public:
  /** `boss` (borrowed, may be null: an empty list) is the engine. */
  explicit CModuleInfoUI(CVemoraCPEXE* boss, QWidget* parent = nullptr);

  /** The rows (id, name, type, version, description) the dialog shows. */
  static std::vector<std::vector<std::string>> GetRows(CVemoraCPEXE* boss);
  QTreeWidget* GetList() const { return this->List; }

private:
  QTreeWidget* List = nullptr;
};

#endif
