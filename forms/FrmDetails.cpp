#include "forms/FrmDetails.h"

#include "dictionary/Dictionary.h"
#include "forms/Desktop.h"
#include "forms/FrmFryGraph.h"
#include "forms/FrmReport.h"
#include "forms/ScreenPlacement.h"
#include "forms/TextHighlight.h"
#include "report/ReadabilityIndices.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

TDetailsForm* DetailsForm = nullptr;

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A word whose count the user gave or the program estimated may be corrected.
bool Editable(WordSource source) {
    return source != WordSource::WordList;
}

bool Unknown(WordSource source) {
    return source == WordSource::Typed || source == WordSource::Estimated ||
           source == WordSource::Ignored;
}

} // namespace

// The distinct words of the details, one row each.
class WordsModel : public QAbstractTableModel {
public:
    enum Column { Word, Syllables, Occurrences, Source, Columns };

    WordsModel(TDetailsForm* form) : QAbstractTableModel(form), form_(form) {}

    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void RowChanged(int row) { emit dataChanged(index(row, 0), index(row, Columns - 1)); }

    int rowCount(const QModelIndex& parent = {}) const override {
        const PassageDetails* details = form_->Details();
        return parent.isValid() || !details ? 0 : static_cast<int>(details->words.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : Columns;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const PassageDetails* details = form_->Details();
        if (!details || !index.isValid())
            return {};
        const WordRow& row = details->words[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            switch (index.column()) {
            case Word:
                return Q(row.word);
            case Syllables:
                return row.syllables;
            case Occurrences:
                return row.occurrences;
            case Source:
                return Q(WordSourceName(row.source));
            default:
                return {};
            }
        }
        if (role == Qt::ToolTipRole && index.column() == Syllables && Editable(row.source))
            return QStringLiteral("Press F2 or double-click to correct the count");
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        switch (section) {
        case Word:
            return QStringLiteral("Word");
        case Syllables:
            return QStringLiteral("Syllables");
        case Occurrences:
            return QStringLiteral("Occurrences");
        case Source:
            return QStringLiteral("Count from");
        default:
            return {};
        }
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = QAbstractTableModel::flags(index);
        const PassageDetails* details = form_->Details();
        if (details && index.isValid() && index.column() == Syllables &&
            Editable(details->words[static_cast<std::size_t>(index.row())].source))
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
            return false;
        bool ok = false;
        const int count = value.toInt(&ok);
        if (!ok || count < 0)
            return false;
        form_->ChangeWordCount(static_cast<std::size_t>(index.row()), count);
        return true;
    }

private:
    TDetailsForm* form_;
};

// Difficult words only, every word, or only the words the dictionary lacked.
class WordsFilterModel : public QSortFilterProxyModel {
public:
    enum Filter { Difficult, All, UnknownOnly };

    WordsFilterModel(TDetailsForm* form) : QSortFilterProxyModel(form), form_(form) {}

    void SetFilter(Filter filter) {
        filter_ = filter;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex&) const override {
        const PassageDetails* details = form_->Details();
        if (!details)
            return false;
        const WordRow& row = details->words[static_cast<std::size_t>(sourceRow)];
        switch (filter_) {
        case Difficult:
            return row.syllables > 2;
        case UnknownOnly:
            return Unknown(row.source);
        case All:
            break;
        }
        return true;
    }

private:
    TDetailsForm* form_;
    Filter filter_ = Difficult;
};

TDetailsForm::TDetailsForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Analysis Details"));
    setAccessibleName(QStringLiteral("Analysis Details"));
    resize(680, 520);
    createControls();
    showState();
    PlaceOnScreen(this, QPoint(300, 120));
}

