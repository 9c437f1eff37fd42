#pragma once

#include <QString>
#include <QStringView>

#include <string_view>

// Text from the user's file made safe to show in a label, a list, a table or a
// message box. Every invisible format character (the direction marks,
// embeddings, overrides and isolates, zero-width spaces, the byte-order mark,
// the soft hyphen) and every control character but the line break and the tab
// is shown as "<U+202E>", so that no such character can turn what is shown
// around: "e<U+202E>vil" is never drawn as "live". The zero-width joiner and
// non-joiner stay, as the letters of several scripts need them. Text without
// such characters comes back unchanged; the empty text gives the empty text.
QString VisibleText(QStringView text);

// A word from the text as the windows show it: VisibleText, and a tab or a
// space character other than the plain space (the no-break space U+00A0 and its
// kin) shown as a code too, as no word holds one.
QString VisibleWord(QStringView word);

// A word as a message quotes it: VisibleWord of its first `limit` characters,
// with "…" after them when the word is longer, so that a word of a megabyte
// cannot fill a message box. Invalid UTF-8 is shown as U+FFFD.
inline constexpr qsizetype kQuotedWordLimit = 40;
QString QuotedWord(std::string_view word, qsizetype limit = kQuotedWordLimit);
QString QuotedWord(QStringView word, qsizetype limit = kQuotedWordLimit);
