#ifndef vViewModulePage_h
#define vViewModulePage_h

#include <QMetaObject> // for member (connections)
#include <QPointer>    // for members

#include <string>
#include <utility>
#include <vector>

class QLabel;
class QVBoxLayout;
class QWidget;
class vViewModule;

/**
 * The page of a view module in the component panel: a Qt widget with the module's actions as
 * buttons (and number boxes) and a line that shows the module's reply. Each widget runs one of the
 * module's own commands, through `vViewModule::Command`, exactly as the console does.
 *
 * Ownership: this object belongs to the module; the widget it builds belongs to Qt. Once the module
 * has handed the widget to the component panel (`HandOver`), the panel's parent widget owns it and
 * nothing here deletes it; a widget never handed over is deleted with this object. The module's
 * code lives in a library that is unloaded after the module is released, while the widget may live
 * on in the panel: `Detach` (also run by the destructor) therefore cuts every connection into this
 * library and disables the widget, which is from then on a plain Qt widget.
 */
class vViewModulePage
{
public:
  /** A button: its text on the page, and the command it runs. */
  using Button = std::pair<std::string, std::string>;

  /** Builds the widget (no parent yet): the module's name and its reply line. */
  explicit vViewModulePage(vViewModule* module);
  ~vViewModulePage();
  vViewModulePage(const vViewModulePage&) = delete;
  vViewModulePage& operator=(const vViewModulePage&) = delete;

  /** The widget; null once Qt has destroyed it. */
  QWidget* GetWidget() const;
  /** Marks the widget as owned by the component panel from now on. */
  void HandOver() { this->HandedOver = true; }

  /**
   * A row of buttons under a title. Each button is named after its command (`objectName`), so
   * that scripts and tests find it.
   */
  void AddButtons(const std::string& title, const std::vector<Button>& buttons);
  /**
   * A number box (`minimum` to `maximum`) with a button that runs "`command` N"; the box is named
   * `command`, the button "`command` N".
   */
  void AddNumber(const std::string& title, const std::string& command, int minimum, int maximum);

  /** Runs a command of the module and shows its reply; -1 (and nothing run) once detached. */
  int RunCommand(const std::string& text);

  /** Cuts the connections to the module and disables the widget (the module is going away). */
  void Detach();

private:
  void Connect(QMetaObject::Connection connection);

  vViewModule* Module; // borrowed: the module owns this object
  std::string Name;
  QPointer<QWidget> Widget;
  QPointer<QVBoxLayout> Layout;
  QPointer<QLabel> Reply;
  std::vector<QMetaObject::Connection> Connections;
  bool HandedOver = false;
};

#endif
