#include "vQtUserPrompt.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

vQtUserPrompt::vQtUserPrompt(QWidget* parent)
  : Parent(parent)
{
}

void vQtUserPrompt::Inform(const std::string& text)
{
  QMessageBox::information(
    this->Parent, QStringLiteral("Vemora"), QString::fromStdString(text), QMessageBox::Ok);
}

bool vQtUserPrompt::AskYesNo(const std::string& text)
{
  return QMessageBox::question(this->Parent,
           QStringLiteral("Vemora"),
           QString::fromStdString(text),
           QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString vQtUserPrompt::ToQtFilter(const std::string& filter)
{
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2)
  {
    const QString description = parts[i].trimmed();
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    patterns = patterns.simplified();
    if (description.isEmpty() && patterns.isEmpty())
    {
      break;
    }
    filters << QStringLiteral("%1 (%2)").arg(description, patterns.isEmpty() ? "*" : patterns);
  }
  return filters.join(QStringLiteral(";;"));
}

std::string vQtUserPrompt::AskOpenFile(const std::string& filter, const std::string& folder)
{
  return QFileDialog::getOpenFileName(
    this->Parent, QString(), QString::fromStdString(folder), ToQtFilter(filter))
    .toStdString();
}

std::string vQtUserPrompt::AskSaveFile(const std::string& filter, const std::string& folder)
{
  return QFileDialog::getSaveFileName(
    this->Parent, QString(), QString::fromStdString(folder), ToQtFilter(filter))
    .toStdString();
}

std::string vQtUserPrompt::AskFolder(const std::string& folder)
{
  return QFileDialog::getExistingDirectory(this->Parent, QString(), QString::fromStdString(folder))
    .toStdString();
}
