#pragma once

#include <QString>

#include <exception>
#include <utility>

class QWidget;

// The title that captions the program's message boxes: the executable's file
// name without its folder and without everything from its first full stop on,
// its first character upper-cased and the rest lower-cased ("scrivolux" and
// "SCRIVOLUX.EXE" both give "Scrivolux"). An empty name gives the empty title.
QString ApplicationTitle(const QString& executablePath);

// The message as the error display shows it: a full stop is appended when the
// message is not empty and its last character's code is above that of "." (46),
// so a message already ending in ".", ")" or a quote mark stays as it is.
QString WithFullStop(const QString& message);

// The error display: the message, with the full-stop rule, in a box with the
// stop icon, one OK button and the application title. Invisible format and
// control characters in it are shown as VisibleText shows them.
void ShowErrorDisplay(QWidget* parent, const QString& message);

// Shows the exception being handled through the error display; an exception that
// is not a std::exception carries no message and shows the empty text. Call it
// only inside a catch block.
void ShowCurrentException(QWidget* parent = nullptr);

// Wraps a handler so that an error escaping it reaches the error display instead
// of unwinding through the toolkit's signal code, which is not exception-safe.
template <class Handler> auto Guarded(QWidget* parent, Handler handler) {
    return [parent, handler = std::move(handler)]() {
        try {
            handler();
        } catch (...) {
            ShowCurrentException(parent);
        }
    };
}
