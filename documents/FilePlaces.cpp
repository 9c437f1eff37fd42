#include "documents/FilePlaces.h"

#include "text/TextFile.h"

#include <algorithm>

namespace {

// The code points of UTF-8 bytes: every byte that does not continue one.
int CodePoints(std::string_view bytes) {
    return static_cast<int>(std::count_if(bytes.begin(), bytes.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::vector<std::size_t> LineFeedStarts(std::string_view text) {
    std::vector<std::size_t> starts{0};
    for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1))
        starts.push_back(i + 1);
    return starts;
}

// Whether the text breaks its lines with LF alone, as most do: its passage's
// lines then start where its line feeds end.
bool OnlyLineFeeds(std::string_view text) {
    if (text.find('\r') != std::string_view::npos)
        return false;
    for (const char lead : {'\xE2', '\xEF'}) {
        for (std::size_t i = text.find(lead); i != std::string_view::npos;
             i = text.find(lead, i + 1)) {
            if (LineBreakAt(text, i) != 0)
                return false;
        }
    }
    return true;
}

} // namespace

std::string_view PlaceKindName(PlaceKind kind) {
    switch (kind) {
    case PlaceKind::Paragraph:
        return "paragraph";
    case PlaceKind::Page:
        return "page";
    case PlaceKind::Line:
        break;
    }
    return "line";
}

FileLocator::FileLocator(const LoadedDocument& document)
    : text_(document.text), places_(document.places), silenced_(document.silenced),
      markup_(document.markup) {}

// Most files of a lint run pass and print nothing placed: their lines are
// found only when asked for.
void FileLocator::FindLines() const {
    if (linesFound_)
        return;
    linesFound_ = true;
    markupStarts_ = LineFeedStarts(markup_.empty() ? std::string_view(text_) : markup_);
    if (OnlyLineFeeds(text_)) {
        textStarts_ = markup_.empty() ? markupStarts_ : LineFeedStarts(text_);
        // A line feed at the very end starts no line.
        if (textStarts_.size() > 1 && textStarts_.back() == text_.size())
            textStarts_.pop_back();
        passageStarts_ = textStarts_;
        return;
    }
    // The passage turns each line break into one space: a line starts at the
    // same byte of its line in both.
    passageStarts_.push_back(0);
    textStarts_.push_back(0);
    std::size_t passageOffset = 0;
    for (std::size_t i = 0; i < text_.size(); ++i, ++passageOffset) {
        const std::size_t length = LineBreakAt(text_, i);
        if (length == 0)
            continue;
        i += length - 1;
        if (i + 1 < text_.size()) {
            passageStarts_.push_back(passageOffset + 1);
            textStarts_.push_back(i + 1);
        }
    }
}

PlaceKind FileLocator::Kind() const {
    return places_.empty() ? PlaceKind::Line : places_.front().place.kind;
}

std::size_t FileLocator::TextOffset(std::size_t passageOffset) const {
    FindLines();
    const auto after =
        std::upper_bound(passageStarts_.begin(), passageStarts_.end(), passageOffset);
    const auto line =
        static_cast<std::size_t>(std::max<std::ptrdiff_t>(after - passageStarts_.begin(), 1) - 1);
    if (line >= textStarts_.size())
        return text_.size();
    const std::size_t into = std::min(passageOffset - passageStarts_[line], text_.size());
    return std::min(text_.size(), textStarts_[line] + into);
}

FilePlace FileLocator::AtPassage(std::size_t offset) const {
    const std::size_t at = TextOffset(offset);
    SourcePlace place;
    const bool plainLines =
        markup_.empty() &&
        (places_.empty() || (places_.size() == 1 && places_[0].offset == 0 &&
                             places_[0].place == SourcePlace{PlaceKind::Line, 1, 1}));
    if (plainLines) {
        // Plain text: its line feeds are found already, where PlaceAt would
        // count them from the top for every place.
        const auto after = std::upper_bound(markupStarts_.begin(), markupStarts_.end(), at);
        place.number = static_cast<int>(after - markupStarts_.begin());
        place.column = static_cast<int>(at - *(after - 1)) + 1;
    } else {
        place = PlaceAt(text_, places_, at);
    }
    if (place.kind != PlaceKind::Line) {
        // The column within the paragraph or page: from its mark.
        const auto after =
            std::upper_bound(places_.begin(), places_.end(), at,
                             [](std::size_t o, const PlaceMark& mark) { return o < mark.offset; });
        const std::size_t from = after == places_.begin() ? 0 : (after - 1)->offset;
        return {place.kind, place.number,
                CodePoints(std::string_view(text_).substr(from, at - std::min(from, at))) + 1};
    }
    // The reader's column counts bytes of the source line.
    const std::string_view source = markup_.empty() ? std::string_view(text_) : markup_;
    const auto line = static_cast<std::size_t>(std::max(place.number, 1) - 1);
    if (line >= markupStarts_.size())
        return {PlaceKind::Line, place.number, place.column};
    const std::size_t start = markupStarts_[line];
    const std::size_t end =
        line + 1 < markupStarts_.size() ? markupStarts_[line + 1] : source.size();
    const std::size_t bytes =
        std::min(static_cast<std::size_t>(std::max(place.column, 1) - 1), end - start);
    return {PlaceKind::Line, place.number, CodePoints(source.substr(start, bytes)) + 1};
}

FilePlace FileLocator::AtPassageLine(int line) const {
    FindLines();
    const auto index = static_cast<std::size_t>(std::max(line, 1) - 1);
    return AtPassage(index < passageStarts_.size() ? passageStarts_[index] : SIZE_MAX);
}

bool FileLocator::Silenced(std::size_t offset, std::string_view rule) const {
    if (silenced_.empty())
        return false;
    const std::size_t at = TextOffset(offset);
    return std::any_of(silenced_.begin(), silenced_.end(), [&](const SilencedChecks& s) {
        return at >= s.range.begin && at < s.range.end &&
               std::find(s.rules.begin(), s.rules.end(), rule) != s.rules.end();
    });
}
