#include "forms/FrmDetails.h"

#include "checks/Checks.h"
#include "forms/CurrentAnalysis.h"
#include "forms/DetailsChecksPage.h"
#include "forms/DetailsHeadline.h"
#include "forms/DetailsIndicesPage.h"
#include "forms/DetailsSentencesPage.h"
#include "forms/DetailsWordsPage.h"
#include "forms/PassageHighlight.h"
#include "forms/ScreenPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

TDetailsForm* DetailsForm = nullptr;

namespace {

constexpr QSize kDesignedSize(680, 520);
// Smaller than this, the tables show too few rows to be of use.
constexpr QSize kSmallestSize(420, 300);

} // namespace

TDetailsForm::TDetailsForm(CurrentAnalysis* analysis, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window), analysis_(analysis), mainWindow_(mainWindow) {
    setWindowTitle(QStringLiteral("Analysis Details"));
    setAccessibleName(QStringLiteral("Analysis Details"));
    resize(kDesignedSize);
    highlight_ = new PassageHighlight(analysis_, this);
    createControls();
    showState();
    PlaceOnScreen(this, QPoint(300, 120));
    connect(analysis_, &CurrentAnalysis::analysisChanged, this,
            [this](CurrentAnalysis::Change change) {
                StatusLine->clearMessage();
                showState();
                // An edit took the marks away; the next run brings them back.
                if (change == CurrentAnalysis::Change::NewAnalysis && highlightWanted_ &&
                    !HighlightCheck->isChecked())
                    SetHighlight(true);
                if (change != CurrentAnalysis::Change::TextEdited)
                    showColours();
            });
    connect(highlight_, &PassageHighlight::dropped, this, [this] {
        const QSignalBlocker block(HighlightCheck);
        HighlightCheck->setChecked(false);
    });
}

TDetailsForm::~TDetailsForm() = default;

void TDetailsForm::createControls() {
    auto* layout = new QVBoxLayout(this);
    EmptyST = new QLabel(
        QStringLiteral("No analysis yet. Choose Analysis > Start Analysis... in the main window: "
                       "this window then shows further readability indices, every word with "
                       "its syllable count and where the count came from, and the hardest "
                       "sentences of the passage."),
        this);
    EmptyST->setWordWrap(true);
    EmptyST->setAccessibleName(QStringLiteral("No analysis yet"));
    layout->addWidget(EmptyST);

    StaleST = new QLabel(QStringLiteral("The text has changed since this analysis: start the "
                                        "analysis again to find words and sentences in it."),
                         this);
    StaleST->setWordWrap(true);
    StaleST->setAccessibleName(QStringLiteral("The text has changed"));
    layout->addWidget(StaleST);

    UnsavedST = new QLabel(QStringLiteral("The text has changes that are not saved."), this);
    UnsavedST->setWordWrap(true);
    UnsavedST->setAccessibleName(QStringLiteral("Unsaved changes"));
    UnsavedST->hide();
    layout->addWidget(UnsavedST);

    RulesST = new QLabel(this);
    RulesST->setWordWrap(true);
    RulesST->setAccessibleName(QStringLiteral("Counting rules"));
    RulesST->hide();
    layout->addWidget(RulesST);

    Headline = new DetailsHeadline(analysis_, this);
    layout->addWidget(Headline);

    IndicesPage = new DetailsIndicesPage(analysis_, this);
    WordsPage = new DetailsWordsPage(analysis_, this);
    SentencesPage = new DetailsSentencesPage(analysis_, this);
    Tabs = new QTabWidget(this);
    Tabs->setAccessibleName(QStringLiteral("Details"));
    Tabs->addTab(IndicesPage, QStringLiteral("&Indices"));
    Tabs->addTab(WordsPage, QStringLiteral("&Words"));
    Tabs->addTab(SentencesPage, QStringLiteral("&Sentences"));
    ChecksPage = new DetailsChecksPage(analysis_, this);
    Tabs->addTab(ChecksPage, QStringLiteral("Chec&ks"));
    layout->addWidget(Tabs, 1);
    IndicesView = IndicesPage->IndicesView;
    CountsST = IndicesPage->CountsST;
    FilterST = WordsPage->FilterST;
    FilterCB = WordsPage->FilterCB;
    WordsView = WordsPage->WordsView;
    AddToFileCheck = WordsPage->AddToFileCheck;
    SentenceOrderST = SentencesPage->SentenceOrderST;
    SentenceOrderCB = SentencesPage->SentenceOrderCB;
    SentencesView = SentencesPage->SentencesView;

    auto* bottom = new QHBoxLayout;
    HighlightCheck =
        new QCheckBox(QStringLiteral("&Highlight difficult words and long sentences (over %1 "
                                     "words) in the text")
                          .arg(kLongSentenceWords),
                      this);
    HighlightCheck->setAccessibleName(QStringLiteral("Highlight difficult words and long "
                                                     "sentences in the text"));
    CloseBT = new QPushButton(QStringLiteral("Close"), this);
    CloseBT->setAccessibleName(QStringLiteral("Close"));
    bottom->addWidget(HighlightCheck, 1);
    bottom->addWidget(CloseBT);
    layout->addLayout(bottom);

    StatusLine = new QStatusBar(this);
    StatusLine->setSizeGripEnabled(false);
    StatusLine->setAccessibleName(QStringLiteral("Status"));
    layout->addWidget(StatusLine);

    connect(CloseBT, &QPushButton::clicked, this, &TDetailsForm::CloseBTClick);
    connect(HighlightCheck, &QCheckBox::toggled, this, &TDetailsForm::HighlightCheckClick);
    connect(WordsPage, &DetailsWordsPage::occurrenceRequested, this,
            &TDetailsForm::SelectNextOccurrence);
    connect(WordsPage, &DetailsWordsPage::statusMessage, this, [this](const QString& text) {
        if (text.isEmpty())
            StatusLine->clearMessage();
        else
            StatusLine->showMessage(text);
    });
    connect(SentencesPage, &DetailsSentencesPage::sentenceRequested, this,
            &TDetailsForm::SelectSentence);
    connect(ChecksPage, &DetailsChecksPage::findingRequested, this, &TDetailsForm::select);
    connect(ChecksPage, &DetailsChecksPage::colouringChanged, this, &TDetailsForm::showColours);
    ChecksPage->SetTargetGrade(Headline->TargetGrade());
    connect(Headline->TargetGradeEdit, &QSpinBox::valueChanged, this,
            [this] { ChecksPage->SetTargetGrade(Headline->TargetGrade()); });
    // A text above its target grade lists first what to shorten.
    connect(Headline, &DetailsHeadline::verdictShown, this, [this](bool tooHard) {
        if (tooHard)
            SentenceOrderCB->setCurrentIndex(DetailsSentencesPage::kToShortenFirst);
    });
}

