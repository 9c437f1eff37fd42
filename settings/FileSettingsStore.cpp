#include "settings/FileSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringConverter>

#include <cctype>
#include <optional>
#include <utility>

namespace {

[[noreturn]] void Fail(const char* format, const QString& name) {
    throw SettingsError(QString::fromLatin1(format).arg(name).toStdString());
}

// "\SOFTWARE\\Scrivolux\" and "SOFTWARE\Scrivolux" name the same key.
QString NormalizedPath(const QString& keyPath) {
    return keyPath.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray StringData(const QString& text) {
    QByteArray data = text.toUtf8();
    data.append('\0');
    return data;
}

QByteArray DwordData(qint32 value) {
    const auto bits = static_cast<quint32>(value);
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return data;
}

// Reads a quoted text at pos (on the opening quote), undoing the \\ and \"
// escapes; moves pos past the closing quote.
std::optional<QByteArray> ReadQuoted(const QByteArray& line, qsizetype& pos) {
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    QByteArray text;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            ++pos;
            return text;
        }
        if (c == '\\') {
            if (++pos >= line.size())
                return std::nullopt;
            text.append(line[pos]);
        } else {
            text.append(c);
        }
    }
    return std::nullopt;
}

QByteArray Quoted(const QByteArray& text) {
    QByteArray quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            quoted.append('\\');
        quoted.append(c);
    }
    quoted.append('"');
    return quoted;
}

std::optional<quint32> ParseHex(const QByteArray& digits, int maxDigits) {
    if (digits.isEmpty() || digits.size() > maxDigits)
        return std::nullopt;
    // toUInt would also take a sign or a "0x"; only bare hex digits are ours.
    for (const char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    }
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    return ok ? std::optional(value) : std::nullopt;
}

// The data part of a value line: "text", dword:0000000c, hex:01,02 or
// hex(7):01,02.
std::optional<StoredValue> ParseData(const QByteArray& text) {
    if (text.startsWith('"')) {
        qsizetype pos = 0;
        auto quoted = ReadQuoted(text, pos);
        if (!quoted || !text.mid(pos).trimmed().isEmpty())
            return std::nullopt;
        quoted->append('\0');
        return StoredValue{static_cast<quint32>(ValueType::String), *quoted};
    }
    if (text.startsWith("dword:")) {
        const auto value = ParseHex(text.mid(6).trimmed(), 8);
        if (!value)
            return std::nullopt;
        return StoredValue{static_cast<quint32>(ValueType::Dword),
                           DwordData(static_cast<qint32>(*value))};
    }
    if (!text.startsWith("hex"))
        return std::nullopt;
    quint32 type = static_cast<quint32>(ValueType::Binary);
    qsizetype colon = 3;
    if (text.size() > 3 && text[3] == '(') {
        const qsizetype close = text.indexOf(')', 4);
        const auto parsed = close < 0 ? std::nullopt : ParseHex(text.mid(4, close - 4), 8);
        if (!parsed)
            return std::nullopt;
        type = *parsed;
        colon = close + 1;
    }
    if (colon >= text.size() || text[colon] != ':')
        return std::nullopt;
    QByteArray data;
    const QByteArray bytes = text.mid(colon + 1).trimmed();
    if (!bytes.isEmpty()) {
        for (const QByteArray& byte : bytes.split(',')) {
            const auto value = ParseHex(byte.trimmed(), 2);
            if (!value)
                return std::nullopt;
            data.append(static_cast<char>(*value));
        }
    }
    return StoredValue{type, data};
}

// A string value is written as a quoted text when it reads back the same
// way; anything else (control characters, an inner NUL, invalid UTF-8) falls
// back to its raw bytes.
bool IsPlainString(const StoredValue& value) {
    if (value.type != static_cast<quint32>(ValueType::String) || !value.data.endsWith('\0'))
        return false;
    const QByteArray text = value.data.chopped(1);
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString decoded = decoder(text);
    return !decoder.hasError();
}

QByteArray DataText(const StoredValue& value) {
    if (IsPlainString(value))
        return Quoted(value.data.chopped(1));
    if (value.type == static_cast<quint32>(ValueType::Dword) && value.data.size() == 4) {
        quint32 bits = 0;
        for (int i = 3; i >= 0; --i)
            bits = (bits << 8) | static_cast<unsigned char>(value.data[i]);
        return "dword:" + QByteArray::number(bits, 16).rightJustified(8, '0');
    }
    QByteArray text = value.type == static_cast<quint32>(ValueType::Binary)
                          ? QByteArray("hex:")
                          : "hex(" + QByteArray::number(value.type, 16) + "):";
    text.append(value.data.toHex(','));
    return text;
}

} // namespace

FileSettingsStore::FileSettingsStore(QString filePath) : filePath_(std::move(filePath)) {
    load();
}

FileSettingsStore::~FileSettingsStore() {
    CloseKey();
}

