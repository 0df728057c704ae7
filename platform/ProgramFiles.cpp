#include "platform/ProgramFiles.h"

#include <QDir>
#include <QFileInfo>

QString ProgramFile(const QString& programDir, const QString& name)
{
    const QDir dir(programDir);
    const QString beside = dir.filePath(name);
    // TAVUKO_DATA_FROM_BIN: the installation's data folder relative to its program folder.
    const QString installed = QDir::cleanPath(dir.filePath(QStringLiteral(TAVUKO_DATA_FROM_BIN "/") + name));
    for (const QString& path : {beside, installed})
        if (QFileInfo(path).isFile()) return path;
    return beside;
}
