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

std::optional<QRect> AroundOnScreen(const QRect& mainFrame, const QSize& outer,
                                    const QSize& minimum, const QRect& available) {
    if (const auto beside = BesideOnScreen(mainFrame, outer, available))
        return QRect(*beside, outer);
    // The free bands right, left, below and above the main window.
    const QRect bands[] = {
        QRect(QPoint(mainFrame.right() + 1, available.top()), available.bottomRight()),
        QRect(available.topLeft(), QPoint(mainFrame.left() - 1, available.bottom())),
        QRect(QPoint(available.left(), mainFrame.bottom() + 1), available.bottomRight()),
        QRect(available.topLeft(), QPoint(available.right(), mainFrame.top() - 1)),
    };
    // Against the main window's side of the band, level with it as far as the
    // band allows.
    const auto placedIn = [&](std::size_t band, const QSize& size) {
        const QRect& area = bands[band];
        const QPoint wanted[] = {
            {area.left(), mainFrame.top()},
            {area.right() + 1 - size.width(), mainFrame.top()},
            {mainFrame.left(), area.top()},
            {mainFrame.left(), area.bottom() + 1 - size.height()},
        };
        return QRect(KeptOnScreen(QRect(wanted[band], size), area), size);
    };
    for (std::size_t i = 2; i < std::size(bands); ++i) {
        if (bands[i].width() >= outer.width() && bands[i].height() >= outer.height())
            return placedIn(i, outer);
    }
    std::optional<QRect> best;
    for (std::size_t i = 0; i < std::size(bands); ++i) {
        if (bands[i].width() < minimum.width() || bands[i].height() < minimum.height())
            continue;
        const QSize size = outer.boundedTo(bands[i].size());
        if (!best || size.width() * size.height() > best->width() * best->height())
            best = placedIn(i, size);
    }
    if (best || outer.height() > available.height())
        return best;
    // Over the lower or the upper part of the main window, whichever leaves
    // more of it free, as low as the window may be: the text scrolls what it
    // selects into the part left free, which a cover at one side would not.
    const QSize size(outer.width(), std::min(outer.height(), minimum.height()));
    const int freeAbove = available.bottom() + 1 - size.height() - mainFrame.top();
    const int freeBelow = mainFrame.bottom() + 1 - (available.top() + size.height());
    const int top =
        freeAbove >= freeBelow ? available.bottom() + 1 - size.height() : available.top();
    return QRect(KeptOnScreen(QRect(QPoint(mainFrame.left(), top), size), available), size);
}

std::optional<QPoint> RoomMadeOnScreen(const QRect& mainFrame, const QSize& outer,
                                       const QRect& available) {
    std::optional<QPoint> best;
    int bestDistance = 0;
    const auto consider = [&](QPoint place) {
        if (!available.contains(QRect(place, mainFrame.size())))
            return;
        const int distance = (place - mainFrame.topLeft()).manhattanLength();
        if (distance > 0 && (!best || distance < bestDistance)) {
            best = place;
            bestDistance = distance;
        }
    };
    if (outer.height() <= available.height()) {
        // Pushed left to leave room on the right, or right to leave it on the left.
        consider({available.right() + 1 - outer.width() - mainFrame.width(), mainFrame.top()});
        consider({available.left() + outer.width(), mainFrame.top()});
    }
    if (outer.width() <= available.width()) {
        consider({mainFrame.left(), available.bottom() + 1 - outer.height() - mainFrame.height()});
        consider({mainFrame.left(), available.top() + outer.height()});
    }
    return best;
}
