#include "forms/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QPoint KeptOnScreen(const QRect& frame, const QRect& available) {
    const auto fit = [](int position, int length, int start, int areaLength) {
        position = std::min(position, start + areaLength - length);
        return std::max(position, start);
    };
    return {fit(frame.x(), frame.width(), available.x(), available.width()),
            fit(frame.y(), frame.height(), available.y(), available.height())};
}

void PlaceOnScreen(QWidget* window, const QPoint& designed) {
    QScreen* screen = QGuiApplication::screenAt(designed);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    QSize outer = window->frameGeometry().size();
    // Before the window is first shown the window manager has not told us its
    // frame; allow for a usual title bar and border so the frame fits as well.
    if (outer == window->size() && !window->windowFlags().testFlag(Qt::FramelessWindowHint))
        outer += QSize(8, 34);
    const QPoint place =
        screen ? KeptOnScreen(QRect(designed, outer), screen->availableGeometry()) : designed;
    window->move(place);
}
