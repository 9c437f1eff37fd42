#include "forms/FrmHelpPage.h"

#include "forms/DesignedFont.h"
#include "forms/ScreenPlacement.h"
#include "resources/ProgramIcon.h"

#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

THelpPageForm* HelpPageForm = nullptr;

namespace {

// The client area as laid out; the text area and the button keep their
// distances from its right and bottom edges when the window is resized.
constexpr int kClientWidth = 526;
constexpr int kClientHeight = 374;
constexpr QRect kMemoRect(8, 16, 506, 305);
constexpr QRect kCloseRect(439, 336, 75, 25);

} // namespace

QString HelpText() {
    QFile file(QStringLiteral(":/help.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

THelpPageForm::THelpPageForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("How to use the Scrivolux"));
    setWindowIcon(ProgramIcon());
    createControls();
    resize(kClientWidth, kClientHeight);
    // Small enough to get out of the way, large enough to keep the button whole.
    setMinimumSize(kCloseRect.width() + 24, kCloseRect.height() + 60);
    PlaceOnScreen(this, QPoint(633, 400));
}

void THelpPageForm::createControls() {
    HelpMemo = new QPlainTextEdit(this);
    HelpMemo->setGeometry(kMemoRect);
    HelpMemo->setFont(DesignedFont(10));
    HelpMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    HelpMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    HelpMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    HelpMemo->setPlainText(HelpText());
    // Read-only, yet the keyboard can still select and copy.
    HelpMemo->setReadOnly(true);
    HelpMemo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    CloseBT = new QPushButton(QStringLiteral("Close"), this);
    CloseBT->setGeometry(kCloseRect);
    // Enter in the text is no request to close the window.
    CloseBT->setAutoDefault(false);
    connect(CloseBT, &QPushButton::clicked, this, &THelpPageForm::CloseBTClick);
}

void THelpPageForm::CloseBTClick() {
    done(kCloseResult);
}

void THelpPageForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int growX = width() - kClientWidth;
    const int growY = height() - kClientHeight;
    HelpMemo->setGeometry(kMemoRect.adjusted(0, 0, growX, growY));
    CloseBT->setGeometry(kCloseRect.translated(growX, growY));
}

void THelpPageForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