TDetailsForm::~TDetailsForm() {
    if (highlight_)
        highlight_->Clear();
}

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

    RulesST = new QLabel(this);
    RulesST->setWordWrap(true);
    RulesST->setAccessibleName(QStringLiteral("Counting rules"));
    RulesST->hide();
    layout->addWidget(RulesST);

    Tabs = new QTabWidget(this);
    Tabs->setAccessibleName(QStringLiteral("Details"));
    Tabs->addTab(createIndicesPage(), QStringLiteral("&Indices"));
    Tabs->addTab(createWordsPage(), QStringLiteral("&Words"));
    Tabs->addTab(createSentencesPage(), QStringLiteral("&Sentences"));
    layout->addWidget(Tabs, 1);

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

    connect(CloseBT, &QPushButton::clicked, this, &TDetailsForm::CloseBTClick);
    connect(HighlightCheck, &QCheckBox::toggled, this, &TDetailsForm::HighlightCheckClick);
}

QWidget* TDetailsForm::createIndicesPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    IndicesView = new QTableWidget(0, 3, page);
    IndicesView->setAccessibleName(QStringLiteral("Readability indices"));
    IndicesView->setHorizontalHeaderLabels(
        {QStringLiteral("Index"), QStringLiteral("Value"), QStringLiteral("What it means")});
    IndicesView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    IndicesView->setSelectionBehavior(QAbstractItemView::SelectRows);
    IndicesView->verticalHeader()->hide();
    IndicesView->horizontalHeader()->setStretchLastSection(true);
    IndicesView->setWordWrap(true);
    CountsST = new QLabel(page);
    CountsST->setWordWrap(true);
    CountsST->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    CountsST->setAccessibleName(QStringLiteral("The counts behind the indices"));
    layout->addWidget(IndicesView, 1);
    layout->addWidget(CountsST);
    return page;
}

QWidget* TDetailsForm::createWordsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    FilterST = new QLabel(QStringLiteral("Sh&ow:"), page);
    FilterCB = new QComboBox(page);
    FilterCB->addItems({QStringLiteral("Difficult words (3 or more syllables)"),
                        QStringLiteral("All words"),
                        QStringLiteral("Words the dictionary lacked")});
    FilterCB->setAccessibleName(QStringLiteral("Which words to show"));
    FilterST->setBuddy(FilterCB);
    top->addWidget(FilterST);
    top->addWidget(FilterCB, 1);
    layout->addLayout(top);

    wordsModel_ = new WordsModel(this);
    wordsFilter_ = new WordsFilterModel(this);
    wordsFilter_->setSourceModel(wordsModel_);
    wordsFilter_->setSortCaseSensitivity(Qt::CaseInsensitive);
    WordsView = new QTableView(page);
    WordsView->setAccessibleName(QStringLiteral("Words of the passage"));
    WordsView->setAccessibleDescription(
        QStringLiteral("Enter selects the word's next occurrence in the text; F2 corrects a "
                       "count that was typed, estimated, ignored or read from the user "
                       "dictionary"));
    WordsView->setModel(wordsFilter_);
    WordsView->setSortingEnabled(true);
    WordsView->sortByColumn(WordsModel::Occurrences, Qt::DescendingOrder);
    WordsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    WordsView->setSelectionMode(QAbstractItemView::SingleSelection);
    WordsView->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed);
    WordsView->verticalHeader()->hide();
    WordsView->horizontalHeader()->setStretchLastSection(true);
    WordsView->setTabKeyNavigation(false);
    layout->addWidget(WordsView, 1);

    AddToFileCheck =
        new QCheckBox(QStringLiteral("&Add corrected counts to the user dictionary"), page);
    AddToFileCheck->setAccessibleName(QStringLiteral("Add corrected counts to the user "
                                                     "dictionary"));
    layout->addWidget(AddToFileCheck);

    connect(FilterCB, &QComboBox::currentIndexChanged, this, &TDetailsForm::FilterCBChange);
    connect(WordsView, &QTableView::clicked, this, &TDetailsForm::WordsViewActivate);
    connect(WordsView, &QTableView::activated, this, &TDetailsForm::WordsViewActivate);
    return page;
}

