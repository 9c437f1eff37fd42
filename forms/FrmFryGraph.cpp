#include "forms/FrmFryGraph.h"

#include "forms/ScreenPlacement.h"
#include "image/JpegImage.h"
#include "resources/ProgramIcon.h"

#include <QFile>
#include <QLabel>
#include <QPixmap>

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
    FryImage->setPixmap(QPixmap::fromImage(LoadFryGraphPicture()));
}
