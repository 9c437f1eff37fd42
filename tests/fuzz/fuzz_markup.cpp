// Web pages and Markdown on arbitrary text: prose or a refusal, valid UTF-8,
// and never a file opened or a resource fetched (the page may name any).

#include "FuzzCheck.h"

#include "documents/MarkupText.h"
#include "text/Error.h"
#include "text/Bytes.h"
#include "text/TextFile.h"

#include <QGuiApplication>
#include <QString>

#include <cstdint>
#include <string>

namespace {

void NeedApplication() {
    static int argc = 1;
    static char name[] = "fuzz_markup";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = [] {
        qputenv("QT_QPA_PLATFORM", "minimal");
        return new QGuiApplication(argc, argv);
    }();
    (void)application;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    NeedApplication();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data),
                                           static_cast<qsizetype>(size));
    for (const auto read : {&HtmlText, &MarkdownText}) {
        try {
            const std::string prose = read(text, {});
            FUZZ_CHECK(IsValidUtf8(prose));
            // A picture is never part of the text.
            FUZZ_CHECK(prose.find("\xEF\xBF\xBC") == std::string::npos);
        } catch (const ScrivoluxError&) {
        }
    }
    return 0;
}
