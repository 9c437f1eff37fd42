#include "documents/SourcePlace.h"

#include "text/Error.h"

#include <algorithm>

SourcePlace PlaceAt(std::string_view text, const std::vector<PlaceMark>& places,
                    std::size_t offset) {
    const auto after =
        std::upper_bound(places.begin(), places.end(), offset,
                         [](std::size_t at, const PlaceMark& mark) { return at < mark.offset; });
    const PlaceMark mark =
        after == places.begin() ? PlaceMark{0, {PlaceKind::Line, 1, 1}} : *(after - 1);
    SourcePlace place = mark.place;
    if (place.kind != PlaceKind::Line)
        return place;
    offset = std::min(offset, text.size());
    const std::string_view between =
        text.substr(std::min(mark.offset, offset), offset - std::min(mark.offset, offset));
    const std::size_t lastBreak = between.rfind('\n');
    if (lastBreak == std::string_view::npos) {
        place.column += static_cast<int>(between.size());
        return place;
    }
    place.number += static_cast<int>(std::count(between.begin(), between.end(), '\n'));
    place.column = static_cast<int>(between.size() - lastBreak);
    return place;
}

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f';
}

} // namespace

BlockWriter::BlockWriter(std::size_t maxBytes) : maxBytes_(maxBytes) {}

void BlockWriter::Place(const SourcePlace& place) {
    if (predicted_ && place == next_)
        return;
    if (!blockMarks_.empty() && blockMarks_.back().offset == block_.size())
        blockMarks_.back().place = place;
    else
        blockMarks_.push_back({block_.size(), place});
    predicted_ = true;
    next_ = place;
}

void BlockWriter::Advance(std::string_view appended) {
    if (!predicted_ || next_.kind != PlaceKind::Line)
        return;
    for (const char c : appended) {
        if (c == '\n') {
            ++next_.number;
            next_.column = 1;
        } else {
            ++next_.column;
        }
    }
}

void BlockWriter::AppendCollapsed(std::string_view text) {
    const std::size_t before = block_.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool noBreakSpace = c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0';
        if (IsSpace(c) || noBreakSpace) {
            i += noBreakSpace ? 1 : 0;
            if (!block_.empty() && block_.back() != ' ' && block_.back() != '\n')
                block_ += ' ';
            continue;
        }
        block_ += c;
    }
    Advance(std::string_view(block_).substr(before));
    CheckSize();
}

void BlockWriter::AppendCollapsed(std::string_view text, SourcePlace place) {
    std::size_t lead = 0;
    while (lead < text.size() && IsSpace(text[lead]))
        ++lead;
    AppendCollapsed(text.substr(0, lead));
    if (lead == text.size())
        return;
    if (place.kind == PlaceKind::Line)
        place.column += static_cast<int>(lead);
    Place(place);
    AppendCollapsed(text.substr(lead));
}

void BlockWriter::Append(std::string_view text) {
    block_ += text;
    Advance(text);
    CheckSize();
}

void BlockWriter::LineBreak() {
    while (!block_.empty() && block_.back() == ' ')
        block_.pop_back();
    if (block_.empty() || (block_.size() >= 2 && block_.ends_with("\n\n")))
        return;
    block_ += '\n';
    predicted_ = false;
}

void BlockWriter::CutBlock(std::size_t size) {
    block_.resize(std::min(size, block_.size()));
    while (!blockMarks_.empty() && blockMarks_.back().offset >= block_.size())
        blockMarks_.pop_back();
    predicted_ = false;
}

void BlockWriter::EndBlock() {
    predicted_ = false;
    std::size_t end = block_.size();
    while (end > 0 && IsSpace(block_[end - 1]))
        --end;
    std::size_t start = 0;
    while (start < end && IsSpace(block_[start]))
        ++start;
    if (start == end) {
        block_.clear();
        blockMarks_.clear();
        return;
    }
    if (!done_.text.empty())
        done_.text += "\n\n";
    const std::size_t base = done_.text.size();
    for (const PlaceMark& mark : blockMarks_) {
        if (mark.offset >= end)
            break;
        const std::size_t offset = base + (mark.offset > start ? mark.offset - start : 0);
        if (!done_.places.empty() && done_.places.back().offset == offset)
            done_.places.back().place = mark.place;
        else
            done_.places.push_back({offset, mark.place});
    }
    done_.text.append(block_, start, end - start);
    block_.clear();
    blockMarks_.clear();
    CheckSize();
}

void BlockWriter::CheckSize() const {
    if (done_.text.size() + block_.size() > maxBytes_)
        throw TextTooLarge();
}

DocumentText BlockWriter::Take() {
    EndBlock();
    return std::move(done_);
}
