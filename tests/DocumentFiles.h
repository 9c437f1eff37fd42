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

// A PDF of many pages written byte by byte (no application object needed):
// every page shows the same line, through one shared content stream.
inline QByteArray ManyPagePdf(int pages, const QByteArray& line) {
    QByteArray pdf = "%PDF-1.4\n";
    std::vector<qsizetype> offsets;
    auto object = [&](const QByteArray& body) {
        offsets.push_back(pdf.size());
        pdf += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    const QByteArray stream = "BT /F1 12 Tf 50 700 Td (" + line + ") Tj ET";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    QByteArray kids;
    for (int i = 0; i < pages; ++i)
        kids += QByteArray::number(5 + i) + " 0 R ";
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>");
    object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    object("<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream +
           "\nendstream");
    for (int i = 0; i < pages; ++i)
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
               "/Resources << /Font << /F1 3 0 R >> >> >>");
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace documents
