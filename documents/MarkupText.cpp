#include "documents/MarkupText.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

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

// Each block (heading, paragraph, list item, table cell) on lines of its own,
// with a blank line between blocks, so that no rule joins a heading to the
// sentence after it; empty blocks leave no line.
std::string ProseOf(const QTextDocument& document) {
    QString text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (IsCode(block) || block.text().trimmed().isEmpty())
            continue;
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
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

// Footnote references and the notes themselves, as pandoc and most tools mark
// them, are left out as a word processor's notes are: a reference glued to its
// word ("cent1") would otherwise change the word.
static QString WithoutNotes(QString html) {
    static const QRegularExpression kNotes(
        QStringLiteral("<(section|aside|div|ol)\\b[^>]*(footnotes|doc-endnotes)[^>]*>.*?</\\1>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kReferences(
        QStringLiteral("<(a|sup)\\b[^>]*(footnote-ref|doc-noteref)[^>]*>.*?</\\1>"),
        QRegularExpression::DotMatchesEverythingOption | QRegularExpression::CaseInsensitiveOption);
    if (!html.contains(QStringLiteral("foot"), Qt::CaseInsensitive) &&
        !html.contains(QStringLiteral("doc-"), Qt::CaseInsensitive))
        return html;
    html.remove(kNotes);
    html.remove(kReferences);
    return html;
}

std::string HtmlText(const QString& html) {
    QTextDocument document;
    document.setHtml(WithoutNonProse(WithoutNotes(html)));
    return ProseOf(document);
}

namespace {

// The text without its front matter: a first line "---" up to the next line
// "---" or "...", which holds data for the publishing tool, not prose.
QStringView WithoutFrontMatter(QStringView markdown) {
    if (markdown.startsWith(u'\uFEFF'))
        markdown = markdown.mid(1);
    const qsizetype firstEnd = markdown.indexOf(u'\n');
    if (firstEnd < 0 || markdown.first(firstEnd).trimmed() != u"---")
        return markdown;
    for (qsizetype start = firstEnd + 1; start < markdown.size();) {
        qsizetype end = markdown.indexOf(u'\n', start);
        if (end < 0)
            end = markdown.size();
        const QStringView line = markdown.mid(start, end - start).trimmed();
        if (line == u"---" || line == u"...")
            return markdown.mid(std::min(end + 1, markdown.size()));
        start = end + 1;
    }
    return markdown;
}

// Footnote references ("[^1]") and the notes themselves are left out, as the
// word processors' notes are.
QString WithoutFootnotes(QString markdown) {
    static const QRegularExpression kNote(QStringLiteral("^\\[\\^[^\\]\\s]+\\]:.*$"),
                                          QRegularExpression::MultilineOption);
    static const QRegularExpression kReference(QStringLiteral("\\[\\^[^\\]\\s]+\\]"));
    markdown.remove(kNote);
    markdown.remove(kReference);
    return markdown;
}

} // namespace

std::string MarkdownText(const QString& markdown) {
    QTextDocument document;
    document.setMarkdown(WithoutFootnotes(WithoutFrontMatter(markdown).toString()),
                         QTextDocument::MarkdownDialectGitHub);
    return ProseOf(document);
}
