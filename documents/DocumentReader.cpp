#include "documents/DocumentReader.h"

#include "documents/MarkupText.h"
#include "documents/OfficeText.h"
#include "documents/ZipArchive.h"
#include "text/FileName.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

const QByteArray kOdtMimeType = "application/vnd.oasis.opendocument.text";

std::string Suffix(const std::string& path) {
    return QFileInfo(FileNameText(path)).suffix().toLower().toStdString();
}

// A file to read: by its name when it can be opened again, or all its bytes,
// read once, when it is a pipe, a FIFO or a device, which would give a second
// reader only what the first left (or nothing, or keep it waiting).
class Source {
public:
    explicit Source(const std::string& path) : path_(path) {
        if (IsReadOnlyOnce(path))
            bytes_ = ReadFileBytes(path);
    }

    const std::string& Path() const { return path_; }

    // The first bytes, or none when the file cannot be read.
    QByteArray Head() const {
        if (bytes_)
            return QByteArray(bytes_->data(), static_cast<qsizetype>(std::min<std::size_t>(
                                                  bytes_->size(), kHeadBytes)));
        QFile file;
        if (!OpenFileByName(file, path_, QIODevice::ReadOnly))
            return {};
        return file.read(kHeadBytes);
    }

    std::unique_ptr<ZipArchive> Zip() const {
        return bytes_ ? std::make_unique<ZipArchive>(ZipArchive::InMemory{*bytes_})
                      : std::make_unique<ZipArchive>(path_);
    }

    // Takes the bytes: the text is the last thing read.
    DecodedText Text() {
        return bytes_ ? DecodeBoundedText(std::move(*bytes_)) : ReadTextFile(path_);
    }

    DocumentText Pdf(const LoadProgress& progress) const {
        return bytes_ ? PdfTextOfBytes(*bytes_, kMaxTextFileBytes, progress)
                      : PdfText(path_, kMaxTextFileBytes, progress);
    }

private:
    static constexpr qint64 kHeadBytes = 4096;
    std::string path_;
    std::optional<std::string> bytes_;
};

std::optional<DocumentFormat> ZipFormat(const Source& source) {
    const std::unique_ptr<ZipArchive> zip = source.Zip();
    if (zip->Contains("mimetype")) {
        // A longer entry is some other mimetype, whatever it starts with.
        const std::optional<std::string> mimeType = zip->ReadIfAtMost("mimetype", 256);
        if (mimeType && QByteArray::fromStdString(*mimeType).trimmed() == kOdtMimeType)
            return DocumentFormat::Odt;
    }
    if (zip->Contains("word/document.xml"))
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

DocumentText ReadZipDocument(const Source& source, DocumentFormat format) {
    const std::unique_ptr<ZipArchive> zip = source.Zip();
    if (format == DocumentFormat::Odt) {
        // An encrypted .odt keeps its parts readable only with the password.
        if (zip->Contains("META-INF/manifest.xml") &&
            zip->Read("META-INF/manifest.xml", kMaxTextFileBytes).find("encryption-data") !=
                std::string::npos)
            throw ScrivoluxError("The document is password-protected");
        return OdtText(zip->Read("content.xml", kMaxTextFileBytes));
    }
    return DocxText(zip->Read("word/document.xml", kMaxTextFileBytes));
}

DocumentFormat DetectFormatOf(const Source& source) {
    const std::optional<DocumentFormat> named = FormatFromName(Suffix(source.Path()));
    // A .txt is text, whatever it starts with.
    if (named == DocumentFormat::Text)
        return DocumentFormat::Text;
    const QByteArray head = source.Head();
    if (head.isEmpty())
        return named.value_or(DocumentFormat::Text);

    if (head.startsWith("PK\x03\x04")) {
        if (const std::optional<DocumentFormat> format = ZipFormat(source))
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
    if (named == DocumentFormat::Markdown)
        return *named;
    if (LooksLikeHtml(head))
        return DocumentFormat::Html;
    return named.value_or(DocumentFormat::Text);
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
    if (IsReadOnlyOnce(path))
        return FormatFromName(Suffix(path)).value_or(DocumentFormat::Text);
    return DetectFormatOf(Source(path));
}

void BlankCode(std::string& text, const std::vector<TextRange>& code) {
    for (const TextRange& range : code) {
        for (std::size_t i = range.begin; i < std::min(range.end, text.size()); ++i) {
            if (text[i] != '\n')
                text[i] = ' ';
        }
    }
}

SourcePlace PlaceOf(const LoadedDocument& document, std::size_t offset) {
    return PlaceAt(document.text, document.places, offset);
}

LoadedDocument ReadDocument(const std::string& path, std::optional<DocumentFormat> format,
                            const LoadProgress& progress) {
    Source source(path);
    LoadedDocument loaded;
    loaded.format = format ? *format : DetectFormatOf(source);
    DocumentText read;
    switch (loaded.format) {
    case DocumentFormat::Text: {
        DecodedText decoded = source.Text();
        // Most files break their lines with LF alone already: no copy for them.
        if (decoded.text.find('\r') == std::string::npos)
            loaded.text = std::move(decoded.text);
        else
            loaded.text = ConvertLineBreaks(decoded.text, "\n");
        loaded.encoding = decoded.encoding;
        loaded.places = {{0, {PlaceKind::Line, 1, 1}}};
        return loaded;
    }
    case DocumentFormat::Docx:
    case DocumentFormat::Odt:
        read = ReadZipDocument(source, loaded.format);
        break;
    case DocumentFormat::Html:
    case DocumentFormat::Markdown: {
        loaded.markup = source.Text().text;
        read = loaded.format == DocumentFormat::Html ? HtmlText(loaded.markup, progress)
                                                     : MarkdownText(loaded.markup, progress);
        break;
    }
    case DocumentFormat::Pdf:
        read = source.Pdf(progress);
        break;
    }
    loaded.text = std::move(read.text);
    loaded.places = std::move(read.places);
    loaded.code = std::move(read.code);
    loaded.silenced = std::move(read.silenced);
    loaded.warnings = std::move(read.warnings);
    // The office readers bound their text as it grows in UTF-16 units and
    // bytes; the whole is measured in bytes.
    if (loaded.text.size() > kMaxTextFileBytes)
        throw TextTooLarge();
    return loaded;
}
