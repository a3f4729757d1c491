// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QWidget>

class QListWidget;

// The help window: the help file beside the program, one list entry per line.
namespace marovane::ui {

class HelpWindow final : public QWidget {
  Q_OBJECT

 public:
  // A top-level window of its own (no owner), destroyed when the user closes it.
  HelpWindow();

  // Fills the list from the first help file that can be read, HelpFilePath() before
  // InstalledHelpFilePath(). When neither can, the list stays empty and `error` names both
  // places and why each failed.
  bool load(QString* error);

  // "Marovane.txt" in the directory that holds the program, whatever the working directory.
  static QString HelpFilePath();

  // Where an installed program's help text lies: share/marovane beside the program's bin.
  static QString InstalledHelpFilePath();

  // The lines of a help text: a line ends at CR, CR LF or LF, the end not included; a last
  // line without an end is a line; no empty entry follows a final line end. UTF-8.
  static QStringList HelpLines(const QByteArray& bytes);

 private:
  QListWidget* list_ = nullptr;
};

}  // namespace marovane::ui
