#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The settings file's text, in the manner of a registry export: one [key path]
// line per section, then one "name"=data line per value, where the data is a
// quoted text ("DejaVu Sans"), dword:0000000c or hex(<type>):01,02,03. Inside
// quotes a backslash escapes the next character.

// Value types, numbered as the Windows registry numbers them so that a value
// keeps the same meaning wherever the settings came from.
enum class ValueType : quint32 {
    None = 0,
    String = 1,
    ExpandString = 2,
    Binary = 3,
    Dword = 4,
};

// One stored value: its type and its raw data. A string's data is its UTF-8
// bytes and a terminating NUL; a dword's is four bytes, little-endian.
struct StoredValue {
    quint32 type = 0;
    QByteArray data;
};

// The data of a string value and of a dword value, as StoredValue keeps them.
QByteArray StringData(const QString& text);
QByteArray DwordData(qint32 value);

// One line of a settings file, as read.
struct SettingsLine {
    enum class Kind {
        Skipped, // empty, a comment, or not understood
        Section, // starts a key's section; keyPath is empty when the line is damaged
        Value,
    };
    Kind kind = Kind::Skipped;
    QString keyPath; // a section's key path as written, not yet normalised
    QString name;    // a value's name
    StoredValue value;
};

// Reads one line (without its line break); surrounding white space is ignored.
SettingsLine ParseSettingsLine(QByteArray line);

// The text that starts every file written: a comment on what follows.
QByteArray SettingsFileHeading();

// The lines that start a key's section (after an empty line) and that store
// one value.
QByteArray SectionText(const QString& keyPath);
QByteArray ValueText(const QString& name, const StoredValue& value);
