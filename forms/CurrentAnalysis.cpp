#include "forms/CurrentAnalysis.h"

#include "analysis/PassageDetails.h"

#include <QPlainTextEdit>

CurrentAnalysis::CurrentAnalysis(QObject* parent) : QObject(parent) {}

CurrentAnalysis::~CurrentAnalysis() = default;

void CurrentAnalysis::Set(std::shared_ptr<PassageDetails> details, QPlainTextEdit* textArea,
                          TDictionary* dictionary, std::string passage, CheckSource checks) {
    disconnect(textConnection_);
    details_ = std::move(details);
    corrected_.assign(details_ ? details_->words.size() : 0, false);
    textArea_ = textArea;
    dictionary_ = dictionary;
    passage_ = std::move(passage);
    checkSource_ = std::move(checks);
    checks_.reset();
    stale_ = false;
    text_ = textArea ? textArea->toPlainText() : QString();
    if (textArea)
        textConnection_ =
            connect(textArea, &QPlainTextEdit::textChanged, this, &CurrentAnalysis::textChanged);
    emit analysisChanged(Change::NewAnalysis, 0);
}

QPlainTextEdit* CurrentAnalysis::TextArea() const {
    return textArea_;
}

bool CurrentAnalysis::SetWordCount(std::size_t row, std::int32_t syllables) {
    if (!details_ || row >= details_->words.size() || details_->words[row].syllables == syllables)
        return false;
    SetWordSyllables(*details_, row, syllables);
    checks_.reset(); // a sentence's grade may have moved
    corrected_[row] = true;
    emit analysisChanged(Change::WordCount, row);
    return true;
}

void CurrentAnalysis::textChanged() {
    if (stale_)
        return;
    stale_ = true;
    emit analysisChanged(Change::TextEdited, 0);
}

const std::vector<CurrentAnalysis::CheckFinding>&
CurrentAnalysis::Checks(std::optional<double> targetGrade) {
    if (!checks_ || checkedTarget_ != targetGrade) {
        checks_ = checkSource_ ? checkSource_(targetGrade) : std::vector<CheckFinding>();
        checkedTarget_ = targetGrade;
    }
    return *checks_;
}
