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
    const QSize outer = OuterSize(window);
    const QPoint place =
        screen ? KeptOnScreen(QRect(designed, outer), screen->availableGeometry()) : designed;
    window->move(place);
}

QSize OuterSize(const QWidget* window) {
    QSize outer = window->frameGeometry().size();
    // Allow for a usual title bar and border so the frame fits as well.
    if (outer == window->size() && !window->windowFlags().testFlag(Qt::FramelessWindowHint))
        outer += QSize(8, 34);
    return outer;
}

std::optional<QPoint> BesideOnScreen(const QRect& mainFrame, const QSize& outer,
                                     const QRect& available) {
    if (outer.height() > available.height())
        return std::nullopt;
    const int top = std::clamp(mainFrame.top(), available.top(),
                               available.top() + available.height() - outer.height());
    if (mainFrame.right() + 1 + outer.width() <= available.right() + 1)
        return QPoint(mainFrame.right() + 1, top);
    if (mainFrame.left() - outer.width() >= available.left())
        return QPoint(mainFrame.left() - outer.width(), top);
    return std::nullopt;
}
