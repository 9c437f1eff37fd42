#include "forms/CaptionFitting.h"

#include <QLabel>
#include <QPushButton>
#include <QString>

void FitLabel(QLabel* label) {
    label->resize(label->size().expandedTo(label->sizeHint()));
}

namespace {

void Widen(QPushButton* button, int needed, Qt::Alignment anchor) {
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

} // namespace

void FitButton(QPushButton* button, Qt::Alignment anchor) {
    Widen(button, button->sizeHint().width(), anchor);
}

void FitButtonText(QPushButton* button, Qt::Alignment anchor) {
    constexpr int kTextMargin = 2; // on each side, so the text does not touch the frame
    QString caption = button->text();
    caption.remove(u'&');
    Widen(button, button->fontMetrics().horizontalAdvance(caption) + 2 * kTextMargin, anchor);
}
