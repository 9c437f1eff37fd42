#include "forms/Application.h"

#include "forms/DesignedFont.h"
#include "forms/ErrorDisplay.h"
#include "forms/FrmAbout.h"
#include "forms/FrmDetails.h"
#include "forms/FrmFryGraph.h"
#include "forms/FrmHelpPage.h"
#include "forms/FrmMain.h"
#include "forms/FrmNotFound.h"
#include "forms/FrmProgress.h"
#include "forms/FrmReport.h"
#include "resources/ProgramIcon.h"
#include "text/FileName.h"

#include <QFont>

#include <cstring>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setWindowIcon(ProgramIcon());
    // Lets the desktop match the windows to the installed scrivolux.desktop entry.
    setDesktopFileName(QStringLiteral("scrivolux"));
    // The windows were laid out for "MS Sans Serif"; faces of the same width
    // keep the layout closest to the design where the face itself is missing.
    QFont::insertSubstitutions(DesignedFamily(),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                                QStringLiteral("Helvetica")});
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException(activeModalWidget() ? activeModalWidget() : activeWindow());
        return false;
    }
}

namespace {

template <class Form, class Make>
void Create(std::unique_ptr<Form>& slot, Form*& reference, Make make) {
    try {
        slot = make();
        reference = slot.get();
    } catch (...) {
        ShowCurrentException(nullptr);
    }
}

template <class Form> void Destroy(std::unique_ptr<Form>& slot, Form*& reference) {
    reference = nullptr;
    slot.reset();
}

} // namespace

StartupWindows::StartupWindows() {
    Create(mainForm_, MainForm, [] { return std::make_unique<TMainForm>(); });
    Create(notFoundForm_, NotFoundForm, [] { return std::make_unique<TNotFoundForm>(MainForm); });
    Create(fryGraphForm_, FryGraphForm, [] { return std::make_unique<TFryGraphForm>(nullptr); });
    Create(reportForm_, ReportForm, [] { return std::make_unique<TReportForm>(); });
    Create(aboutBox_, AboutBox, [] { return std::make_unique<TAboutBox>(MainForm); });
    Create(helpPageForm_, HelpPageForm, [] { return std::make_unique<THelpPageForm>(MainForm); });
    Create(progressForm_, ProgressForm, [] { return std::make_unique<TProgressForm>(MainForm); });
    if (MainForm) {
        Create(detailsForm_, DetailsForm,
               [] { return std::make_unique<TDetailsForm>(MainForm->Analysis(), MainForm); });
        // The views follow the one current analysis instead of each other.
        if (ReportForm)
            ReportForm->Follow(MainForm->Analysis());
        if (FryGraphForm) {
            FryGraphForm->Follow(MainForm->Analysis());
            FryGraphForm->SetMarkPassage(MainForm->mnuMarkPassage->isChecked());
        }
        if (DetailsForm) {
            DetailsForm->SetUnsavedMark(MainForm->Modified());
            QObject::connect(MainForm, &TMainForm::modifiedChanged, DetailsForm,
                             &TDetailsForm::SetUnsavedMark);
        }
        if (ReportForm && DetailsForm)
            QObject::connect(ReportForm, &TReportForm::detailsRequested, DetailsForm,
                             &TDetailsForm::ShowDetails);
    }

    // Only the main window ends the program; the report and the graph window
    // are top-level windows of their own that may still be open then.
    for (QWidget* window :
         std::initializer_list<QWidget*>{NotFoundForm, FryGraphForm, ReportForm, AboutBox,
                                         HelpPageForm, ProgressForm, DetailsForm}) {
        if (window)
            window->setAttribute(Qt::WA_QuitOnClose, false);
    }
}

StartupWindows::~StartupWindows() {
    Destroy(detailsForm_, DetailsForm);
    Destroy(progressForm_, ProgressForm);
    Destroy(helpPageForm_, HelpPageForm);
    Destroy(aboutBox_, AboutBox);
    Destroy(reportForm_, ReportForm);
    Destroy(fryGraphForm_, FryGraphForm);
    Destroy(notFoundForm_, NotFoundForm);
    Destroy(mainForm_, MainForm);
}

QString StartupFileArgument(const QStringList& arguments) {
    bool optionsEnd = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnd && argument == QStringLiteral("--")) {
            optionsEnd = true;
            continue;
        }
        // Options the toolkit did not take are not file names.
        if (!optionsEnd && argument.startsWith(u'-') && argument.size() > 1)
            continue;
        return argument;
    }
    return QString();
}

StartupArguments::StartupArguments(int argc, char** argv) {
    for (int i = 0; i < argc; ++i) {
        if (hasOptionsEnd_)
            afterOptionsEnd_.push_back(argv[i]);
        else if (i > 0 && std::strcmp(argv[i], "--") == 0)
            hasOptionsEnd_ = true;
        else
            toolkitArguments_.push_back(argv[i]);
    }
    toolkitCount_ = static_cast<int>(toolkitArguments_.size());
    toolkitArguments_.push_back(nullptr);
}

QStringList StartupArguments::Remaining() const {
    QStringList remaining;
    // The toolkit moved what it left to the front and counted it.
    for (int i = 0; i < toolkitCount_; ++i)
        remaining.append(FileNameText(toolkitArguments_[static_cast<std::size_t>(i)]));
    if (hasOptionsEnd_) {
        remaining.append(QStringLiteral("--"));
        for (const char* argument : afterOptionsEnd_)
            remaining.append(FileNameText(argument));
    }
    return remaining;
}

int RunDesktopProgram(TApplication& application, const QString& file) {
    try {
        StartupWindows windows;
        if (!MainForm)
            return 0;
        if (!file.isEmpty())
            MainForm->LoadStartupFile(file);
        MainForm->show();
        application.exec();
    } catch (...) {
        ShowCurrentException(nullptr);
    }
    return 0;
}
