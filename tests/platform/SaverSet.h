#pragma once
// The set of 17 values that store_saver writes in one save, all derived from one stamp, so that
// a reader can tell one save's complete set from a mix of two.
#include <QString>
#include <optional>

#include "platform/UserStore.h"

inline const char* const SaverKey = "\\Software\\Q.Tabiri\\Tavuko";

inline void WriteSaverSet(platform::TRegistry& reg, int stamp)
{
    for (int i = 0; i < 17; ++i) {
        const QString name = QStringLiteral("V%1").arg(i, 2, 10, QLatin1Char('0'));
        if (i % 3 == 0) reg.WriteInteger(name, stamp * 17 + i);
        else if (i % 3 == 1) reg.WriteString(name, QStringLiteral("%1 値 %2").arg(stamp).arg(i));
        else reg.WriteExpandString(name, QStringLiteral("%%%1%%").arg(stamp + i));
    }
}

// The stamp of the complete set in the file, none when the file holds no complete set of one save.
inline std::optional<int> ReadSaverSet(const QString& file)
{
    platform::TRegistry reg(file);
    if (reg.LoadState() != platform::TRegistry::TLoadState::Loaded || !reg.OpenKey(SaverKey, false)) return {};
    int32_t first;
    if (!reg.ReadInteger(QStringLiteral("V00"), first) || first % 17 != 0) return {};
    const int stamp = first / 17;
    for (int i = 0; i < 17; ++i) {
        const QString name = QStringLiteral("V%1").arg(i, 2, 10, QLatin1Char('0'));
        int32_t n;
        QString s;
        if (i % 3 == 0 ? !reg.ReadInteger(name, n) || n != stamp * 17 + i
                       : !reg.ReadString(name, s) || s != (i % 3 == 1 ? QStringLiteral("%1 値 %2").arg(stamp).arg(i)
                                                                      : QStringLiteral("%%%1%%").arg(stamp + i)))
            return {};
    }
    return stamp;
}
