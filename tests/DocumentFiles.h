#pragma once

// Documents made at test time: zip archives in the shape of .docx and .odt
// files (libzip), and PDFs drawn with Qt's PDF writer. The PDF helpers need a
// QGuiApplication.

#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QStringList>

#include <zip.h>

#include <string>
#include <utility>
#include <vector>

namespace documents {

struct Entry {
    std::string name;
    QByteArray bytes;
};

// Writes a zip archive of the entries; with a password, every entry is
// encrypted with it.
inline bool WriteZip(const QString& path, const std::vector<Entry>& entries,
                     const char* password = nullptr) {
    int error = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr)
        return false;
    for (const Entry& entry : entries) {
        zip_source_t* source = zip_source_buffer(archive, entry.bytes.constData(),
                                                 static_cast<zip_uint64_t>(entry.bytes.size()), 0);
        const zip_int64_t index =
            zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        if (password != nullptr &&
            zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                    password) != 0) {
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

inline QByteArray WordXml(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"><w:body>" +
           body + "</w:body></w:document>";
}

// A .docx of one paragraph of one run per line.
inline QByteArray WordBody(const QStringList& lines) {
    QByteArray body;
    for (const QString& line : lines)
        body += "<w:p><w:r><w:t xml:space=\"preserve\">" + line.toHtmlEscaped().toUtf8() +
                "</w:t></w:r></w:p>";
    return body;
}

inline bool WriteDocx(const QString& path, const QByteArray& documentXml,
                      const char* password = nullptr) {
    return WriteZip(path,
                    {{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
                     {"word/document.xml", documentXml}},
                    password);
}

inline QByteArray OdtXml(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
           "<office:body><office:text>" +
           body + "</office:text></office:body></office:document-content>";
}

inline bool WriteOdt(const QString& path, const QByteArray& contentXml,
                     const QByteArray& manifest = "<manifest/>") {
    return WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                           {"content.xml", contentXml},
                           {"META-INF/manifest.xml", manifest}});
}

// A PDF with the given lines on each page; an empty line list draws a filled
// rectangle instead, as a scanned page holds only a picture.
inline bool WritePdf(const QString& path, const std::vector<QStringList>& pages) {
    QPdfWriter writer(path);
    writer.setResolution(72);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 11));
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        if (pages[i].isEmpty())
            painter.fillRect(50, 50, 300, 300, Qt::gray);
        int y = 60;
        for (const QString& line : pages[i]) {
            painter.drawText(50, y, line);
            y += 16;
        }
    }
    return painter.end();
}

} // namespace documents
