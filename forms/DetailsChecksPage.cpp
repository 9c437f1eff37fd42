#include "forms/DetailsChecksPage.h"

#include "forms/ErrorDisplay.h"
#include "forms/PassageHighlight.h"
#include "forms/ShownText.h"
#include "settings/OptionSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

// The kinds as the page names them, in the order of CheckRule.
constexpr std::array<const char*, kCheckRuleCount> kRuleCaptions = {
    "Hard sentences", "Very hard sentences", "Passive voice",  "Weakening adverbs",
    "Wordy phrases",  "Weasel words",        "Hedges",         "Fillers",
    "Clich\u00e9s",   "Complex words",       "Repeated words",
};

QString IdOf(CheckRule rule) {
    return QString::fromLatin1(CheckRuleId(rule).data(),
                               static_cast<qsizetype>(CheckRuleId(rule).size()));
}

} // namespace

DetailsChecksPage::DetailsChecksPage(CurrentAnalysis* analysis, QWidget* parent)
    : QWidget(parent), analysis_(analysis) {
    auto* layout = new QVBoxLayout(this);
    auto* kinds = new QGridLayout;
    std::unique_ptr<SettingsStore> store;
    try {
        store = OpenUserSettings();
    } catch (...) {
        ShowCurrentException(this);
    }
    const auto remembered = [&store, this](const QString& name) {
        try {
            return store && ReadOption(*store, name);
        } catch (...) {
            ShowCurrentException(this);
            return false;
        }
    };
    for (std::size_t i = 0; i < kCheckRuleCount; ++i) {
        const auto rule = static_cast<CheckRule>(i);
        auto* check = new QCheckBox(QString::fromUtf8(kRuleCaptions[i]), this);
        check->setToolTip(
            QString::fromLatin1(CheckRules()[i].description.data(),
                                static_cast<qsizetype>(CheckRules()[i].description.size())));
        check->setChecked(!remembered(CheckOffName(IdOf(rule))));
        // The legend: the colour the kind has in the text.
        if (const auto colour = CheckColourOf(rule)) {
            QPixmap swatch(12, 12);
            swatch.fill(CheckColour(*colour, palette()));
            check->setIcon(QIcon(swatch));
        }
        connect(check, &QCheckBox::toggled, this,
                [this, rule](bool on) { RuleCheckClick(rule, on); });
        RuleChecks[i] = check;
        kinds->addWidget(check, static_cast<int>(i / 3), static_cast<int>(i % 3));
    }
    layout->addLayout(kinds);
    ColourCheck = new QCheckBox(
        QStringLiteral("&Colour the findings in the text while Highlight is on"), this);
    ColourCheck->setChecked(remembered(kColourChecksName));
    layout->addWidget(ColourCheck);

    FindingsST = new QLabel(this);
    FindingsST->setWordWrap(true);
    layout->addWidget(FindingsST);
    FindingsView = new QTableWidget(0, 3, this);
    FindingsView->setAccessibleName(QStringLiteral("Findings"));
    FindingsView->setAccessibleDescription(
        QStringLiteral("Enter selects the finding's words in the text"));
    FindingsView->setHorizontalHeaderLabels(
        {QStringLiteral("Kind"), QStringLiteral("Finding"), QStringLiteral("Try")});
    FindingsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FindingsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    FindingsView->setSelectionMode(QAbstractItemView::SingleSelection);
    FindingsView->verticalHeader()->hide();
    FindingsView->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    FindingsView->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    FindingsView->setWordWrap(true);
    FindingsView->setTabKeyNavigation(false);
    layout->addWidget(FindingsView, 1);

    connect(ColourCheck, &QCheckBox::toggled, this, &DetailsChecksPage::ColourCheckClick);
    connect(FindingsView, &QTableWidget::cellClicked, this,
            [this](int row, int) { FindingsViewActivate(row); });
    connect(FindingsView, &QTableWidget::activated, this,
            [this](const QModelIndex& index) { FindingsViewActivate(index.row()); });
    connect(analysis_, &CurrentAnalysis::analysisChanged, this,
            [this](CurrentAnalysis::Change change) {
                if (change == CurrentAnalysis::Change::TextEdited)
                    return;
                shownStale_ = true;
                if (isVisible())
                    showFindings();
            });
}

