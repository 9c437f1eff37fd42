#include "analysis/CarefulRules.h"

#include "analysis/CarefulSentences.h"
#include "analysis/CarefulWords.h"

#include <future>

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

} // namespace

WorkingTexts CarefulWorkingTexts(const std::vector<std::string_view>& lines) {
    WorkingTexts texts;
    texts.rules = CountingRules::Careful;
    std::size_t size = 0;
    for (const std::string_view line : lines)
        size += line.size() + 1;
    std::string& passage = texts.passage;
    passage.reserve(size);
    std::vector<CarefulLine> spans;
    spans.reserve(lines.size());
    for (const std::string_view line : lines) {
        spans.push_back({passage.size(), passage.size() + line.size()});
        passage += line;
        passage += ' ';
    }
    texts.wordText = passage;
    texts.sentenceText = passage;
    // The words of a large text are found on two threads, the halves cut at a
    // line's end, where no word or piece of text runs on.
    const std::size_t cut = size >= kTwoThreadsFrom ? spans[spans.size() / 2].start : size;
    std::vector<std::size_t> events;
    auto tail = std::async(cut < size ? std::launch::async : std::launch::deferred, [&] {
        std::vector<std::size_t> tailEvents;
        FillCarefulWords(std::string_view(passage).substr(cut), texts.wordText.data() + cut,
                         tailEvents);
        BlankMarks(texts.sentenceText.data() + cut, tailEvents);
        return tailEvents;
    });
    FillCarefulWords(std::string_view(passage).substr(0, cut), texts.wordText.data(), events);
    BlankMarks(texts.sentenceText.data(), events);
    const std::vector<std::size_t> tailEvents = tail.get();
    events.reserve(events.size() + tailEvents.size());
    for (const std::size_t at : tailEvents)
        events.push_back(cut + at);
    MarkCarefulSentences(passage, texts.sentenceText.data(), texts.wordText.data(), events, spans);
    return texts;
}
