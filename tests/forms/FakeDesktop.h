#pragma once

#include "forms/Desktop.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <ostream>
#include <vector>

// Readable failure output for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{';
    for (const QString& text : texts) {
        PrintTo(text, out);
        *out << ' ';
    }
    *out << '}';
}

// A desktop that answers at once: records every message and pause, hands out
// queued file names and never sleeps.
class FakeDesktop : public Desktop {
public:
    void ShowMessage(QWidget*, const QString& text) override { messages << text; }
    void ShowError(QWidget*, const QString& text) override { errors << text; }
    bool AskYesNo(QWidget*, const QString& text) override {
        questions << text;
        if (yesNoAnswers.empty())
            return false;
        const bool yes = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return yes;
    }

    SaveChoice AskSaveChanges(QWidget*, const QString& text) override {
        saveQuestions << text;
        if (saveAnswers.empty())
            return SaveChoice::DontSave;
        const SaveChoice choice = saveAnswers.front();
        saveAnswers.pop_front();
        return choice;
    }

    QString GetOpenFileName(QWidget*, const QString& filter, const QString& suffix) override {
        filters << filter + QStringLiteral(" / ") + suffix;
        return Next(openNames);
    }
    QString GetSaveFileName(QWidget*, const QString& filter, const QString& suffix,
                            const QString& proposedPath) override {
        filters << filter + QStringLiteral(" / ") + suffix;
        proposedPaths << proposedPath;
        return Next(saveNames);
    }
    bool ChooseFont(QWidget*, QFont& font, QColor& color) override {
        if (!chooseFont)
            return false;
        return chooseFont(font, color);
    }
    void Pause(int milliseconds) override {
        pauses.push_back(milliseconds);
        if (onPause)
            onPause(milliseconds);
    }
    QString ExecutablePath() override { return executablePath; }
    void OpenUrl(const QString& url) override { urls << url; }

    QStringList messages;
    QStringList errors;
    QStringList questions;
    std::deque<bool> yesNoAnswers; // No once they run out
    QStringList saveQuestions;
    std::deque<SaveChoice> saveAnswers; // Don't Save once they run out
    QStringList filters;
    QStringList proposedPaths; // of the save dialog, "" when none was proposed
    QStringList urls;
    std::deque<QString> openNames;
    std::deque<QString> saveNames;
    std::vector<int> pauses;
    std::function<void(int)> onPause;
    std::function<bool(QFont&, QColor&)> chooseFont;
    QString executablePath = QStringLiteral("/nonexistent/scrivolux");

private:
    static QString Next(std::deque<QString>& names) {
        if (names.empty())
            return QString();
        QString name = names.front();
        names.pop_front();
        return name;
    }
};

// Installs a FakeDesktop for the lifetime of the guard.
class DesktopGuard {
public:
    explicit DesktopGuard(Desktop& desktop) { SetDesktop(&desktop); }
    ~DesktopGuard() { SetDesktop(nullptr); }
    DesktopGuard(const DesktopGuard&) = delete;
    DesktopGuard& operator=(const DesktopGuard&) = delete;
};

// Answers modal dialogs of one class as they come up: each newly shown one is
// handed to the next answer in turn. The answers run from a timer inside the
// dialog's own event loop, as a user's clicks would.
template <class Dialog> class ModalAnswers {
public:
    using Answer = std::function<void(Dialog*)>;

    ModalAnswers() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }

    // Adds the answer for the next dialog; the last answer is reused for any
    // further dialog when `repeatLast` is set.
    ModalAnswers& Then(Answer answer) {
        answers_.push_back(std::move(answer));
        return *this;
    }
    ModalAnswers& RepeatLast() {
        repeatLast_ = true;
        return *this;
    }

    int Answered() const { return answered_; }

private:
    void Poll() {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog == last_)
            return;
        Answer answer;
        if (static_cast<std::size_t>(answered_) < answers_.size())
            answer = answers_[static_cast<std::size_t>(answered_)];
        else if (repeatLast_ && !answers_.empty())
            answer = answers_.back();
        else
            return;
        last_ = dialog;
        ++answered_;
        answer(dialog);
    }

    QTimer timer_;
    std::vector<Answer> answers_;
    bool repeatLast_ = false;
    int answered_ = 0;
    QPointer<Dialog> last_;
};

// The path of a file among the test data.
inline QString TestData(const QString& name) {
    return QStringLiteral(SCRIVOLUX_TEST_DATA_DIR "/") + name;
}

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The application's top-level windows that are on screen.
inline std::vector<QWidget*> VisibleWindows() {
    std::vector<QWidget*> visible;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            visible.push_back(window);
    }
    return visible;
}
