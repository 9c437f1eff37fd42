#pragma once

#include "checks/CheckRules.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPlainTextEdit;
class TDictionary;
struct PassageDetails;

// The analysis the windows show, held in one place. The report, the graph, the
// details and the highlighting each follow analysisChanged and redraw
// themselves, so a count corrected in one of them reaches all of them without
// any window knowing the others.
class CurrentAnalysis : public QObject {
    Q_OBJECT
public:
    // A writing check's finding, where the text area holds it.
    struct CheckFinding {
        CheckRule rule = CheckRule::HardSentence;
        std::size_t position = 0; // UTF-16, in the text area
        std::size_t size = 0;
        QString message;
        QString suggestion; // empty for none
    };
    // Runs the writing checks on the analysis, sentences above the target
    // grade (10 without one) hard.
    using CheckSource = std::function<std::vector<CheckFinding>(std::optional<double> targetGrade)>;

    enum class Change {
        NewAnalysis, // a run finished: everything is new
        WordCount,   // the count of one word (the row) was corrected
        TextEdited,  // the text no longer matches the analysis
    };

    explicit CurrentAnalysis(QObject* parent = nullptr);
    ~CurrentAnalysis() override;

    // The details of a new analysis of the text in textArea, whose words were
    // counted with dictionary (the one a corrected count may be added to).
    // passage is the text the details' byte offsets point into, when known;
    // checks runs the writing checks on it when they are first asked for (a
    // text counted by the classic rules is prepared again for them).
    void Set(std::shared_ptr<PassageDetails> details, QPlainTextEdit* textArea,
             TDictionary* dictionary, std::string passage = {}, CheckSource checks = {});

    // Gives the word of the row a new count and counts the figures again.
    // False, and no change announced, when the count is the same or the row
    // does not exist.
    bool SetWordCount(std::size_t row, std::int32_t syllables);

    // The findings, run now if they were not yet or the target changed; empty
    // before the first analysis.
    const std::vector<CheckFinding>& Checks(std::optional<double> targetGrade);

    // Whether the count of the row's word was corrected since the analysis.
    bool Corrected(std::size_t row) const { return row < corrected_.size() && corrected_[row]; }

    // nullptr before the first analysis.
    const PassageDetails* Details() const { return details_.get(); }
    QPlainTextEdit* TextArea() const;
    TDictionary* Dictionary() const { return dictionary_; }
    // The text as it was analysed, for the wording of the sentences.
    const QString& Text() const { return text_; }
    // The passage as analysed; "" when the run did not keep it.
    const std::string& Passage() const { return passage_; }
    // Whether the text was edited since the analysis, so that the positions of
    // its words and sentences no longer hold.
    bool Stale() const { return stale_; }

signals:
    // row is the corrected word's for Change::WordCount, else 0.
    void analysisChanged(CurrentAnalysis::Change change, std::size_t row);

private:
    void textChanged();

    std::shared_ptr<PassageDetails> details_;
    QPointer<QPlainTextEdit> textArea_;
    QMetaObject::Connection textConnection_;
    TDictionary* dictionary_ = nullptr;
    std::vector<bool> corrected_; // by row of the details' words
    QString text_;
    std::string passage_;
    CheckSource checkSource_;
    std::optional<std::vector<CheckFinding>> checks_;
    std::optional<double> checkedTarget_;
    bool stale_ = false;
};
