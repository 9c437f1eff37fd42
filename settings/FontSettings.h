#pragma once

#include "settings/SettingsStore.h"

#include <QColor>
#include <QFont>
#include <QPalette>

// Where the editor font is remembered, and the names of its five values.
inline const QString kFontKeyPath = QStringLiteral("SOFTWARE\\Scrivolux\\Font");

// Colour values are 32-bit: an explicit colour 0x00BBGGRR (red in the lowest
// byte), or a system colour with the top bit set and its index in the low
// byte. 0x80000008 is the window-text colour.
inline constexpr qint32 kWindowTextColor = static_cast<qint32>(0x80000008u);

// The longest face name that is applied; longer ones are cut.
inline constexpr int kMaxFaceNameLength = 31;

// Sizes outside 1..kMaxPointSize are not applied: no font dialog offers them,
// and an absurd size from a damaged file would make the editor unusable.
inline constexpr int kMaxPointSize = 1638;

// The colour a colour value stands for. The window-text colour gives an invalid
// QColor, which the editor takes as "follow the theme's text colour"; another
// system colour is taken from the palette role that plays its part.
QColor ColorFromValue(qint32 value, const QPalette& palette);

// The colour value that stores a colour: an invalid colour (the theme's text
// colour) as the window-text system colour, any other explicitly.
qint32 ValueFromColor(const QColor& color);

// Style bits: 1 bold, 2 italic, 4 underline, 8 strikeout. Other bits are ignored.
int StyleBits(const QFont& font);
void ApplyStyleBits(QFont& font, int bits);

// Pitch: 0 default, 1 variable, 2 fixed. Other values count as the default.
int PitchValue(const QFont& font);
void ApplyPitchValue(QFont& font, int pitch);

// The size in whole points; a font sized in pixels is converted at the given
// pixels per inch.
int PointSize(const QFont& font, double pixelsPerInch);

// Applies the remembered font: does nothing when the key does not exist or
// cannot be opened, otherwise applies each value that is present, in the order
// Name, Color, Pitch, Size, Style. Throws SettingsError at the first value that
// cannot be read; the values before it stay applied.
void ReadEditorFont(SettingsStore& store, QFont& font, QColor& color, const QPalette& palette);

// Writes all five values, creating the key when needed. Throws SettingsError
// at the first value that cannot be stored ("Failed to set data for 'Name'"
// when the key cannot be opened at all).
void WriteEditorFont(SettingsStore& store, const QFont& font, const QColor& color,
                     double pixelsPerInch);