const PassageDetails* TDetailsForm::Details() const {
    return analysis_->Details();
}

void TDetailsForm::SetRulesNote(CountingRules rules, bool fromDocument, bool carefulChosen,
                                const QString& documentWarning) {
    // Which rules counted, and why: the choice that made them.
    QString note;
    if (rules == CountingRules::Careful) {
        note = carefulChosen
                   ? QStringLiteral("Counted by the careful rules, as Options > Careful Counting "
                                    "asks: abbreviations, numbers and addresses end no sentence; "
                                    "headings, list items and table cells end one.")
                   : QStringLiteral("Counted by the careful rules, as a loaded document is: "
                                    "abbreviations, numbers and addresses end no sentence; the "
                                    "document's headings, list items and table cells end one. "
                                    "Options > Classic Rules for Documents counts documents by "
                                    "the classic rules.");
    } else if (fromDocument) {
        note = QStringLiteral("Counted by the classic rules, as Options > Classic Rules for "
                              "Documents asks: every full stop, question mark and exclamation "
                              "mark ends a sentence. Under these rules the document's headings "
                              "and list items are joined to the sentences around them; uncheck "
                              "that option, or choose Options > Careful Counting, and start the "
                              "analysis again to count them apart.");
    } else {
        note = QStringLiteral("Counted by the classic rules, as typed text and .txt files are "
                              "unless Options > Careful Counting is on: every full stop, question "
                              "mark and exclamation mark ends a sentence.");
    }
    RulesST->setText(note + documentWarning);
    RulesST->setVisible(analysis_->Details() != nullptr);
}

void TDetailsForm::SetUnsavedMark(bool unsaved) {
    UnsavedST->setVisible(unsaved);
}

