#pragma once

#include "text/Error.h"

#include <QString>
#include <QtGlobal>

#include <memory>

// A failed read or write of one value. The message names the value:
// "Invalid data type for 'Size'", "Failed to set data for 'Name'".
class SettingsError : public ScrivoluxError {
public:
    using ScrivoluxError::ScrivoluxError;
};

// The per-user key-value store that remembers the editor font. Keys are paths
// whose levels are separated by backslashes ("SOFTWARE\Scrivolux\Font"); key
// paths and value names are matched without regard to case. Each value keeps
// its type, so a number written as a string is read back as a string.
//
// Destroying the store releases it and closes any key still open.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // True when the key can be opened for reading. Leaves no key open.
    virtual bool KeyExists(const QString& keyPath) = 0;

    // Opens the key for reading and writing, creating it and any missing parent
    // keys. False when it could not be opened; no key is open then.
    virtual bool OpenKey(const QString& keyPath) = 0;

    // True when the open key holds a value of that name, of any type; false when
    // no key is open.
    virtual bool ValueExists(const QString& name) = 0;

    // A string value, cut at its first NUL. Throws "Invalid data type for '%s'"
    // for a value that is not a string and "Failed to get data for '%s'" when
    // there is no such value.
    virtual QString ReadString(const QString& name) = 0;

    // A 32-bit integer value. Throws "Failed to get data for '%s'" for data
    // longer than four bytes (or no such value) and "Invalid data type for '%s'"
    // for shorter data that is not an integer.
    virtual qint32 ReadInteger(const QString& name) = 0;

    // Store a value, replacing any value of that name whatever its type. Throw
    // "Failed to set data for '%s'" when no key is open or the value could not
    // be stored.
    virtual void WriteString(const QString& name, const QString& value) = 0;
    virtual void WriteInteger(const QString& name, qint32 value) = 0;

    // Closes the open key; does nothing when none is open.
    virtual void CloseKey() = 0;
};

// Opens the current user's store: a file under the user's configuration
// directory ($XDG_CONFIG_HOME/Scrivolux, usually ~/.config/Scrivolux). A
// missing, unreadable or damaged file opens as an empty store; it never fails.
std::unique_ptr<SettingsStore> OpenUserSettings();

// Where OpenUserSettings keeps its data.
QString UserSettingsPath();
