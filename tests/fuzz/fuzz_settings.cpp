// The settings store's file reader on arbitrary bytes. Whatever the file holds,
// the store opens; each value reads as what it is or fails with one of the
// store's two messages; and once the store has saved the file again, a new
// store reads every value exactly as the first one did, so a save never
// changes or drops a value that the reader understood.

#include "FuzzCheck.h"

#include "settings/FileSettingsStore.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <string_view>

namespace {

struct Probe {
    QString key;
    QString name;
};

// What reading a value gave: its text or number, or the error message.
struct Reading {
    bool keyExists = false;
    bool exists = false;
    QString text;
    qint32 number = 0;
    QString textError;
    QString numberError;
    bool operator==(const Reading&) const = default;
};

// The key paths and value names that the file mentions, found the simple way
// (no escapes), together with the five the program itself reads.
QList<Probe> Probes(std::string_view bytes) {
    const QString fontKey = QStringLiteral("SOFTWARE\\Scrivolux\\Font");
    QList<QString> keys{fontKey};
    QList<QString> names{"Name", "Color", "Pitch", "Size", "Style"};
    for (const QByteArray& raw : QByteArray(bytes.data(), qsizetype(bytes.size())).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[') && line.indexOf(']') > 0)
            keys.append(QString::fromUtf8(line.mid(1, line.indexOf(']') - 1)));
        else if (line.startsWith('"') && line.indexOf('"', 1) > 0)
            names.append(QString::fromUtf8(line.mid(1, line.indexOf('"', 1) - 1)));
        if (keys.size() + names.size() > 40)
            break;
    }
    QList<Probe> probes;
    for (const QString& key : keys) {
        for (const QString& name : names)
            probes.append({key, name});
    }
    return probes;
}

// An error's what() ends at a NUL of the value's name.
QString UpToNul(const QString& message) {
    const qsizetype nul = message.indexOf(QChar(u'\0'));
    return nul < 0 ? message : message.left(nul);
}

Reading Read(SettingsStore& store, const Probe& probe) {
    Reading reading;
    if (!store.KeyExists(probe.key) || !store.OpenKey(probe.key))
        return reading;
    reading.keyExists = true;
    reading.exists = store.ValueExists(probe.name);
    const QString invalid = UpToNul(QStringLiteral("Invalid data type for '%1'").arg(probe.name));
    const QString failed = UpToNul(QStringLiteral("Failed to get data for '%1'").arg(probe.name));
    try {
        reading.text = store.ReadString(probe.name);
    } catch (const SettingsError& error) {
        reading.textError = QString::fromStdString(error.what());
        FUZZ_CHECK(reading.textError == invalid || reading.textError == failed);
        FUZZ_CHECK(reading.exists == (reading.textError == invalid));
    }
    try {
        reading.number = store.ReadInteger(probe.name);
    } catch (const SettingsError& error) {
        reading.numberError = QString::fromStdString(error.what());
        FUZZ_CHECK(reading.numberError == invalid || reading.numberError == failed);
    }
    FUZZ_CHECK(reading.exists || (!reading.textError.isEmpty() && !reading.numberError.isEmpty()));
    store.CloseKey();
    return reading;
}

const QString& ScratchFile() {
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("settings.reg"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    const QString& path = ScratchFile();
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()));
    }

    const QList<Probe> probes = Probes(bytes);
    QList<Reading> before;
    {
        FileSettingsStore store(path);
        for (const Probe& probe : probes)
            before.append(Read(store, probe));
        // Any write saves the whole store.
        FUZZ_CHECK(store.OpenKey(QStringLiteral("SOFTWARE\\Scrivolux\\Fuzz")));
        store.WriteInteger(QStringLiteral("Saved"), 7);
    }

    FileSettingsStore reread(path);
    // A key that was missing may now exist as a parent of the key written above.
    for (qsizetype i = 0; i < probes.size(); ++i) {
        if (before[i].keyExists)
            FUZZ_CHECK(Read(reread, probes[i]) == before[i]);
    }
    FUZZ_CHECK(reread.OpenKey(QStringLiteral("software\\scrivolux\\fuzz")));
    FUZZ_CHECK(reread.ReadInteger(QStringLiteral("SAVED")) == 7);
    return 0;
}
