#ifndef CComponentUI_h
#define CComponentUI_h

#include "VemoraGUIModule.h"
#include "vComponentPanel.h"

#include <QTabWidget>

/**
 * The component panel: a row of tabs whose pages are the modules' own pages. Modules add their
 * page when they run (through the facade); starting a module brings its page to the front. A page
 * handed over becomes a child of the panel (Qt parent); the panel never deletes a page by itself
 * otherwise. At most `MaximumTabs` tabs; further additions are refused.
 */
class VEMORAGUI_EXPORT CComponentUI
  : public QTabWidget
  , public vComponentPanel
{
  Q_OBJECT
public:
  explicit CComponentUI(QWidget* parent = nullptr);

  void AddTabItem(int index, const std::string& name, QWidget* page) override;
  int GetNumberOfTabs() override { return this->count(); }
  void SelectTab(const std::string& name) override;
  /** The same selection step for a tab whose page changed. */
  void UpdateTab(const std::string& name) { this->SelectTab(name); }
  void HideTabs() override;
  void InitTab() override;
};

#endif
