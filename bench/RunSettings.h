#pragma once
// The program's settings store for a whole bench run, in a folder of the
// run's own rather than the user's. The store lasts until the process ends,
// so its folder must too: made here before the store's first use, the
// folder is removed after the store is gone (statics end in the reverse
// order of their making), and no change is written into a folder removed
// under it. Every bench that opens windows or changes settings calls this
// before anything reads a setting.
#include "platform/runtime/UserDefaults.h"

#include <QTemporaryDir>

inline void useRunSettingsStore()
{
    static QTemporaryDir folder;
    ql::UserDefaults::useStandardStoreAt(folder.filePath(QStringLiteral("defaults.qldefaults")));
}
