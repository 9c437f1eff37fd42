#pragma once

#include "forms/CurrentAnalysis.h"

#include <QObject>
#include <QPointer>

class TextHighlight;

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
};
