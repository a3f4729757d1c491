// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Dialogs.hpp"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
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

// Icons and type names by kind alone. The toolkit's own provider reads a file's first bytes to
// guess its type where the name does not tell it, and some files never answer a read: as root,
// /proc/kmsg holds the dialog forever.
class IconsByKind final : public QFileIconProvider {
 public:
  IconsByKind() : folder_(QFileIconProvider::icon(Folder)), file_(QFileIconProvider::icon(File)) {
    setOptions(DontUseCustomDirectoryIcons);
  }
  QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
  QIcon icon(const QFileInfo& info) const override { return info.isDir() ? folder_ : file_; }
  QString type(const QFileInfo& info) const override {
    if (info.isDir()) {
      return QStringLiteral("Folder");
    }
    return info.suffix().isEmpty() ? QStringLiteral("File")
                                   : info.suffix() + QStringLiteral(" File");
  }

 private:
  QIcon folder_;
  QIcon file_;
};

// The toolkit's own dialog, the same on every desktop and without one, which never opens a
// file to show it.
void MakePlain(QFileDialog& dialog, QAbstractFileIconProvider& icons) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontUseCustomDirectoryIcons);
  dialog.setIconProvider(&icons);
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
  IconsByKind icons;
  QFileDialog dialog(parent, QStringLiteral("Open file."));
  MakePlain(dialog, icons);
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
  IconsByKind icons;
  QFileDialog dialog(parent, QStringLiteral("Save image"));
  MakePlain(dialog, icons);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(
      {QStringLiteral("PNG image (*.png)"), QStringLiteral("SVG drawing (*.svg)")});
  dialog.setDefaultSuffix(QStringLiteral("png"));
  // The suffix follows the chosen filter when the name has none.
  QObject::connect(
      &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
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
