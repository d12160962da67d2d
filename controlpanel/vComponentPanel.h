#ifndef vComponentPanel_h
#define vComponentPanel_h

#include "VemoraCPModule.h"

#include <string>

class QWidget; // a module's page; only the GUI ever looks inside it

/**
 * The component panel as the control panel sees it: a row of tabs whose pages are the modules'
 * own pages. The GUI implements it (a Qt tab widget) and hands it to the facade with
 * `CVemoraCP::SetComponentPanel`; without it, `CVemoraCP::AddTabComponent` does nothing and
 * modules work all the same.
 */
class VEMORACP_EXPORT vComponentPanel
{
public:
  static constexpr int MaximumTabs = 128;

  virtual ~vComponentPanel();
  /** Inserts a tab named `name` at `index` showing `page` (which may be null: an empty page). */
  virtual void AddTabItem(int index, const std::string& name, QWidget* page) = 0;
  virtual int GetNumberOfTabs() = 0;
  /** Selects the last tab whose name equals `name` ignoring letter case; nothing if none. */
  virtual void SelectTab(const std::string& name) = 0;
  virtual void HideTabs() = 0;
  /** With at least one tab: lays the pages out and selects tab 0. */
  virtual void InitTab() = 0;
};

#endif
