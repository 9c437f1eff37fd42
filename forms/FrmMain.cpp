#include "forms/FrmMain.h"

#include "analysis/PassageDetails.h"
#include "checks/Checks.h"
#include "dictionary/Dictionary.h"
#include "dictionary/UserDictionary.h"
#include "documents/DocumentReader.h"
#include "forms/CurrentAnalysis.h"
#include "forms/DesignedFont.h"
#include "forms/Desktop.h"
#include "forms/ErrorDisplay.h"
#include "forms/FrmAbout.h"
#include "forms/FrmDetails.h"
#include "forms/FrmFryGraph.h"
#include "forms/FrmHelpPage.h"
#include "forms/FrmNotFound.h"
#include "forms/FrmProgress.h"
#include "forms/FrmReport.h"
#include "forms/ScreenPlacement.h"
#include "forms/ShownText.h"
#include "report/TextAnalysis.h"
#include "settings/FontSettings.h"
#include "settings/OptionSettings.h"
#include "text/Error.h"
#include "text/FileName.h"
#include "text/SavedFile.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QSaveFile>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

TMainForm* MainForm = nullptr;

namespace {

// Remembered beside Careful Counting, off until chosen.
const QString kClassicForDocumentsName = QStringLiteral("ClassicRulesForDocuments");

const QString kTextFilter = QStringLiteral("Text Files (*.txt)");
const QString kTextSuffix = QStringLiteral("txt");
// Loading also offers the documents that are read as plain text.
const QString kLoadFilter =
    kTextFilter +
    QStringLiteral(";;Documents (*.docx *.odt *.html *.htm *.md *.markdown *.pdf);;All Files (*)");
// The live statistics wait this long after the last keystroke.
constexpr int kLiveStatisticsDelayMs = 500;
// A load that takes longer than this shows its progress.
constexpr qint64 kLoadProgressDelayMs = 500;
constexpr QSize kDesignedSize(638, 425);
const QString kSavedAsTextNote =
    QStringLiteral("The text was saved as plain text: the document's formatting and list "
                   "numbers are not kept.");

// A line this long is shown as pieces of at most kShownPiece characters, each a
// block of the text area's own: Qt lays out a block as a whole, and paints it
// whole at every blink of the caret, which for a paragraph of megabytes takes
// seconds (and minutes for a word without a place to break, whose layout grows
// with the square of its length). The pieces after the first are marked, and
// the text is read back with them joined, so a word cut for the screen is still
// one word.
constexpr qsizetype kLongLine = 16 * 1024;
constexpr qsizetype kShownPiece = 8 * 1024;
constexpr int kContinuesLine = 0x5C01; // the user state of such a piece

bool EndsLine(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator;
}

// The text with a line feed before each piece of a long line after its first;
// the positions of those line feeds go to cuts.
QString CutLongLines(const QString& text, std::vector<qsizetype>& cuts) {
    QString shown;
    qsizetype copied = 0; // the text before this is in shown
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !EndsLine(text[i]))
            continue;
        for (qsizetype start = lineStart; i - lineStart > kLongLine && i - start > kShownPiece;) {
            // After the last space in the piece's second half, if it has one.
            qsizetype end = start + kShownPiece;
            qsizetype space = end;
            while (space > start + kShownPiece / 2 && !text[space - 1].isSpace())
                --space;
            if (space > start + kShownPiece / 2)
                end = space;
            else if (text[end - 1].isHighSurrogate())
                --end;
            if (shown.isEmpty())
                shown.reserve(text.size() + text.size() / kShownPiece + 1);
            shown.append(QStringView(text).mid(copied, end - copied));
            copied = end;
            cuts.push_back(shown.size());
            shown.append(u'\n');
            start = end;
        }
        lineStart = i + 1;
    }
    if (cuts.empty())
        return text;
    shown.append(QStringView(text).mid(copied));
    return shown;
}

// The text area's text with the pieces of long lines joined again.
QString JoinedText(const QTextDocument& document, bool hasPieces) {
    const QString raw = document.toRawText();
    if (!hasPieces)
        return raw;
    QString text;
    text.reserve(raw.size());
    qsizetype from = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.userState() != kContinuesLine || block.position() == 0)
            continue;
        const qsizetype separator = block.position() - 1;
        text.append(QStringView(raw).mid(from, separator - from));
        from = separator + 1;
    }
    text.append(QStringView(raw).mid(from));
    return text;
}

