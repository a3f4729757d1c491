#include "ui/Dialogs.hpp"

#include <QFileDialog>
#include <QStringList>

namespace marovane::ui {

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
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters({QStringLiteral("Text (*.txt)"),
                         QStringLiteral("Comma Separated Value (*.csv)"),
                         QStringLiteral("All (*.*)")});
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) {
    return std::nullopt;
  }
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
