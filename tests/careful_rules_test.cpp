#include "analysis/AnalysisPipeline.h"
#include "analysis/CarefulRules.h"
#include "analysis/PassageDetails.h"
#include "analysis/SyllableEstimate.h"
#include "dictionary/Dictionary.h"
#include "documents/DocumentReader.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QString>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace {

WorkingTexts Careful(const std::string& text) {
    return PrepareText(std::string(text), CountingRules::Careful);
}

std::int32_t Sentences(const WorkingTexts& texts) {
    NoProgress progress;
    return CountSentences(texts.sentenceText, progress);
}

std::vector<std::string> Words(const WorkingTexts& texts) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : texts.wordText + ' ') {
        if (c != ' ') {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

struct SentenceRow {
    const char* name;
    const char* text;
    int sentences;
};

} // namespace

TEST(CarefulRules, SentenceEnds) {
    const SentenceRow rows[] = {
        {"titles and times", "Dr. Smith met Mr. Jones at 5 p.m. today. They talked.", 2},
        {"common titles", "Mrs. Smith arrived at noon. Ms. Lee and Prof. Kay sat down.", 2},
        {"initial", "The letter came from Anna K. Lee in May.", 1},
        {"pronoun I ends", "It was just you and I. Then he left.", 2},
        {"abbreviation before a number", "Turn to p. 12 and fig. 3 now.", 1},
        {"abbreviation then an opener", "They sell tea, cups, etc. The shop is small.", 2},
        {"abbreviation then a name", "It belongs to Acme Co. Ltd in town.", 1},
        {"initialism then a noun", "She joined the U.N. Council in spring.", 1},
        {"initialism then an opener", "She moved to the U.K. How odd.", 2},
        {"decimals and versions", "Version 1.2.3 costs $4.50 and weighs 0.5 kg.", 1},
        {"number at the end", "The price rose to 4.5. Nobody minded.", 2},
        {"file name", "Edit sources.list and run it. Then reboot.", 2},
        {"address", "Write to ann.lee@example.org. She answers.", 2},
        {"web address", "See https://example.org/a.b/c.html for more.", 1},
        {"quote with lower-case continuation", "\"Stop it.\" he said.", 1},
        {"quote then a capital", "\u201cStop it.\u201d He left.", 2},
        {"bracket with lower-case continuation", "It grew (by a lot.) over years.", 1},
        {"run of marks", "Really?! Yes!! Fine.", 3},
        {"exclamation inside a name", "He works at Yahoo! in sales.", 1},
        {"ellipsis inside", "Well... maybe . . . I think so.", 1},
        {"ellipsis and a full stop", "It ended.... The next day came.", 2},
        {"spaced ellipsis at the end", "It faded . . . . Then silence.", 2},
        {"omission mark", "They [...] left at dawn.", 1},
        {"inline numbered list", "1) Mix the flour 2) Add the eggs", 2},
        {"inline lettered list", "a. Mix the flour b. Add the eggs c. Bake it", 3},
        {"inline bullets", "\u2022 Mix the flour \u2022 Add the eggs", 2},
        {"no end mark", "A heading without a full stop", 1},
        // The look-ahead from an end is asked again from other places: each
        // question gets its own answer.
        {"next line begins in lower case", "The tea was ready.\nb. 2 cups were left.", 2},
        {"lettered piece after an end", "The tea was ready. b. 2 cups were left.", 1},
        {"list item with a lettered piece", "- Mix a. . b. and more", 2},
        {"figures are words", "... !!! 2023. 4.5", 1},
        {"no words", "... !!! MP3. 4.5.1", 0},
        // A full stop that ends a line, before a line in lower case.
        {"gloss lines",
         "a feature of the mental life.\nan initial accomplishment.\nthe act of departing.", 3},
        {"abbreviations at a line end", "Bring cups, etc.\nand cake, e.g.\nscones.", 1},
        {"initial at a line end", "A letter from Anna K.\nlee came.", 1},
        {"ellipsis at a line end", "Well...\nmaybe not.", 1},
        {"question at a line end", "Was it?\nnobody knew.", 1},
        {"stop inside a line", "It was life. an aside followed.", 1},
        {"boxed paragraph",
         "*  This program is free  *\n*  software. It comes    *\n*  with no warranty      *\n"
         "*                       *\n*  Share it.             *",
         3},
        {"section numbers",
         "A.3. Calling for a vote\nThe members vote.\n12.2.4 Maintainers\nUsers can ask.", 4},
        {"numbered item goes on", "1. Mix the flour and\nThe eggs\n\n2. Bake it", 2},
        {"section number is no decimal", "The rise was\n3.5 million in a year.", 1},
        {"inline enumeration", "- Keep it short; 2) Split long parts, 3) Cut the rest", 1},
        {"inline list still parts", "- Keep it short 2) Split long parts", 2},
    };
    for (const SentenceRow& row : rows)
        EXPECT_EQ(Sentences(Careful(row.text)), row.sentences) << row.name << ": " << row.text;
}

TEST(CarefulRules, BlocksEndSentencesAndMarkersAreNoWords) {
    const WorkingTexts texts = Careful("# Annual Review\n"
                                       "Summary of the year\n"
                                       "\n"
                                       "The team grew and the\n"
                                       "work went well\n"
                                       "- Faster replies\n"
                                       "2. Shared answers\n"
                                       "| Quarter | Tickets closed |\n"
                                       "|---|---|\n"
                                       "Title\n"
                                       "=====\n");
    // The heading, the line after it, the hard-wrapped paragraph (one sentence),
    // two list items, two table cells and an underlined heading.
    EXPECT_EQ(Sentences(texts), 8);
    EXPECT_EQ(Words(texts),
              (std::vector<std::string>{
                  "Annual", "Review",  "Summary", "of",      "the",    "year", "The",    "team",
                  "grew",   "and",     "the",     "work",    "went",   "well", "Faster", "replies",
                  "Shared", "answers", "Quarter", "Tickets", "closed", "Title"}));
}

// A section number and a box's edges are drawing, not words.
TEST(CarefulRules, SectionNumbersAndBoxesAreNoWords) {
    EXPECT_EQ(Words(Careful("A.3. Calling a vote\n*  Boxed in  *")),
              (std::vector<std::string>{"Calling", "a", "vote", "Boxed", "in"}));
}

TEST(CarefulRules, WordsAreLettersWithInnerApostrophes) {
    const WorkingTexts texts = Careful(
        "\u201cThe hacker\u2019s \u2018best\u2019 friend\u201d \u2014 don't `show` "
        "\u2502 \u00a7 \u00a9 ~tilde well-known\tTAB 'quoted' students' x86 2023 4.5 "
        "caf\u00e9 www.example.org ann@example.org https://example.org/docs/guide.html U.S. e.g.");
    EXPECT_EQ(Words(texts),
              (std::vector<std::string>{"The", "hacker\u2019s", "best", "friend", "don't", "show",
                                        "tilde", "well-known", "TAB", "quoted", "students", "2023",
                                        "4.5", "caf\u00e9", "U.S.", "e.g."}));
    // The working texts keep the passage's shape, byte for byte.
    EXPECT_EQ(texts.wordText.size(), texts.passage.size());
    EXPECT_EQ(texts.sentenceText.size(), texts.passage.size());
}

// The sentence rules part pieces of text where the word rules do: at the
// wider spaces too, which pasted web text and .docx files hold.
// Flesch's conventions: a compound, a figure, an initialism and an identifier
// are each one word; a figure has the syllables it has when said.
TEST(CarefulRules, FleschCountsCompoundsAndFiguresAsWords) {
    const struct {
        const char* text;
        std::vector<std::string> words;
        int syllables; // estimated without a dictionary; -1: not checked
    } rows[] = {
        {"well-known", {"well-known"}, 2},
        {"in 1918", {"in", "1918"}, 5},
        {"$10", {"$10"}, 3},
        {"\u00a33 and \u20ac20", {"\u00a33", "and", "\u20ac20"}, 2 + 1 + 4},
        {"the 15th", {"the", "15th"}, 3},
        {"2nd 20th 12th", {"2nd", "20th", "12th"}, 2 + 3 + 1},
        {"3.5", {"3.5"}, 3},
        {"the 1990s.", {"the", "1990s"}, 5},
        {"1,000 2000 1905 007", {"1,000", "2000", "1905", "007"}, 3 + 3 + 4 + 6},
        {"L.S. Lowry", {"L.S.", "Lowry"}, -1},
        {"sys.path and LC_CTYPE", {"sys.path", "and", "LC_CTYPE"}, -1},
        {"_said_ it", {"said", "it"}, 2},
        {"MP3 x86 4.5.1 2023-01-05 12,34 1,0000", {}, 0},
        {"cut; 2) keep (3) it", {"cut", "keep", "it"}, 3},
        {"a -- b - c re-\"do\" it-", {"a", "b", "c", "re", "do", "it"}, 6},
    };
    const TDictionary dictionary;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const std::vector<std::string> words = Words(Careful(row.text));
        EXPECT_EQ(words, row.words);
        if (row.syllables < 0)
            continue;
        int syllables = 0;
        for (const std::string& word : words)
            syllables += EstimateSyllables(word, dictionary);
        EXPECT_EQ(syllables, row.syllables);
    }
    // A figure is said, never asked about: no handler is called for it, and
    // the counting pass and the details agree on it.
    TDictionary empty;
    const WorkingTexts texts = Careful("In 1918 it cost $10.");
    int asked = 0;
    const UnknownWordHandler ask = [&](const std::string&, TDictionary&) { return ++asked, 1; };
    const AnalysisCounts counts = CountTextsInParallel(texts, empty, ask, ask);
    EXPECT_EQ(asked, 3); // in, it, cost
    EXPECT_EQ(counts.syllables, 3 + 4 + 3);
    const PassageDetails details = BuildPassageDetails(texts, empty, UnknownWordLog());
    EXPECT_EQ(details.counts.syllables, 4 + 3);
    EXPECT_EQ(details.words[1].word, "1918");
    EXPECT_EQ(details.words[1].source, WordSource::Estimated);
}