// Where the pieces' line feeds stand in the joined text, in ascending order: the
// one before the joined text's character at each position.
std::vector<std::size_t> PieceCuts(const QTextDocument& document) {
    std::vector<std::size_t> cuts;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.userState() == kContinuesLine && block.position() > 0)
            cuts.push_back(static_cast<std::size_t>(block.position()) - 1 - cuts.size());
    }
    return cuts;
}

// A span of the joined text moved to the text area's positions.
void ShowSpanInPieces(TextSpan& span, const std::vector<std::size_t>& cuts) {
    const std::size_t end = span.position + span.size;
    const auto before = static_cast<std::size_t>(
        std::upper_bound(cuts.begin(), cuts.end(), span.position) - cuts.begin());
    const auto inside =
        static_cast<std::size_t>(std::lower_bound(cuts.begin(), cuts.end(), end) - cuts.begin());
    span.position += before;
    span.size = end + inside - span.position;
}

// UTF-16 code units in UTF-8 text: one per code point, two beyond the BMP.
std::size_t Utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80)
            units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

// Where a byte offset of the passage stands in the text area: counted on from
// the nearest edge of a word or sentence before it, whose place the details
// know (a long line's pieces included).
std::size_t ShownPosition(const PassageDetails& details, std::string_view passage,
                          std::size_t offset) {
    std::size_t fromByte = 0;
    std::size_t fromPosition = 0;
    const auto consider = [&](const TextSpan& span) {
        if (span.offset <= offset && span.offset >= fromByte) {
            fromByte = span.offset;
            fromPosition = span.position;
        }
        if (span.offset + span.length <= offset && span.offset + span.length >= fromByte) {
            fromByte = span.offset + span.length;
            fromPosition = span.position + span.size;
        }
    };
    const auto occurrence = std::upper_bound(
        details.occurrences.begin(), details.occurrences.end(), offset,
        [](std::size_t at, const WordOccurrence& o) { return at < o.span.offset; });
    if (occurrence != details.occurrences.begin())
        consider(std::prev(occurrence)->span);
    const auto sentence = std::upper_bound(
        details.sentences.begin(), details.sentences.end(), offset,
        [](std::size_t at, const SentenceDetails& s) { return at < s.span.offset; });
    if (sentence != details.sentences.begin())
        consider(std::prev(sentence)->span);
    return fromPosition +
           Utf16Length(passage.substr(std::min(fromByte, passage.size()), offset - fromByte));
}

// The directory of the executable with its trailing separator, or the empty
// text for a bare name, so that the bare file names are used.
std::string ExecutableDirectory(const QString& executablePath) {
    const qsizetype slash = executablePath.lastIndexOf(u'/');
    return slash < 0 ? std::string() : executablePath.left(slash + 1).toStdString();
}

// Whether the two names lead to one existing file, through symbolic links in
// either name or as hard links of one another.
bool SameFile(const QString& one, const QString& other) {
    if (one.isEmpty() || other.isEmpty())
        return false;
    std::error_code error;
    return std::filesystem::equivalent(FileNameBytes(one), FileNameBytes(other), error);
}

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), dictionary_(std::make_unique<TDictionary>()),
      analysis_(new CurrentAnalysis(this)) {
    setWindowTitle(QStringLiteral("The Scrivolux"));
    setFont(DesignedFont());
    resize(kDesignedSize);
    createMenus();
    createControls();
    PlaceOnScreen(this, QPoint(269, 292));
    FormCreate();
}

TMainForm::~TMainForm() = default;

QAction* TMainForm::addItem(QMenu* menu, const char* caption, void (TMainForm::*handler)()) {
    QAction* item = menu->addAction(QString::fromLatin1(caption));
    connect(item, &QAction::triggered, this,
            Guarded(this, [this, handler] { (this->*handler)(); }));
    return item;
}

