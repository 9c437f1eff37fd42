#include "forms/DetailsHeadline.h"

#include "analysis/PassageDetails.h"
#include "forms/ErrorDisplay.h"
#include "report/Verdict.h"
#include "settings/OptionSettings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr std::size_t kWordsToReplace = 5;

} // namespace

DetailsHeadline::DetailsHeadline(CurrentAnalysis* analysis, QWidget* parent)
    : QWidget(parent), analysis_(analysis) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    HeadlineST = new QLabel(this);
    HeadlineST->setWordWrap(true);
    HeadlineST->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    HeadlineST->setAccessibleName(QStringLiteral("Verdict"));
    QFont font = HeadlineST->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    HeadlineST->setFont(font);

    auto* target = new QHBoxLayout;
    TargetGradeST = new QLabel(QStringLiteral("&Target grade:"), this);
    TargetGradeEdit = new QSpinBox(this);
    TargetGradeEdit->setRange(0, kMostTargetGrade);
    TargetGradeEdit->setSpecialValueText(QStringLiteral("none"));
    TargetGradeEdit->setAccessibleName(QStringLiteral("Target grade"));
    TargetGradeEdit->setToolTip(
        QStringLiteral("The school grade the text should suit; remembered between runs"));
    TargetGradeST->setBuddy(TargetGradeEdit);
    target->addWidget(TargetGradeST);
    target->addWidget(TargetGradeEdit);
    target->addStretch(1);
    layout->addWidget(HeadlineST);
    layout->addLayout(target);

    try {
        const std::unique_ptr<SettingsStore> store = OpenUserSettings();
        TargetGradeEdit->setValue(ReadTargetGrade(*store).value_or(0));
    } catch (...) {
        ShowCurrentException(this);
    }
    connect(TargetGradeEdit, &QSpinBox::valueChanged, this,
            &DetailsHeadline::TargetGradeEditChange);
    connect(analysis_, &CurrentAnalysis::analysisChanged, this,
            [this](CurrentAnalysis::Change change) {
                if (change != CurrentAnalysis::Change::TextEdited)
                    showVerdict();
            });
    showVerdict();
}

std::optional<int> DetailsHeadline::TargetGrade() const {
    const int grade = TargetGradeEdit->value();
    return grade > 0 ? std::optional<int>(grade) : std::nullopt;
}

void DetailsHeadline::SetTargetGrade(std::optional<int> grade) {
    TargetGradeEdit->setValue(grade.value_or(0));
}

void DetailsHeadline::TargetGradeEditChange(int) {
    showVerdict();
    // Remembered at once, as the options of the main window are.
    try {
        const std::unique_ptr<SettingsStore> store = OpenUserSettings();
        WriteTargetGrade(*store, TargetGrade());
    } catch (...) {
        ShowCurrentException(this);
    }
}

void DetailsHeadline::showVerdict() {
    const PassageDetails* details = analysis_->Details();
    if (!details) {
        HeadlineST->clear();
        return;
    }
    const std::string separator = QLocale().decimalPoint().toStdString();
    const Verdict verdict =
        MakeVerdict(details->counts, details->indexCounts, TargetGrade(), separator);
    std::string headline = verdict.headline;
    // Then what to change first, when the words are part of the cause.
    if (verdict.gradesTooHard) {
        const std::string words = WordsToReplaceText(*details, kWordsToReplace);
        if (!words.empty())
            headline += ' ' + words;
    }
    HeadlineST->setText(QString::fromStdString(headline));
    emit verdictShown(verdict.gradesTooHard.has_value());
}
