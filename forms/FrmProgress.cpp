#include "forms/FrmProgress.h"

#include "forms/CaptionFitting.h"
#include "forms/DesignedFont.h"
#include "forms/FrmMain.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>
#include <QWindow>

TProgressForm* ProgressForm = nullptr;

namespace {

// A pass reports after every word, far more often than the bar can change; when
// the bar stands still, events are still processed this often so that the
// program keeps answering during a long pass.
constexpr qint64 kEventIntervalMs = 40;

QProgressBar* MakeBar(QWidget* parent, int top) {
    auto* bar = new QProgressBar(parent);
    bar->setGeometry(16, top, 329, 16);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QLabel* MakeCaption(QWidget* parent, const char* text, int top, int width) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(16, top, width, 17);
    FitLabel(label);
    return label;
}

} // namespace

TProgressForm::TProgressForm(QWidget* owner)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      owner_(owner) {
    setWindowTitle(QStringLiteral("ProgressForm"));
    setFont(DesignedFont());
    setFixedSize(361, 191);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    SyllST = MakeCaption(this, "Counting Syllables:", 16, 93);
    SyllPB = MakeBar(this, 40);
    WordST = MakeCaption(this, "Counting Words:", 72, 83);
    WordPB = MakeBar(this, 96);
    SentST = MakeCaption(this, "Counting Sentences:", 128, 103);
    SentPB = MakeBar(this, 152);
    sinceEvents_.start();
}

void TProgressForm::SetSyllableProgress(int percent) {
    setProgress(SyllPB, percent);
}

void TProgressForm::SetWordProgress(int percent) {
    setProgress(WordPB, percent);
}

void TProgressForm::SetSentenceProgress(int percent) {
    setProgress(SentPB, percent);
}

void TProgressForm::setProgress(QProgressBar* bar, int percent) {
    const bool moved = bar->value() != percent;
    if (!moved && !sinceEvents_.hasExpired(kEventIntervalMs))
        return;
    if (moved)
        bar->setValue(percent);
    QCoreApplication::processEvents();
    sinceEvents_.restart();
}

void TProgressForm::FormShow() {
    const QWidget* main = MainForm ? static_cast<const QWidget*>(MainForm) : owner_;
    if (!main)
        return;
    const QRect outer = main->frameGeometry();
    // The window has no frame, so its outer size is its own size.
    move(outer.x() + (outer.width() - width()) / 2, outer.y() + (outer.height() - height()) / 2);
}

void TProgressForm::showEvent(QShowEvent* event) {
    if (!event->spontaneous())
        FormShow();
    QWidget::showEvent(event);
    if (owner_ && owner_->windowHandle() && windowHandle())
        windowHandle()->setTransientParent(owner_->windowHandle());
}