void FileSettingsStore::load() {
    if (filePath_.isEmpty())
        return;
    // Only a regular file: opening a FIFO someone left there would block the start.
    const QFileInfo info(filePath_);
    if (!info.isFile() || info.size() > kMaxFileBytes)
        return;
    QFile file(filePath_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.read(kMaxFileBytes);

    Key* current = nullptr;
    for (QByteArray line : content.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            current = nullptr;
            if (!line.endsWith(']'))
                continue;
            const QString path = NormalizedPath(QString::fromUtf8(line.mid(1, line.size() - 2)));
            if (path.isEmpty())
                continue;
            current = findKey(path);
            if (!current)
                current = &keys_.emplace_back(Key{path, {}});
            continue;
        }
        if (!current)
            continue;
        qsizetype pos = 0;
        const auto name = ReadQuoted(line, pos);
        if (!name || pos >= line.size() || line[pos] != '=')
            continue;
        const auto data = ParseData(line.mid(pos + 1).trimmed());
        if (!data)
            continue;
        const QString valueName = QString::fromUtf8(*name);
        bool replaced = false;
        for (Value& value : current->values) {
            if (SameName(value.name, valueName)) {
                value.stored = *data;
                replaced = true;
            }
        }
        if (!replaced)
            current->values.append(Value{valueName, *data});
    }
}

bool FileSettingsStore::save() const {
    if (filePath_.isEmpty() || !QDir().mkpath(QFileInfo(filePath_).absolutePath()))
        return false;
    QByteArray text = "; Scrivolux settings. One [key] per section, then its values:\n"
                      "; \"name\"=\"text\", \"name\"=dword:<8 hex digits>, or "
                      "\"name\"=hex(<type>):<bytes>.\n";
    for (const Key& key : keys_) {
        text += "\n[" + key.path.toUtf8() + "]\n";
        for (const Value& value : key.values)
            text += Quoted(value.name.toUtf8()) + "=" + DataText(value.stored) + "\n";
    }
    QSaveFile file(filePath_);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

FileSettingsStore::Key* FileSettingsStore::findKey(const QString& keyPath) {
    for (Key& key : keys_) {
        if (SameName(key.path, keyPath))
            return &key;
    }
    return nullptr;
}

const FileSettingsStore::Value* FileSettingsStore::findValue(const QString& name) const {
    if (openKey_ < 0)
        return nullptr;
    for (const Value& value : keys_[openKey_].values) {
        if (SameName(value.name, name))
            return &value;
    }
    return nullptr;
}

bool FileSettingsStore::KeyExists(const QString& keyPath) {
    const QString path = NormalizedPath(keyPath);
    if (path.isEmpty())
        return false;
    // A key exists as soon as anything is stored beneath it, like a parent key.
    for (const Key& key : keys_) {
        if (SameName(key.path, path) || key.path.startsWith(path + u'\\', Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool FileSettingsStore::OpenKey(const QString& keyPath) {
    CloseKey();
    const QString path = NormalizedPath(keyPath);
    if (path.isEmpty())
        return false;
    if (Key* key = findKey(path)) {
        // Open for writing too: a file we cannot replace is a key we cannot open.
        const QFileInfo info(filePath_);
        if (!info.isWritable() || !QFileInfo(info.absolutePath()).isWritable())
            return false;
        openKey_ = key - keys_.data();
        return true;
    }
    keys_.append(Key{path, {}});
    if (!save()) {
        keys_.removeLast();
        return false;
    }
    openKey_ = keys_.size() - 1;
    return true;
}

bool FileSettingsStore::ValueExists(const QString& name) {
    return findValue(name) != nullptr;
}

QString FileSettingsStore::ReadString(const QString& name) {
    const Value* value = findValue(name);
    if (!value)
        Fail("Failed to get data for '%1'", name);
    const auto type = static_cast<ValueType>(value->stored.type);
    if (type != ValueType::String && type != ValueType::ExpandString)
        Fail("Invalid data type for '%1'", name);
    const QByteArray& data = value->stored.data;
    const qsizetype end = data.indexOf('\0');
    return QString::fromUtf8(end < 0 ? data : data.left(end));
}

qint32 FileSettingsStore::ReadInteger(const QString& name) {
    const Value* value = findValue(name);
    if (!value || value->stored.data.size() > 4)
        Fail("Failed to get data for '%1'", name);
    if (static_cast<ValueType>(value->stored.type) != ValueType::Dword)
        Fail("Invalid data type for '%1'", name);
    quint32 bits = 0;
    const QByteArray& data = value->stored.data;
    for (qsizetype i = data.size() - 1; i >= 0; --i)
        bits = (bits << 8) | static_cast<unsigned char>(data[i]);
    return static_cast<qint32>(bits);
}

void FileSettingsStore::WriteString(const QString& name, const QString& value) {
    writeValue(name, StoredValue{static_cast<quint32>(ValueType::String), StringData(value)});
}

void FileSettingsStore::WriteInteger(const QString& name, qint32 value) {
    writeValue(name, StoredValue{static_cast<quint32>(ValueType::Dword), DwordData(value)});
}

void FileSettingsStore::writeValue(const QString& name, const StoredValue& value) {
    if (openKey_ < 0)
        Fail("Failed to set data for '%1'", name);
    Key& key = keys_[openKey_];
    const QList<Value> before = key.values;
    bool replaced = false;
    for (Value& existing : key.values) {
        if (SameName(existing.name, name)) {
            existing.stored = value;
            replaced = true;
        }
    }
    if (!replaced)
        key.values.append(Value{name, value});
    if (!save()) {
        key.values = before;
        Fail("Failed to set data for '%1'", name);
    }
}

void FileSettingsStore::CloseKey() {
    openKey_ = -1;
}

QString UserSettingsPath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return {};
    return config + QStringLiteral("/Scrivolux/settings.reg");
}

std::unique_ptr<SettingsStore> OpenUserSettings() {
    return std::make_unique<FileSettingsStore>(UserSettingsPath());
}
