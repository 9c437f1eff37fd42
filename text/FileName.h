#pragma once

#include <QIODevice>
#include <QString>

#include <string>
#include <string_view>

class QFile;

// File names are bytes, and not every name on disk is UTF-8 (a name written
// by an older system in Latin-1, say). Qt's file names are text and cannot
// name such a file, so the programs keep names as their bytes (std::string)
// and open files by those bytes.

// The name as text for Qt's option parsing: valid UTF-8 decoded, each other
// byte kept as the lone surrogate U+DC80 to U+DCFF, so that FileNameBytes
// gives the same bytes back.
QString FileNameText(std::string_view bytes);

// The bytes of a name: those kept by FileNameText, the rest as UTF-8.
std::string FileNameBytes(const QString& name);

// Opens the file named by the bytes of path into file, for reading
// (QIODevice::ReadOnly) or for appending (QIODevice::Append, made when
// missing); other flags of mode are passed on to Qt. A folder is refused. False
// with the system's reason in reason (when given).
bool OpenFileByName(QFile& file, const std::string& path, QIODevice::OpenMode mode,
                    QString* reason = nullptr);
