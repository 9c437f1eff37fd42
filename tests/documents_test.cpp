// Documents read as plain text: each format gives the counts of the same text
// typed as plain text, the format is told by content before name, and the
// parts of a document that are not its prose stay out.

#include "DocumentFiles.h"

#include "analysis/CountingPasses.h"
#include "analysis/TextPreparation.h"
#include "dictionary/Dictionary.h"
#include "documents/DocumentReader.h"
#include "documents/MarkupText.h"
#include "documents/OfficeText.h"
#include "documents/PdfText.h"
#include "documents/SourcePlace.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace documents;

QString Data(const char* name) {
    return QStringLiteral(SCRIVOLUX_TEST_DATA_DIR "/documents/") + QLatin1String(name);
}

// The four counts, every word unknown and counted by its vowel groups, so
// that a word that came out differently changes them.
std::tuple<int, int, int, int> Counts(const std::string& text) {
    TDictionary dictionary;
    const UnknownWordHandler vowelGroups = [](const std::string& word, TDictionary&) {
        int groups = 0;
        bool inGroup = false;
        for (const char c : word) {
            const bool vowel = std::string_view("aeiouyAEIOUY\xC3").find(c) != std::string::npos;
            groups += vowel && !inGroup;
            inGroup = vowel;
        }
        return groups;
    };
    NoProgress progress;
    const WorkingTexts texts = PrepareTexts(BuildPassage(SplitLines(text)));
    int difficult = 0;
    const int syllables =
        CountSyllables(texts.wordText, dictionary, vowelGroups, progress, difficult);
    return {syllables, CountWords(texts.wordText, progress), difficult,
            CountSentences(texts.sentenceText, progress)};
}

std::string Str(const QByteArray& bytes) {
    return bytes.toStdString();
}

std::string Message(const std::string& path, std::optional<DocumentFormat> format = {}) {
    try {
        ReadDocument(path, format);
    } catch (const ScrivoluxError& error) {
        return error.what();
    }
    return "<read>";
}

class DocumentsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    std::string PathStd(const char* name) const { return Path(name).toStdString(); }

    QTemporaryDir dir;
};

TEST_F(DocumentsTest, EachFormatGivesTheCountsOfThePlainText) {
    const LoadedDocument plain = ReadDocument(Data("passage.txt").toStdString());
    ASSERT_EQ(plain.format, DocumentFormat::Text);
    const auto expected = Counts(plain.text);
    ASSERT_EQ(std::get<3>(expected), 6);

    QStringList lines = QString::fromStdString(plain.text).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_TRUE(WritePdf(Path("passage.pdf"), {lines.mid(0, 3), lines.mid(3)}));

    const std::pair<QString, DocumentFormat> rows[] = {
        {Data("passage.docx"), DocumentFormat::Docx},
        {Data("passage.odt"), DocumentFormat::Odt},
        {Data("passage.html"), DocumentFormat::Html},
        {Data("passage.md"), DocumentFormat::Markdown},
        {Path("passage.pdf"), DocumentFormat::Pdf},
    };
    for (const auto& [path, format] : rows) {
        SCOPED_TRACE(path.toStdString());
        const LoadedDocument document = ReadDocument(path.toStdString());
        EXPECT_EQ(document.format, format);
        EXPECT_EQ(document.encoding, TextEncoding::Utf8);
        EXPECT_EQ(Counts(document.text), expected) << document.text;
        for (const char* notProse : {"Hidden", "Home", "About", "int x", "Not prose", "#", "- "})
            EXPECT_EQ(document.text.find(notProse), std::string::npos) << notProse;
    }
    // Word processors keep each paragraph exactly, a blank line between two.
    const std::string blocks = QString::fromStdString(plain.text)
                                   .trimmed()
                                   .replace(u'\n', QStringLiteral("\n\n"))
                                   .toStdString();
    EXPECT_EQ(ReadDocument(Data("passage.docx").toStdString()).text, blocks);
    EXPECT_EQ(ReadDocument(Data("passage.odt").toStdString()).text, blocks);
}