// The Dale-Chall list has "mr." with its full stop, the careful words "Mr"
// without it; Spache counts each unfamiliar word once, however often it comes.
TEST(CarefulRules, FormulaListsMatchWordsWithoutTheirStop) {
    const WorkingTexts texts = Careful("Mr. Okafor met Mrs. Okafor. Okafor smiled.");
    const PassageDetails details = BuildPassageDetails(texts, TDictionary(), UnknownWordLog());
    std::vector<std::string> unfamiliar;
    for (const WordRow& row : details.words) {
        if (!row.daleChallFamiliar)
            unfamiliar.push_back(row.word);
    }
    EXPECT_EQ(unfamiliar, (std::vector<std::string>{"okafor"}));
    EXPECT_EQ(details.indexCounts.daleChallUnfamiliar, 3);
    // mr, okafor and mrs are off the Spache list; okafor three times.
    EXPECT_EQ(details.indexCounts.spacheUnfamiliar, 5);
    EXPECT_EQ(details.indexCounts.spacheUnfamiliarUnique, 3);
    // The counting pass, cut in two, counts a word met in both halves once.
    for (const std::size_t cutFrom : {std::size_t{1}, std::size_t{1} << 20}) {
        TDictionary dictionary;
        IndexCounts counts;
        CountTextsInParallel(texts, dictionary, {}, {}, cutFrom, &counts);
        EXPECT_EQ(counts.spacheUnfamiliarUnique, 3) << cutFrom;
    }
}

