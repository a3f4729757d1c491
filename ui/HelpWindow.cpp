// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/HelpWindow.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QScreen>

#include "ui/FormLayout.hpp"

namespace marovane::ui {

HelpWindow::HelpWindow() : QWidget(nullptr) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Form2"));
  setAttribute(Qt::WA_DeleteOnClose);
  QFont font(QString::fromLatin1(fonts::kSans));
  font.setPointSizeF(fonts::kDefaultSize);
  setFont(font);

  const double dpi = screen()->logicalDotsPerInch();
  resize(TwipsToPixels(layout::kHelpClientWidth, dpi),
         TwipsToPixels(layout::kHelpClientHeight, dpi));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("List1"));
  list_->setGeometry(TwipsToPixels(layout::kHelpList1, dpi));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QString HelpWindow::HelpFilePath() {
  return QCoreApplication::applicationDirPath() + QDir::separator() +
         QStringLiteral("Marovane.txt");
}

QString HelpWindow::InstalledHelpFilePath() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                         QStringLiteral("/" MAROVANE_INSTALLED_HELP_DIR "/Marovane.txt"));
}

QStringList HelpWindow::HelpLines(const QByteArray& bytes) {
  QStringList lines;
  qsizetype start = 0;
  qsizetype i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      lines.append(QString::fromUtf8(bytes.mid(start, i - start)));
      i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < bytes.size()) {
    lines.append(QString::fromUtf8(bytes.mid(start)));
  }
  return lines;
}

bool HelpWindow::load(QString* error) {
  list_->clear();
  QStringList failures;
  for (const QString& path : {HelpFilePath(), InstalledHelpFilePath()}) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
      const QByteArray bytes = file.readAll();
      if (file.error() == QFileDevice::NoError) {
        list_->addItems(HelpLines(bytes));
        return true;
      }
    }
    failures.append(QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString());
  }
  *error = QStringLiteral("The help file Marovane.txt could not be read: %1.")
               .arg(failures.join(QStringLiteral("; ")));
  return false;
}

}  // namespace marovane::ui
