#include "documents/OfficeText.h"

#include "documents/ZipArchive.h"
#include "text/Error.h"
#include "text/TextFile.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

const QString kWordNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kStrictWordNamespace =
    QStringLiteral("http://purl.oclc.org/ooxml/wordprocessingml/main");
const QString kCompatibilityNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/markup-compatibility/2006");
const QString kTextNamespace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kOfficeNamespace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");

// The most spaces one text:s stands for; a hostile count of billions must not
// fill the memory, and the counts do not depend on how many spaces there are.
constexpr int kMaxRepeatedSpaces = 64;

// Walks the XML, refusing a document type declaration before anything from it
// can be used.
class XmlWalker {
public:
    explicit XmlWalker(std::string_view xml)
        : bytes_(QByteArray::fromRawData(xml.data(), static_cast<qsizetype>(xml.size()))),
          reader_(bytes_) {}

    QXmlStreamReader& Reader() { return reader_; }

    QXmlStreamReader::TokenType Next() {
        const QXmlStreamReader::TokenType token = reader_.readNext();
        if (token == QXmlStreamReader::DTD)
            throw ScrivoluxError("The document is damaged: its XML declares a document type");
        return token;
    }

    void ThrowIfBroken() const {
        if (reader_.hasError())
            throw ScrivoluxError("The document is damaged: " + reader_.errorString().toStdString() +
                                 " at line " + std::to_string(reader_.lineNumber()));
    }

private:
    QByteArray bytes_;
    QXmlStreamReader reader_;
};

// Collects the paragraphs, each on lines of its own with a blank line between
// them, so that a heading or a table cell never runs into the next paragraph;
// empty paragraphs leave no line, and a run of line breaks leaves at most one
// blank line. A few bytes of XML can stand for many characters (a text:s, a
// break), so the text is measured as it grows and refused the moment it
// passes what the program holds, in UTF-16 units: close enough for a bound.
class LineCollector {
public:
    QString& Line() { return line_; }
    void AppendBreak() {
        if (!line_.endsWith(QStringLiteral("\n\n")))
            line_ += u'\n';
    }
    // Every paragraph counts, an empty one too, as the word processor counts them.
    void EndLine() {
        ++paragraph_;
        if (!line_.trimmed().isEmpty()) {
            if (!text_.text.empty())
                text_.text += "\n\n";
            text_.places.push_back({text_.text.size(), {PlaceKind::Paragraph, paragraph_, 0}});
            text_.text += line_.toStdString();
        }
        line_.clear();
    }
    void ThrowIfTooLong() const {
        if (text_.text.size() + static_cast<std::size_t>(line_.size()) > kMaxTextFileBytes)
            throw ScrivoluxError(TooMuchTextMessage(kMaxTextFileBytes));
    }
    DocumentText Text() { return std::move(text_); }

private:
    DocumentText text_;
    QString line_;
    int paragraph_ = 0;
};

// Spaces in place of the line breaks and tabs of the XML's own layout.
void AppendCollapsed(QString& line, QStringView text) {
    for (const QChar c : text)
        line += (c == u'\n' || c == u'\r' || c == u'\t') ? QChar(u' ') : c;
}

} // namespace

DocumentText DocxText(std::string_view xml) {
    XmlWalker walker(xml);
    QXmlStreamReader& reader = walker.Reader();
    LineCollector lines;
    int skipDepth = 0; // inside an element whose text is not read
    int runDepth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = walker.Next();
        if (token == QXmlStreamReader::StartElement) {
            if (skipDepth > 0) {
                ++skipDepth;
                continue;
            }
            const QStringView ns = reader.namespaceUri();
            const QStringView name = reader.name();
            if (ns == kCompatibilityNamespace) {
                if (name == u"Fallback")
                    skipDepth = 1;
                continue;
            }
            if (ns != kWordNamespace && ns != kStrictWordNamespace)
                continue;
            if (name == u"moveFrom" || name == u"del") {
                skipDepth = 1;
            } else if (name == u"r") {
                ++runDepth;
            } else if (runDepth > 0) {
                // Tab stops and breaks also appear in paragraph properties; only
                // those inside a run stand for text.
                if (name == u"t")
                    lines.Line() += reader.readElementText();
                else if (name == u"tab" || name == u"ptab")
                    lines.Line() += u' ';
                else if (name == u"br" || name == u"cr")
                    lines.AppendBreak();
                else if (name == u"noBreakHyphen")
                    lines.Line() += u'-';
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (skipDepth > 0) {
                --skipDepth;
                continue;
            }
            const QStringView ns = reader.namespaceUri();
            if (ns != kWordNamespace && ns != kStrictWordNamespace)
                continue;
            if (reader.name() == u"r")
                runDepth = std::max(0, runDepth - 1);
            else if (reader.name() == u"p")
                lines.EndLine();
        }
        lines.ThrowIfTooLong();
    }
    walker.ThrowIfBroken();
    return lines.Text();
}

DocumentText OdtText(std::string_view xml) {
    XmlWalker walker(xml);
    QXmlStreamReader& reader = walker.Reader();
    LineCollector lines;
    int skipDepth = 0;
    int paragraphDepth = 0;
    bool inBody = false;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = walker.Next();
        if (token == QXmlStreamReader::StartElement) {
            if (skipDepth > 0) {
                ++skipDepth;
                continue;
            }
            const QStringView ns = reader.namespaceUri();
            const QStringView name = reader.name();
            if (ns == kOfficeNamespace) {
                if (name == u"body")
                    inBody = true;
                else if (name == u"annotation")
                    skipDepth = 1;
                continue;
            }
            if (ns != kTextNamespace || !inBody)
                continue;
            if (name == u"note" || name == u"tracked-changes") {
                skipDepth = 1;
            } else if (name == u"p" || name == u"h") {
                ++paragraphDepth;
            } else if (paragraphDepth > 0) {
                if (name == u"s") {
                    bool ok = false;
                    const int count =
                        reader.attributes().value(kTextNamespace, QStringLiteral("c")).toInt(&ok);
                    lines.Line() +=
                        QString(ok ? std::clamp(count, 1, kMaxRepeatedSpaces) : 1, u' ');
                } else if (name == u"tab") {
                    lines.Line() += u' ';
                } else if (name == u"line-break") {
                    lines.AppendBreak();
                }
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (skipDepth > 0) {
                --skipDepth;
                continue;
            }
            if (reader.namespaceUri() == kOfficeNamespace && reader.name() == u"body") {
                inBody = false;
            } else if (reader.namespaceUri() == kTextNamespace &&
                       (reader.name() == u"p" || reader.name() == u"h") && paragraphDepth > 0) {
                --paragraphDepth;
                lines.EndLine();
            }
        } else if (token == QXmlStreamReader::Characters && skipDepth == 0 && paragraphDepth > 0) {
            AppendCollapsed(lines.Line(), reader.text());
        }
        lines.ThrowIfTooLong();
    }
    walker.ThrowIfBroken();
    return lines.Text();
}
