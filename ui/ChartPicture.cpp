// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartPicture.hpp"

#include <QBuffer>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSvgGenerator>

#include "ui/ChartFigure.hpp"

namespace marovane::ui {

namespace {

// The width the chart is laid out at; the picture scales it to its own.
constexpr qreal kLayoutWidth = 800.0;

}  // namespace

std::optional<PictureKind> PictureKindOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("png")) {
    return PictureKind::Png;
  }
  if (suffix == QLatin1String("svg")) {
    return PictureKind::Svg;
  }
  return std::nullopt;
}

QByteArray ChartPicture(const ChartData& data, PictureKind kind, const QSize& pixels,
                        QString* error) {
  if (pixels.isEmpty()) {
    *error = QStringLiteral("a picture needs a width and a height");
    return {};
  }
  const qreal scale = pixels.width() / kLayoutWidth;
  const QRectF layout(0, 0, kLayoutWidth, pixels.height() / scale);

  // A chart of its own: the window's keeps its size, and the picture has no pointer readout.
  QGraphicsScene scene;
  auto* figure = new ChartFigure();
  scene.addItem(figure);
  figure->draw(data);
  figure->setGeometry(layout);
  figure->layout()->activate();

  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (kind == PictureKind::Png) {
    QImage image(pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)), layout);
    painter.end();
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
      *error = writer.errorString();
      return {};
    }
  } else {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(pixels);
    svg.setViewBox(layout);
    svg.setTitle(data.title());
    svg.setDescription(QStringLiteral("Marovane"));
    QPainter painter(&svg);
    scene.render(&painter, layout, layout);
    painter.end();
  }
  return buffer.data();
}

}  // namespace marovane::ui