void TMainForm::createMenus() {
    MainMenu = menuBar();
    mnuFile = MainMenu->addMenu(QStringLiteral("&File"));
    mnuTxtLoad = addItem(mnuFile, "&Load Text File...", &TMainForm::mnuTxtLoadClick);
    mnuTxtLoad->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuTxtSave = addItem(mnuFile, "&Save Text File...", &TMainForm::mnuTxtSaveClick);
    mnuTxtSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuExit = addItem(mnuFile, "E&xit", &TMainForm::mnuExitClick);
    mnuOptions = MainMenu->addMenu(QStringLiteral("&Options"));
    mnuChangeFont = addItem(mnuOptions, "Font...", &TMainForm::mnuChangeFontClick);
    mnuEstimateUnknown =
        addItem(mnuOptions, "&Estimate Unknown Words", &TMainForm::mnuEstimateUnknownClick);
    mnuEstimateUnknown->setCheckable(true);
    mnuCarefulCounting =
        addItem(mnuOptions, "&Careful Counting", &TMainForm::mnuCarefulCountingClick);
    mnuCarefulCounting->setCheckable(true);
    mnuLiveStatistics = addItem(mnuOptions, "&Live Statistics", &TMainForm::mnuLiveStatisticsClick);
    mnuLiveStatistics->setCheckable(true);
    mnuClassicForDocuments = addItem(mnuOptions, "Classic Rules for &Documents",
                                     &TMainForm::mnuClassicForDocumentsClick);
    mnuClassicForDocuments->setCheckable(true);
    mnuAnalysis = MainMenu->addMenu(QStringLiteral("&Analysis"));
    mnuStartAnalysis =
        addItem(mnuAnalysis, "&Start Analysis...", &TMainForm::mnuStartAnalysisClick);
    mnuStartAnalysis->setShortcut(QKeySequence(Qt::Key_F5));
    mnuShowDetails = addItem(mnuAnalysis, "Show &Details", &TMainForm::mnuShowDetailsClick);
    mnuShowDetails->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    mnuGraph = MainMenu->addMenu(QStringLiteral("&Graph"));
    mnuShowGraph = addItem(mnuGraph, "&Show Fry's Graph", &TMainForm::mnuShowGraphClick);
    mnuMarkPassage = addItem(mnuGraph, "&Mark the Passage", &TMainForm::mnuMarkPassageClick);
    mnuMarkPassage->setCheckable(true);
    mnuHelp = MainMenu->addMenu(QStringLiteral("&Help"));
    mnuHowToUse = addItem(mnuHelp, "How to &use the Scrivolux...", &TMainForm::mnuHowToUseClick);
    mnuHowToUse->setShortcut(QKeySequence(Qt::Key_F1));
    mnuAbout = addItem(mnuHelp, "&About...", &TMainForm::mnuAboutClick);
}

void TMainForm::createControls() {
    InputMemo = new QPlainTextEdit(this);
    InputMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    InputMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    InputMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    InputMemo->setFont(DesignedFont());
    InputMemo->setPlainText(QStringLiteral("Enter text to be analyzed.\n"));
    setCentralWidget(InputMemo);
    // A file dropped on the text area is loaded; dropped text is still inserted.
    InputMemo->viewport()->installEventFilter(this);
    connect(InputMemo, &QPlainTextEdit::textChanged, this, [this] { unchangedText_.reset(); });
    // The start-up text is nobody's work: only an edit makes the text worth asking about.
    InputMemo->document()->setModified(false);
    connect(InputMemo->document(), &QTextDocument::modificationChanged, this,
            &TMainForm::modifiedChanged);
}

void TMainForm::FormCreate() {
    // The font comes first; an error in it must not keep the word lists out.
    try {
        LoadFontSettings();
    } catch (...) {
        ShowCurrentException(this);
    }
    try {
        const std::unique_ptr<SettingsStore> store = OpenUserSettings();
        mnuEstimateUnknown->setChecked(ReadEstimateUnknownWords(*store));
        mnuCarefulCounting->setChecked(ReadOption(*store, kCarefulCountingName));
        mnuClassicForDocuments->setChecked(ReadOption(*store, kClassicForDocumentsName));
        mnuLiveStatistics->setChecked(ReadOption(*store, kLiveStatisticsName));
        showLiveStatistics(mnuLiveStatistics->isChecked());
    } catch (...) {
        ShowCurrentException(this);
    }
    try {
        const std::unique_ptr<SettingsStore> store = OpenUserSettings();
        mnuMarkPassage->setChecked(ReadMarkPassage(*store));
    } catch (...) {
        ShowCurrentException(this);
    }
    try {
        LoadStartupDictionaries(*dictionary_, StartupDictionaryFiles(ExecutableDirectory(
                                                  TheDesktop().ExecutablePath())));
    } catch (const WordListUnreadable&) {
        // The analysis reports the missing word list.
    } catch (...) {
        // A bad line stops the loading; the analysis then reports the dictionary.
        ShowCurrentException(this);
    }
    updateLiveStatistics();
}

