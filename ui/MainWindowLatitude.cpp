// SPDX-License-Identifier: GPL-3.0-or-later
// The latitude boxes of the main window: the decimal box and the degree, minute, second and
// hemisphere boxes kept in step by key releases.
#include <QLineEdit>

#include "text/LatitudeForms.hpp"
#include "text/NumberText.hpp"
#include "ui/Dialogs.hpp"
#include "ui/LatitudeKeys.hpp"
#include "ui/HelpWindow.hpp"
#include "ui/MainWindow.hpp"

namespace marovane::ui {

namespace {

std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

}  // namespace

void MainWindow::watchLatitudeBoxes() {
  keys_ = new LatitudeKeys(this);
  keys_->watch(txtLat_, LatitudeKeys::Filter::Decimal, 99);
  keys_->watch(txtLatGrad_, LatitudeKeys::Filter::Digits, 2);
  keys_->watch(txtLatMin_, LatitudeKeys::Filter::Digits, 2);
  keys_->watch(txtLatSec_, LatitudeKeys::Filter::Digits, 2);
  keys_->watch(txtLatNS_, LatitudeKeys::Filter::Hemisphere, 1);
  connect(keys_, &LatitudeKeys::keyReleased, this,
          [this](QLineEdit* box) { guarded([&] { latitudeKeyReleased(box); }); });
  connect(keys_, &LatitudeKeys::hemisphereRefused, this, &MainWindow::hemisphereRefused);
}

void MainWindow::latitudeKeyReleased(QLineEdit* box) {
  if (box == txtLat_) {
    txtLatKeyReleased();
  } else {
    DmsToDecimal();
  }
}

void MainWindow::txtLatKeyReleased() {
  // The range is judged on the single value: "90.000001" is exactly 90 there.
  latitude_.Lat = static_cast<float>(LeadingNumber(Text(txtLat_)));
  if (latitude_.Lat >= -90.0f && latitude_.Lat <= 90.0f) {
    giveOldies();
    return;
  }
  say(QString::fromUtf8(LatitudeCheckMessage(LatitudeCheck::OutOfRange)),
      QString::fromUtf8(kStrangeLocation), QMessageBox::Critical);
  txtLat_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::giveOldies() {
  const Dms dms = DecimalToDms(Text(txtLat_));
  latitude_.Lat = dms.latitude;
  latitude_.LatGrad = dms.degrees;
  latitude_.LatMin = dms.minutes;
  latitude_.LatSec = dms.seconds;
  latitude_.LatNS = QString::fromStdString(dms.hemisphere);
  txtLatGrad_->setText(QString::number(latitude_.LatGrad));
  txtLatMin_->setText(QString::number(latitude_.LatMin));
  txtLatSec_->setText(QString::number(latitude_.LatSec));
  txtLatNS_->setText(latitude_.LatNS);
}

void MainWindow::DmsToDecimal() {
  txtLat_->setText(QString::fromStdString(
      DmsToDecimalText(Text(txtLatGrad_), Text(txtLatMin_), Text(txtLatSec_), Text(txtLatNS_))));
}

void MainWindow::hemisphereRefused() {
  say(QStringLiteral("S for South or N for North. That's all."), QString(),
      QMessageBox::NoIcon);
}

}  // namespace marovane::ui
