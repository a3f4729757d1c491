// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QString>
#include <optional>

class QWidget;

// The modal boxes the windows show: message boxes and the file dialog. The windows talk to
// them only through this interface, so that a scripted stand-in can answer them.
namespace marovane::ui {

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows a modal message box and returns the button that closed it.
  virtual QMessageBox::StandardButton message(QWidget* parent, const QString& text,
                                              const QString& title, QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton) = 0;

  // The file dialog "Open file.": the path the user confirmed, or nothing when the dialog was
  // cancelled or failed. The file need not exist yet, and an existing one is taken without
  // asking, so the one dialog names new output files and picks batch input files.
  virtual std::optional<QString> chooseFile(QWidget* parent) = 0;

  // The dialog "Save image": a path ending in .png or .svg (.png when none is typed), or
  // nothing on cancel. Asks before an existing file is replaced.
  virtual std::optional<QString> chooseImageFile(QWidget* parent) = 0;
};

// The real boxes of the toolkit.
class QtDialogs final : public Dialogs {
 public:
  QMessageBox::StandardButton message(QWidget* parent, const QString& text, const QString& title,
                                      QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                      QMessageBox::StandardButton defaultButton) override;
  // Each dialog opens in the folder of the file last chosen in this run, with its name
  // filled in; a cancelled dialog leaves that name as it was.
  std::optional<QString> chooseFile(QWidget* parent) override;
  std::optional<QString> chooseImageFile(QWidget* parent) override;

 private:
  QString lastFile_;
};

// Title of every message box that names none of its own.
inline const QString kApplicationTitle = QStringLiteral("Marovane");

}  // namespace marovane::ui
