// Draws Fry's readability graph (extended form) from the geometry in
// report/FryGraph.h and writes it as the 800 x 581 baseline JPEG that the graph
// window shows. Run by hand when the drawing changes:
//
//   draw_fry_graph resources/frygraph.jpg [preview.png]
//
// Fry released the graph on condition that it is not altered, so everything
// on it comes from the shared tables; only the layout is decided here.

#include "image/JpegImage.h"
#include "report/FryGraph.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cstdio>
#include <exception>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 581;
constexpr int kPixelsPerInch = 96;
constexpr int kQuality = 95;

// The plotting frame inside the picture: the graph window places points by it.
constexpr double kLeft = kFryPictureLeft;
constexpr double kRight = kFryPictureRight;
constexpr double kTop = kFryPictureTop;
constexpr double kBottom = kFryPictureBottom;

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QPointF ToPixels(FryPoint p) {
    const FryPixel pixel = FryPixelOf(p);
    return {pixel.x, pixel.y};
}

QFont Font(double pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(pixels));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// A text centred on a point.
void DrawCentred(QPainter& painter, QPointF centre, const QString& text) {
    const QRectF box = QFontMetricsF(painter.font()).boundingRect(text);
    painter.drawText(
        QPointF(centre.x() - box.width() / 2,
                centre.y() + box.height() / 2 - QFontMetricsF(painter.font()).descent()),
        text);
}

// A text centred on a point over a white patch, which keeps it readable where
// it crosses the grid and the zone lines.
void DrawLabel(QPainter& painter, QPointF centre, const QString& text) {
    const QRectF box = QFontMetricsF(painter.font()).boundingRect(text).adjusted(-3, 0, 3, 0);
    painter.fillRect(box.translated(centre - box.center()), Qt::white);
    DrawCentred(painter, centre, text);
}

void DrawTitle(QPainter& painter) {
    painter.setPen(Qt::black);
    painter.setFont(Font(19, true));
    DrawCentred(painter, {kWidth / 2.0, 20}, Text(kFryTitle));
    painter.setFont(Font(12));
    DrawCentred(painter, {kWidth / 2.0, 42},
                QStringLiteral("Edward Fry's graph for estimating the reading age (grade level) of "
                               "a text from 100-word samples"));
}

void DrawGrid(QPainter& painter) {
    painter.setPen(QPen(QColor(170, 170, 170), 1));
    for (double s = kFrySyllablesMin + kFrySyllablesPerColumn; s < kFrySyllablesFrameMax;
         s += kFrySyllablesPerColumn) {
        painter.drawLine(ToPixels({s, 0}), ToPixels({s, kFryTopRow}));
    }
    for (int r = 1; r < kFryTopRow; ++r)
        painter.drawLine(ToPixels({kFrySyllablesMin, double(r)}),
                         ToPixels({kFrySyllablesFrameMax, double(r)}));
}

void DrawAxes(QPainter& painter) {
    painter.setPen(QPen(Qt::black, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(QPointF(kLeft, kTop), QPointF(kRight, kBottom)));

    painter.setFont(Font(11));
    for (double s = kFrySyllablesMin; s <= kFrySyllablesMax; s += kFrySyllablesPerLabel) {
        const QPointF foot = ToPixels({s, 0});
        painter.drawLine(foot, foot + QPointF(0, 4));
        DrawCentred(painter, foot + QPointF(0, 13), QString::number(s));
    }
    const QFontMetricsF metrics(painter.font());
    for (int r = 0; r <= kFryTopRow; ++r) {
        const QPointF edge = ToPixels({kFrySyllablesMin, double(r)});
        const QString label = Text(kFryRowLabels[r]);
        painter.drawLine(edge, edge - QPointF(4, 0));
        painter.drawText(QPointF(edge.x() - 7 - metrics.horizontalAdvance(label),
                                 edge.y() + metrics.capHeight() / 2),
                         label);
    }

    painter.setFont(Font(12, true));
    DrawCentred(painter, {(kLeft + kRight) / 2, kBottom + 37}, Text(kFryXCaption));
    painter.save();
    painter.translate(17, (kTop + kBottom) / 2);
    painter.rotate(-90);
    DrawCentred(painter, {0, 0}, Text(kFryYCaption));
    painter.restore();
}

QPolygonF Polygon(const auto& points) {
    QPolygonF polygon;
    for (const FryPoint& p : points)
        polygon << ToPixels(p);
    return polygon;
}

void DrawCorners(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawPolygon(Polygon(kFryLongSentencesCorner));

    QPolygonF longWords = Polygon(kFryLongWordsCurve);
    longWords << ToPixels({kFrySyllablesFrameMax, kFryTopRow})
              << ToPixels({kFryLongWordsCurve.front().s, kFryTopRow});
    painter.drawPolygon(longWords);

    painter.setPen(Qt::white);
    painter.setFont(Font(12, true));
    DrawCentred(painter, ToPixels({114.0, 1.0}), Text(kFryLongSentencesCaption).toUpper());
    painter.setFont(Font(14, true));
    DrawCentred(painter, ToPixels({163, 26.3}), Text(kFryLongWordsCaption).toUpper());
}

void DrawZones(QPainter& painter) {
    painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    for (const FryZoneBoundary& boundary : kFryZoneBoundaries) {
        const FrySegment segment = FryVisibleBoundary(boundary);
        painter.drawLine(ToPixels(segment.lower), ToPixels(segment.upper));
    }

    painter.setPen(Qt::black);
    for (int zone = kFryFirstZone; zone <= kFryLastZone; ++zone) {
        painter.setFont(Font(zone <= kFryLastGradeZone ? 18 : 14, true));
        DrawLabel(painter, ToPixels(FryZoneLabelPosition(zone)), QString::number(zone));
    }
    // The zones right of 12 are college years; one caption spans them.
    painter.setFont(Font(13, true));
    const FryPoint first = FryZoneLabelPosition(kFryLastGradeZone + 1);
    const FryPoint last = FryZoneLabelPosition(kFryLastZone);
    DrawLabel(painter, ToPixels({(first.s + last.s) / 2, first.r + 1.6}),
              QStringLiteral("COLLEGE"));
}

void DrawGuideCurve(QPainter& painter) {
    painter.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(Polygon(kFryGuideCurve));
}

QImage DrawGraph() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dotsPerMetre = static_cast<int>(kPixelsPerInch / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawTitle(painter);
    DrawGrid(painter);
    DrawZones(painter);
    DrawGuideCurve(painter);
    DrawCorners(painter);
    DrawAxes(painter);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.jpg [PREVIEW.png]\n", argv[0]);
        return 2;
    }
    // Drawing needs fonts but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    try {
        const QImage graph = DrawGraph();
        const QByteArray jpeg = EncodeJpeg(graph, kQuality, kPixelsPerInch);
        QFile output(QString::fromLocal8Bit(argv[1]));
        if (!output.open(QIODevice::WriteOnly) || output.write(jpeg) != jpeg.size()) {
            std::fprintf(stderr, "Cannot write %s: %s\n", argv[1],
                         qPrintable(output.errorString()));
            return 1;
        }
        if (argc == 3 && !graph.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
            std::fprintf(stderr, "Cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
