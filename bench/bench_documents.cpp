// Loading a 300-page .docx (100,000 words in 3,000 paragraphs) as plain text,
// and pages and Markdown built to be slow: deep nesting, many links in one
// paragraph, notes sections never closed. Their time must grow in step with
// their size (compare the sizes).

#include "DocumentFiles.h"

#include "documents/DocumentReader.h"
#include "documents/MarkupText.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray LongWordBody(int paragraphs, int wordsPerParagraph) {
    static const char* const kWords[] = {"readable", "cats",   "sleep", "in",   "the",
                                         "warm",     "garden", "while", "dogs", "run"};
    QByteArray body;
    int n = 0;
    for (int p = 0; p < paragraphs; ++p) {
        body +=
            "<w:p><w:pPr><w:pStyle w:val=\"BodyText\"/></w:pPr><w:r><w:t xml:space=\"preserve\">";
        for (int w = 0; w < wordsPerParagraph; ++w) {
            body += kWords[n++ % 10];
            body += (w + 1) % 12 == 0 ? ". " : " ";
        }
        body += "</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>End.</w:t></w:r></w:p>";
    }
    return body;
}

void BM_Docx300Pages(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("long.docx");
    if (!documents::WriteDocx(path, documents::WordXml(LongWordBody(3000, 33)))) {
        state.SkipWithError("cannot write the document");
        return;
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        const LoadedDocument document = ReadDocument(path.toStdString());
        bytes = document.text.size();
        benchmark::DoNotOptimize(document.text.data());
    }
    state.counters["text_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Docx300Pages)->Unit(benchmark::kMillisecond);

void BM_NestedDivs(benchmark::State& state) {
    std::string page = "<html><body>";
    for (int i = 0; i < state.range(0); ++i)
        page += "<div>cats";
    for (auto _ : state)
        benchmark::DoNotOptimize(HtmlText(page).text.size());
}
BENCHMARK(BM_NestedDivs)->Arg(10'000)->Arg(40'000)->Unit(benchmark::kMillisecond);

// Notes sections never closed, then as many stray end tags: each must cost
// the same, however many came before.
void BM_UnclosedNotes(benchmark::State& state) {
    std::string page = "<html><body><p>Cats sleep.</p>";
    for (int i = 0; i < state.range(0); ++i)
        page += "<div class=\"footnotes\">";
    for (int i = 0; i < state.range(0); ++i)
        page += "</span>";
    for (auto _ : state)
        benchmark::DoNotOptimize(HtmlText(page).text.size());
}
BENCHMARK(BM_UnclosedNotes)->Arg(16'000)->Arg(32'000)->Arg(64'000)->Unit(benchmark::kMillisecond);

void BM_MarkdownLinks(benchmark::State& state) {
    std::string markdown;
    for (int i = 0; i < state.range(0); ++i)
        markdown += "[cats](http://example.com/" + std::to_string(i) + ") ";
    for (auto _ : state)
        benchmark::DoNotOptimize(MarkdownText(markdown).text.size());
}
BENCHMARK(BM_MarkdownLinks)->Arg(5'000)->Arg(20'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
