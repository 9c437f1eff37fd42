#include "forms/PassageHighlight.h"

#include "analysis/PassageDetails.h"
#include "forms/TextHighlight.h"

#include <QPlainTextEdit>

PassageHighlight::PassageHighlight(CurrentAnalysis* analysis, QObject* parent)
    : QObject(parent), analysis_(analysis) {
    connect(analysis_, &CurrentAnalysis::analysisChanged, this, &PassageHighlight::analysisChanged);
}

PassageHighlight::~PassageHighlight() {
    // The text area outlives this; it must not keep marks nobody can remove.
    if (highlight_) {
        highlight_->Clear();
        delete highlight_;
    }
}

void PassageHighlight::SetOn(bool on) {
    on_ = on;
    show();
}

bool PassageHighlight::Shown() const {
    return highlight_ && highlight_->Shown();
}

void PassageHighlight::analysisChanged(CurrentAnalysis::Change change) {
    if (change == CurrentAnalysis::Change::TextEdited)
        return; // the text highlight drops itself and says so
    QPlainTextEdit* textArea = analysis_->TextArea();
    if (highlight_ && highlight_->parent() != textArea) {
        highlight_->Clear();
        delete highlight_;
    }
    if (!highlight_ && textArea) {
        highlight_ =
            new TextHighlight(textArea, {TextHighlight::DifficultWordFormat(textArea->palette()),
                                         TextHighlight::LongSentenceFormat(textArea->palette())});
        connect(highlight_, &TextHighlight::dropped, this, [this] {
            on_ = false;
            emit dropped();
        });
    }
    show();
}

void PassageHighlight::show() {
    if (!highlight_)
        return;
    const PassageDetails* details = analysis_->Details();
    if (!on_ || !details || analysis_->Stale()) {
        highlight_->Clear();
        return;
    }
    std::vector<TextHighlight::Range> ranges;
    for (const SentenceDetails& sentence : details->sentences) {
        if (sentence.words > kLongSentenceWords)
            ranges.push_back({sentence.span.position, sentence.span.size, 1});
    }
    for (const WordOccurrence& occurrence : details->occurrences) {
        if (details->words[occurrence.row].syllables > 2)
            ranges.push_back({occurrence.span.position, occurrence.span.size, 0});
    }
    highlight_->Show(std::move(ranges));
}
