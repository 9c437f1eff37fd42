#pragma once

#include <QApplication>
#include <QStringList>

#include <memory>
#include <vector>

class TMainForm;
class TNotFoundForm;
class TFryGraphForm;
class TReportForm;
class TAboutBox;
class THelpPageForm;
class TProgressForm;
class TDetailsForm;

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
    std::unique_ptr<TDetailsForm> detailsForm_; // refers to the main window's text area
};

// The process's own arguments, kept as their bytes. The toolkit takes its
// options (-style, -reverse, ...) out of the arguments it is given, and it is
// given only those before "--": after it, nothing is an option. Qt's own list
// of arguments is text and cannot name a file whose name is not UTF-8.
class StartupArguments {
public:
    StartupArguments(int argc, char** argv);

    // For the application object's constructor, which keeps both.
    int& ToolkitArgumentCount() { return toolkitCount_; }
    char** ToolkitArguments() { return toolkitArguments_.data(); }

    // The arguments the toolkit left, then "--" and every one after it, each as
    // FileNameText of its bytes.
    QStringList Remaining() const;

private:
    std::vector<char*> toolkitArguments_; // ends in nullptr, as argv does
    int toolkitCount_ = 0;
    std::vector<char*> afterOptionsEnd_;
    bool hasOptionsEnd_ = false;
};

// The file named on the command line (the first argument that is not an
// option, or the first after "--"), or the empty text for none.
QString StartupFileArgument(const QStringList& arguments);

// The whole desktop program after the application object exists: creates the
// windows, loads the file (when not empty), shows the main window and runs the
// event loop until it closes. Always gives 0, also when an error was shown.
int RunDesktopProgram(TApplication& application, const QString& file);