QWidget* TDetailsForm::createSentencesPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    SentenceOrderST = new QLabel(QStringLiteral("&List:"), page);
    SentenceOrderCB = new QComboBox(page);
    SentenceOrderCB->addItems({QStringLiteral("The longest sentences"),
                               QStringLiteral("The sentences with the most difficult words")});
    SentenceOrderCB->setAccessibleName(QStringLiteral("Which sentences to list"));
    SentenceOrderST->setBuddy(SentenceOrderCB);
    top->addWidget(SentenceOrderST);
    top->addWidget(SentenceOrderCB, 1);
    layout->addLayout(top);

    SentencesView = new QTableWidget(0, 3, page);
    SentencesView->setAccessibleName(QStringLiteral("Hardest sentences"));
    SentencesView->setAccessibleDescription(
        QStringLiteral("Enter selects the sentence in the text"));
    SentencesView->setHorizontalHeaderLabels(
        {QStringLiteral("Words"), QStringLiteral("Difficult"), QStringLiteral("Sentence")});
    SentencesView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SentencesView->setSelectionBehavior(QAbstractItemView::SelectRows);
    SentencesView->setSelectionMode(QAbstractItemView::SingleSelection);
    SentencesView->verticalHeader()->hide();
    SentencesView->horizontalHeader()->setStretchLastSection(true);
    SentencesView->setTabKeyNavigation(false);
    layout->addWidget(SentencesView, 1);

    connect(SentenceOrderCB, &QComboBox::currentIndexChanged, this,
            &TDetailsForm::SentenceOrderCBChange);
    connect(SentencesView, &QTableWidget::cellClicked, this,
            [this](int row, int) { SentencesViewActivate(row); });
    connect(SentencesView, &QTableWidget::activated, this,
            [this](const QModelIndex& index) { SentencesViewActivate(index.row()); });
    return page;
}

void TDetailsForm::SetRulesNote(CountingRules rules, bool fromDocument) {
    QString note =
        rules == CountingRules::Careful
            ? QStringLiteral("Counted by the careful rules: abbreviations, numbers and addresses "
                             "end no sentence; headings, list items and table cells end one.")
            : QStringLiteral("Counted by the classic rules: every full stop, question mark and "
                             "exclamation mark ends a sentence.");
    if (rules == CountingRules::Classic && fromDocument)
        note += QStringLiteral(" Under these rules the document's headings and list items are "
                               "joined to the sentences around them; choose Options > Careful "
                               "Counting and start the analysis again to count them apart.");
    RulesST->setText(note);
    RulesST->setVisible(details_ != nullptr);
}

void TDetailsForm::SetAnalysis(std::shared_ptr<PassageDetails> details, QPlainTextEdit* textArea,
                               TDictionary* dictionary) {
    if (highlight_ && textArea_ != textArea) {
        highlight_->Clear();
        delete highlight_;
    }
    if (highlight_)
        highlight_->Clear();
    disconnect(textConnection_);
    details_ = std::move(details);
    textArea_ = textArea;
    dictionary_ = dictionary;
    stale_ = false;
    text_ = textArea ? textArea->toPlainText() : QString();
    if (textArea) {
        textConnection_ =
            connect(textArea, &QPlainTextEdit::textChanged, this, &TDetailsForm::textChanged);
        if (!highlight_) {
            highlight_ = new TextHighlight(
                textArea, {TextHighlight::DifficultWordFormat(textArea->palette()),
                           TextHighlight::LongSentenceFormat(textArea->palette())});
            connect(highlight_, &TextHighlight::dropped, this, [this] {
                const QSignalBlocker block(HighlightCheck);
                HighlightCheck->setChecked(false);
            });
        }
    }
    wordsModel_->Reset();
    showFigures();
    showSentences();
    showState();
    if (HighlightCheck->isChecked())
        SetHighlight(true);
}

void TDetailsForm::ShowDetails() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TDetailsForm::showState() {
    const bool analysed = details_ != nullptr;
    EmptyST->setVisible(!analysed);
    Tabs->setVisible(analysed);
    StaleST->setVisible(analysed && stale_);
    HighlightCheck->setEnabled(analysed && !stale_ && textArea_);
}

