#include "settings/OptionSettings.h"

bool ReadOption(SettingsStore& store, const QString& name) {
    if (!store.KeyExists(kOptionsKeyPath) || !store.OpenKey(kOptionsKeyPath))
        return false;
    const bool on = store.ValueExists(name) && store.ReadInteger(name) != 0;
    store.CloseKey();
    return on;
}

void WriteOption(SettingsStore& store, const QString& name, bool on) {
    if (!store.OpenKey(kOptionsKeyPath))
        throw SettingsError(QStringLiteral("Failed to set data for '%1'").arg(name).toStdString());
    store.WriteInteger(name, on ? 1 : 0);
    store.CloseKey();
}

bool ReadEstimateUnknownWords(SettingsStore& store) {
    return ReadOption(store, kEstimateUnknownWordsName);
}

void WriteEstimateUnknownWords(SettingsStore& store, bool estimate) {
    WriteOption(store, kEstimateUnknownWordsName, estimate);
}

bool ReadMarkPassage(SettingsStore& store) {
    return ReadOption(store, kMarkPassageName);
}

void WriteMarkPassage(SettingsStore& store, bool mark) {
    WriteOption(store, kMarkPassageName, mark);
}

std::optional<int> ReadTargetGrade(SettingsStore& store) {
    if (!store.KeyExists(kOptionsKeyPath) || !store.OpenKey(kOptionsKeyPath))
        return std::nullopt;
    const int grade = store.ValueExists(kTargetGradeName) ? store.ReadInteger(kTargetGradeName) : 0;
    store.CloseKey();
    // A value edited by hand out of range means no target rather than an error.
    if (grade < 1 || grade > kMostTargetGrade)
        return std::nullopt;
    return grade;
}

void WriteTargetGrade(SettingsStore& store, std::optional<int> grade) {
    if (!store.OpenKey(kOptionsKeyPath))
        throw SettingsError(
            QStringLiteral("Failed to set data for '%1'").arg(kTargetGradeName).toStdString());
    store.WriteInteger(kTargetGradeName, grade.value_or(0));
    store.CloseKey();
}
