#include "settings/SettingsFileFormat.h"

#include <QList>
#include <QStringConverter>

#include <cctype>
#include <optional>

namespace {

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

SettingsLine ParseSettingsLine(QByteArray line) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
        return {};
    if (line.startsWith('[')) {
        SettingsLine section{SettingsLine::Kind::Section, {}, {}, {}};
        if (line.endsWith(']'))
            section.keyPath = QString::fromUtf8(line.mid(1, line.size() - 2));
        return section;
    }
    qsizetype pos = 0;
    const auto name = ReadQuoted(line, pos);
    if (!name || pos >= line.size() || line[pos] != '=')
        return {};
    const auto data = ParseData(line.mid(pos + 1).trimmed());
    if (!data)
        return {};
    return SettingsLine{SettingsLine::Kind::Value, {}, QString::fromUtf8(*name), *data};
}

QByteArray SettingsFileHeading() {
    return "; Scrivolux settings. One [key] per section, then its values:\n"
           "; \"name\"=\"text\", \"name\"=dword:<8 hex digits>, or "
           "\"name\"=hex(<type>):<bytes>.\n";
}

QByteArray SectionText(const QString& keyPath) {
    return "\n[" + keyPath.toUtf8() + "]\n";
}

QByteArray ValueText(const QString& name, const StoredValue& value) {
    return Quoted(name.toUtf8()) + "=" + DataText(value) + "\n";
}
