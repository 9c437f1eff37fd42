#include "forms/CaptionFitting.h"

#include <QLabel>
#include <QPushButton>

void FitLabel(QLabel* label) {
    label->resize(label->size().expandedTo(label->sizeHint()));
}

void FitButton(QPushButton* button, Qt::Alignment anchor) {
    const int needed = button->sizeHint().width();
    const QRect designed = button->geometry();
    if (needed <= designed.width())
        return;
    const int growth = needed - designed.width();
    int left = designed.left();
    if (anchor & Qt::AlignRight)
        left -= growth;
    else if (anchor & Qt::AlignHCenter)
        left -= growth / 2;
    button->setGeometry(left, designed.top(), needed, designed.height());
}
