#include "analysis/CarefulRules.h"

#include "analysis/CarefulSentences.h"
#include "analysis/CarefulWords.h"

#include <algorithm>
#include <future>
#include <span>

namespace {

// Below this a second thread costs more than it saves.
constexpr std::size_t kTwoThreadsFrom = 256 * 1024;

// The sentence text holds no ".", "!" or "?" but those placed at the ends.
void BlankMarks(char* sentence, const std::vector<std::size_t>& events) {
    for (const std::size_t at : events) {
        char& c = sentence[at];
        if (c == '.' || c == '!' || c == '?')
            c = ' ';
    }
}

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

} // namespace

WorkingTexts CarefulWorkingTexts(const std::vector<std::string_view>& lines) {
    std::size_t size = 0;
    for (const std::string_view line : lines)
        size += line.size() + 1;
    std::string passage;
    passage.reserve(size);
    std::vector<CarefulLine> spans;
    spans.reserve(lines.size());
    for (const std::string_view line : lines) {
        spans.push_back({passage.size(), passage.size() + line.size()});
        passage += line;
        passage += ' ';
    }
    return CarefulWorkingTexts(std::move(passage), std::move(spans));
}

WorkingTexts CarefulWorkingTexts(std::string&& passageText, std::vector<CarefulLine> spans) {
    WorkingTexts texts;
    texts.rules = CountingRules::Careful;
    texts.passage = std::move(passageText);
    const std::string& passage = texts.passage;
    const std::size_t size = passage.size();
    texts.wordText = passage;
    texts.sentenceText = passage;
    // A large text is worked on two threads, the halves cut at a blank line,
    // where no word, sentence or block runs on.
    std::size_t cutLine = spans.size();
    if (size >= kTwoThreadsFrom) {
        for (std::size_t k = spans.size() / 2; k < spans.size(); ++k) {
            if (IsBlankLine(std::string_view(passage).substr(spans[k].start,
                                                             spans[k].end - spans[k].start))) {
                cutLine = k;
                break;
            }
        }
    }
    const std::span<const CarefulLine> allLines(spans);
    const auto markPart = [&](std::size_t firstLine, std::size_t endLine) {
        const std::size_t start = firstLine < spans.size() ? spans[firstLine].start : size;
        const std::size_t end = endLine < spans.size() ? spans[endLine].start : size;
        std::vector<std::size_t> events;
        FillCarefulWords(std::string_view(passage).substr(start, end - start),
                         texts.wordText.data() + start, events);
        for (std::size_t& at : events)
            at += start;
        BlankMarks(texts.sentenceText.data(), events);
        MarkCarefulSentences(passage, texts.sentenceText.data(), texts.wordText.data(), events,
                             allLines.subspan(firstLine, endLine - firstLine));
    };
    auto tail = std::async(cutLine < spans.size() ? std::launch::async : std::launch::deferred,
                           [&] { markPart(cutLine, spans.size()); });
    markPart(0, cutLine);
    tail.get();
    return texts;
}
