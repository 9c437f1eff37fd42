#include "settings/OptionSettings.h"

bool ReadEstimateUnknownWords(SettingsStore& store) {
    if (!store.KeyExists(kOptionsKeyPath) || !store.OpenKey(kOptionsKeyPath))
        return false;
    const bool estimate = store.ValueExists(kEstimateUnknownWordsName) &&
                          store.ReadInteger(kEstimateUnknownWordsName) != 0;
    store.CloseKey();
    return estimate;
}

void WriteEstimateUnknownWords(SettingsStore& store, bool estimate) {
    if (!store.OpenKey(kOptionsKeyPath))
        throw SettingsError(QStringLiteral("Failed to set data for '%1'")
                                .arg(kEstimateUnknownWordsName)
                                .toStdString());
    store.WriteInteger(kEstimateUnknownWordsName, estimate ? 1 : 0);
    store.CloseKey();
}
