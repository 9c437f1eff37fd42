#include "documents/MarkupText.h"

#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// A block of code: preformatted, from a Markdown code block, or all of it in
// the fixed-pitch face of <code>.
bool IsCode(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    if (format.nonBreakableLines() || format.hasProperty(QTextFormat::BlockCodeFence) ||
        format.hasProperty(QTextFormat::BlockCodeLanguage))
        return true;
    bool anyText = false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid() || fragment.text().trimmed().isEmpty())
            continue;
        if (!fragment.charFormat().fontFixedPitch())
            return false;
        anyText = true;
    }
    return anyText;
}

std::string ProseOf(const QTextDocument& document) {
    QString text;
    bool first = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (IsCode(block))
            continue;
        if (!first)
            text += u'\n';
        first = false;
        for (const QChar c : block.text()) {
            switch (c.unicode()) {
            case 0x2028: // a <br> or a hard line break
            case 0x2029:
                text += u'\n';
                break;
            case 0x00A0:
                text += u' ';
                break;
            case 0xFFFC: // an image
                break;
            default:
                text += c;
            }
        }
    }
    return text.toStdString();
}

// The page without the elements whose contents the rich text reader would show
// as text. One pass: an element that is never closed runs to the end of the
// page, as it does in a browser, so no search starts twice from the same place.
QString WithoutNonProse(const QString& html) {
    static const QStringList kNames = {QStringLiteral("script"), QStringLiteral("style"),
                                       QStringLiteral("nav"), QStringLiteral("noscript"),
                                       QStringLiteral("template")};
    QString kept;
    qsizetype copied = 0;
    qsizetype at = 0;
    while ((at = html.indexOf(u'<', at)) >= 0) {
        qsizetype end = at + 1;
        while (end < html.size() && html[end].isLetter())
            ++end;
        const QString name = html.mid(at + 1, end - at - 1).toLower();
        if (!kNames.contains(name) || (end < html.size() && html[end].isLetterOrNumber())) {
            at = end;
            continue;
        }
        kept += QStringView(html).mid(copied, at - copied);
        const qsizetype close = html.indexOf(QStringLiteral("</") + name, end, Qt::CaseInsensitive);
        const qsizetype closeEnd = close < 0 ? -1 : html.indexOf(u'>', close);
        copied = closeEnd < 0 ? html.size() : closeEnd + 1;
        at = copied;
    }
    kept += QStringView(html).mid(copied);
    return kept;
}

} // namespace

std::string HtmlText(const QString& html) {
    QTextDocument document;
    document.setHtml(WithoutNonProse(html));
    return ProseOf(document);
}

std::string MarkdownText(const QString& markdown) {
    QTextDocument document;
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    return ProseOf(document);
}
