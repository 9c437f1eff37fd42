#pragma once

#include "settings/SettingsFileFormat.h"
#include "settings/SettingsStore.h"

#include <QList>
#include <QString>

// The settings store kept in one text file, one section per key and one typed
// value per line, in the manner of a registry export:
//
//   [SOFTWARE\Scrivolux\Font]
//   "Name"="DejaVu Sans"
//   "Size"=dword:0000000c
//   "Blob"=hex(3):01,02,03
//
// The file is read when the store is created. Every write saves the whole file
// at once (atomically), so that a value is stored as soon as the write returns
// and a failure can name the value. Lines that cannot be understood are
// skipped, so a damaged file loses only what is damaged.
class FileSettingsStore : public SettingsStore {
public:
    explicit FileSettingsStore(QString filePath);
    ~FileSettingsStore() override;

    bool KeyExists(const QString& keyPath) override;
    bool OpenKey(const QString& keyPath) override;
    bool ValueExists(const QString& name) override;
    QString ReadString(const QString& name) override;
    qint32 ReadInteger(const QString& name) override;
    void WriteString(const QString& name, const QString& value) override;
    void WriteInteger(const QString& name, qint32 value) override;
    void CloseKey() override;

    // A file larger than this is not read: it is no settings file of ours.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

private:
    struct Value {
        QString name; // as first written; looked up without regard to case
        StoredValue stored;
    };
    struct Key {
        QString path;
        QList<Value> values; // in the order they were first written
    };

    void load();
    bool save() const;
    void writeValue(const QString& name, const StoredValue& value);
    Key* findKey(const QString& keyPath);
    const Value* findValue(const QString& name) const;

    QString filePath_;
    QList<Key> keys_;
    qsizetype openKey_ = -1;  // index into keys_; -1 when no key is open
    bool unreadable_ = false; // a file is there that could not be read: never replaced
};
