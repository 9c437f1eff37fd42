#include "forms/DetailsIndicesPage.h"

#include "analysis/PassageDetails.h"
#include "report/FryGraph.h"
#include "report/ReadabilityIndices.h"

#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

DetailsIndicesPage::DetailsIndicesPage(CurrentAnalysis* analysis, QWidget* parent)
    : QWidget(parent), analysis_(analysis) {
    auto* layout = new QVBoxLayout(this);
    IndicesView = new QTableWidget(0, 3, this);
    IndicesView->setAccessibleName(QStringLiteral("Readability indices"));
    IndicesView->setHorizontalHeaderLabels(
        {QStringLiteral("Index"), QStringLiteral("Value"), QStringLiteral("What it means")});
    IndicesView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    IndicesView->setSelectionBehavior(QAbstractItemView::SelectRows);
    IndicesView->verticalHeader()->hide();
    IndicesView->horizontalHeader()->setStretchLastSection(true);
    IndicesView->setWordWrap(true);
    CountsST = new QLabel(this);
    CountsST->setWordWrap(true);
    CountsST->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    CountsST->setAccessibleName(QStringLiteral("The counts behind the indices"));
    layout->addWidget(IndicesView, 1);
    layout->addWidget(CountsST);
    connect(analysis_, &CurrentAnalysis::analysisChanged, this,
            [this](CurrentAnalysis::Change change) {
                if (change != CurrentAnalysis::Change::TextEdited)
                    showFigures();
            });
}

void DetailsIndicesPage::showFigures() {
    IndicesView->setRowCount(0);
    const PassageDetails* details = analysis_->Details();
    if (!details)
        return;
    const AnalysisCounts& counts = details->counts;
    const IndexCounts& more = details->indexCounts;
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
