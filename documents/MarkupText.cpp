#include "documents/MarkupText.h"

#include "documents/DocumentReader.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <md4c-html.h>

#include <QImage>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <array>
#include <vector>

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
// sentence after it; empty blocks leave no line. Appended to text, which is
// refused once it passes what the program holds.
void AppendProse(const QTextDocument& document, QString& text) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (static_cast<std::size_t>(text.size()) > kMaxTextFileBytes)
            throw ScrivoluxError("Text exceeds memo capacity");
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
}

// A document that never loads what the page names (a picture, a style sheet):
// no document may make the program open another file or reach the network.
// A picture is a blank pixel, so that nothing tries to load it by its name.
class DocumentWithoutResources : public QTextDocument {
protected:
    QVariant loadResource(int type, const QUrl&) override {
        if (type == QTextDocument::ImageResource) {
            QImage blank(1, 1, QImage::Format_ARGB32);
            blank.fill(Qt::transparent);
            return blank;
        }
        return QString();
    }
};

// The page without the elements whose contents the rich text reader would show
// as text. One pass: an element that is never closed runs to the end of the
// page, as it does in a browser, so no search starts twice from the same place.
QString WithoutNonProse(const QString& html) {
    static const QStringList kNames = {QStringLiteral("script"), QStringLiteral("style"),
                                       QStringLiteral("nav"), QStringLiteral("noscript"),
                                       QStringLiteral("template"), QStringLiteral("link")};
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
        if (name == u"link") { // an empty element: only the tag goes
            const qsizetype tagEnd = html.indexOf(u'>', end);
            copied = tagEnd < 0 ? html.size() : tagEnd + 1;
            at = copied;
            continue;
        }
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

namespace {

// A page is read in pieces of about this size, cut between top-level blocks,
// so that a long one tells its progress and can be cancelled.
constexpr qsizetype kPieceChars = 256 * 1024;

bool IsOneOf(QStringView name, std::initializer_list<const char16_t*> names) {
    for (const char16_t* candidate : names) {
        if (name == QStringView(candidate))
            return true;
    }
    return false;
}

// Elements without contents, and those whose end the reader finds by itself
// (the next one closes them): neither nests.
bool NeverNests(QStringView name) {
    return IsOneOf(name, {u"br", u"img", u"hr", u"input", u"meta", u"link", u"area", u"base",
                          u"col", u"embed", u"param", u"source", u"track", u"wbr", u"p", u"li",
                          u"dt", u"dd", u"tr", u"td", u"th", u"option", u"thead", u"tbody",
                          u"tfoot", u"colgroup", u"head"});
}

bool IsBlock(QStringView name) {
    return IsOneOf(name, {u"div", u"blockquote", u"section", u"article", u"aside", u"header",
                          u"footer", u"main", u"ul", u"ol", u"dl", u"table", u"center", u"pre",
                          u"h1", u"h2", u"h3", u"h4", u"h5", u"h6", u"form", u"fieldset",
                          u"figure", u"figcaption", u"address", u"details", u"summary",
                          u"menu", u"dir", u"p", u"li", u"dt", u"dd", u"tr", u"td", u"th"});
}

// Elements a page may be cut inside of: they only group blocks.
bool OnlyGroups(QStringView name) {
    return IsOneOf(name, {u"html", u"body", u"div", u"section", u"article", u"main", u"header",
                          u"footer", u"center"});
}

// The end of the tag that starts at `at` ('<'), past quoted attribute values.
qsizetype TagEnd(const QString& html, qsizetype at) {
    QChar quote;
    for (qsizetype i = at + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return html.size();
}

} // namespace

std::vector<QString> BoundedPieces(const QString& html) {
    std::vector<QString> pieces(1);
    std::vector<QString> open; // the nesting elements open, at most kMaxPageNesting
    int depth = 0;             // including those deeper than kept in open
    qsizetype at = 0;
    while (at < html.size()) {
        const qsizetype lt = html.indexOf(u'<', at);
        if (lt < 0) {
            pieces.back() += QStringView(html).mid(at);
            break;
        }
        pieces.back() += QStringView(html).mid(at, lt - at);
        qsizetype end;
        if (QStringView(html).mid(lt).startsWith(u"<!--")) {
            const qsizetype close = html.indexOf(QStringLiteral("-->"), lt + 4);
            end = close < 0 ? html.size() : close + 3;
            pieces.back() += QStringView(html).mid(lt, end - lt);
            at = end;
            continue;
        }
        const bool closing = lt + 1 < html.size() && html[lt + 1] == u'/';
        qsizetype nameEnd = lt + (closing ? 2 : 1);
        while (nameEnd < html.size() && html[nameEnd].isLetterOrNumber())
            ++nameEnd;
        const qsizetype nameStart = lt + (closing ? 2 : 1);
        if (nameEnd == nameStart || !html[nameStart].isLetter()) {
            // Not a tag of an element: "<!doctype", "<?xml" or a lone "<".
            end = html[nameStart - 1] == u'<' && nameStart < html.size() &&
                          (html[nameStart] == u'!' || html[nameStart] == u'?')
                      ? TagEnd(html, lt)
                      : lt + 1;
            pieces.back() += QStringView(html).mid(lt, end - lt);
            at = end;
            continue;
        }
        end = TagEnd(html, lt);
        const QString name = html.mid(nameStart, nameEnd - nameStart).toLower();
        const bool selfClosing = end >= 2 && html[end - 2] == u'/';
        bool keep = true;
        bool pushed = false;
        if (!NeverNests(name) && !selfClosing) {
            if (closing) {
                keep = depth <= kMaxPageNesting;
                if (depth > 0)
                    --depth;
                if (keep && !open.empty())
                    open.pop_back();
            } else {
                ++depth;
                keep = depth <= kMaxPageNesting;
                if (keep) {
                    open.push_back(name);
                    pushed = true;
                }
            }
        }
        if (!closing && keep && IsBlock(name) && pieces.back().size() >= kPieceChars &&
            std::all_of(open.begin(), open.end() - (pushed ? 1 : 0), OnlyGroups))
            pieces.emplace_back();
        if (keep)
            pieces.back() += QStringView(html).mid(lt, end - lt);
        else if (IsBlock(name))
            pieces.back() += QStringLiteral("<p>");
        at = end;
    }
    return pieces;
}

namespace {

// The prose of a page, read piece by piece; progress is told after each.
std::string ProseOfPage(const QString& html, const LoadProgress& progress) {
    const std::vector<QString> pieces = BoundedPieces(html);
    QString text;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        {
            DocumentWithoutResources document;
            document.setHtml(pieces[i]);
            AppendProse(document, text);
        }
        if (progress && !progress(static_cast<int>(i + 1), static_cast<int>(pieces.size())))
            throw LoadCancelled("Loading was cancelled");
    }
    return text.toStdString();
}

} // namespace

std::string HtmlText(const QString& html, const LoadProgress& progress) {
    return ProseOfPage(WithoutNonProse(WithoutNotes(html)), progress);
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

std::string MarkdownText(const QString& markdown, const LoadProgress& progress) {
    // Written as HTML by the Markdown parser Qt's own reader uses, in one pass:
    // Qt's reader takes time that grows with the square of the links and
    // emphases in a paragraph.
    const QByteArray source = WithoutFootnotes(WithoutFrontMatter(markdown).toString()).toUtf8();
    QByteArray html;
    const auto append = [](const MD_CHAR* text, MD_SIZE size, void* userdata) {
        static_cast<QByteArray*>(userdata)->append(text, static_cast<qsizetype>(size));
    };
    if (md_html(source.constData(), static_cast<MD_SIZE>(source.size()), append, &html,
                MD_DIALECT_GITHUB, 0) != 0)
        throw ScrivoluxError("The Markdown text could not be read");
    return ProseOfPage(WithoutNonProse(QString::fromUtf8(html)), progress);
}
