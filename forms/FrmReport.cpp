#include "forms/FrmReport.h"

#include "analysis/PassageDetails.h"
#include "forms/CaptionFitting.h"
#include "forms/CurrentAnalysis.h"
#include "forms/DesignedFont.h"
#include "forms/ScreenPlacement.h"
#include "report/ReportFigures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <algorithm>

TReportForm* ReportForm = nullptr;

namespace {

constexpr int kCaptionLeft = 16;
constexpr int kValueLeft = 264;

QLabel* MakeCaption(QWidget* parent, const char* text, int top) {
    auto* caption = new QLabel(QString::fromLatin1(text), parent);
    caption->move(kCaptionLeft, top);
    caption->resize(caption->sizeHint().width(), 17);
    return caption;
}

QLabel* MakeValue(QWidget* parent, int top) {
    auto* value = new QLabel(parent);
    value->setTextFormat(Qt::PlainText);
    value->move(kValueLeft, top);
    value->resize(0, 17);
    return value;
}

QPushButton* MakeButton(QWidget* parent, const char* text, int left, int width) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setGeometry(left, 264, width, 25);
    // Enter presses the button that has the focus; there is no default button.
    button->setAutoDefault(true);
    return button;
}

} // namespace

TReportForm::TReportForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Analysis Report"));
    setFont(DesignedFont());
    setFixedSize(405, 303);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    createControls();
    PlaceOnScreen(this, QPoint(568, 243));
}

void TReportForm::createControls() {
    SyllLB = MakeValue(this, 40);
    WordsLB = MakeValue(this, 56);
    SentLB = MakeValue(this, 72);
    SentPHLB = MakeValue(this, 168);
    SyllPHLB = MakeValue(this, 152);
    SyllPWordLB = MakeValue(this, 88);
    SyllPSentLB = MakeValue(this, 104);
    SyllST = MakeCaption(this, "Total Number of Syllables:", 40);
    WordsST = MakeCaption(this, "Total Number of Words:", 56);
    SentST = MakeCaption(this, "Total Number of Sentences:", 72);
    SyllPWordST = MakeCaption(this, "Average Syllables Per Word:", 88);
    SyllPSentST = MakeCaption(this, "Average Syllables Per Sentence:", 104);
    WordPSentST = MakeCaption(this, "Average Words Per Sentence:", 120);
    WordPSentLB = MakeValue(this, 120);
    SyllPHST = MakeCaption(this, "Syllables Per 100 Words:", 152);
    SentPHST = MakeCaption(this, "Sentences Per 100  Words:", 168);

    TitleST = new QLabel(QStringLiteral("Readability Statistics:"), this);
    QFont titleFont = DesignedPixelFont(21);
    titleFont.setUnderline(true);
    TitleST->setFont(titleFont);
    TitleST->setGeometry(kCaptionLeft, 8, 175, 28);

    CloseBT = MakeButton(this, "Close", 320, 75);
    ClipCopyBT = MakeButton(this, "Copy To Clipboard", 16, 97);
    DiffWordsST = MakeCaption(this, "Number of Difficult Words(3 or more syllables):", 136);
    DiffWordsLB = MakeValue(this, 136);
    GunningFogST = MakeCaption(this, "Gunning-Fog Index:", 192);
    FleschEaseST = MakeCaption(this, "Flesch Reading Ease:", 208);
    KincaidGradeST = MakeCaption(this, "Flesch-Kincaid Grade Level:", 224);
    GunningFogLB = MakeValue(this, 192);
    FleschEaseLB = MakeValue(this, 208);
    KincaidGradeLB = MakeValue(this, 224);

    FitLabel(TitleST);
    FitButtonText(ClipCopyBT, Qt::AlignLeft);
    FitButtonText(CloseBT, Qt::AlignRight);
    // The values keep their designed column unless a caption reaches into it.
    int valueLeft = kValueLeft;
    for (const QLabel* caption :
         {SyllST, WordsST, SentST, SyllPWordST, SyllPSentST, WordPSentST, DiffWordsST, SyllPHST,
          SentPHST, GunningFogST, FleschEaseST, KincaidGradeST})
        valueLeft = std::max(valueLeft, caption->geometry().right() + 1 + 6);
    for (QLabel* value : valueLabels())
        value->move(valueLeft, value->y());

    // In the free space between the two designed buttons.
    DetailsBT = MakeButton(this, "Details...", 0, 75);
    DetailsBT->setAccessibleName(QStringLiteral("Show the analysis details"));
    FitButton(DetailsBT, Qt::AlignLeft);
    const int freeLeft = ClipCopyBT->geometry().right() + 1;
    const int freeWidth = CloseBT->x() - freeLeft;
    DetailsBT->move(freeLeft + std::max(0, (freeWidth - DetailsBT->width()) / 2), DetailsBT->y());

    setTabOrder(CloseBT, ClipCopyBT);
    setTabOrder(ClipCopyBT, DetailsBT);
    connect(CloseBT, &QPushButton::clicked, this, &TReportForm::CloseBTClick);
    connect(ClipCopyBT, &QPushButton::clicked, this, &TReportForm::ClipCopyBTClick);
    connect(DetailsBT, &QPushButton::clicked, this, &TReportForm::DetailsBTClick);
}

std::array<QLabel*, 12> TReportForm::valueLabels() const {
    return {SyllLB,      WordsLB,  SentLB,   SyllPWordLB,  SyllPSentLB,  WordPSentLB,
            DiffWordsLB, SyllPHLB, SentPHLB, GunningFogLB, FleschEaseLB, KincaidGradeLB};
}

void TReportForm::ShowStatistics(std::int32_t syllables, std::int32_t words, std::int32_t sentences,
                                 std::int32_t difficultWords) {
    SetStatistics(syllables, words, sentences, difficultWords);
    show();
    raise();
    activateWindow();
}

void TReportForm::SetStatistics(std::int32_t syllables, std::int32_t words, std::int32_t sentences,
                                std::int32_t difficultWords) {
    AnalysisCounts counts;
    counts.syllables = syllables;
    counts.words = words;
    counts.sentences = sentences;
    counts.difficultWords = difficultWords;
    const ReportFigures figures =
        ComputeReportFigures(counts, QLocale().decimalPoint().toStdString());
    const auto labels = valueLabels();
    for (std::size_t row = 0; row < labels.size(); ++row) {
        labels[row]->setText(QString::fromStdString(figures.texts[row]));
        labels[row]->resize(labels[row]->sizeHint().width(), 17);
    }
}

void TReportForm::Follow(CurrentAnalysis* analysis) {
    connect(analysis, &CurrentAnalysis::analysisChanged, this,
            [this, analysis](CurrentAnalysis::Change change) {
                const PassageDetails* details = analysis->Details();
                if (change == CurrentAnalysis::Change::TextEdited || !details)
                    return;
                const AnalysisCounts& counts = details->counts;
                SetStatistics(counts.syllables, counts.words, counts.sentences,
                              counts.difficultWords);
            });
}

void TReportForm::DetailsBTClick() {
    emit detailsRequested();
}

void TReportForm::CloseBTClick() {
    close();
}

void TReportForm::ClipCopyBTClick() {
    std::array<std::string, kFigureRows> texts;
    const auto labels = valueLabels();
    for (std::size_t row = 0; row < labels.size(); ++row)
        texts[row] = labels[row]->text().toStdString();
    QGuiApplication::clipboard()->setText(QString::fromStdString(ReportClipboardText(texts)));
}
