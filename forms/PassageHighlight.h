#pragma once

#include "checks/CheckRules.h"
#include "forms/CurrentAnalysis.h"
#include "forms/TextHighlight.h"

#include <QObject>
#include <QPointer>

#include <optional>
#include <vector>

class QColor;
class QPalette;

// The colours of the writing checks' findings in the text: hard sentences,
// very hard sentences, passive voice, weakening adverbs, and wordy phrases or
// complex words with a plainer alternative. nullopt for the kinds that are
// listed only.
inline constexpr int kCheckColours = 5;
std::optional<int> CheckColourOf(CheckRule rule);
// A background under the palette's own text colour, light or dark.
QColor CheckColour(int colour, const QPalette& palette);

// The difficult words and long sentences of the current analysis, marked in
// the text area it was made from. Follows the analysis: a corrected count
// moves the marks at once, a new analysis marks its own text, and an edit of
// the text drops them.
class PassageHighlight : public QObject {
    Q_OBJECT
public:
    PassageHighlight(CurrentAnalysis* analysis, QObject* parent = nullptr);
    ~PassageHighlight() override;

    // Marks the passage while on and while the text is as analysed.
    void SetOn(bool on);
    // With ranges, the marks are the writing checks' findings (their kinds from
    // kFirstCheckColour on) in place of the difficult words and long sentences.
    void SetCheckRanges(std::optional<std::vector<TextHighlight::Range>> ranges);
    static constexpr int kFirstCheckColour = 2;
    bool On() const { return on_; }
    bool Shown() const;

signals:
    // An edit of the text dropped the marks; the highlighting is off.
    void dropped();

private:
    void analysisChanged(CurrentAnalysis::Change change);
    void show();

    CurrentAnalysis* analysis_;
    QPointer<TextHighlight> highlight_;
    bool on_ = false;
    std::optional<std::vector<TextHighlight::Range>> checkRanges_;
};