void TDetailsForm::ShowDetails() {
    // Placed each time it opens, as the main window may have moved since; left
    // where it is while open.
    if (!isVisible() || isMinimized())
        placeBesideMainWindow();
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TDetailsForm::placeBesideMainWindow() {
    if (!mainWindow_ || !mainWindow_->isVisible())
        return;
    const QRect mainFrame = mainWindow_->frameGeometry();
    QScreen* screen = mainWindow_->screen();
    if (!screen)
        return;
    const QSize frame = OuterSize(this) - size();
    const QSize outer = kDesignedSize + frame;
    const QSize minimum = minimumSizeHint().expandedTo(kSmallestSize) + frame;
    const QRect available = screen->availableGeometry();
    auto place = AroundOnScreen(mainFrame, outer, minimum, available);
    // Covering the text it selects is worse than moving the main window: it
    // moves as little as makes room.
    if (!place || place->intersects(mainFrame)) {
        if (const auto moved = RoomMadeOnScreen(mainFrame, outer, available)) {
            mainWindow_->move(*moved);
            place = AroundOnScreen(QRect(*moved, mainFrame.size()), outer, minimum, available);
        }
    }
    if (place) {
        resize(place->size() - frame);
        move(place->topLeft());
    }
}

void TDetailsForm::showState() {
    const bool analysed = Details() != nullptr;
    const bool stale = analysis_->Stale();
    EmptyST->setVisible(!analysed);
    Tabs->setVisible(analysed);
    Headline->setVisible(analysed);
    StaleST->setVisible(analysed && stale);
    HighlightCheck->setEnabled(analysed && !stale && analysis_->TextArea());
}

void TDetailsForm::SetHighlight(bool on) {
    if (HighlightCheck->isChecked() != on) {
        HighlightCheck->setChecked(on); // comes back here through the check box
        return;
    }
    highlight_->SetOn(on);
}

bool TDetailsForm::Highlighted() const {
    return highlight_->Shown();
}

void TDetailsForm::select(std::size_t position, std::size_t size) {
    QPlainTextEdit* textArea = analysis_->TextArea();
    if (!textArea || analysis_->Stale())
        return;
    QTextCursor cursor(textArea->document());
    const int end = textArea->document()->characterCount() - 1;
    cursor.setPosition(std::min(static_cast<int>(position), end));
    cursor.setPosition(std::min(static_cast<int>(position + size), end), QTextCursor::KeepAnchor);
    textArea->setTextCursor(cursor);
    textArea->ensureCursorVisible();
    uncoverSelection();
}

void TDetailsForm::uncoverSelection() {
    QPlainTextEdit* textArea = analysis_->TextArea();
    if (!isVisible() || !textArea || !textArea->isVisible())
        return;
    QWidget* viewport = textArea->viewport();
    const QRect covered = frameGeometry();
    const QRect view(viewport->mapToGlobal(QPoint(0, 0)), viewport->size());
    const auto selectionTop = [&] {
        QTextCursor start = textArea->textCursor();
        start.setPosition(start.selectionStart());
        const QRect rect = textArea->cursorRect(start);
        return QRect(viewport->mapToGlobal(rect.topLeft()), rect.size());
    };
    if (!selectionTop().intersects(covered))
        return;
    // The selection goes to the larger of the free bands above and below this
    // window; when neither holds a line there is nothing to gain.
    const int above = covered.top() - view.top();
    const int below = view.bottom() - covered.bottom();
    if (std::max(above, below) < selectionTop().height())
        return;
    QScrollBar* bar = textArea->verticalScrollBar();
    const int step = above >= below ? 1 : -1;
    for (int moves = 0; moves < 1000 && selectionTop().intersects(covered); ++moves) {
        const int before = bar->value();
        bar->setValue(before + step);
        if (bar->value() == before)
            break;
    }
}

void TDetailsForm::SelectNextOccurrence(std::size_t row) {
    const PassageDetails* details = Details();
    QPlainTextEdit* textArea = analysis_->TextArea();
    if (!details || !textArea || analysis_->Stale())
        return;
    const QTextCursor current = textArea->textCursor();
    const auto after = static_cast<std::size_t>(
        current.hasSelection() ? current.selectionStart() + 1 : current.position());
    const WordOccurrence* first = nullptr;
    for (const WordOccurrence& occurrence : details->occurrences) {
        if (occurrence.row != row)
            continue;
        if (!first)
            first = &occurrence;
        if (occurrence.span.position >= after) {
            select(occurrence.span.position, occurrence.span.size);
            return;
        }
    }
    if (first)
        select(first->span.position, first->span.size);
}

void TDetailsForm::SelectSentence(std::size_t sentence) {
    const PassageDetails* details = Details();
    if (!details || sentence >= details->sentences.size())
        return;
    const TextSpan& span = details->sentences[sentence].span;
    // With its full stop and closing quotes, so that typing over it leaves
    // none behind.
    std::size_t size = span.size;
    const std::string& passage = analysis_->Passage();
    const std::size_t end = span.offset + span.length;
    if (const auto marked = SentenceEndWithMark(passage, span); marked && *marked > end)
        size += static_cast<std::size_t>(
            QString::fromUtf8(passage.data() + end, static_cast<qsizetype>(*marked - end)).size());
    select(span.position, size);
}

void TDetailsForm::ChangeWordCount(std::size_t row, std::int32_t syllables) {
    WordsPage->ChangeWordCount(row, syllables);
}

void TDetailsForm::showColours() {
    // The checks run for their colours only while they can be seen.
    highlight_->SetCheckRanges(HighlightCheck->isChecked() ? ChecksPage->ColouredRanges()
                                                           : std::nullopt);
}

void TDetailsForm::CloseBTClick() {
    close();
}

void TDetailsForm::HighlightCheckClick(bool checked) {
    highlightWanted_ = checked;
    if (checked)
        showColours();
    SetHighlight(checked);
}

void TDetailsForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