void TMainForm::LoadFontSettings() {
    QFont font = EditorFont();
    QColor color = editorColor_;
    // The values read before a failing one stay applied.
    const auto apply = qScopeGuard([&] {
        if (font != EditorFont())
            SetEditorFont(font);
        if (color != editorColor_)
            SetEditorColor(color);
    });
    const std::unique_ptr<SettingsStore> store = OpenUserSettings();
    ReadEditorFont(*store, font, color, InputMemo->palette());
}

void TMainForm::SaveFontSettings() {
    const std::unique_ptr<SettingsStore> store = OpenUserSettings();
    WriteEditorFont(*store, EditorFont(), editorColor_, InputMemo->logicalDpiY());
}

QFont TMainForm::EditorFont() const {
    return InputMemo->font();
}

void TMainForm::SetEditorFont(const QFont& font) {
    InputMemo->setFont(font);
}

void TMainForm::SetEditorColor(const QColor& color) {
    editorColor_ = color;
    if (!color.isValid()) {
        // An empty palette makes the text area inherit the theme's colours again.
        InputMemo->setPalette(QPalette());
        return;
    }
    QPalette palette = InputMemo->palette();
    palette.setColor(QPalette::Active, QPalette::Text, color);
    palette.setColor(QPalette::Inactive, QPalette::Text, color);
    InputMemo->setPalette(palette);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormClose(event);
}

void TMainForm::FormClose(QCloseEvent* event) {
    // A window manager can still ask a disabled window to close; the analysis
    // under way holds the text and the dictionary, so it finishes first.
    if (running_) {
        event->ignore();
        return;
    }
    if (!mayDiscardText()) {
        event->ignore();
        return;
    }
    // Failing to remember the font must not keep the user from leaving.
    try {
        SaveFontSettings();
    } catch (...) {
        ShowCurrentException(this);
    }
    event->accept();
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownBefore_)
        return;
    shownBefore_ = true;
    fitOuterSizeOnceFramed(0);
}

// The designed size is the outer one, frame included. A window manager
// reports the frame some time after the window is shown, so the check is
// repeated for a while; without a window manager there is no frame to fit.
void TMainForm::fitOuterSizeOnceFramed(int attempt) {
    constexpr int kAttempts = 40;
    constexpr int kIntervalMs = 50;
    QTimer::singleShot(attempt == 0 ? 0 : kIntervalMs, this, [this, attempt] {
        const QSize frame = frameGeometry().size() - size();
        if (!frame.isEmpty()) {
            if (!isMaximized() && !isMinimized())
                resize(kDesignedSize - frame);
            return;
        }
        if (attempt + 1 < kAttempts && isVisible())
            fitOuterSizeOnceFramed(attempt + 1);
    });
}

std::string TMainForm::memoText() const {
    QString text = JoinedText(*InputMemo->document(), shownInPieces_);
    for (QChar& c : text) {
        switch (c.unicode()) {
        // Paragraph ends; a line separator (U+2028) is kept as the character it
        // is, and the counting takes it as a line break.
        case QChar::ParagraphSeparator:
        case 0xFDD0: // frame boundaries, which a plain text document does not hold
        case 0xFDD1:
            c = u'\n';
            break;
        default:
            break;
        }
    }
    return text.toStdString();
}

std::vector<std::string> TMainForm::MemoLines() const {
    return SplitLines(memoText());
}

