#pragma once

#include <QFont>
#include <QString>

// The face the windows were laid out for. Where it is not installed, the
// application stands in a face of the same width for it.
inline QString DesignedFamily() {
    return QStringLiteral("MS Sans Serif");
}

// The designed face at a size in points; the windows' own text is 8 points.
inline QFont DesignedFont(int pointSize = 8) {
    return QFont(DesignedFamily(), pointSize);
}

// The designed face at a size in pixels, for the large captions.
inline QFont DesignedPixelFont(int pixelSize) {
    QFont font(DesignedFamily());
    font.setPixelSize(pixelSize);
    return font;
}
