// store_saver FILE TAG COUNT: saves the 17-value set COUNT times into FILE, the stamps
// TAG * 1000000 + 0 .. COUNT - 1, each save through its own store object as a closing program
// does. Exits 3 when a save fails.
#include <QCoreApplication>
#include <QString>

#include "SaverSet.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) return 2;
    const QString file = QString::fromLocal8Bit(argv[1]);
    const int tag = atoi(argv[2]), count = atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        platform::TRegistry reg(file);
        if (!reg.OpenKey(SaverKey, true)) return 3;
        WriteSaverSet(reg, tag * 1000000 + i);
        if (!reg.Save()) return 3;
    }
    return 0;
}
