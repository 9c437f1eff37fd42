#include "forms/TextHighlight.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <algorithm>

namespace {

// Text on a dark palette is light: a background then needs to be dark too.
bool IsDark(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < 128;
}

// Characters beyond the screen that are marked ahead, so that a small scroll
// shows them at once.
constexpr std::size_t kMarginCharacters = 2000;

} // namespace

TextHighlight::TextHighlight(QPlainTextEdit* textArea, std::vector<QTextCharFormat> formats)
    : QObject(textArea), textArea_(textArea), formats_(std::move(formats)) {
    connect(textArea_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { update(); });
    connect(textArea_, &QPlainTextEdit::updateRequest, this, [this](const QRect&, int dy) {
        if (dy != 0)
            update();
    });
    connect(textArea_, &QPlainTextEdit::textChanged, this, [this] {
        if (!shown_)
            return;
        Clear();
        emit dropped();
    });
}

QTextCharFormat TextHighlight::DifficultWordFormat(const QPalette& palette) {
    QTextCharFormat format;
    // Amber under dark text, deep brown under light text; the text keeps its colour.
    format.setBackground(IsDark(palette) ? QColor(0x80, 0x50, 0x00) : QColor(0xFF, 0xD8, 0x6B));
    format.setFontUnderline(true);
    return format;
}

QTextCharFormat TextHighlight::LongSentenceFormat(const QPalette& palette) {
    QTextCharFormat format;
    format.setBackground(IsDark(palette) ? QColor(0x1E, 0x3A, 0x5F) : QColor(0xD6, 0xE6, 0xFA));
    return format;
}

void TextHighlight::Show(std::vector<Range> ranges) {
    std::stable_sort(ranges.begin(), ranges.end(),
                     [](const Range& a, const Range& b) { return a.position < b.position; });
    ranges_ = std::move(ranges);
    coveredFrom_ = 1;
    coveredTo_ = 0;
    longest_ = 0;
    for (const Range& range : ranges_)
        longest_ = std::max(longest_, range.size);
    shown_ = true;
    update();
}

void TextHighlight::Clear() {
    shown_ = false;
    ranges_.clear();
    longest_ = 0;
    textArea_->setExtraSelections({});
}

void TextHighlight::update() {
    if (!shown_)
        return;
    // The characters on screen, with a margin either side (by characters, not
    // lines: one paragraph may hold the whole text).
    const auto firstShown =
        static_cast<std::size_t>(textArea_->cursorForPosition(QPoint(0, 0)).position());
    const auto lastShown =
        static_cast<std::size_t>(textArea_
                                     ->cursorForPosition(QPoint(textArea_->viewport()->width(),
                                                                textArea_->viewport()->height()))
                                     .position());
    // Nothing to do while the screen stays inside the part already marked.
    if (firstShown >= coveredFrom_ && lastShown <= coveredTo_)
        return;
    const std::size_t from = firstShown > kMarginCharacters ? firstShown - kMarginCharacters : 0;
    const std::size_t to = lastShown + kMarginCharacters;
    coveredFrom_ = from;
    coveredTo_ = to;

    const std::size_t start = from > longest_ ? from - longest_ : 0;
    auto it = std::lower_bound(ranges_.begin(), ranges_.end(), start,
                               [](const Range& r, std::size_t p) { return r.position < p; });
    QList<QTextEdit::ExtraSelection> selections;
    QTextDocument* document = textArea_->document();
    const auto end = static_cast<std::size_t>(std::max(document->characterCount() - 1, 0));
    // Long sentences first, so that the difficult words inside them show on top.
    for (int kind = static_cast<int>(formats_.size()) - 1; kind >= 0; --kind) {
        for (auto r = it; r != ranges_.end() && r->position < to; ++r) {
            if (r->kind != kind || r->position + r->size <= from || r->position >= end)
                continue;
            QTextEdit::ExtraSelection selection;
            selection.cursor = QTextCursor(document);
            selection.cursor.setPosition(static_cast<int>(r->position));
            selection.cursor.setPosition(static_cast<int>(std::min(r->position + r->size, end)),
                                         QTextCursor::KeepAnchor);
            selection.format = formats_[static_cast<std::size_t>(kind)];
            selections.append(selection);
        }
    }
    textArea_->setExtraSelections(selections);
}
