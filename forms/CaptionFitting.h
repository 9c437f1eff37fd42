#pragma once

#include <Qt>

class QLabel;
class QPushButton;

// The windows keep their designed control positions, but the face that stands in
// for "MS Sans Serif" may be wider than the one they were designed with; these
// keep every text whole.

// Sizes a label to its text (at least its designed size), keeping its top-left.
void FitLabel(QLabel* label);

// Widens a button whose caption does not fit, growing it away from the side it
// is anchored to (Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter).
void FitButton(QPushButton* button, Qt::Alignment anchor);

// Keeps a button at its designed size unless its caption's text itself would
// be cut: the style's minimum width and padding do not count, so a short
// caption never widens a button the design gives a size.
void FitButtonText(QPushButton* button, Qt::Alignment anchor);