void DetailsChecksPage::SetTargetGrade(std::optional<int> grade) {
    const std::optional<double> target =
        grade ? std::optional<double>(*grade) : std::optional<double>();
    if (target == target_)
        return;
    target_ = target;
    shownStale_ = true;
    if (isVisible())
        showFindings();
    emit colouringChanged();
}

bool DetailsChecksPage::ruleOn(CheckRule rule) const {
    return RuleChecks[static_cast<std::size_t>(rule)]->isChecked();
}

void DetailsChecksPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownStale_)
        showFindings();
}

void DetailsChecksPage::showFindings() {
    shownStale_ = false;
    FindingsView->setRowCount(0);
    listed_.clear();
    std::array<int, kCheckRuleCount> counts{};
    const bool analysed = analysis_->Details() != nullptr;
    const std::vector<CurrentAnalysis::CheckFinding>& findings =
        analysed ? analysis_->Checks(target_) : std::vector<CurrentAnalysis::CheckFinding>();
    for (std::size_t i = 0; i < findings.size(); ++i) {
        ++counts[static_cast<std::size_t>(findings[i].rule)];
        if (ruleOn(findings[i].rule))
            listed_.push_back(i);
    }
    for (std::size_t i = 0; i < kCheckRuleCount; ++i)
        RuleChecks[i]->setText(
            QStringLiteral("%1 (%2)").arg(QString::fromUtf8(kRuleCaptions[i])).arg(counts[i]));
    FindingsView->setRowCount(static_cast<int>(listed_.size()));
    for (std::size_t i = 0; i < listed_.size(); ++i) {
        const CurrentAnalysis::CheckFinding& finding = findings[listed_[i]];
        const auto row = static_cast<int>(i);
        FindingsView->setItem(row, 0,
                              new QTableWidgetItem(QString::fromUtf8(
                                  kRuleCaptions[static_cast<std::size_t>(finding.rule)])));
        FindingsView->setItem(row, 1, new QTableWidgetItem(VisibleText(finding.message)));
        FindingsView->setItem(row, 2, new QTableWidgetItem(VisibleText(finding.suggestion)));
    }
    FindingsView->resizeColumnToContents(0);
    FindingsView->resizeRowsToContents();
    FindingsST->setText(
        !analysed ? QString()
        : findings.empty()
            ? QStringLiteral("No findings: nothing in the text is passive, wordy, hedged or "
                             "above the target.")
            : QStringLiteral("%1 findings of %2; click one or press Enter to select it in the "
                             "text.")
                  .arg(listed_.size())
                  .arg(findings.size()));
}

void DetailsChecksPage::RuleCheckClick(CheckRule rule, bool on) {
    try {
        const std::unique_ptr<SettingsStore> store = OpenUserSettings();
        WriteOption(*store, CheckOffName(IdOf(rule)), !on);
    } catch (...) {
        ShowCurrentException(this);
    }
    if (isVisible() || !shownStale_)
        showFindings();
    emit colouringChanged();
}

void DetailsChecksPage::ColourCheckClick(bool on) {
    try {
        const std::unique_ptr<SettingsStore> store = OpenUserSettings();
        WriteOption(*store, kColourChecksName, on);
    } catch (...) {
        ShowCurrentException(this);
    }
    emit colouringChanged();
}

void DetailsChecksPage::FindingsViewActivate(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= listed_.size() || !analysis_->Details())
        return;
    const auto& findings = analysis_->Checks(target_);
    const std::size_t index = listed_[static_cast<std::size_t>(row)];
    if (index < findings.size())
        emit findingRequested(findings[index].position, findings[index].size);
}

std::optional<std::vector<TextHighlight::Range>> DetailsChecksPage::ColouredRanges() {
    if (!ColourCheck->isChecked())
        return std::nullopt;
    std::vector<TextHighlight::Range> ranges;
    if (!analysis_->Details())
        return ranges;
    for (const CurrentAnalysis::CheckFinding& finding : analysis_->Checks(target_)) {
        const auto colour = CheckColourOf(finding.rule);
        if (colour && ruleOn(finding.rule))
            ranges.push_back(
                {finding.position, finding.size, PassageHighlight::kFirstCheckColour + *colour});
    }
    return ranges;
}