TEST_F(DocumentsTest, ContentDecidesBeforeTheName) {
    ASSERT_TRUE(QFile::copy(Data("passage.docx"), Path("docx.txt")));
    ASSERT_TRUE(QFile::copy(Data("passage.odt"), Path("odt.docx")));
    ASSERT_TRUE(WritePdf(Path("pdf.html"), {{"Cats sleep."}}));
    ASSERT_TRUE(QFile::copy(Data("passage.html"), Path("page")));
    ASSERT_TRUE(QFile::copy(Data("passage.html"), Path("page.txt")));
    ASSERT_TRUE(QFile::copy(Data("passage.txt"), Path("text.docx")));
    ASSERT_TRUE(QFile::copy(Data("passage.txt"), Path("text.pdf")));
    ASSERT_TRUE(WriteZip(Path("other.zip"), {{"readme.txt", "Cats sleep."}}));
    ASSERT_TRUE(WritePdf(Path("pdf.txt"), {{"Cats sleep."}}));
    QFile bomPage(Path("bom-page"));
    ASSERT_TRUE(bomPage.open(QIODevice::WriteOnly));
    bomPage.write("\xEF\xBB\xBF<html><body><p>Cats sleep.</p></body></html>");
    bomPage.close();
    ASSERT_TRUE(
        WriteZip(Path("long-mimetype.odt"),
                 {{"mimetype", "application/vnd.oasis.opendocument.text" + QByteArray(300, ' ')}}));
    QFile old(Path("old.doc"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0'));
    old.close();

    // A .txt is text, whatever its first bytes say.
    EXPECT_EQ(DetectFormat(PathStd("docx.txt")), DocumentFormat::Text);
    EXPECT_EQ(DetectFormat(PathStd("pdf.txt")), DocumentFormat::Text);
    EXPECT_EQ(DetectFormat(PathStd("bom-page")), DocumentFormat::Html);
    EXPECT_EQ(Message(PathStd("long-mimetype.odt")),
              "The file is a zip archive but neither a .docx nor an .odt document");
    EXPECT_EQ(DetectFormat(PathStd("odt.docx")), DocumentFormat::Odt);
    EXPECT_EQ(DetectFormat(PathStd("pdf.html")), DocumentFormat::Pdf);
    EXPECT_EQ(DetectFormat(PathStd("page")), DocumentFormat::Html);
    // A .txt is read as it always was, markup and all.
    EXPECT_EQ(DetectFormat(PathStd("page.txt")), DocumentFormat::Text);
    EXPECT_EQ(DetectFormat(PathStd("missing.docx")), DocumentFormat::Docx);
    EXPECT_EQ(Message(PathStd("text.docx")),
              "The file is not a Word document (.docx), whatever its name says");
    EXPECT_EQ(Message(PathStd("text.pdf")), "The file is not a PDF, whatever its name says");
    EXPECT_EQ(Message(PathStd("other.zip")),
              "The file is a zip archive but neither a .docx nor an .odt document");
    EXPECT_EQ(Message(PathStd("old.doc")),
              "The file is an old Word or Office file; save it as .docx or .odt to load it");
    // A forced format is used as it is: plain text read as a .docx is no zip.
    EXPECT_EQ(Message(Data("passage.txt").toStdString(), DocumentFormat::Docx),
              "The document is damaged: it is not a zip archive");
    EXPECT_EQ(ReadDocument(PathStd("page.txt"), DocumentFormat::Html).format, DocumentFormat::Html);
    EXPECT_EQ(FormatFromName("markdown"), DocumentFormat::Markdown);
    EXPECT_EQ(FormatFromName("rtf"), std::nullopt);
}

TEST(OfficeText, OnlyTheProseOfAWordDocument) {
    const std::string text =
        DocxText(
            Str(WordXml(
                "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>"
                "<w:r><w:t>Cats</w:t></w:r><w:r><w:tab/><w:t>sleep</w:t><w:br/><w:t>here</w:t></"
                "w:r>"
                "<w:del><w:r><w:delText>gone</w:delText></w:r></w:del>"
                "<w:moveFrom><w:r><w:t>moved</w:t></w:r></w:moveFrom>"
                "<w:r><mc:AlternateContent><mc:Choice><w:t>box</w:t></mc:Choice>"
                "<mc:Fallback><w:t>box again</w:t></mc:Fallback></mc:AlternateContent></w:r></w:p>"
                "<w:p/><w:tbl><w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></"
                "w:tbl>")))
            .text;
    EXPECT_EQ(text, "Cats sleep\nherebox\n\ncell");
    EXPECT_EQ(DocxText(WordXml("").toStdString()).text, "");
}

TEST(OfficeText, OnlyTheProseOfAnOpenDocument) {
    const std::string text =
        OdtText(Str(OdtXml(
                    "<text:tracked-changes><text:p>deleted</text:p></text:tracked-changes>"
                    "<text:h>Title</text:h><text:p>Cats<text:s text:c=\"3\"/>sleep<text:tab/>here"
                    "<text:note><text:note-body><text:p>A "
                    "footnote.</text:p></text:note-body></text:note>"
                    "<text:line-break/>then\nwake</text:p>"
                    "<text:p>Huge<text:s text:c=\"2000000000\"/>gap</text:p>")))
            .text;
    EXPECT_EQ(text, "Title\n\nCats   sleep here\nthen wake\n\nHuge" + std::string(64, ' ') + "gap");
}

// A few bytes of XML that stand for many characters: the reader stops as
// soon as the text passes 64 MB, and a run of breaks leaves one blank line.
TEST_F(DocumentsTest, ExpandingDocumentsAreBoundedAsTheyAreRead) {
    QByteArray spaces = "<text:p>";
    for (int i = 0; i < 1'100'000; ++i) // 1.1 million times 64 spaces: 70 MB
        spaces += "<text:s text:c=\"64\"/>";
    ASSERT_TRUE(WriteOdt(Path("spaces.odt"), OdtXml(spaces + "</text:p>")));
    EXPECT_EQ(Message(PathStd("spaces.odt")), "The document unpacks to more than 64 MB of text");

    QByteArray breaks = "<w:p><w:r><w:t>Cats</w:t>";
    for (int i = 0; i < 100'000; ++i)
        breaks += "<w:br/>";
    EXPECT_EQ(DocxText(Str(WordXml(breaks + "<w:t>sleep</w:t></w:r></w:p>"))).text,
              "Cats\n\nsleep");
}

// A page never makes the program open another file: a linked style sheet
// that would turn the prose into code is not read.
TEST_F(DocumentsTest, PagesLoadNothingTheyName) {
    QFile css(Path("code.css"));
    ASSERT_TRUE(css.open(QIODevice::WriteOnly));
    css.write("p { font-family: monospace; }");
    css.close();
    const QString page = "<html><head><link rel=\"stylesheet\" href=\"" + Path("code.css") +
                         "\"></head><body><p>Cats sleep.</p></body></html>";
    EXPECT_EQ(HtmlText(page.toStdString()).text, "Cats sleep.");
    EXPECT_EQ(MarkdownText(
                  ("Cats sleep.\n\n<link rel=\"stylesheet\" href=\"" + Path("code.css") + "\">\n")
                      .toStdString())
                  .text,
              "Cats sleep.");
}

// Deep nesting and many links in a paragraph take time in proportion to the
// page (Qt's own readers took minutes), and a long page tells its progress.
TEST_F(DocumentsTest, DeepPagesReachTheReaderFlattenedAndLongPagesInPieces) {
    // The parser's work per tag grows with the nesting: what it is given
    // nests no deeper than kMaxPageNesting, and no text is lost on the way.
    QString divs = QStringLiteral("<html><body>");
    for (int i = 0; i < 20'000; ++i)
        divs += QStringLiteral("<div><b>cats");
    const QString bounded = QString::fromStdString(BoundedNesting(divs.toStdString()));
    // <html> and <body> are open too; past the bound a div is a rule.
    EXPECT_EQ(bounded.count(QStringLiteral("<div>")) + bounded.count(QStringLiteral("<b>")),
              kMaxPageNesting - 2);
    EXPECT_EQ(bounded.count(QStringLiteral("<hr>")), 20'000 - (kMaxPageNesting - 2) / 2);
    EXPECT_EQ(std::get<1>(Counts(HtmlText(divs.toStdString()).text)), 20'000);
    std::string links;
    for (int i = 0; i < 2'000; ++i)
        links += "[cats](http://example.com/" + std::to_string(i) + ") ";
    EXPECT_EQ(std::get<1>(Counts(MarkdownText(links).text)), 2'000);

    std::string page = "<html><body>";
    for (int i = 0; i < 40'000; ++i)
        page += "<p>Cats sleep.</p>";
    int told = 0;
    EXPECT_THROW(HtmlText(page,
                          [&](int done, int total) {
                              EXPECT_EQ(done, ++told);
                              EXPECT_GT(total, 1);
                              return done < 2;
                          }),
                 LoadCancelled);
    EXPECT_EQ(told, 2);

    std::string markdown;
    for (int i = 0; i < 40'000; ++i)
        markdown += "Cats sleep.\n\n";
    told = 0;
    EXPECT_THROW(MarkdownText(markdown,
                              [&](int done, int total) {
                                  EXPECT_EQ(done, ++told);
                                  EXPECT_EQ(total, 2);
                                  return false;
                              }),
                 LoadCancelled);
    EXPECT_EQ(told, 1);
}

// The PDF reader stops at the page, or the word, that passes its bound.
TEST_F(DocumentsTest, PdfTextStopsAtItsBound) {
    ASSERT_TRUE(WritePdf(Path("two.pdf"), {{"Cats sleep."}, {"Dogs run."}}));
    const std::size_t size = PdfText(PathStd("two.pdf"), kMaxTextFileBytes, {}).text.size();
    EXPECT_EQ(PdfText(PathStd("two.pdf"), size + 1, {}).text, "Cats sleep.\nDogs run.");
    for (const std::size_t bound : {size - 2, std::size_t{5}}) {
        try {
            PdfText(PathStd("two.pdf"), bound, {});
            ADD_FAILURE() << bound;
        } catch (const ScrivoluxError& error) {
            EXPECT_STREQ(error.what(), "Text exceeds memo capacity");
        }
    }
}

TEST(OfficeText, NoDocumentTypeAndNoBrokenXml) {
    // The entities are never expanded: the declaration alone is refused.
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY a \"aaaa\">"
                              "<!ENTITY b \"&a;&a;&a;&a;\">]>"
                              "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                              "wordprocessingml/2006/main\"><w:body><w:p><w:r><w:t>&b;</w:t>"
                              "</w:r></w:p></w:body></w:document>";
    for (const auto read : {&DocxText, &OdtText}) {
        try {
            read(laughs.toStdString());
            ADD_FAILURE() << "read";
        } catch (const ScrivoluxError& error) {
            EXPECT_STREQ(error.what(), "The document is damaged: its XML declares a document type");
        }
    }
    EXPECT_THROW(DocxText("<w:document><w:body>"), ScrivoluxError);
    EXPECT_THROW(OdtText(OdtXml("<text:p>open").toStdString()), ScrivoluxError);
}

TEST_F(DocumentsTest, PdfLinesHyphensAndPages) {
    ASSERT_TRUE(WritePdf(Path("hyphens.pdf"), {{"The exam-", "ple shows a divid-",
                                                "ed word; a well-", "Known dash", "stays."},
                                               {"Second page."},
                                               {}}));
    std::vector<std::pair<int, int>> told;
    const LoadedDocument pdf = ReadDocument(PathStd("hyphens.pdf"), {}, [&](int done, int total) {
        told.emplace_back(done, total);
        return true;
    });
    EXPECT_EQ(pdf.text, "The example shows a divided word; a well-\nKnown dash\nstays.\n"
                        "Second page.");
    EXPECT_EQ(told, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));

    EXPECT_THROW(ReadDocument(PathStd("hyphens.pdf"), {}, [](int, int) { return false; }),
                 LoadCancelled);
}

TEST_F(DocumentsTest, PdfWithoutTextOrLocked) {
    ASSERT_TRUE(WritePdf(Path("scan.pdf"), {{}, {}}));
    EXPECT_EQ(Message(PathStd("scan.pdf")), "The PDF holds no text; it may be a scanned image");
    EXPECT_EQ(Message(Data("password.pdf").toStdString()), "The document is password-protected");
}

// Where a sentence came from, in each kind of place: a line and column of a
// text, Markdown or a page (front matter, a removed footnote reference and an
// entity before it on the line counted), a paragraph of a word-processor
// document, a page of a PDF.
TEST_F(DocumentsTest, EachPartKnowsWhereItCameFrom) {
    const auto place = [](const DocumentText& read, std::string_view words) {
        const std::size_t at = read.text.find(words);
        EXPECT_NE(at, std::string::npos) << words << " in " << read.text;
        return PlaceAt(read.text, read.places, at);
    };
    const auto line = [](int number, int column) {
        return SourcePlace{PlaceKind::Line, number, column};
    };
    const DocumentText page = HtmlText("<html>\n<body>\n<h1>Title</h1>\n<p>One two\nthree "
                                       "&amp; four.<br>Five.</p>\n  <p>Six.</p></body></html>");
    EXPECT_EQ(place(page, "Title"), line(3, 5));
    EXPECT_EQ(place(page, "three"), line(5, 1));
    EXPECT_EQ(place(page, "four."), line(5, 13));
    EXPECT_EQ(place(page, "Five."), line(5, 22));
    EXPECT_EQ(place(page, "Six."), line(6, 6));

    const DocumentText markdown =
        MarkdownText("---\ntitle: A\n---\n# Head\n\nA cent[^1] more "
                     "*and* `code`\nnext line.\n\n- item\n\n[^1]: Note.\n");
    EXPECT_EQ(markdown.text, "Head\n\nA cent more and code next line.\n\nitem");
    EXPECT_EQ(place(markdown, "Head"), line(4, 3));
    EXPECT_EQ(place(markdown, "more"), line(6, 12));
    EXPECT_EQ(place(markdown, "and"), line(6, 18));
    EXPECT_EQ(place(markdown, "next"), line(7, 1));
    EXPECT_EQ(place(markdown, "item"), line(9, 3));

    const LoadedDocument plain = ReadDocument(Data("passage.txt").toStdString());
    const std::size_t dogs = plain.text.find("Dogs");
    EXPECT_EQ(PlaceOf(plain, dogs), line(2, static_cast<int>(dogs - plain.text.find('\n'))));

    const DocumentText docx = DocxText(
        Str(WordXml(WordBody({"First.", ""}) + "<w:p/>" + WordBody({"Fourth.", "Fifth."}))));
    EXPECT_EQ(place(docx, "Fourth."), (SourcePlace{PlaceKind::Paragraph, 4, 0}));
    EXPECT_EQ(place(docx, "Fifth."), (SourcePlace{PlaceKind::Paragraph, 5, 0}));
    const DocumentText odt = OdtText(Str(OdtXml("<text:h>Title</text:h><text:p/><text:p>Third."
                                                "</text:p>")));
    EXPECT_EQ(place(odt, "Third."), (SourcePlace{PlaceKind::Paragraph, 3, 0}));

    ASSERT_TRUE(WritePdf(Path("pages.pdf"), {{"Cats sleep."}, {}, {"Dogs run.", "Birds sing."}}));
    const LoadedDocument pdf = ReadDocument(PathStd("pages.pdf"));
    EXPECT_EQ(PlaceOf(pdf, pdf.text.find("Cats")), (SourcePlace{PlaceKind::Page, 1, 0}));
    EXPECT_EQ(PlaceOf(pdf, pdf.text.find("Birds")), (SourcePlace{PlaceKind::Page, 3, 0}));
}

// The pandoc-made structured.* files hold the same prose: the web page and
// the word-processor files give the Markdown's blocks (the page and the
// files add the title block), with no note and no note reference glued to a
// word ("cent1").
TEST(Documents, EveryFormatOfOneDocumentGivesTheSameBlocks) {
    const auto read = [](const char* format) {
        std::string text =
            ReadDocument(SCRIVOLUX_TEST_DATA_DIR "/documents/structured." + std::string(format))
                .text;
        for (std::size_t at = 0; (at = text.find("\xC2\xA0", at)) != std::string::npos;)
            text.replace(at, 2, " ");
        return text;
    };
    const std::string markdown = read("md");
    ASSERT_NE(markdown.find("per cent. See"), std::string::npos) << markdown;
    const std::string title = "Annual Support Review\n\nOperations Team\n\n";
    for (const char* format : {"html", "docx", "odt"}) {
        SCOPED_TRACE(format);
        EXPECT_EQ(read(format), title + markdown);
    }
}

// A notes section is told by its class or role alone, and dropped however
// many are left open after it, in one pass; an attribute that merely holds
// the word keeps its prose.
TEST(MarkupText, NotesByTheirMarkersAlone) {
    const std::pair<const char*, const char*> rows[] = {
        {"<p>Cats sleep.</p><div class=\"footnotes\"><p>A note.</p></div><p>Dogs run.</p>",
         "Cats sleep.\n\nDogs run."},
        {"<p>Cats.</p><section class=\"footnotes footnotes-end-of-document\" "
         "role=\"doc-endnotes\"><ol><li>Note.</li></ol></section>",
         "Cats."},
        {"<p>Cats.</p><ol role=\"doc-endnotes\"><li>Note.</li></ol>", "Cats."},
        {"<div data-footnotes=\"on\"><p>Cats sleep.</p></div>", "Cats sleep."},
        {"<div class=\"no-footnotes\"><p>Cats sleep.</p></div>", "Cats sleep."},
        {"<p>Ten per cent<sup><a href=\"#fn1\">1</a></sup>.</p>", "Ten per cent."},
        {"<p>Ten per cent<a href=\"#fn1\" class=\"footnote-ref\" id=\"fnref1\" "
         "role=\"doc-noteref\"><sup>1</sup></a>.</p>",
         "Ten per cent."},
        {"<p>See <a href=\"#fnord\">the fnord</a>.</p>", "See the fnord."},
    };
    for (const auto& [page, text] : rows)
        EXPECT_EQ(HtmlText(page).text, text) << page;

    // Open notes sections and stray end tags, 64,000 of each: the parser is
    // handed no more open elements than the bound, so each tag costs the same.
    std::string open = "<html><body><p>Cats sleep.</p>";
    for (int i = 0; i < 64'000; ++i)
        open += "<div class=\"footnotes\">";
    for (int i = 0; i < 64'000; ++i)
        open += "</span>";
    const std::string bounded = BoundedNesting(open);
    EXPECT_LE(bounded.size(), open.size());
    EXPECT_EQ(QString::fromStdString(bounded).count(QStringLiteral("<div")), kMaxPageNesting - 2);
    EXPECT_EQ(HtmlText(open).text, "Cats sleep.");
}

// Tags that browsers close by themselves (list items, cells, options), left
// open and mixed so that no start closes the last: the nesting stays bounded
// and no word is lost.
TEST(MarkupText, ElementsLeftOpenNeverNestWithoutBound) {
    std::string page = "<html><body>";
    for (int i = 0; i < 20'000; ++i)
        page += "<li><dt><td><option>cats ";
    EXPECT_EQ(std::get<1>(Counts(HtmlText(page).text)), 20'000);
    // An end tag the parser would not take through the block inside it.
    std::string spans = "<html><body>";
    for (int i = 0; i < 20'000; ++i)
        spans += "<span><div>cats</span>";
    EXPECT_EQ(std::get<1>(Counts(HtmlText(spans).text)), 20'000);
    std::string scripts = "<p>Cats <script>if (a<b && c<d) x = '</p>';</script>sleep.</p>";
    EXPECT_EQ(HtmlText(scripts).text, "Cats sleep.");
}

// Raw tags written in prose are markup, not the start of something that never
// ends; a script or a navigation closed within the paragraph goes whole.
TEST(MarkupText, TagNamesInMarkdownProseKeepTheRest) {
    for (const char* tag : {"<nav>", "<template>", "<script>", "<style>", "<noscript>"}) {
        const std::string markdown =
            std::string("Put the ") + tag + " element before the main text.\n\nThe rest stays.\n";
        EXPECT_EQ(MarkdownText(markdown).text,
                  "Put the element before the main text.\n\nThe rest stays.")
            << tag;
    }
    EXPECT_EQ(MarkdownText("Cats <script>var hidden;</script>sleep.\n").text, "Cats sleep.");
    // A tag left open ends with its paragraph: a later end tag closes nothing.
    EXPECT_EQ(MarkdownText("Put the <nav> element first.\n\nCats sleep. </nav>Dogs run.\n").text,
              "Put the element first.\n\nCats sleep. Dogs run.");
    EXPECT_EQ(MarkdownText("Ten per cent<sup><a href=\"#fn1\">1</a></sup>.\n").text,
              "Ten per cent.");
    EXPECT_EQ(MarkdownText("Cats sleep.\n\n<div class=\"footnotes\">\n\nNote.\n").text,
              "Cats sleep.\n\nNote.");
}

// Front matter is YAML keys between a first line "---" and a line "---" or
// "..."; a rule and prose under it are prose.
TEST(MarkupText, FrontMatterOnlyWhenItIsKeys) {
    const std::pair<const char*, const char*> rows[] = {
        {"---\ntitle: A\nauthor: B\n---\nCats sleep.\n", "Cats sleep."},
        {"---\ntitle: A\ntags:\n  - x\n# a comment\n...\nCats sleep.\n", "Cats sleep."},
        {"\xEF\xBB\xBF---\ntitle: A\n---\nCats sleep.\n", "Cats sleep."},
        {"---\n\nFirst part here.\n\nSecond part.\n---\nLast line.\n",
         "First part here.\n\nSecond part.\n\nLast line."},
        {"---\nNot a key.\n---\nCats.\n", "Not a key.\n\nCats."},
        {"---\ntitle: A\nJust prose here.\n...\nCats.\n", "title: A Just prose here. ... Cats."},
        {"---\ntitle: A\n", "title: A"},
    };
    for (const auto& [markdown, text] : rows)
        EXPECT_EQ(MarkdownText(markdown).text, text) << markdown;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
