#include "FileDialogs.h"

#include <QFileDialog>
#include <QStringList>

#include "platform/ExecutableFolder.h"
#include "project/Project.h"

namespace cz {

QString QtImageFilter(const std::string& filter) {
  const QString text = QString::fromStdString(filter);
  const QString description = text.section(QLatin1Char('|'), 0, 0).section(QLatin1Char('('), 0, 0);
  QStringList patterns;
  for (QString pattern : text.section(QLatin1Char('|'), 1).split(QLatin1Char(';'))) {
    pattern = pattern.trimmed();
    if (pattern.isEmpty()) continue;
    for (const QString& variant : {pattern.toUpper(), pattern.toLower()}) {
      if (!patterns.contains(variant)) patterns.append(variant);
    }
  }
  return description.trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
         QLatin1Char(')');
}

std::optional<std::string> ChooseProjectFileInDialog(QWidget* parent) {
  QFileDialog dialog(parent);
  dialog.setNameFilter(QString::fromUtf8(kProjectFileFilter));
  dialog.setDirectory(QString::fromStdString(ProgramDataFolder()));
  dialog.setDefaultSuffix(QString::fromUtf8(kProjectFileDefaultSuffix));
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> ChooseSourceImageInDialog(QWidget* parent,
                                                     const std::string& initialFolder,
                                                     const std::string& filter) {
  QFileDialog dialog(parent);
  dialog.setNameFilter(QtImageFilter(filter));
  dialog.setDirectory(QString::fromStdString(initialFolder));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace cz
