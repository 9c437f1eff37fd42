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
    if (Silent())
        return;
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
    if (Silent())
        return;
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
    if (Silent())
        return;
    block_ += text;
    Advance(text);
    CheckSize();
}

void BlockWriter::LineBreak() {
    if (Silent())
        return;
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
    while (!blockCode_.empty() && blockCode_.back().begin >= block_.size())
        blockCode_.pop_back();
    if (!blockCode_.empty())
        blockCode_.back().end = std::min(blockCode_.back().end, block_.size());
    codeStart_ = std::min(codeStart_, block_.size());
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
        blockCode_.clear();
        codeStart_ = 0;
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
    for (const TextRange& code : blockCode_) {
        const std::size_t from = std::clamp(code.begin, start, end);
        const std::size_t to = std::clamp(code.end, start, end);
        if (from < to)
            done_.code.push_back({base + from - start, base + to - start});
    }
    done_.text.append(block_, start, end - start);
    block_.clear();
    blockMarks_.clear();
    blockCode_.clear();
    codeStart_ = 0;
    CheckSize();
}

void BlockWriter::BeginCode() {
    if (codeDepth_++ == 0)
        codeStart_ = block_.size();
}

void BlockWriter::EndCode() {
    if (codeDepth_ == 0 || --codeDepth_ > 0)
        return;
    if (codeStart_ < block_.size())
        blockCode_.push_back({codeStart_, block_.size()});
}

void BlockWriter::Ignore(const IgnoreComment& comment) {
    // Where the next text goes: after the blank line that ends this block.
    const std::size_t here =
        done_.text.size() + (block_.empty() ? 0 : block_.size()) + (done_.text.empty() ? 0 : 2);
    switch (comment.kind) {
    case IgnoreComment::Kind::Disable:
        disabled_ = true;
        break;
    case IgnoreComment::Kind::Enable:
        disabled_ = false;
        for (SilencedChecks& open : openSilences_) {
            open.range.end = here;
            done_.silenced.push_back(std::move(open));
        }
        openSilences_.clear();
        break;
    case IgnoreComment::Kind::DisableNextBlock:
        skipNextBlock_ = true;
        break;
    case IgnoreComment::Kind::DisableChecks:
        openSilences_.push_back({{here, here}, comment.rules});
        break;
    case IgnoreComment::Kind::None:
        break;
    }
}

void BlockWriter::StartTopBlock() {
    if (topDepth_++ > 0)
        return;
    if (skipNextBlock_) {
        skipNextBlock_ = false;
        skippingBlock_ = true;
    }
}

void BlockWriter::EndTopBlock() {
    if (topDepth_ == 0 || --topDepth_ > 0)
        return;
    skippingBlock_ = false;
}

IgnoreComment ParseIgnoreComment(std::string_view comment) {
    const auto trim = [](std::string_view text) {
        while (!text.empty() && IsSpace(text.front()))
            text.remove_prefix(1);
        while (!text.empty() && IsSpace(text.back()))
            text.remove_suffix(1);
        return text;
    };
    comment = trim(comment);
    IgnoreComment ignore;
    if (comment == "scrivolux-enable") {
        ignore.kind = IgnoreComment::Kind::Enable;
    } else if (comment == "scrivolux-disable") {
        ignore.kind = IgnoreComment::Kind::Disable;
    } else if (comment == "scrivolux-disable-next-block") {
        ignore.kind = IgnoreComment::Kind::DisableNextBlock;
    } else if (comment.starts_with("scrivolux-disable") && comment.size() > 17 &&
               IsSpace(comment[17])) {
        ignore.kind = IgnoreComment::Kind::DisableChecks;
        std::string_view list = trim(comment.substr(17));
        while (!list.empty()) {
            const std::size_t comma = std::min(list.find(','), list.size());
            const std::string_view rule = trim(list.substr(0, comma));
            if (!rule.empty())
                ignore.rules.emplace_back(rule);
            list.remove_prefix(std::min(comma + 1, list.size()));
        }
    }
    return ignore;
}

void BlockWriter::CheckSize() const {
    if (done_.text.size() + block_.size() > maxBytes_)
        throw TextTooLarge();
}

DocumentText BlockWriter::Take() {
    EndBlock();
    // Checks turned off and never on again stay off to the end.
    for (SilencedChecks& open : openSilences_) {
        open.range.end = done_.text.size();
        done_.silenced.push_back(std::move(open));
    }
    openSilences_.clear();
    return std::move(done_);
}
