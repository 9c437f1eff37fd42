#include "forms/PassageHighlight.h"

#include "analysis/PassageDetails.h"
#include "forms/TextHighlight.h"

#include <QColor>
#include <QPalette>
#include <QPlainTextEdit>

#include <array>

namespace {

struct ColourPair {
    QRgb light; // under dark text
    QRgb dark;  // under light text
};

// Wordy or complex, adverb, passive, very hard sentence, hard sentence: the
// sentences' colours have the highest kinds, so that the words inside them
// show on top.
constexpr std::array<ColourPair, kCheckColours> kColours = {{
    {0xC8F0C8, 0x1F5A2A},
    {0xE6D4FF, 0x4A2A6B},
    {0xCFE3FF, 0x1F3A66},
    {0xFFC9C9, 0x6B1F1F},
    {0xFFF3B0, 0x5A4E00},
}};

} // namespace

std::optional<int> CheckColourOf(CheckRule rule) {
    switch (rule) {
    case CheckRule::Wordy:
    case CheckRule::ComplexWord:
        return 0;
    case CheckRule::Adverb:
        return 1;
    case CheckRule::Passive:
        return 2;
    case CheckRule::VeryHardSentence:
        return 3;
    case CheckRule::HardSentence:
        return 4;
    default:
        return std::nullopt;
    }
}

QColor CheckColour(int colour, const QPalette& palette) {
    const ColourPair& pair = kColours[static_cast<std::size_t>(colour)];
    return QColor::fromRgb(palette.color(QPalette::Base).lightness() < 128 ? pair.dark
                                                                           : pair.light);
}

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

void PassageHighlight::SetCheckRanges(std::optional<std::vector<TextHighlight::Range>> ranges) {
    checkRanges_ = std::move(ranges);
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
        std::vector<QTextCharFormat> formats = {
            TextHighlight::DifficultWordFormat(textArea->palette()),
            TextHighlight::LongSentenceFormat(textArea->palette())};
        for (int colour = 0; colour < kCheckColours; ++colour) {
            QTextCharFormat format;
            format.setBackground(CheckColour(colour, textArea->palette()));
            formats.push_back(format);
        }
        highlight_ = new TextHighlight(textArea, std::move(formats));
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
    if (checkRanges_) {
        highlight_->Show(*checkRanges_);
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
