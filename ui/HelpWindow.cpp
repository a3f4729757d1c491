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
  resize(TwipsToPixels(layout::kHelpClientWidth, dpi), TwipsToPixels(layout::kHelpClientHeight, dpi));
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
  const QString path = HelpFilePath();
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("The help file %1 could not be read: %2.")
                 .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    *error = QStringLiteral("The help file %1 could not be read: %2.")
                 .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
  }
  list_->addItems(HelpLines(bytes));
  return true;
}

}  // namespace marovane::ui
