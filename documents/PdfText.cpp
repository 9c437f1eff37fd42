#include "documents/PdfText.h"

#include "documents/DocumentReader.h"
#include "text/Error.h"
#include "text/FileName.h"

#include <poppler-qt6.h>

#include <QFile>
#include <QString>
#include <QStringList>

#include <memory>

#include <sys/stat.h>

namespace {

// Poppler reports every flaw of a damaged file on standard error; the reader
// reports the one that matters itself.
void SilencePoppler() {
    static const bool silenced = [] {
        Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
        return true;
    }();
    (void)silenced;
}

// "exam-" at the end of one line and "ple" at the start of the next: a word the
// typesetter divided. A dash before a capital or a digit is kept.
bool EndsInDividedWord(const QString& line, const QString& next) {
    if (line.size() < 2 || next.isEmpty())
        return false;
    const QChar last = line.back();
    return (last == u'-' || last == QChar(0x00AD)) && line[line.size() - 2].isLetter() &&
           next.front().isLower();
}

[[noreturn]] void ThrowTooLong() {
    throw ScrivoluxError("Text exceeds memo capacity");
}

// The page's text, stopped once the text so far (sizeBefore, in UTF-16 units:
// close enough for a bound on memory) passes maxBytes.
QString PageText(Poppler::Page& page, std::size_t sizeBefore, std::size_t maxBytes) {
    QString text;
    for (const std::unique_ptr<Poppler::TextBox>& box : page.textList()) {
        text += box->text();
        if (sizeBefore + static_cast<std::size_t>(text.size()) > maxBytes)
            ThrowTooLong();
        if (box->nextWord() == nullptr)
            text += u'\n';
        else if (box->hasSpaceAfter())
            text += u' ';
    }
    return text;
}

std::string TextOf(Poppler::Document* document, std::size_t maxBytes,
                   const LoadProgress& progress) {
    if (!document)
        throw ScrivoluxError("The PDF is damaged and cannot be read");
    if (document->isLocked())
        throw ScrivoluxError("The document is password-protected");

    QStringList lines;
    qsizetype size = 0;
    const int pages = document->numPages();
    for (int i = 0; i < pages; ++i) {
        if (const std::unique_ptr<Poppler::Page> page = document->page(i)) {
            const QString text = PageText(*page, static_cast<std::size_t>(size), maxBytes);
            size += text.size();
            lines += text.split(u'\n', Qt::SkipEmptyParts);
        }
        if (progress && !progress(i + 1, pages))
            throw LoadCancelled("Loading was cancelled");
    }

    QString text;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i].trimmed();
        while (i + 1 < lines.size() && EndsInDividedWord(line, lines[i + 1].trimmed())) {
            line.chop(1);
            line += lines[++i].trimmed();
        }
        if (!text.isEmpty())
            text += u'\n';
        text += line;
    }
    if (text.trimmed().isEmpty())
        throw ScrivoluxError("The PDF holds no text; it may be a scanned image");
    return text.toStdString();
}

} // namespace

std::string PdfText(const std::string& path, std::size_t maxBytes, const LoadProgress& progress) {
    SilencePoppler();
    // Read through a device opened by the name's bytes, which Poppler keeps
    // reading while the document lives.
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
        throw FileError("Cannot open file " + path, path, "not a regular file");
    QFile file;
    QString reason;
    if (!OpenFileByName(file, path, QIODevice::ReadOnly, &reason))
        throw FileError("Cannot open file " + path, path, reason.toStdString());
    return TextOf(Poppler::Document::load(&file).get(), maxBytes, progress);
}

std::string PdfTextOfBytes(std::string_view bytes, std::size_t maxBytes,
                           const LoadProgress& progress) {
    SilencePoppler();
    const QByteArray data =
        QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return TextOf(Poppler::Document::loadFromData(data).get(), maxBytes, progress);
}
