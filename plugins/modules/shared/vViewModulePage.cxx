#include "vViewModulePage.h"

#include "vViewModule.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWidget>

// Every text given to Qt here is made at run time (QString::fromStdString): a QString literal would
// point into this library, which may be unloaded while the widget lives on.
namespace
{
QString Text(const std::string& text)
{
  return QString::fromStdString(text);
}
} // namespace

vViewModulePage::vViewModulePage(vViewModule* module)
  : Module(module)
  , Name(module ? module->GetModuleName() : "")
{
  this->Widget = new QWidget;
  this->Widget->setObjectName(Text(this->Name));
  this->Layout = new QVBoxLayout(this->Widget);
  auto* title = new QLabel(Text(module ? module->GetModuleDesc() : this->Name), this->Widget);
  title->setWordWrap(true);
  this->Layout->addWidget(title);
  this->Reply = new QLabel(this->Widget);
  this->Reply->setObjectName(Text("reply"));
  this->Reply->setWordWrap(true);
  this->Reply->setTextInteractionFlags(Qt::TextSelectableByMouse);
  this->Layout->addWidget(this->Reply);
  this->Layout->addStretch(1);
}

vViewModulePage::~vViewModulePage()
{
  this->Detach();
  if (!this->HandedOver)
  {
    delete this->Widget.data();
  }
}

QWidget* vViewModulePage::GetWidget() const
{
  return this->Widget.data();
}

void vViewModulePage::Connect(QMetaObject::Connection connection)
{
  if (connection)
  {
    this->Connections.push_back(connection);
  }
}

void vViewModulePage::AddButtons(const std::string& title, const std::vector<Button>& buttons)
{
  if (!this->Widget || !this->Layout || !this->Module)
  {
    return;
  }
  auto* group = new QGroupBox(Text(title), this->Widget);
  auto* row = new QHBoxLayout(group);
  for (const Button& button : buttons)
  {
    auto* widget = new QPushButton(Text(button.first), group);
    widget->setObjectName(Text(button.second));
    std::string command = button.second;
    this->Connect(QObject::connect(
      widget, &QPushButton::clicked, [this, command]() { this->RunCommand(command); }));
    row->addWidget(widget);
  }
  // The groups come before the reply line.
  this->Layout->insertWidget(this->Layout->indexOf(this->Reply), group);
}

void vViewModulePage::AddNumber(const std::string& title,
  const std::string& command,
  int minimum,
  int maximum)
{
  if (!this->Widget || !this->Layout || !this->Module || maximum < minimum)
  {
    return;
  }
  auto* group = new QGroupBox(Text(title), this->Widget);
  auto* row = new QHBoxLayout(group);
  auto* box = new QSpinBox(group);
  box->setObjectName(Text(command));
  box->setRange(minimum, maximum);
  auto* button = new QPushButton(Text("set"), group);
  button->setObjectName(Text(command + " N"));
  QPointer<QSpinBox> value(box);
  this->Connect(QObject::connect(button,
    &QPushButton::clicked,
    [this, command, value]()
    {
      if (value)
      {
        this->RunCommand(command + " " + std::to_string(value->value()));
      }
    }));
  row->addWidget(box, 1);
  row->addWidget(button);
  this->Layout->insertWidget(this->Layout->indexOf(this->Reply), group);
}

int vViewModulePage::RunCommand(const std::string& text)
{
  if (!this->Module)
  {
    return -1;
  }
  int result = this->Module->Command(text.c_str());
  if (this->Reply)
  {
    this->Reply->setText(Text(this->Module->GetLastMessage()));
  }
  return result;
}

void vViewModulePage::Detach()
{
  for (const QMetaObject::Connection& connection : this->Connections)
  {
    QObject::disconnect(connection);
  }
  this->Connections.clear();
  if (this->Module && this->Reply)
  {
    this->Reply->setText(Text(this->Name + " is not loaded"));
  }
  if (this->Module && this->Widget)
  {
    this->Widget->setEnabled(false);
  }
  this->Module = nullptr;
}
