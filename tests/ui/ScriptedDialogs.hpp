// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QString>
#include <deque>
#include <functional>
#include <optional>

#include "ui/Dialogs.hpp"

// Stands in for the message boxes and the file dialog: each test lists the boxes it expects,
// in order, with the answer to give. A box that was not expected, or that differs in text,
// title, icon or buttons, fails the running test.
class ScriptedDialogs final : public marovane::ui::Dialogs {
 public:
  struct Box {
    Box(QString text_, QString title_, QMessageBox::Icon icon_,
        QMessageBox::StandardButtons buttons_ = QMessageBox::Ok,
        QMessageBox::StandardButton answer_ = QMessageBox::Ok,
        std::optional<QMessageBox::StandardButton> defaultButton_ = std::nullopt)
        : text(std::move(text_)),
          title(std::move(title_)),
          icon(icon_),
          buttons(buttons_),
          answer(answer_),
          defaultButton(defaultButton_) {}

    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    std::optional<QMessageBox::StandardButton> defaultButton;  // checked when given
    bool textIsPrefix = false;        // the box's text need only start with `text`
    std::function<void()> whileOpen;  // runs while the box would be on screen
  };

  void expectBox(Box box);
  void expectFile(std::optional<QString> answer, std::function<void()> whileOpen = {});
  void expectImageFile(std::optional<QString> answer);

  // Forgets what was expected and shown.
  void reset() {
    expected_.clear();
    shown_ = 0;
    lastText_.clear();
  }

  // True when every expected box has been shown.
  bool done() const { return expected_.empty(); }
  std::size_t shown() const { return shown_; }
  QString lastText() const { return lastText_; }

  QMessageBox::StandardButton message(QWidget* parent, const QString& text, const QString& title,
                                      QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                      QMessageBox::StandardButton defaultButton) override;
  std::optional<QString> chooseFile(QWidget* parent) override;
  std::optional<QString> chooseImageFile(QWidget* parent) override;

 private:
  struct Expected {
    bool isFile = false;
    bool isImage = false;  // the image dialog rather than "Open file."
    Box box;
    std::optional<QString> file;
  };
  std::deque<Expected> expected_;
  std::size_t shown_ = 0;
  QString lastText_;
};
