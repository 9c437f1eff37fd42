#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// Everything the windows ask of the desktop that a test must observe or steer:
// message boxes, file and font dialogs, pauses, the executable's path and the web
// browser. The program installs the real one; tests install a double that
// answers at once.
class Desktop {
public:
    virtual ~Desktop() = default;

    // A plain message box with the text and one OK button, captioned with the
    // application title.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // A question with Yes and No buttons, captioned with the application title;
    // true for Yes. Escape and the close box answer No.
    virtual bool AskYesNo(QWidget* parent, const QString& text) = 0;
    // The question before unsaved text is replaced or the program closes, with
    // Save, Don't Save and Cancel, captioned with the application title. Escape
    // and the close box answer Cancel.
    enum class SaveChoice { Save, DontSave, Cancel };
    virtual SaveChoice AskSaveChanges(QWidget* parent, const QString& text) = 0;
    // The error display: the stop icon, one OK button, the application title.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;

    // File dialogs; an empty result means the user cancelled. The open dialog
    // gives the name as the user typed it, which NamedFile completes.
    virtual QString GetOpenFileName(QWidget* parent, const QString& filter,
                                    const QString& defaultSuffix) = 0;
    // proposedPath, when given, is offered instead of the name last chosen.
    virtual QString GetSaveFileName(QWidget* parent, const QString& filter,
                                    const QString& defaultSuffix, const QString& proposedPath) = 0;

    // The font dialog, starting from font and color; false when cancelled.
    virtual bool ChooseFont(QWidget* parent, QFont& font, QColor& color) = 0;

    // Waits without taking user input; the windows still repaint meanwhile.
    virtual void Pause(int milliseconds) = 0;

    // The full path of the running executable.
    virtual QString ExecutablePath() = 0;

    // Opens an address with the system's default handler; does not wait.
    virtual void OpenUrl(const QString& url) = 0;
};

// The desktop in use; the real one unless a test has installed another.
Desktop& TheDesktop();
// Installs a desktop (not owned); nullptr goes back to the real one.
void SetDesktop(Desktop* desktop);

// The file the user named in the open dialog: the name as typed when such a
// file exists, else with the default suffix when the name has none.
QString NamedFile(const QString& typed, const QString& defaultSuffix);
