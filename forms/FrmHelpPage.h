#pragma once

#include <QDialog>

class QPlainTextEdit;
class QKeyEvent;
class QPushButton;

// How to use the program: a fixed text that can be read, selected and copied
// but not changed. Shown modally; hidden, not destroyed, when closed, so that it
// keeps its size, position and scroll position.
class THelpPageForm : public QDialog {
    Q_OBJECT
public:
    explicit THelpPageForm(QWidget* parent = nullptr);

    // The modal result of the "Close" button.
    static constexpr int kCloseResult = 2;

    QPlainTextEdit* HelpMemo = nullptr;
    QPushButton* CloseBT = nullptr;

    void CloseBTClick();

protected:
    // Only the window's own button and its close box end it, not Escape.
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
};

// The help text, as it is built into the program.
QString HelpText();

extern THelpPageForm* HelpPageForm;