TEST(CarefulRules, WideSpacesPartSentencesAsTheyPartWords) {
    const std::string sentences = "I came home. Then I slept. It was late! Was it? Yes.";
    for (const char* space : {"\u00a0", "\u2009", "\u3000", "\u202f", "\u200b"}) {
        SCOPED_TRACE(space);
        std::string text;
        for (const char c : sentences)
            text += c == ' ' ? std::string(space) : std::string(1, c);
        const WorkingTexts texts = Careful(text);
        EXPECT_EQ(Sentences(texts), 5);
        EXPECT_EQ(Words(texts).size(), 12u);
        // A line of them alone is a blank line, and no sentence.
        EXPECT_EQ(Sentences(Careful("One line\n" + std::string(space) + space)), 1);
    }
}

// A soft hyphen is invisible: the word it stands in stays one word, shown
// without it, and the details still point at the whole word in the text.
TEST(CarefulRules, SoftHyphensAreDropped) {
    const std::string text = "The infor\u00admation was \u2018un\u00adder\u00adstood\u2019.";
    const WorkingTexts texts = Careful(text);
    EXPECT_EQ(Words(texts), (std::vector<std::string>{"The", "information", "was", "understood"}));
    TDictionary dictionary;
    const PassageDetails details = BuildPassageDetails(texts, dictionary, UnknownWordLog());
    ASSERT_EQ(details.occurrences.size(), 4u);
    const TextSpan understood = details.occurrences[3].span;
    EXPECT_EQ(text.substr(understood.offset, understood.length), "un\u00adder\u00adstood");
    EXPECT_EQ(understood.size, 12u);
    EXPECT_EQ(details.words[details.occurrences[1].row].word, "information");
}

