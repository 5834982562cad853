// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct Settings;
class ISettingsStore;
class IMainWindow;

// Reads every setting into the record, in the order of the settings table, and applies the
// stored window geometry. A value that does not convert, or a store that cannot be read,
// stops the load there: earlier fields keep their new values, that field and the later ones
// keep their old ones, and no geometry is applied. Throws Failure.
void LoadSettings(Settings &settings, ISettingsStore &store, IMainWindow &window);
