#include "forms/ShownText.h"

#include <QChar>

namespace {

enum class Shown { Text, Word };

bool ShownAsCode(char32_t c, Shown what) {
    // A word holds no space: a tab or a no-break space in one would show it as
    // two words, or as a word without the character ("Smith" for "\u00A0Smith").
    if (what == Shown::Word &&
        (c == U'\t' || (c != U' ' && QChar::category(c) == QChar::Separator_Space)))
        return true;
    if (c == U'\n' || c == U'\t' || c == 0x200C || c == 0x200D)
        return false;
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Format || category == QChar::Other_Control;
}

// The length of the first `limit` characters of text, a pair of surrogates
// being one character.
qsizetype CharactersLength(QStringView text, qsizetype limit) {
    qsizetype i = 0;
    for (qsizetype n = 0; i < text.size() && n < limit; ++n)
        i += text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                              : 1;
    return i;
}

QString Visible(QStringView text, Shown what) {
    QString shown;
    qsizetype copied = 0; // text before this is in shown
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype length = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            length = 2;
        }
        if (ShownAsCode(c, what)) {
            shown.append(text.mid(copied, i - copied));
            shown.append(QStringLiteral("<U+%1>").arg(
                QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, u'0')));
            copied = i + length;
        }
        i += length;
    }
    if (copied == 0)
        return text.toString();
    shown.append(text.mid(copied));
    return shown;
}

} // namespace

QString VisibleText(QStringView text) {
    return Visible(text, Shown::Text);
}

QString VisibleWord(QStringView word) {
    return Visible(word, Shown::Word);
}

QString QuotedWord(QStringView word, qsizetype limit) {
    const qsizetype kept = CharactersLength(word, limit);
    if (kept == word.size())
        return VisibleWord(word);
    return VisibleWord(word.left(kept)) + QChar(0x2026);
}

QString QuotedWord(std::string_view word, qsizetype limit) {
    // Enough bytes for `limit` characters of four bytes and one more, so that
    // a huge word is never decoded whole.
    const std::size_t bytes = static_cast<std::size_t>(limit) * 4 + 4;
    const std::string_view head = word.substr(0, bytes);
    const QString decoded = QString::fromUtf8(head.data(), static_cast<qsizetype>(head.size()));
    if (head.size() == word.size())
        return QuotedWord(QStringView(decoded), limit);
    // The head of a longer word is cut, so it always ends in "…".
    const qsizetype kept = CharactersLength(decoded, limit);
    return VisibleWord(QStringView(decoded).left(kept)) + QChar(0x2026);
}