void TDetailsForm::showFigures() {
    IndicesView->setRowCount(0);
    if (!details_)
        return;
    const AnalysisCounts& counts = details_->counts;
    const IndexCounts& more = details_->indexCounts;
    const ExtraIndexValues values = ComputeExtraIndices(counts, more);
    IndicesView->setRowCount(static_cast<int>(kExtraIndices) + 1);
    const auto setRow = [this](int row, const QString& name, const QString& value,
                               const QString& meaning) {
        IndicesView->setItem(row, 0, new QTableWidgetItem(name));
        auto* valueItem = new QTableWidgetItem(value);
        valueItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        IndicesView->setItem(row, 1, valueItem);
        IndicesView->setItem(row, 2, new QTableWidgetItem(meaning));
    };
    for (std::size_t i = 0; i < kExtraIndices; ++i)
        setRow(static_cast<int>(i), Q(kExtraIndexInfo[i].name), Q(IndexText(values[i])),
               Q(kExtraIndexInfo[i].meaning));
    const std::string fry = FryGradeText(FryReadingOf(counts));
    setRow(static_cast<int>(kExtraIndices), QStringLiteral("Fry grade"),
           fry.empty() ? QStringLiteral("----") : Q(fry),
           QStringLiteral("Where syllables and sentences per 100 words fall on Fry's graph "
                          "(near a boundary: within one syllable of the next zone)"));
    IndicesView->resizeColumnsToContents();
    IndicesView->horizontalHeader()->setStretchLastSection(true);

    const QLocale locale;
    CountsST->setText(
        QStringLiteral("From %1 words in %2 sentences: %3 syllables, %4 letters, %5 long words "
                       "(over 6 letters), %6 words of three or more syllables, %7 of one "
                       "syllable.")
            .arg(locale.toString(counts.words), locale.toString(counts.sentences),
                 locale.toString(counts.syllables), locale.toString(qint64{more.letters}),
                 locale.toString(more.longWords), locale.toString(more.polysyllables),
                 locale.toString(more.monosyllables)));
}

void TDetailsForm::showSentences() {
    SentencesView->setRowCount(0);
    listedSentences_.clear();
    if (!details_)
        return;
    listedSentences_ = SentenceOrderCB->currentIndex() == 0
                           ? LongestSentences(*details_, kListedSentences)
                           : MostDifficultSentences(*details_, kListedSentences);
    SentencesView->setRowCount(static_cast<int>(listedSentences_.size()));
    for (std::size_t i = 0; i < listedSentences_.size(); ++i) {
        const SentenceDetails& sentence = details_->sentences[listedSentences_[i]];
        const auto row = static_cast<int>(i);
        auto* words = new QTableWidgetItem;
        words->setData(Qt::DisplayRole, sentence.words);
        auto* difficult = new QTableWidgetItem;
        difficult->setData(Qt::DisplayRole, sentence.difficultWords);
        QString wording = text_
                              .mid(static_cast<qsizetype>(sentence.span.position),
                                   static_cast<qsizetype>(sentence.span.size))
                              .simplified();
        if (wording.size() > 300)
            wording = wording.left(300) + QChar(0x2026);
        SentencesView->setItem(row, 0, words);
        SentencesView->setItem(row, 1, difficult);
        SentencesView->setItem(row, 2, new QTableWidgetItem(wording));
    }
    SentencesView->resizeColumnToContents(0);
    SentencesView->resizeColumnToContents(1);
}

void TDetailsForm::SetHighlight(bool on) {
    if (HighlightCheck->isChecked() != on) {
        HighlightCheck->setChecked(on); // comes back here through the check box
        return;
    }
    if (!highlight_)
        return;
    if (!on || !details_ || stale_) {
        highlight_->Clear();
        return;
    }
    std::vector<TextHighlight::Range> ranges;
    for (const SentenceDetails& sentence : details_->sentences) {
        if (sentence.words > kLongSentenceWords)
            ranges.push_back({sentence.span.position, sentence.span.size, 1});
    }
    for (const WordOccurrence& occurrence : details_->occurrences) {
        if (details_->words[occurrence.row].syllables > 2)
            ranges.push_back({occurrence.span.position, occurrence.span.size, 0});
    }
    highlight_->Show(std::move(ranges));
}

