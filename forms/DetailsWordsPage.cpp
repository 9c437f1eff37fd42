#include "forms/DetailsWordsPage.h"

#include "analysis/PassageDetails.h"
#include "dictionary/Dictionary.h"
#include "forms/Desktop.h"
#include "forms/ShownText.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

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

    WordsModel(CurrentAnalysis* analysis, DetailsWordsPage* page)
        : QAbstractTableModel(page), analysis_(analysis), page_(page) {}

    void Reset() {
        beginResetModel();
        endResetModel();
    }
    void RowChanged(int row) { emit dataChanged(index(row, 0), index(row, Columns - 1)); }

    int rowCount(const QModelIndex& parent = {}) const override {
        const PassageDetails* details = analysis_->Details();
        return parent.isValid() || !details ? 0 : static_cast<int>(details->words.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : Columns;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const PassageDetails* details = analysis_->Details();
        if (!details || !index.isValid())
            return {};
        const WordRow& row = details->words[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole || role == Qt::EditRole) {
            switch (index.column()) {
            case Word:
                return VisibleWord(Q(row.word));
            case Syllables:
                return row.syllables;
            case Occurrences:
                return row.occurrences;
            case Source:
                // A corrected count is the user's now, wherever it came from.
                return analysis_->Corrected(static_cast<std::size_t>(index.row()))
                           ? QStringLiteral("corrected")
                           : Q(WordSourceName(row.source));
            default:
                return {};
            }
        }
        if (role == Qt::ToolTipRole && Editable(row.source))
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
        const PassageDetails* details = analysis_->Details();
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
        page_->ChangeWordCount(static_cast<std::size_t>(index.row()), count);
        return true;
    }

private:
    CurrentAnalysis* analysis_;
    DetailsWordsPage* page_;
};

// Difficult words only, every word, or only the words the dictionary lacked.
class WordsFilterModel : public QSortFilterProxyModel {
public:
    enum Filter { Difficult, All, UnknownOnly };

    WordsFilterModel(CurrentAnalysis* analysis, QObject* parent)
        : QSortFilterProxyModel(parent), analysis_(analysis) {}

    void SetFilter(Filter filter) {
        filter_ = filter;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex&) const override {
        const PassageDetails* details = analysis_->Details();
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
    CurrentAnalysis* analysis_;
    Filter filter_ = Difficult;
};

DetailsWordsPage::DetailsWordsPage(CurrentAnalysis* analysis, QWidget* parent)
    : QWidget(parent), analysis_(analysis) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    FilterST = new QLabel(QStringLiteral("Sh&ow:"), this);
    FilterCB = new QComboBox(this);
    FilterCB->addItems({QStringLiteral("Difficult words (3 or more syllables)"),
                        QStringLiteral("All words"),
                        QStringLiteral("Words the dictionary lacked")});
    FilterCB->setAccessibleName(QStringLiteral("Which words to show"));
    FilterST->setBuddy(FilterCB);
    top->addWidget(FilterST);
    top->addWidget(FilterCB, 1);
    layout->addLayout(top);

    wordsModel_ = new WordsModel(analysis_, this);
    wordsFilter_ = new WordsFilterModel(analysis_, this);
    wordsFilter_->setSourceModel(wordsModel_);
    wordsFilter_->setSortCaseSensitivity(Qt::CaseInsensitive);
    WordsView = new QTableView(this);
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
    // F2 and the double click are taken on the whole row, below.
    WordsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    WordsView->verticalHeader()->hide();
    WordsView->horizontalHeader()->setStretchLastSection(true);
    WordsView->setTabKeyNavigation(false);
    WordsView->installEventFilter(this);
    layout->addWidget(WordsView, 1);

    AddToFileCheck =
        new QCheckBox(QStringLiteral("&Add corrected counts to the user dictionary"), this);
    AddToFileCheck->setAccessibleName(QStringLiteral("Add corrected counts to the user "
                                                     "dictionary"));
    layout->addWidget(AddToFileCheck);

    connect(FilterCB, &QComboBox::currentIndexChanged, this, &DetailsWordsPage::FilterCBChange);
    connect(WordsView, &QTableView::clicked, this, &DetailsWordsPage::WordsViewActivate);
    connect(WordsView, &QTableView::activated, this, &DetailsWordsPage::WordsViewActivate);
    connect(WordsView, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        WordsView->setCurrentIndex(index);
        EditCurrentCount();
    });
    connect(analysis_, &CurrentAnalysis::analysisChanged, this, &DetailsWordsPage::analysisChanged);
}

std::size_t DetailsWordsPage::DetailsRow(const QModelIndex& index) const {
    return static_cast<std::size_t>(wordsFilter_->mapToSource(index).row());
}

void DetailsWordsPage::analysisChanged(CurrentAnalysis::Change change, std::size_t row) {
    if (change == CurrentAnalysis::Change::NewAnalysis) {
        wordsModel_->Reset();
        fitColumns();
    } else if (change == CurrentAnalysis::Change::WordCount) {
        wordsModel_->RowChanged(static_cast<int>(row));
    }
}

void DetailsWordsPage::fitColumns() {
    // The header's own width counts too, so "Occurrences" is never cut in a
    // larger font; the words are measured on a sample of the rows.
    for (int column = 0; column < WordsModel::Source; ++column)
        WordsView->resizeColumnToContents(column);
}

void DetailsWordsPage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitColumns();
}

bool DetailsWordsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == WordsView && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2 &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        EditCurrentCount();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void DetailsWordsPage::EditCurrentCount() {
    const QModelIndex current = WordsView->currentIndex();
    const PassageDetails* details = analysis_->Details();
    if (!current.isValid() || !details) {
        emit statusMessage(QStringLiteral("Choose a word to correct its count."));
        return;
    }
    const QModelIndex syllables = current.siblingAtColumn(WordsModel::Syllables);
    const WordRow& row = details->words[DetailsRow(current)];
    if (!(syllables.flags() & Qt::ItemIsEditable)) {
        emit statusMessage(QStringLiteral("The count of \"%1\" is the word list's; it cannot be "
                                          "corrected here.")
                               .arg(QuotedWord(row.word)));
        return;
    }
    emit statusMessage(QString());
    WordsView->setCurrentIndex(syllables);
    WordsView->edit(syllables);
}

void DetailsWordsPage::ChangeWordCount(std::size_t row, std::int32_t syllables) {
    if (!analysis_->SetWordCount(row, syllables))
        return;
    if (AddToFileCheck->isChecked())
        addToUserDictionary(analysis_->Details()->words[row]);
}

void DetailsWordsPage::addToUserDictionary(const WordRow& row) {
    TDictionary* dictionary = analysis_->Dictionary();
    if (!dictionary)
        return;
    const std::string& path = dictionary->CustomFilePath();
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
                          .arg(QuotedWord(row.word))
                          .arg(known)
                          .arg(Q(path)));
            return;
        }
    }
    if (const auto failure = dictionary->AddWordToFile(row.word, row.syllables))
        TheDesktop().ShowMessage(this, Q(failure->message));
}

void DetailsWordsPage::FilterCBChange(int index) {
    wordsFilter_->SetFilter(static_cast<WordsFilterModel::Filter>(index));
}

void DetailsWordsPage::WordsViewActivate(const QModelIndex& index) {
    if (index.isValid())
        emit occurrenceRequested(DetailsRow(index));
}
