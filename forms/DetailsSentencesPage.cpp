#include "forms/DetailsSentencesPage.h"

#include "analysis/PassageDetails.h"
#include "forms/ShownText.h"
#include "report/Verdict.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

DetailsSentencesPage::DetailsSentencesPage(CurrentAnalysis* analysis, QWidget* parent)
    : QWidget(parent), analysis_(analysis) {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    SentenceOrderST = new QLabel(QStringLiteral("&List:"), this);
    SentenceOrderCB = new QComboBox(this);
    SentenceOrderCB->addItems(
        {QStringLiteral("The longest sentences"),
         QStringLiteral("The sentences with the most difficult words"),
         QStringLiteral("The sentences to shorten first: they lower the grade most")});
    SentenceOrderCB->setAccessibleName(QStringLiteral("Which sentences to list"));
    SentenceOrderST->setBuddy(SentenceOrderCB);
    top->addWidget(SentenceOrderST);
    top->addWidget(SentenceOrderCB, 1);
    layout->addLayout(top);

    SentencesView = new QTableWidget(0, 3, this);
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
            &DetailsSentencesPage::SentenceOrderCBChange);
    connect(SentencesView, &QTableWidget::cellClicked, this,
            [this](int row, int) { SentencesViewActivate(row); });
    connect(SentencesView, &QTableWidget::activated, this,
            [this](const QModelIndex& index) { SentencesViewActivate(index.row()); });
    connect(analysis_, &CurrentAnalysis::analysisChanged, this,
            [this](CurrentAnalysis::Change change) {
                if (change != CurrentAnalysis::Change::TextEdited)
                    showSentences();
            });
}

void DetailsSentencesPage::showSentences() {
    SentencesView->setRowCount(0);
    listedSentences_.clear();
    const PassageDetails* details = analysis_->Details();
    if (!details)
        return;
    switch (SentenceOrderCB->currentIndex()) {
    case kToShortenFirst:
        listedSentences_ =
            SentencesToShortenFirst(*details, kListedSentences, analysis_->Passage());
        break;
    case kMostDifficult:
        listedSentences_ = MostDifficultSentences(*details, kListedSentences);
        break;
    default:
        listedSentences_ = LongestSentences(*details, kListedSentences);
        break;
    }
    SentencesView->setRowCount(static_cast<int>(listedSentences_.size()));
    for (std::size_t i = 0; i < listedSentences_.size(); ++i) {
        const SentenceDetails& sentence = details->sentences[listedSentences_[i]];
        const auto row = static_cast<int>(i);
        auto* words = new QTableWidgetItem;
        words->setData(Qt::DisplayRole, sentence.words);
        auto* difficult = new QTableWidgetItem;
        difficult->setData(Qt::DisplayRole, sentence.difficultWords);
        const QString wording = QuotedWord(analysis_->Text()
                                               .mid(static_cast<qsizetype>(sentence.span.position),
                                                    static_cast<qsizetype>(sentence.span.size))
                                               .simplified(),
                                           300);
        SentencesView->setItem(row, 0, words);
        SentencesView->setItem(row, 1, difficult);
        SentencesView->setItem(row, 2, new QTableWidgetItem(wording));
    }
    SentencesView->resizeColumnToContents(0);
    SentencesView->resizeColumnToContents(1);
}

void DetailsSentencesPage::SentenceOrderCBChange(int) {
    showSentences();
}

void DetailsSentencesPage::SentencesViewActivate(int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < listedSentences_.size())
        emit sentenceRequested(listedSentences_[static_cast<std::size_t>(row)]);
}