bool TDetailsForm::Highlighted() const {
    return highlight_ && highlight_->Shown();
}

void TDetailsForm::select(std::size_t position, std::size_t size) {
    if (!textArea_ || stale_)
        return;
    QTextCursor cursor(textArea_->document());
    const int end = textArea_->document()->characterCount() - 1;
    cursor.setPosition(std::min(static_cast<int>(position), end));
    cursor.setPosition(std::min(static_cast<int>(position + size), end), QTextCursor::KeepAnchor);
    textArea_->setTextCursor(cursor);
    textArea_->ensureCursorVisible();
}

void TDetailsForm::SelectNextOccurrence(std::size_t row) {
    if (!details_ || !textArea_ || stale_)
        return;
    const QTextCursor current = textArea_->textCursor();
    const auto after = static_cast<std::size_t>(
        current.hasSelection() ? current.selectionStart() + 1 : current.position());
    const WordOccurrence* first = nullptr;
    for (const WordOccurrence& occurrence : details_->occurrences) {
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
    if (details_ && sentence < details_->sentences.size())
        select(details_->sentences[sentence].span.position,
               details_->sentences[sentence].span.size);
}

void TDetailsForm::ChangeWordCount(std::size_t row, std::int32_t syllables) {
    if (!details_ || row >= details_->words.size() || details_->words[row].syllables == syllables)
        return;
    SetWordSyllables(*details_, row, syllables);
    wordsModel_->RowChanged(static_cast<int>(row));
    showFigures();
    showSentences();
    const AnalysisCounts& counts = details_->counts;
    if (ReportForm)
        ReportForm->SetStatistics(counts.syllables, counts.words, counts.sentences,
                                  counts.difficultWords);
    if (FryGraphForm)
        FryGraphForm->ShowPassage(counts);
    if (Highlighted())
        SetHighlight(true);
    if (AddToFileCheck->isChecked())
        addToUserDictionary(details_->words[row]);
}

void TDetailsForm::addToUserDictionary(const WordRow& row) {
    if (!dictionary_)
        return;
    const std::string& path = dictionary_->CustomFilePath();
    // The first line of a word wins when the file is read: a second line for a
    // word the file already holds would never be used.
    if (!path.empty()) {
        TDictionary userFile;
        try {
            userFile.LoadDictionary(path);
        } catch (...) {
            // A file that does not read back is reported by the append below.
        }
        if (const std::int32_t known = userFile.Lookup(row.word); known >= 0) {
            TheDesktop().ShowMessage(
                this, QStringLiteral("\"%1\" is already in the user dictionary with %2 "
                                     "syllables; the new count is used in this analysis only. "
                                     "Edit %3 to change it for good.")
                          .arg(Q(row.word))
                          .arg(known)
                          .arg(Q(path)));
            return;
        }
    }
    std::string error;
    if (!dictionary_->AddWordToFile(row.word, row.syllables, &error))
        TheDesktop().ShowMessage(this, Q(error));
}

void TDetailsForm::textChanged() {
    if (stale_)
        return;
    stale_ = true;
    showState();
}

void TDetailsForm::CloseBTClick() {
    close();
}

void TDetailsForm::FilterCBChange(int index) {
    wordsFilter_->SetFilter(static_cast<WordsFilterModel::Filter>(index));
}

void TDetailsForm::SentenceOrderCBChange(int) {
    showSentences();
}

void TDetailsForm::HighlightCheckClick(bool checked) {
    SetHighlight(checked);
}

void TDetailsForm::WordsViewActivate(const QModelIndex& index) {
    if (index.isValid())
        SelectNextOccurrence(static_cast<std::size_t>(wordsFilter_->mapToSource(index).row()));
}

void TDetailsForm::SentencesViewActivate(int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < listedSentences_.size())
        SelectSentence(listedSentences_[static_cast<std::size_t>(row)]);
}

void TDetailsForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
