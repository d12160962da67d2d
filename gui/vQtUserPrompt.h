#ifndef vQtUserPrompt_h
#define vQtUserPrompt_h

#include "VemoraGUIModule.h"
#include "vUserPrompt.h"

#include <QPointer> // for member
#include <QString>  // for the filter conversion

class QWidget;

/**
 * The user prompt of the window: message boxes with an OK button, Yes/No questions and the file
 * and folder dialogs of Qt, parented to the main window. The texts are shown as given.
 */
class VEMORAGUI_EXPORT vQtUserPrompt : public vUserPrompt
{
public:
  /** `parent` (borrowed, may be null) is the window the dialogs are modal to. */
  explicit vQtUserPrompt(QWidget* parent = nullptr);

  void Inform(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  std::string AskOpenFile(const std::string& filter, const std::string& folder) override;
  std::string AskSaveFile(const std::string& filter, const std::string& folder) override;
  std::string AskFolder(const std::string& folder) override;

  void SetParent(QWidget* parent) { this->Parent = parent; }

  /**
   * A dialog filter in the "Description|pattern;pattern|...|" form turned into Qt's
   * "Description (pattern pattern);;..." form. Empty pairs end the list; a filter without any
   * pair gives "" (every file).
   */
  static QString ToQtFilter(const std::string& filter);

private:
  QPointer<QWidget> Parent;
};

#endif
