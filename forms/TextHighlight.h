#pragma once

#include <QObject>
#include <QTextCharFormat>

#include <cstddef>
#include <vector>

class QPlainTextEdit;

// Marks ranges of a text area with its extra selections: no change to the text,
// its undo history or the saved file. Only the ranges on screen (and a margin)
// are handed to the text area, so a highlight over a whole book costs no more
// per scroll or keystroke than one over a page. Any edit of the text drops the
// highlight, since the ranges no longer match it.
class TextHighlight : public QObject {
    Q_OBJECT
public:
    struct Range {
        std::size_t position = 0; // in the text area's characters (UTF-16)
        std::size_t size = 0;
        int kind = 0; // index into the formats
    };

    // formats[kind] is the look of each kind of range.
    TextHighlight(QPlainTextEdit* textArea, std::vector<QTextCharFormat> formats);

    // Shows the ranges (sorted by position, or sorted here). Replaces any earlier.
    void Show(std::vector<Range> ranges);
    void Clear();
    bool Shown() const { return shown_; }

    // The colours for difficult words and long sentences, readable as a
    // background under the palette's own text colour, light or dark.
    static QTextCharFormat DifficultWordFormat(const QPalette& palette);
    static QTextCharFormat LongSentenceFormat(const QPalette& palette);

signals:
    // The text changed while the highlight was shown, and it was dropped.
    void dropped();

private:
    void update();

    QPlainTextEdit* textArea_;
    std::vector<QTextCharFormat> formats_;
    std::vector<Range> ranges_;
    // The longest range, so that a range starting above the screen but reaching
    // into it is still found.
    std::size_t longest_ = 0;
    // The characters whose ranges the text area holds now.
    std::size_t coveredFrom_ = 1;
    std::size_t coveredTo_ = 0;
    bool shown_ = false;
};
