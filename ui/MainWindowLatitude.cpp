// SPDX-License-Identifier: GPL-3.0-or-later
// The latitude boxes of the main window: the decimal box and the degree, minute, second and
// hemisphere boxes kept in step by key releases.
#include <QLineEdit>

#include "text/LatitudeEntry.hpp"
#include "ui/Dialogs.hpp"
#include "ui/HelpWindow.hpp"
#include "ui/LatitudeKeys.hpp"
#include "ui/MainWindow.hpp"

namespace marovane::ui {

namespace {

std::string Text(const QLineEdit* box) {
  return box->text().toStdString();
}

}  // namespace

void MainWindow::watchLatitudeBoxes() {
  keys_ = new LatitudeKeys(this);
  keys_->watch(txtLat_, LatitudeBox::Decimal);
  keys_->watch(txtLatGrad_, LatitudeBox::Degrees);
  keys_->watch(txtLatMin_, LatitudeBox::Minutes);
  keys_->watch(txtLatSec_, LatitudeBox::Seconds);
  keys_->watch(txtLatNS_, LatitudeBox::Hemisphere);
  connect(keys_, &LatitudeKeys::keyReleased, this,
          [this](QLineEdit* box) { guarded([&] { latitudeKeyReleased(box); }); });
  connect(keys_, &LatitudeKeys::hemisphereRefused, this, &MainWindow::hemisphereRefused);
}

LatitudeTexts MainWindow::latitudeTexts() const {
  return {Text(txtLat_), Text(txtLatGrad_), Text(txtLatMin_), Text(txtLatSec_), Text(txtLatNS_)};
}

void MainWindow::latitudeKeyReleased(QLineEdit* box) {
  if (box == txtLat_) {
    txtLatKeyReleased();
  } else {
    DmsToDecimal();
  }
}

void MainWindow::txtLatKeyReleased() {
  const LatitudeReaction reaction = LatitudeKeyReleased(LatitudeBox::Decimal, latitudeTexts());
  if (!reaction.strange) {
    showDegrees(reaction);
    return;
  }
  latitude_.Lat = reaction.dms.latitude;
  say(QString::fromUtf8(LatitudeCheckMessage(LatitudeCheck::OutOfRange)),
      QString::fromUtf8(kStrangeLocation), QMessageBox::Critical);
  txtLat_->setFocus(Qt::OtherFocusReason);
}

void MainWindow::DmsToDecimal() {
  const LatitudeReaction reaction = LatitudeKeyReleased(LatitudeBox::Degrees, latitudeTexts());
  txtLat_->setText(QString::fromStdString(reaction.texts.decimal));
}

void MainWindow::giveOldies() {
  showDegrees(FillDegreeBoxes(latitudeTexts()));
}

void MainWindow::showDegrees(const LatitudeReaction& filled) {
  latitude_.Lat = filled.dms.latitude;
  latitude_.LatGrad = filled.dms.degrees;
  latitude_.LatMin = filled.dms.minutes;
  latitude_.LatSec = filled.dms.seconds;
  latitude_.LatNS = QString::fromStdString(filled.dms.hemisphere);
  txtLatGrad_->setText(QString::fromStdString(filled.texts.degrees));
  txtLatMin_->setText(QString::fromStdString(filled.texts.minutes));
  txtLatSec_->setText(QString::fromStdString(filled.texts.seconds));
  txtLatNS_->setText(QString::fromStdString(filled.texts.hemisphere));
}

void MainWindow::hemisphereRefused() {
  say(QString::fromUtf8(kHemisphereOnly), QString(), QMessageBox::NoIcon);
}

}  // namespace marovane::ui
