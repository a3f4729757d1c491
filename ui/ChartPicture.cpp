// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ChartPicture.hpp"

#include <QBuffer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include "ui/ChartFigure.hpp"

namespace marovane::ui {

namespace {

// The width the chart is laid out at; the picture scales it to its own.
constexpr qreal kLayoutWidth = 800.0;
// The resolution of the PNG's image, at which a point of type has the same size in both.
constexpr int kPictureDpi = 96;

// What the generator writes, made to show alike in every viewer: a size in pixels rather than
// millimetres, a family that every viewer has, and the title centred on its middle rather
// than starting where this machine's face would centre it.
QByteArray ForViewers(const QByteArray& svg, const QSize& pixels, const QString& title,
                      qreal titleWidth) {
  QString text = QString::fromUtf8(svg);
  text.replace(
      QRegularExpression(QStringLiteral("<svg width=\"[^\"]*\" height=\"[^\"]*\"")),
      QStringLiteral("<svg width=\"%1\" height=\"%2\"").arg(pixels.width()).arg(pixels.height()));
  text.replace(QRegularExpression(QStringLiteral("font-family=\"[^\"]*\"")),
               QStringLiteral("font-family=\"sans-serif\""));
  const qsizetype end =
      text.indexOf(QLatin1Char('>') + title.toHtmlEscaped() + QStringLiteral("</text>"));
  const qsizetype start = end < 0 ? -1 : text.lastIndexOf(QStringLiteral("<text "), end);
  if (start >= 0) {
    static const QRegularExpression x(QStringLiteral(" x=\"([^\"]*)\""));
    const QRegularExpressionMatch found = x.match(text.mid(start, end - start));
    if (found.hasMatch()) {
      const double middle = found.captured(1).toDouble() + titleWidth / 2;
      text.replace(start + found.capturedStart(), found.capturedLength(),
                   QStringLiteral(" x=\"%1\" text-anchor=\"middle\"").arg(middle));
    }
  }
  return text.toUtf8();
}

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
    svg.setResolution(kPictureDpi);
    svg.setTitle(data.title());
    svg.setDescription(QStringLiteral("Marovane"));
    QPainter painter(&svg);
    scene.render(&painter, layout, layout);
    painter.end();
    return ForViewers(buffer.data(), pixels, figure->title(),
                      QFontMetricsF(figure->titleFont()).horizontalAdvance(figure->title()));
  }
  return buffer.data();
}

}  // namespace marovane::ui
