#include "settings/FontSettings.h"

#include <QRgb>

#include <cmath>
#include <utility>

namespace {

constexpr quint32 kSystemColorFlag = 0x80000000u;

// The palette role that plays the part of each system colour index, from the
// scroll bar (0) to the menu bar (30). Indices beyond fall back to window text.
QPalette::ColorRole RoleOfSystemColor(int index) {
    using R = QPalette::ColorRole;
    static constexpr R kRoles[] = {
        R::Button,          // 0 scroll bar
        R::Dark,            // 1 desktop background
        R::Highlight,       // 2 active caption
        R::Mid,             // 3 inactive caption
        R::Window,          // 4 menu
        R::Base,            // 5 window background
        R::Shadow,          // 6 window frame
        R::WindowText,      // 7 menu text
        R::Text,            // 8 window text
        R::HighlightedText, // 9 caption text
        R::Button,          // 10 active border
        R::Button,          // 11 inactive border
        R::Dark,            // 12 application workspace
        R::Highlight,       // 13 highlight
        R::HighlightedText, // 14 highlighted text
        R::Button,          // 15 button face
        R::Dark,            // 16 button shadow
        R::PlaceholderText, // 17 grey text
        R::ButtonText,      // 18 button text
        R::WindowText,      // 19 inactive caption text
        R::Light,           // 20 button highlight
        R::Shadow,          // 21 dark 3-D shadow
        R::Midlight,        // 22 3-D light
        R::ToolTipText,     // 23 tooltip text
        R::ToolTipBase,     // 24 tooltip background
        R::WindowText,      // 25 unused
        R::Link,            // 26 hot-track
        R::Highlight,       // 27 active caption gradient
        R::Mid,             // 28 inactive caption gradient
        R::Highlight,       // 29 menu highlight
        R::Window,          // 30 menu bar
    };
    return index < static_cast<int>(std::size(kRoles)) ? kRoles[index] : R::Text;
}

} // namespace

QColor ColorFromValue(qint32 value, const QPalette& palette) {
    const auto bits = static_cast<quint32>(value);
    if (value == kWindowTextColor)
        return QColor();
    if (bits & kSystemColorFlag)
        return palette.color(QPalette::Active, RoleOfSystemColor(static_cast<int>(bits & 0xFF)));
    // The top byte of an explicit colour only says how to find it in a palette.
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

qint32 ValueFromColor(const QColor& color) {
    if (!color.isValid())
        return kWindowTextColor;
    const QRgb rgb = color.rgb();
    return static_cast<qint32>(static_cast<quint32>(qRed(rgb)) |
                               static_cast<quint32>(qGreen(rgb)) << 8 |
                               static_cast<quint32>(qBlue(rgb)) << 16);
}

int StyleBits(const QFont& font) {
    return (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) |
           (font.strikeOut() ? 8 : 0);
}

void ApplyStyleBits(QFont& font, int bits) {
    font.setBold((bits & 1) != 0);
    font.setItalic((bits & 2) != 0);
    font.setUnderline((bits & 4) != 0);
    font.setStrikeOut((bits & 8) != 0);
}

// Qt knows only fixed pitch or not; "variable" is a font on which "not fixed"
// was asked for explicitly.
int PitchValue(const QFont& font) {
    if (font.fixedPitch())
        return 2;
    return (font.resolveMask() & QFont::FixedPitchResolved) ? 1 : 0;
}

void ApplyPitchValue(QFont& font, int pitch) {
    if (pitch == 2) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    } else if (pitch == 1 || font.fixedPitch()) {
        font.setFixedPitch(false);
        if (font.styleHint() == QFont::TypeWriter)
            font.setStyleHint(QFont::AnyStyle);
    }
}

int PointSize(const QFont& font, double pixelsPerInch) {
    if (font.pointSizeF() > 0)
        return static_cast<int>(std::lround(font.pointSizeF()));
    if (font.pixelSize() > 0 && pixelsPerInch > 0)
        return static_cast<int>(std::lround(font.pixelSize() * 72.0 / pixelsPerInch));
    return 0;
}

void ReadEditorFont(SettingsStore& store, QFont& font, QColor& color, const QPalette& palette) {
    if (!store.KeyExists(kFontKeyPath) || !store.OpenKey(kFontKeyPath))
        return;
    if (store.ValueExists("Name")) {
        const QString name = store.ReadString("Name").left(kMaxFaceNameLength);
        if (!name.isEmpty())
            font.setFamily(name);
    }
    if (store.ValueExists("Color"))
        color = ColorFromValue(store.ReadInteger("Color"), palette);
    if (store.ValueExists("Pitch"))
        ApplyPitchValue(font, store.ReadInteger("Pitch"));
    if (store.ValueExists("Size")) {
        const qint32 size = store.ReadInteger("Size");
        if (size >= 1 && size <= kMaxPointSize)
            font.setPointSize(size);
    }
    if (store.ValueExists("Style"))
        ApplyStyleBits(font, store.ReadInteger("Style"));
    store.CloseKey();
}

void WriteEditorFont(SettingsStore& store, const QFont& font, const QColor& color,
                     double pixelsPerInch) {
    // A key that cannot be opened shows up as the first write failing.
    store.OpenKey(kFontKeyPath);
    store.WriteString("Name", font.family());
    store.WriteInteger("Color", ValueFromColor(color));
    store.WriteInteger("Pitch", PitchValue(font));
    store.WriteInteger("Size", PointSize(font, pixelsPerInch));
    store.WriteInteger("Style", StyleBits(font));
    store.CloseKey();
}