void TMainForm::LoadTextFile(const QString& path) {
    // A long PDF, web page or Markdown file shows its progress once the load has
    // taken half a second.
    std::unique_ptr<QProgressDialog> progressDialog;
    QElapsedTimer clock;
    clock.start();
    const LoadProgress progress = [&](int done, int total) {
        if (!progressDialog && clock.elapsed() >= kLoadProgressDelayMs && done < total) {
            progressDialog = std::make_unique<QProgressDialog>(
                tr("Loading %1...").arg(QFileInfo(path).fileName()), tr("Cancel"), 0, total, this);
            progressDialog->setWindowModality(Qt::WindowModal);
            progressDialog->setMinimumDuration(0);
        }
        if (progressDialog) {
            progressDialog->setValue(done);
            return !progressDialog->wasCanceled();
        }
        return true;
    };
    // A FIFO would keep the window waiting until some program writes to it.
    RequireRegularFile(FileNameBytes(path));
    LoadedDocument loaded;
    try {
        loaded = ReadDocument(FileNameBytes(path), std::nullopt, progress);
    } catch (const LoadCancelled&) {
        return; // the user's choice; the text area keeps its text
    }
    setMemoText(QString::fromStdString(loaded.text));
    InputMemo->document()->setModified(false);
    // Until it is edited, the text saves back as it came, characters that the
    // text area can only show as paragraph ends (U+2029) included.
    unchangedText_ = std::move(loaded.text);
    encoding_ = loaded.encoding;
    documentLines_.clear();
    documentWarning_.clear();
    for (const std::string& warning : loaded.warnings)
        documentWarning_ +=
            QStringLiteral(" Reading the document: %1.").arg(QString::fromStdString(warning));
    if (loaded.format != DocumentFormat::Text) {
        for (const std::string& line : SplitLines(*unchangedText_)) {
            if (line.find_first_not_of(" \t") != std::string::npos)
                documentLines_.insert(std::hash<std::string>{}(line));
        }
    }
    // Saving proposes a .txt beside a document, never the document itself.
    documentPath_ = loaded.format == DocumentFormat::Text ? QString() : path;
    savedPath_.clear();
    savedAsTextNoted_ = false;
}

void TMainForm::setMemoText(const QString& text) {
    std::vector<qsizetype> cuts;
    InputMemo->setPlainText(CutLongLines(text, cuts));
    QTextDocument& document = *InputMemo->document();
    for (const qsizetype cut : cuts)
        document.findBlock(static_cast<int>(cut + 1)).setUserState(kContinuesLine);
    shownInPieces_ = !cuts.empty();
}

void TMainForm::SaveTextFile(const QString& path) {
    if (!documentPath_.isEmpty() &&
        (QFileInfo(path).absoluteFilePath() == QFileInfo(documentPath_).absoluteFilePath() ||
         SameFile(path, documentPath_)))
        throw ScrivoluxError("The text is not saved over the document it came from; choose "
                             "another name");
    std::string text = unchangedText_ ? *unchangedText_ : memoText();
    const EncodedText encoded = EncodeText(ConvertLineBreaks(text, "\r\n"), encoding_);
    const std::string name = path.toStdString();
    if (const auto failure = SaveFileAtomically(name, encoded.bytes))
        throw FileError(failure->message, failure->path, failure->reason);
    encoding_ = encoded.encoding;
    unchangedText_ = std::move(text);
    savedPath_ = path;
    InputMemo->document()->setModified(false);
}

bool TMainForm::HoldsDocumentLine(const std::vector<std::string>& lines) const {
    return !documentLines_.empty() &&
           std::any_of(lines.begin(), lines.end(), [this](const std::string& line) {
               return documentLines_.count(std::hash<std::string>{}(line)) != 0;
           });
}

bool TMainForm::Modified() const {
    return InputMemo->document()->isModified();
}

bool TMainForm::mayDiscardText() {
    if (!Modified())
        return true;
    switch (TheDesktop().AskSaveChanges(this, QStringLiteral("Save changes to the text?"))) {
    case Desktop::SaveChoice::DontSave:
        return true;
    case Desktop::SaveChoice::Cancel:
        return false;
    case Desktop::SaveChoice::Save:
        break;
    }
    try {
        return saveWithDialog();
    } catch (...) {
        ShowCurrentException(this);
        return false;
    }
}

void TMainForm::mnuTxtLoadClick() {
    if (!mayDiscardText())
        return;
    const QString path = TheDesktop().GetOpenFileName(this, kLoadFilter, kTextSuffix);
    if (!path.isEmpty())
        LoadTextFile(NamedFile(path, kTextSuffix));
}

