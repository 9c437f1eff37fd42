#include "forms/FrmNotFound.h"

#include "analysis/SyllableEstimate.h"
#include "dictionary/Dictionary.h"
#include "dictionary/IntegerConversion.h"
#include "dictionary/NotFoundMessages.h"
#include "forms/CaptionFitting.h"
#include "forms/DesignedFont.h"
#include "forms/Desktop.h"
#include "forms/ScreenPlacement.h"
#include "forms/ShownText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include <algorithm>
#include <optional>

TNotFoundForm* NotFoundForm = nullptr;

namespace {

QPushButton* MakeButton(QWidget* parent, const char* text, int top) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setGeometry(88, top, 193, 25);
    // No default button: the dialog presses a button on Enter only while it has
    // the focus (keyPressEvent), and the edit's Enter means "Continue using given count".
    button->setAutoDefault(false);
    return button;
}

// A word up to this many characters is shown whole in the tool tip.
constexpr qsizetype kWholeWordShown = 400;

} // namespace

TNotFoundForm::TNotFoundForm(QWidget* owner)
    : QDialog(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      owner_(owner) {
    setWindowTitle(QStringLiteral("Word Not Found"));
    setFont(DesignedFont());
    setFixedSize(367, 244);
    setBackgroundRole(QPalette::Button);
    createControls();
    PlaceOnScreen(this, QPoint(850, 521));
}

void TNotFoundForm::createControls() {
    WordLB = new QLabel(this);
    WordLB->setTextFormat(Qt::PlainText);
    WordLB->setFont(DesignedPixelFont(19));
    WordLB->setGeometry(40, 48, 68, 24);

    NotFoundST = new QLabel(
        QStringLiteral("The following word was not found in the loaded dictionary."), this);
    NotFoundST->setGeometry(8, 16, 278, 17);

    SyllableEdit = new QLineEdit(this);
    SyllableEdit->setGeometry(192, 88, 121, 21);
    SyllableEdit->installEventFilter(this);
    // The caption stands left of the edit with 3 pixels between them, centred on it.
    SyllableEditLabel = new QLabel(QStringLiteral("Enter the syllable count for this word:"), this);
    SyllableEditLabel->setGeometry(192 - 3 - 173, 88 + (21 - 13) / 2, 173, 13);
    SyllableEditLabel->setBuddy(SyllableEdit);

    // A suggestion to type at a glance; the edit itself stays empty.
    EstimateLB = new QLabel(this);
    EstimateLB->setTextFormat(Qt::PlainText);
    EstimateLB->setGeometry(192, 88 + 21 + 4, 160, 16);
    EstimateLB->setAccessibleName(QStringLiteral("Estimated syllable count"));

    AddMemBT = MakeButton(this, "Continue using given count", 144);
    IgnoreBT = MakeButton(this, "Ignore word  (0 syllables)", 208);
    AddFileBT = MakeButton(this, "Continue and add word to dictionary", 176);
    fitTexts();

    setTabOrder(SyllableEdit, AddMemBT);
    setTabOrder(AddMemBT, IgnoreBT);
    setTabOrder(IgnoreBT, AddFileBT);

    connect(AddMemBT, &QPushButton::clicked, this, &TNotFoundForm::AddMemBTClick);
    connect(AddFileBT, &QPushButton::clicked, this, &TNotFoundForm::AddFileBTClick);
    connect(IgnoreBT, &QPushButton::clicked, this, &TNotFoundForm::IgnoreBTClick);
}

void TNotFoundForm::fitTexts() {
    FitLabel(NotFoundST);
    // The caption stays left of the edit; a wider face pushes the edit right
    // rather than the caption off the dialog's edge.
    SyllableEditLabel->resize(SyllableEditLabel->size().expandedTo(SyllableEditLabel->sizeHint()));
    const int editLeft = std::max(SyllableEdit->x(), 8 + SyllableEditLabel->width() + 3);
    SyllableEdit->move(editLeft, SyllableEdit->y());
    SyllableEditLabel->move(editLeft - 3 - SyllableEditLabel->width(),
                            SyllableEdit->y() +
                                (SyllableEdit->height() - SyllableEditLabel->height()) / 2);
    for (QPushButton* button : {AddMemBT, IgnoreBT, AddFileBT})
        FitButton(button, Qt::AlignHCenter);
}

std::int32_t TNotFoundForm::AskSyllables(const std::string& word, TDictionary& dictionary) {
    word_ = word;
    dictionary_ = &dictionary;
    // A word too long for the dialog is shortened in its middle; the tool tip
    // keeps a word of a few hundred letters whole. Only both ends of a longer
    // one are measured: the layout of a megabyte would freeze the dialog.
    const QString whole = QString::fromStdString(word);
    QString shown = VisibleWord(whole);
    if (shown.size() > 2 * kWholeWordShown) {
        QStringView tail = QStringView(shown).right(kWholeWordShown);
        if (tail.front().isLowSurrogate())
            tail = tail.mid(1);
        shown = QuotedWord(QStringView(shown), kWholeWordShown) + tail.toString();
    }
    const int room = width() - WordLB->x() - 8;
    WordLB->setText(WordLB->fontMetrics().elidedText(shown, Qt::ElideMiddle, room));
    WordLB->setToolTip(QuotedWord(QStringView(whole), kWholeWordShown));
    WordLB->setAccessibleName(WordLB->toolTip());
    WordLB->resize(std::min(WordLB->sizeHint().width(), room),
                   std::max(WordLB->height(), WordLB->sizeHint().height()));
    const std::int32_t estimate = EstimateSyllables(word, dictionary);
    EstimateLB->setText(
        QStringLiteral("Estimated: %1 %2")
            .arg(estimate)
            .arg(estimate == 1 ? QStringLiteral("syllable") : QStringLiteral("syllables")));
    EstimateLB->move(SyllableEdit->x(), EstimateLB->y());
    count_ = 0;
    stopRequested_ = false;
    return exec() == QDialog::Accepted ? count_ : 0;
}

void TNotFoundForm::AddMemBTClick() {
    acceptCount(false);
}

void TNotFoundForm::AddFileBTClick() {
    acceptCount(true);
}

// Ends the dialog as its close box does: no count, nothing added.
void TNotFoundForm::IgnoreBTClick() {
    reject();
}

void TNotFoundForm::SyllableEditKeyDown(int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        AddMemBTClick();
}

void TNotFoundForm::acceptCount(bool addToFile) {
    const auto askForNumber = [this] {
        TheDesktop().ShowMessage(this, QString::fromLatin1(kNotANumberMessage));
        SyllableEdit->clear();
    };
    if (!dictionary_)
        return;
    std::optional<WriteFailure> notWritten;
    try {
        count_ = StrToInt(SyllableEdit->text().toStdString());
        if (count_ < 0) {
            TheDesktop().ShowMessage(this, QString::fromLatin1(kNegativeCountMessage));
            return;
        }
        if (addToFile)
            notWritten = dictionary_->AddWordToFile(word_, count_);
        else
            dictionary_->AddWord(word_, count_);
    } catch (const std::exception&) {
        askForNumber();
        return;
    }
    if (notWritten) {
        // The word is already known in memory; only the file missed it.
        TheDesktop().ShowMessage(
            this,
            QStringLiteral("The word \"%1\" could not be added to the user dictionary file.\n\n"
                           "%2\n\nThe count you gave is used, and the word is known until "
                           "the program is closed.")
                .arg(QuotedWord(word_), QString::fromStdString(notWritten->message)));
    }
    accept();
}

bool TNotFoundForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SyllableEdit && event->type() == QEvent::KeyPress) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        int key = keyEvent->key();
        SyllableEditKeyDown(key, keyEvent->modifiers());
    }
    return QDialog::eventFilter(watched, event);
}

void TNotFoundForm::keyPressEvent(QKeyEvent* event) {
    // Escape does not close this dialog: only the close box and the buttons end
    // it. It offers the one way out of a long run of questions instead.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        if (TheDesktop().AskYesNo(this, QStringLiteral("Stop the analysis?"))) {
            stopRequested_ = true;
            reject();
        }
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // In the edit, SyllableEditKeyDown has already acted on it.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TNotFoundForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (owner_ && owner_->window()->windowHandle() && windowHandle())
        windowHandle()->setTransientParent(owner_->window()->windowHandle());
    SyllableEdit->setFocus(Qt::OtherFocusReason);
}
