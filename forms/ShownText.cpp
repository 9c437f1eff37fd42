#include "forms/ShownText.h"

#include <QChar>

namespace {

bool ShownAsCode(char32_t c) {
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

} // namespace

QString VisibleText(QStringView text) {
    QString shown;
    qsizetype copied = 0; // text before this is in shown
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype length = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            length = 2;
        }
        if (ShownAsCode(c)) {
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

QString QuotedWord(QStringView word, qsizetype limit) {
    const qsizetype kept = CharactersLength(word, limit);
    if (kept == word.size())
        return VisibleText(word);
    return VisibleText(word.left(kept)) + QChar(0x2026);
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
    return VisibleText(QStringView(decoded).left(kept)) + QChar(0x2026);
}
