#include "settings/FileSettingsStore.h"

#include "text/SavedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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
    // A file that is there but cannot be read is never replaced: saving would
    // lose whatever it holds.
    const QFileInfo info(filePath_);
    if (!info.exists() && !info.isSymLink())
        return;
    unreadable_ = true;
    if (!info.isFile() || info.size() > kMaxFileBytes)
        return;
    QFile file(filePath_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = file.read(kMaxFileBytes);
    if (file.error() != QFileDevice::NoError)
        return;
    unreadable_ = false;

    Key* current = nullptr;
    for (const QByteArray& text : content.split('\n')) {
        const SettingsLine line = ParseSettingsLine(text);
        if (line.kind == SettingsLine::Kind::Section) {
            current = nullptr;
            const QString path = NormalizedPath(line.keyPath);
            if (path.isEmpty())
                continue;
            current = findKey(path);
            if (!current)
                current = &keys_.emplace_back(Key{path, {}});
            continue;
        }
        if (line.kind != SettingsLine::Kind::Value || !current)
            continue;
        bool replaced = false;
        for (Value& value : current->values) {
            if (SameName(value.name, line.name)) {
                value.stored = line.value;
                replaced = true;
            }
        }
        if (!replaced)
            current->values.append(Value{line.name, line.value});
    }
}

bool FileSettingsStore::save() const {
    if (unreadable_ || filePath_.isEmpty() || !QDir().mkpath(QFileInfo(filePath_).absolutePath()))
        return false;
    QByteArray text = SettingsFileHeading();
    for (const Key& key : keys_) {
        text += SectionText(key.path);
        for (const Value& value : key.values)
            text += ValueText(value.name, value.stored);
    }
    return !SaveFileAtomically(
        filePath_.toStdString(),
        std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
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
