#include "Voxlet.h"

#include "CT4K2EditCtrl.h"

#include <QVBoxLayout>

Voxlet::Voxlet(QWidget* parent)
  : QWidget(parent)
{
  this->setObjectName(QStringLiteral("Voxlet"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  this->Edit = new CT4K2EditCtrl(this);
  this->Edit->setObjectName(QStringLiteral("1004"));
  layout->addWidget(this->Edit);
  this->setFocusProxy(this->Edit);
}

Voxlet::~Voxlet() = default;

void Voxlet::SetController(CVemoraCP* boss)
{
  this->controller = boss;
  this->Edit->SetController(boss);
}

void Voxlet::InitializeUI()
{
  this->hide();
  this->Edit->SetController(this->controller);
}

void Voxlet::Speak(const QString& text)
{
  this->Edit->Speak(text);
}
