// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Dialogs.hpp"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace marovane::ui {

namespace {

// The entries of the type list. Each shows its caption alone and filters by the patterns in
// the last brackets: "All (*.*)" lists every file, names without a dot included.
const QString kText = QStringLiteral("Text (*.txt) (*.txt)");
const QString kCsv = QStringLiteral("Comma Separated Value (*.csv) (*.csv)");
const QString kAll = QStringLiteral("All (*.*) (*)");

// The entry under which `name` is listed, so that the dialog shows the file it preselects.
QString EntryFor(const QString& name) {
  if (name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
    return kText;
  }
  if (name.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) {
    return kCsv;
  }
  return kAll;
}

}  // namespace

QMessageBox::StandardButton QtDialogs::message(QWidget* parent, const QString& text,
                                               const QString& title, QMessageBox::Icon icon,
                                               QMessageBox::StandardButtons buttons,
                                               QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, title, text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> QtDialogs::chooseFile(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Open file."));
  // The toolkit's own dialog: it behaves the same on every desktop and without one.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters({kText, kCsv, kAll});
  if (!lastFile_.isEmpty()) {
    // The dialog opens where the last file was chosen, with its name filled in.
    const QFileInfo last(lastFile_);
    dialog.selectNameFilter(EntryFor(last.fileName()));
    if (last.dir().exists()) {
      dialog.setDirectory(last.dir());
    }
    dialog.selectFile(last.fileName());
  }
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) {
    return std::nullopt;
  }
  lastFile_ = files.front();
  return files.front();
}

std::optional<QString> QtDialogs::chooseImageFile(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("Save image"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters({QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG drawing (*.svg)")});
  dialog.setDefaultSuffix(QStringLiteral("png"));
  // The suffix follows the chosen filter when the name has none.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter.contains(QLatin1String("svg")) ? QStringLiteral("svg")
                                                                  : QStringLiteral("png"));
  });
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) {
    return std::nullopt;
  }
  return files.front();
}

}  // namespace marovane::ui