TEST(CarefulRules, ClassicRulesAreUntouched) {
    const std::string text = "Dr. Smith met Mr. Jones at 5 p.m. today. They talked.\n\n- a list";
    const WorkingTexts classic = PrepareText(std::string(text));
    EXPECT_EQ(classic.wordText, PrepareTexts(PassageOfText(text)).wordText);
    EXPECT_TRUE(classic.passage.empty());
    EXPECT_EQ(Sentences(classic), 7);
}

// The details count UTF-16 positions on the passage, since the careful word
// text blanks the bytes of quotes and dashes.
TEST(CarefulRules, DetailsPointAtTheWordsInTheText) {
    TDictionary dictionary;
    dictionary.AddWord("there", 1);
    const std::string text = "\u201cHi\u201d \U0001F600 there \u2014 now.";
    const PassageDetails details = BuildPassageDetails(Careful(text), dictionary, UnknownWordLog());
    EXPECT_EQ(details.rules, CountingRules::Careful);
    ASSERT_EQ(details.occurrences.size(), 3u);
    const TextSpan there = details.occurrences[1].span;
    EXPECT_EQ(text.substr(there.offset, there.length), "there");
    EXPECT_EQ(there.position, 8u); // “ H i ” space, the emoji's two units, space
    ASSERT_EQ(details.sentences.size(), 1u);
    EXPECT_EQ(details.sentences[0].words, 3);
}

