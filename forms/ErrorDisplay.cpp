#include "forms/ErrorDisplay.h"

#include "forms/Desktop.h"
#include "forms/ShownText.h"

#include <QFileInfo>

QString ApplicationTitle(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    return name.left(1).toUpper() + name.mid(1).toLower();
}

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void ShowErrorDisplay(QWidget* parent, const QString& message) {
    // A message may quote a word or a file name that holds direction controls.
    TheDesktop().ShowError(parent, WithFullStop(VisibleText(message)));
}

void ShowCurrentException(QWidget* parent) {
    QString message;
    try {
        throw;
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
    } catch (...) {
        // Not one of ours: nothing to say but that something failed.
    }
    ShowErrorDisplay(parent, message);
}
