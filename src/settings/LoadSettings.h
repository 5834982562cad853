#pragma once

#include <QString>

struct Globals;
class ISettingsStore;
class IMainWindow;

// Reads every setting into the record, in a fixed order, and applies the stored window
// geometry. A value that does not convert stops the load there: earlier fields keep their
// new values, that field and the later ones keep their old ones, and no geometry is applied.
// Throws Failure.
void LoadSettings(Globals &globals, ISettingsStore &store, IMainWindow &window);

// The text LoadSettings reads for a key the store does not hold: "2" for "comPort".
QString SettingDefault(const QString &key);