// A sentence's text runs up to and with its ending character, whole even when
// that has several bytes; a block without one ends at its last word.
TEST(CarefulRules, SentenceTextEndsWithItsEndingCharacter) {
    const struct {
        const char* text;
        std::vector<std::string> sentences;
    } rows[] = {
        {"He said \u201cstop.\u201d Then he left.", {"He said \u201cstop.\u201d", "Then he left."}},
        {"Home.\u00a0Then he left.", {"Home.", "Then he left."}},
        {"Wait\u2026 Really?\u2019 Yes \u00bb!", {"Wait\u2026", "Really?\u2019", "Yes \u00bb!"}},
        {"He said \"go.\" Then | rows\n\nA heading\n\nBody.",
         {"He said \"go.\"", "Then | rows", "A heading", "Body."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const std::string text = row.text;
        const PassageDetails details =
            BuildPassageDetails(Careful(text), TDictionary(), UnknownWordLog());
        std::vector<std::string> sentences;
        for (const SentenceDetails& sentence : details.sentences) {
            const std::string s = text.substr(sentence.span.offset, sentence.span.length);
            sentences.push_back(s);
            // The Details window selects by UTF-16 units.
            EXPECT_EQ(sentence.span.size, QString::fromStdString(s).size()) << s;
        }
        EXPECT_EQ(sentences, row.sentences);
    }
}

// The same Markdown file as .md, .docx, .odt and .html (made by pandoc): the
// careful rules never run a sentence across two blocks, and the classic counts
// stay what they are.
TEST(CarefulRules, DocumentsKeepTheirBlocks) {
    const std::string dir = SCRIVOLUX_TEST_DATA_DIR "/documents/structured.";
    for (const char* format : {"md", "docx", "odt", "html"}) {
        SCOPED_TRACE(format);
        const std::string text = ReadDocument(dir + format).text;
        EXPECT_EQ(text.find("author:"), std::string::npos) << "front matter is no text";
        EXPECT_EQ(text.find("[^"), std::string::npos);
        const WorkingTexts careful = Careful(text);
        // Sentences end within their block: between two blocks lies a full stop.
        int sum = 0;
        std::size_t start = 0;
        for (std::size_t end = text.find("\n\n"); start < text.size();
             end = text.find("\n\n", start)) {
            if (end == std::string::npos)
                end = text.size();
            sum += Sentences(Careful(text.substr(start, end - start)));
            start = end + 2;
        }
        EXPECT_EQ(Sentences(careful), sum);
        EXPECT_EQ(Sentences(careful), std::string(format) == "md" ? 16 : 18);
        EXPECT_EQ(Sentences(PrepareText(std::string(text))), 9);
    }
}

namespace {

// A PDF of one page per list of lines, each line in its own point size.
void WriteSizedPdf(const QString& path,
                   const std::vector<std::vector<std::pair<QString, int>>>& pages) {
    QPdfWriter writer(path);
    writer.setResolution(72);
    QPainter painter(&writer);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        int y = 60;
        for (const auto& [line, points] : pages[i]) {
            painter.setFont(QFont(QStringLiteral("DejaVu Sans"), points));
            y += points + 5;
            painter.drawText(50, y, line);
        }
    }
}

} // namespace

// A PDF's headings end their sentence, as in the other documents; a word
// divided at a line end is joined in any case; a compound keeps its hyphen.
TEST(CarefulRules, PdfBlocksAndDividedWords) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("manual.pdf"));
    WriteSizedPdf(path, {{{"Maintainers", 18},
                          {"Users can ask questions on the list and", 11},
                          {"get answers from the well-known people in", 11},
                          {"the team. Its ELE-", 11},
                          {"MENT is a well-", 11},
                          {"known name that was divid-", 11},
                          {"ed with care, in ten or more words a page.", 11}}});
    const LoadedDocument pdf = ReadDocument(path.toStdString());
    const std::vector<std::string> words = Words(Careful(pdf.text));
    for (const char* word : {"ELEMENT", "divided"})
        EXPECT_NE(std::find(words.begin(), words.end(), word), words.end()) << word;
    EXPECT_EQ(std::count(words.begin(), words.end(), "well-known"), 2);
    EXPECT_EQ(std::find(words.begin(), words.end(), "12.2.4"), words.end());
    // The heading, the sentence that ends at "team.", and the last.
    EXPECT_EQ(Sentences(Careful(pdf.text)), 3);
    EXPECT_EQ(pdf.warnings, std::vector<std::string>{});

    // Under 20 words a page on average: two pages of ten words and one empty.
    const QString sparse = dir.filePath(QStringLiteral("pictures.pdf"));
    const QString ten = QStringLiteral("one two three four five six seven eight nine ten");
    WriteSizedPdf(sparse, {{{ten, 11}, {ten, 11}}, {{ten, 11}}, {{ten, 11}, {ten, 11}, {ten, 11}}});
    EXPECT_EQ(ReadDocument(sparse.toStdString()).warnings, std::vector<std::string>{});
    WriteSizedPdf(sparse, {{{ten, 11}, {ten, 11}}, {{ten, 11}}, {{ten, 11}, {ten, 11}}});
    EXPECT_EQ(ReadDocument(sparse.toStdString()).warnings,
              std::vector<std::string>{"this PDF has little text (its pages may be pictures)"});
}

TEST(CarefulRules, ListMarkers) {
    for (const char* marker : {"1.", "12)", "100.", "3.)", "(4)", "a.", "iv)", "(b)"})
        EXPECT_TRUE(IsListMarker(marker)) << marker;
    for (const char* other : {"", ".", "1234.", "ab.", "A.", "e.g.", "1", "x86.", "()"})
        EXPECT_FALSE(IsListMarker(other)) << other;
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // the document readers lay out rich text
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
