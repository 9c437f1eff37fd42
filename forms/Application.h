#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <memory>
#include <utility>

class QWidget;
class TMainForm;
class TNotFoundForm;
class TFryGraphForm;
class TReportForm;
class TAboutBox;
class THelpPageForm;
class TProgressForm;

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
// stop icon, one OK button and the application title.
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

// The application object: an error that escapes an event handler is shown by
// the error display, and the program goes on waiting for the user.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The seven windows of a run, created hidden in their fixed order and destroyed
// in the reverse order, the main window (and with it the dictionary) last. Each
// is reachable through its application-wide reference while it exists; a window
// whose construction fails is left out, its error shown.
class StartupWindows {
public:
    StartupWindows();
    ~StartupWindows();
    StartupWindows(const StartupWindows&) = delete;
    StartupWindows& operator=(const StartupWindows&) = delete;

private:
    std::unique_ptr<TMainForm> mainForm_;
    std::unique_ptr<TNotFoundForm> notFoundForm_;
    std::unique_ptr<TFryGraphForm> fryGraphForm_;
    std::unique_ptr<TReportForm> reportForm_;
    std::unique_ptr<TAboutBox> aboutBox_;
    std::unique_ptr<THelpPageForm> helpPageForm_;
    std::unique_ptr<TProgressForm> progressForm_;
};

// The whole desktop program after the application object exists: creates the
// windows, shows the main window and runs the event loop until it closes.
// Always gives 0, also when an error was shown.
int RunDesktopProgram(TApplication& application);