void TMainForm::LoadStartupFile(const QString& path) {
    try {
        // Made absolute by its bytes: a name that is not UTF-8 must name the
        // same file, and the text of the current folder's name may not.
        std::error_code error;
        const std::filesystem::path absolute =
            std::filesystem::absolute(FileNameBytes(path), error);
        LoadTextFile(error ? path : FileNameText(absolute.native()));
    } catch (...) {
        ShowCurrentException(this);
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    const auto droppedFile = [](const QMimeData* data) {
        if (!data || !data->hasUrls() || data->urls().size() != 1)
            return QString();
        return data->urls().constFirst().toLocalFile();
    };
    if (watched == InputMemo->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (droppedFile(drag->mimeData()).isEmpty())
                break;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = droppedFile(drop->mimeData());
            if (path.isEmpty())
                break;
            drop->acceptProposedAction();
            if (!running_ && mayDiscardText()) {
                try {
                    LoadTextFile(path);
                } catch (...) {
                    ShowCurrentException(this);
                }
            }
            return true;
        }
        default:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::mnuTxtSaveClick() {
    saveWithDialog();
}

bool TMainForm::saveWithDialog() {
    QString proposed;
    if (!documentPath_.isEmpty()) {
        const QFileInfo document(documentPath_);
        proposed = document.dir().filePath(document.completeBaseName() + QStringLiteral(".txt"));
    }
    for (;;) {
        const QString path = TheDesktop().GetSaveFileName(this, kTextFilter, kTextSuffix, proposed);
        if (path.isEmpty())
            return false;
        // A name the user chose replaces its file, as saving always has. But
        // the name proposed for a document's text may be the user's own draft
        // beside it, which Enter alone must not replace; No goes back to the
        // dialog. A file this text was saved to already is not asked about.
        const bool ownProposal = !proposed.isEmpty() && QFileInfo(path).absoluteFilePath() ==
                                                            QFileInfo(proposed).absoluteFilePath();
        if (ownProposal && QFileInfo::exists(path) && !SameFile(path, savedPath_) &&
            !TheDesktop().AskYesNo(this,
                                   QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                       .arg(VisibleText(QDir::toNativeSeparators(path)))))
            continue;
        SaveTextFile(path);
        // Once per loaded document, so that nobody takes the .txt for a copy.
        if (!documentPath_.isEmpty() && !savedAsTextNoted_) {
            savedAsTextNoted_ = true;
            TheDesktop().ShowMessage(this, kSavedAsTextNote);
        }
        return true;
    }
}

void TMainForm::mnuExitClick() {
    close();
}

void TMainForm::mnuChangeFontClick() {
    const QColor shownColor =
        editorColor_.isValid() ? editorColor_ : InputMemo->palette().color(QPalette::Text);
    QFont font = InputMemo->font();
    QColor color = shownColor;
    if (!TheDesktop().ChooseFont(this, font, color))
        return;
    InputMemo->setFont(font);
    // Keep following the theme unless the user really picked another colour.
    if (color != shownColor)
        SetEditorColor(color);
}

void TMainForm::mnuEstimateUnknownClick() {
    // Remembered at once, as a word added to the user dictionary is.
    const std::unique_ptr<SettingsStore> store = OpenUserSettings();
    WriteEstimateUnknownWords(*store, mnuEstimateUnknown->isChecked());
}

void TMainForm::mnuCarefulCountingClick() {
    const std::unique_ptr<SettingsStore> store = OpenUserSettings();
    WriteOption(*store, kCarefulCountingName, mnuCarefulCounting->isChecked());
}

CountingRules TMainForm::countingRules(bool fromDocument) const {
    // Typed text and .txt files keep the classic rules unless Careful Counting
    // is on; a loaded document is counted carefully unless the user chose
    // the classic rules for documents.
    const bool careful =
        mnuCarefulCounting->isChecked() || (fromDocument && !mnuClassicForDocuments->isChecked());
    return careful ? CountingRules::Careful : CountingRules::Classic;
}

void TMainForm::mnuClassicForDocumentsClick() {
    const std::unique_ptr<SettingsStore> store = OpenUserSettings();
    WriteOption(*store, kClassicForDocumentsName, mnuClassicForDocuments->isChecked());
}

void TMainForm::mnuLiveStatisticsClick() {
    showLiveStatistics(mnuLiveStatistics->isChecked());
    const std::unique_ptr<SettingsStore> store = OpenUserSettings();
    WriteOption(*store, kLiveStatisticsName, mnuLiveStatistics->isChecked());
}

void TMainForm::showLiveStatistics(bool on) {
    if (!on) {
        delete liveStatisticsTimer_;
        liveStatisticsTimer_ = nullptr;
        LiveStatisticsST = nullptr;
        // Without its status bar the window is as designed.
        delete findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
        return;
    }
    if (LiveStatisticsST)
        return;
    LiveStatisticsST = new QLabel(this);
    LiveStatisticsST->setAccessibleName(QStringLiteral("Live statistics"));
    statusBar()->addWidget(LiveStatisticsST, 1);
    statusBar()->setSizeGripEnabled(false);
    liveStatisticsTimer_ = new QTimer(this);
    liveStatisticsTimer_->setSingleShot(true);
    liveStatisticsTimer_->setInterval(kLiveStatisticsDelayMs);
    connect(liveStatisticsTimer_, &QTimer::timeout, this, &TMainForm::updateLiveStatistics);
    connect(InputMemo, &QPlainTextEdit::textChanged, liveStatisticsTimer_,
            qOverload<>(&QTimer::start));
    updateLiveStatistics();
}

void TMainForm::updateLiveStatistics() {
    if (!LiveStatisticsST || !dictionary_ || !dictionary_->Loaded)
        return;
    // A run holds the dictionary, and its dialog may be adding to it.
    if (running_) {
        liveStatisticsTimer_->start();
        return;
    }
    TextAnalysisOptions options;
    const std::string text = memoText();
    options.rules = countingRules(HoldsDocumentLine(SplitLines(text)));
    options.unknown = UnknownWordCount::Estimate; // never a question while typing
    const TextReport report = AnalyseText(std::string(), text, *dictionary_, options);
    const auto& consensus = report.indices[static_cast<std::size_t>(ExtraIndex::Consensus)];
    const QLocale locale;
    LiveStatisticsST->setText(
        QStringLiteral("Words: %1    Sentences: %2    Grade: %3")
            .arg(locale.toString(report.counts.words), locale.toString(report.counts.sentences),
                 consensus ? locale.toString(*consensus, 'f', 1) : QStringLiteral("-")));
}

CurrentAnalysis::CheckSource TMainForm::checkSource(CountingRules rules, std::string text,
                                                    std::vector<std::size_t> cuts, bool estimated) {
    return [this, rules, text = std::move(text), cuts = std::move(cuts),
            estimated](std::optional<double> targetGrade) {
        const PassageDetails* details = analysis_->Details();
        std::string_view passage = analysis_->Passage();
        PreparedText careful;
        PassageDetails carefulDetails;
        if (rules == CountingRules::Classic) {
            careful = PrepareForReport(std::string(text), CountingRules::Careful, true);
            TextAnalysisOptions options;
            options.rules = CountingRules::Careful;
            // Typed counts are in the dictionary now; an ignored word counts 0.
            options.unknown = estimated ? UnknownWordCount::Estimate : UnknownWordCount::Zero;
            options.extras.indices = false;
            options.details = &carefulDetails;
            AnalysePreparedText(std::string(), careful, *dictionary_, options);
            details = &carefulDetails;
            passage = careful.passage;
        }
        std::vector<CurrentAnalysis::CheckFinding> findings;
        if (!details)
            return findings;
        for (Finding& found : RunChecks(passage, *details, targetGrade)) {
            TextSpan span;
            span.position = ShownPosition(*details, passage, found.offset);
            span.size =
                ShownPosition(*details, passage, found.offset + found.length) - span.position;
            // The careful details of a classic run were made apart from the
            // text area's pieces.
            if (rules == CountingRules::Classic && !cuts.empty())
                ShowSpanInPieces(span, cuts);
            findings.push_back({found.rule, span.position, span.size,
                                QString::fromStdString(found.message),
                                QString::fromStdString(found.suggestion)});
        }
        return findings;
    };
}

void TMainForm::mnuStartAnalysisClick() {
    RunAnalysis();
}

void TMainForm::mnuShowDetailsClick() {
    if (DetailsForm)
        DetailsForm->ShowDetails();
}

void TMainForm::mnuShowGraphClick() {
    if (!FryGraphForm)
        return;
    if (FryGraphForm->isMinimized())
        FryGraphForm->showNormal();
    else
        FryGraphForm->show();
    FryGraphForm->raise();
    FryGraphForm->activateWindow();
}

void TMainForm::mnuMarkPassageClick() {
    if (FryGraphForm)
        FryGraphForm->SetMarkPassage(mnuMarkPassage->isChecked());
    // Remembered at once, as the other options are.
    const std::unique_ptr<SettingsStore> store = OpenUserSettings();
    WriteMarkPassage(*store, mnuMarkPassage->isChecked());
}

void TMainForm::mnuHowToUseClick() {
    if (HelpPageForm)
        HelpPageForm->exec();
}

void TMainForm::mnuAboutClick() {
    if (AboutBox)
        AboutBox->exec();
}

void TMainForm::RunAnalysis() {
    if (running_)
        return;
    if (!dictionary_ || !dictionary_->Loaded) {
        TheDesktop().ShowMessage(this, QStringLiteral("Dictionary Error"));
        return;
    }

    // However the run ends, the main window takes input again and no progress
    // window is left on screen.
    std::unique_ptr<TProgressForm> progress;
    TProgressForm* const startupProgressForm = ProgressForm;
    running_ = true;
    setEnabled(false);
    const auto restore = qScopeGuard([&] {
        progress.reset();
        ProgressForm = startupProgressForm;
        running_ = false;
        setEnabled(true);
        // Disabling took the caret out of the text area; give it back.
        InputMemo->setFocus(Qt::OtherFocusReason);
    });

    if (ReportForm)
        ReportForm->hide();
    std::string text = memoText();
    const bool fromDocument = HoldsDocumentLine(SplitLines(text));
    const CountingRules rules = countingRules(fromDocument);
    // The checks read the careful rules' words: a text counted by the classic
    // rules is prepared again for them, if they are ever asked for.
    std::string checkedText = rules == CountingRules::Classic ? text : std::string();

    progress = std::make_unique<TProgressForm>(this);
    ProgressForm = progress.get();
    progress->show();
    QCoreApplication::processEvents();

    // Stopping leaves the dialog, the passes and the run, with nothing shown.
    struct AnalysisStopped {};
    TextAnalysisOptions options;
    options.rules = rules;
    // With the option on, no word is asked about: each gets the estimate, and
    // nothing is added to the dictionary or its file.
    options.unknown =
        mnuEstimateUnknown->isChecked() ? UnknownWordCount::Estimate : UnknownWordCount::Ask;
    // A word left without a count is asked about again at its next
    // occurrence; a counted one is in the dictionary by then.
    options.askAgainAfterZero = true;
    options.ask = [this](const std::string& word) {
        TNotFoundForm dialog(this);
        const std::int32_t count = dialog.AskSyllables(word, *dictionary_);
        if (dialog.StopRequested())
            throw AnalysisStopped();
        return count;
    };
    options.progress = progress.get();
    // The pauses let the user follow the bars; the last one shows them full.
    options.afterPass = [](CountingPass pass) {
        TheDesktop().Pause(pass == CountingPass::Sentences ? 1000 : 250);
    };
    auto details = std::make_shared<PassageDetails>();
    options.details = details.get();
    // The passage is kept for the details: where a sentence's end mark stands,
    // which sentences are headings or list items.
    PreparedText prepared = PrepareForReport(std::move(text), rules, true);
    AnalysisCounts counts;
    try {
        counts = AnalysePreparedText(std::string(), prepared, *dictionary_, options).counts;
    } catch (const AnalysisStopped&) {
        // The report of another text would pass for this one's: it stays hidden.
        return;
    }

    progress.reset();
    ProgressForm = startupProgressForm;
    // The details point into the text area, which shows a long line in pieces.
    std::vector<std::size_t> cuts;
    if (shownInPieces_) {
        cuts = PieceCuts(*InputMemo->document());
        for (SentenceDetails& sentence : details->sentences)
            ShowSpanInPieces(sentence.span, cuts);
        for (WordOccurrence& occurrence : details->occurrences)
            ShowSpanInPieces(occurrence.span, cuts);
    }
    // The report, the graph, the details and the highlighting follow this.
    analysis_->Set(std::move(details), InputMemo, dictionary_.get(), std::move(prepared.passage),
                   checkSource(rules, std::move(checkedText), std::move(cuts),
                               options.unknown == UnknownWordCount::Estimate));
    if (DetailsForm)
        DetailsForm->SetRulesNote(rules, fromDocument, mnuCarefulCounting->isChecked(),
                                  fromDocument ? documentWarning_ : QString());
    if (ReportForm)
        ReportForm->ShowStatistics(counts.syllables, counts.words, counts.sentences,
                                   counts.difficultWords);
    // Open details stay in sight where they are, the report keeping the focus.
    if (DetailsForm && DetailsForm->isVisible() && !DetailsForm->isMinimized())
        DetailsForm->raise();
}
