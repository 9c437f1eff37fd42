#pragma once

#include "settings/SettingsStore.h"

#include <QString>

#include <optional>

// Where the program's options are remembered, beside the editor font.
inline const QString kOptionsKeyPath = QStringLiteral("SOFTWARE\\Scrivolux\\Options");
inline const QString kEstimateUnknownWordsName = QStringLiteral("EstimateUnknownWords");
inline const QString kCarefulCountingName = QStringLiteral("CarefulCounting");
inline const QString kLiveStatisticsName = QStringLiteral("LiveStatistics");
// The details' Checks tab: whether its findings are coloured in the text, and
// each kind of finding switched off, by the check's id ("CheckOff.passive").
inline const QString kColourChecksName = QStringLiteral("ColourChecks");
inline QString CheckOffName(const QString& checkId) {
    return QStringLiteral("CheckOff.") + checkId;
}

// Whether the option of that name is on: false when the key or the value is
// missing (every option starts off). Throws SettingsError when the value
// cannot be read.
bool ReadOption(SettingsStore& store, const QString& name);

// Stores the option, creating the key when needed; throws SettingsError when
// it cannot be stored.
void WriteOption(SettingsStore& store, const QString& name, bool on);

// Whether unknown words are estimated instead of asked about: false when the
// key or the value is missing (the option starts off). Throws SettingsError
// when the value cannot be read.
bool ReadEstimateUnknownWords(SettingsStore& store);

// Stores the option, creating the key when needed; throws SettingsError when
// it cannot be stored.
void WriteEstimateUnknownWords(SettingsStore& store, bool estimate);

// Whether Fry's graph marks the analysed passage: false when missing (the
// graph starts as the plain picture). Read and stored as the option above.
inline const QString kMarkPassageName = QStringLiteral("MarkPassage");
bool ReadMarkPassage(SettingsStore& store);
void WriteMarkPassage(SettingsStore& store, bool mark);

// The grade the details window holds a text to: empty when missing or 0 (no
// target, as it starts), else 1 to kMostTargetGrade. Read and stored as the
// options above.
inline const QString kTargetGradeName = QStringLiteral("TargetGrade");
inline constexpr int kMostTargetGrade = 16;
std::optional<int> ReadTargetGrade(SettingsStore& store);
void WriteTargetGrade(SettingsStore& store, std::optional<int> grade);
