#include "forms/FrmFryGraph.h"

#include "analysis/PassageDetails.h"
#include "forms/ScreenPlacement.h"
#include "image/JpegImage.h"
#include "report/FryGraph.h"
#include "report/ReadabilityIndices.h"
#include "report/ReportFigures.h"
#include "resources/ProgramIcon.h"

#include <QFile>
#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

TFryGraphForm* FryGraphForm = nullptr;

QImage LoadFryGraphPicture() {
    QFile file(QStringLiteral(":/frygraph.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        throw JpegError("The picture of Fry's graph is missing from the program");
    return DecodeJpeg(file.readAll());
}

TFryGraphForm::TFryGraphForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Fry's Graph"));
    setWindowIcon(ProgramIcon());
    createControls();
    // The border may look sizeable, but the client area keeps the picture's size.
    setFixedSize(kPictureWidth, kPictureHeight);
    PlaceOnScreen(this, QPoint(586, 342));
}

void TFryGraphForm::createControls() {
    FryImage = new QLabel(this);
    FryImage->move(0, 0);
    FryImage->setFixedSize(kPictureWidth, kPictureHeight);
    FryImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture_ = LoadFryGraphPicture();
    FryImage->setPixmap(QPixmap::fromImage(picture_));
    FryImage->setAccessibleName(QStringLiteral("Fry's graph"));
    FryImage->setAccessibleDescription(QStringLiteral("No passage analysed yet"));
}

void TFryGraphForm::Follow(CurrentAnalysis* analysis) {
    connect(analysis, &CurrentAnalysis::analysisChanged, this,
            [this, analysis](CurrentAnalysis::Change change) {
                if (change != CurrentAnalysis::Change::TextEdited && analysis->Details())
                    ShowPassage(analysis->Details()->counts);
            });
}

void TFryGraphForm::SetMarkPassage(bool mark) {
    markPassage_ = mark;
    if (passage_)
        ShowPassage(*passage_);
}

void TFryGraphForm::ShowPassage(const AnalysisCounts& counts) {
    passage_ = counts;
    if (!markPassage_) {
        FryImage->setPixmap(QPixmap::fromImage(picture_));
        FryImage->setAccessibleDescription(QStringLiteral("Fry's graph, without the passage"));
        return;
    }
    const ReportValues values = ComputeReportValues(counts);
    const auto& s = values[static_cast<std::size_t>(FigureRow::SyllPH)];
    const auto& y = values[static_cast<std::size_t>(FigureRow::SentPH)];
    if (!s || !y || counts.sentences == 0) {
        ClearPassage();
        return;
    }
    FryImage->setPixmap(QPixmap::fromImage(FryPictureWithPoint(picture_, *s, *y)));
    FryImage->setAccessibleDescription(
        QStringLiteral("The passage: %1 syllables and %2 sentences per 100 words, %3")
            .arg(*s, 0, 'f', 1)
            .arg(*y, 0, 'f', 1)
            .arg(QString::fromStdString(FryGradeText(ReadFryGraph(*s, *y)))));
}

void TFryGraphForm::ClearPassage() {
    passage_.reset();
    FryImage->setPixmap(QPixmap::fromImage(picture_));
    FryImage->setAccessibleDescription(QStringLiteral("No passage analysed yet"));
}

QPointF FryPointOnPicture(double syllablesPer100Words, double sentencesPer100Words, bool& pinned) {
    const double row = FryRowOfSentences(std::max(sentencesPer100Words, 1e-9));
    const FryPixel pixel = FryPixelOf({syllablesPer100Words, row});
    const double x = std::clamp(pixel.x, kFryPictureLeft, kFryPictureRight);
    const double y = std::clamp(pixel.y, kFryPictureTop, kFryPictureBottom);
    pinned = x != pixel.x || y != pixel.y || !std::isfinite(pixel.x) || !std::isfinite(pixel.y);
    return {x, y};
}

QImage FryPictureWithPoint(const QImage& picture, double syllablesPer100Words,
                           double sentencesPer100Words) {
    QImage image = picture.convertToFormat(QImage::Format_RGB32);
    bool pinned = false;
    const QPointF at = FryPointOnPicture(syllablesPer100Words, sentencesPer100Words, pinned);
    const FryReading reading = ReadFryGraph(syllablesPer100Words, sentencesPer100Words);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Red stands out on the black-on-white drawing, and on its black corners.
    const QColor mark(0xD0, 0x10, 0x10);
    painter.setPen(QPen(mark, 2));
    if (pinned) {
        // An arrow on the frame's edge, pointing the way the point lies.
        const FryPixel real = FryPixelOf(
            {syllablesPer100Words, FryRowOfSentences(std::max(sentencesPer100Words, 1e-9))});
        QPointF direction(real.x - at.x(), real.y - at.y());
        const double length = std::hypot(direction.x(), direction.y());
        direction = length > 0 && std::isfinite(length) ? direction / length : QPointF(1, 0);
        const QPointF tip = at;
        const QPointF tail = tip - direction * 22;
        const QPointF side(-direction.y(), direction.x());
        painter.drawLine(tail, tip);
        QPainterPath head;
        head.moveTo(tip);
        head.lineTo(tip - direction * 9 + side * 5);
        head.lineTo(tip - direction * 9 - side * 5);
        head.closeSubpath();
        painter.fillPath(head, mark);
    } else {
        painter.setBrush(mark);
        painter.drawEllipse(at, 5, 5);
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, 6.5, 6.5);
    }

    QString label = QString::fromStdString(FryGradeText(reading));
    if (pinned)
        label = QStringLiteral("%1 (%2, %3)")
                    .arg(label)
                    .arg(syllablesPer100Words, 0, 'f', 0)
                    .arg(sentencesPer100Words, 0, 'f', 1);
    QFont font = painter.font();
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    QRectF box = metrics.boundingRect(label).adjusted(-4, -2, 4, 2);
    // Beside the point, kept inside the picture.
    box.moveTopLeft(at + QPointF(10, -box.height() - 6));
    if (box.right() > image.width() - 2)
        box.moveRight(at.x() - 10);
    if (box.top() < 2)
        box.moveTop(at.y() + 8);
    painter.setPen(QPen(mark, 1));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(box, 3, 3);
    painter.setPen(mark.darker(130));
    painter.drawText(box, Qt::AlignCenter, label);
    painter.end();
    return image;
}
