#include "documents/DocumentReader.h"

#include "documents/MarkupText.h"
#include "documents/OfficeText.h"
#include "documents/ZipArchive.h"
#include "text/FileName.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QString>

#include <utility>

namespace {

const QByteArray kOdtMimeType = "application/vnd.oasis.opendocument.text";

// The first bytes of a file, or none when it cannot be read.
QByteArray Head(const std::string& path) {
    QFile file;
    if (!OpenFileByName(file, path, QIODevice::ReadOnly))
        return {};
    return file.read(4096);
}

std::string Suffix(const std::string& path) {
    return QFileInfo(FileNameText(path)).suffix().toLower().toStdString();
}

std::optional<DocumentFormat> ZipFormat(const std::string& path) {
    const ZipArchive zip(path);
    if (zip.Contains("mimetype")) {
        const std::string mimeType = zip.Read("mimetype", 256);
        if (QByteArray::fromStdString(mimeType).trimmed() == kOdtMimeType)
            return DocumentFormat::Odt;
    }
    if (zip.Contains("word/document.xml"))
        return DocumentFormat::Docx;
    return std::nullopt;
}

bool LooksLikeHtml(QByteArray head) {
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    head = head.trimmed().left(64).toLower();
    return head.startsWith("<!doctype html") || head.startsWith("<html");
}

const char* FormatName(DocumentFormat format) {
    switch (format) {
    case DocumentFormat::Docx:
        return "a Word document (.docx)";
    case DocumentFormat::Odt:
        return "an OpenDocument text (.odt)";
    case DocumentFormat::Pdf:
        return "a PDF";
    default:
        return "a text";
    }
}

void RequireGuiApplication() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        throw ScrivoluxError("HTML and Markdown are read only by a program with a QGuiApplication");
}

std::string ReadZipDocument(const std::string& path, DocumentFormat format) {
    const ZipArchive zip(path);
    if (format == DocumentFormat::Odt) {
        // An encrypted .odt keeps its parts readable only with the password.
        if (zip.Contains("META-INF/manifest.xml") &&
            zip.Read("META-INF/manifest.xml", kMaxTextFileBytes).find("encryption-data") !=
                std::string::npos)
            throw ScrivoluxError("The document is password-protected");
        return OdtText(zip.Read("content.xml", kMaxTextFileBytes));
    }
    return DocxText(zip.Read("word/document.xml", kMaxTextFileBytes));
}

} // namespace

std::optional<DocumentFormat> FormatFromName(std::string_view name) {
    if (name == "txt" || name == "text")
        return DocumentFormat::Text;
    if (name == "docx")
        return DocumentFormat::Docx;
    if (name == "odt")
        return DocumentFormat::Odt;
    if (name == "html" || name == "htm")
        return DocumentFormat::Html;
    if (name == "md" || name == "markdown")
        return DocumentFormat::Markdown;
    if (name == "pdf")
        return DocumentFormat::Pdf;
    return std::nullopt;
}

DocumentFormat DetectFormat(const std::string& path) {
    const QByteArray head = Head(path);
    const std::string suffix = Suffix(path);
    const std::optional<DocumentFormat> named = FormatFromName(suffix);
    if (head.isEmpty())
        return named.value_or(DocumentFormat::Text);

    if (head.startsWith("PK\x03\x04")) {
        if (const std::optional<DocumentFormat> format = ZipFormat(path))
            return *format;
        throw ScrivoluxError("The file is a zip archive but neither a .docx nor an .odt document");
    }
    if (head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) {
        // Office keeps a password-protected .docx in the older compound format.
        if (head.contains(QByteArray("E\0n\0c\0r\0y\0p\0t\0i\0o\0n\0I\0n\0f\0o", 28)) ||
            named == DocumentFormat::Docx)
            throw ScrivoluxError("The document is password-protected");
        throw ScrivoluxError(
            "The file is an old Word or Office file; save it as .docx or .odt to load it");
    }
    // Some writers put a few bytes before the signature; only a .pdf may have them.
    if (head.startsWith("%PDF-") ||
        (named == DocumentFormat::Pdf && head.left(1024).contains("%PDF-")))
        return DocumentFormat::Pdf;
    if (named == DocumentFormat::Docx || named == DocumentFormat::Odt ||
        named == DocumentFormat::Pdf)
        throw ScrivoluxError(std::string("The file is not ") + FormatName(*named) +
                             ", whatever its name says");
    if (named == DocumentFormat::Text || named == DocumentFormat::Markdown)
        return *named;
    if (LooksLikeHtml(head))
        return DocumentFormat::Html;
    return named.value_or(DocumentFormat::Text);
}

bool NeedsGuiApplication(DocumentFormat format) {
    return format == DocumentFormat::Html || format == DocumentFormat::Markdown;
}

LoadedDocument ReadDocument(const std::string& path, std::optional<DocumentFormat> format,
                            const LoadProgress& progress) {
    LoadedDocument loaded;
    loaded.format = format ? *format : DetectFormat(path);
    switch (loaded.format) {
    case DocumentFormat::Text: {
        DecodedText decoded = ReadTextFile(path);
        // Most files break their lines with LF alone already: no copy for them.
        if (decoded.text.find('\r') == std::string::npos)
            loaded.text = std::move(decoded.text);
        else
            loaded.text = ConvertLineBreaks(decoded.text, "\n");
        loaded.encoding = decoded.encoding;
        break;
    }
    case DocumentFormat::Docx:
    case DocumentFormat::Odt:
        loaded.text = ReadZipDocument(path, loaded.format);
        break;
    case DocumentFormat::Html:
    case DocumentFormat::Markdown: {
        RequireGuiApplication();
        const QString source = QString::fromStdString(ReadTextFile(path).text);
        loaded.text =
            loaded.format == DocumentFormat::Html ? HtmlText(source) : MarkdownText(source);
        break;
    }
    case DocumentFormat::Pdf:
        loaded.text = PdfText(path, kMaxTextFileBytes, progress);
        break;
    }
    return loaded;
}
