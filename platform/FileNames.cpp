#include "platform/FileNames.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QList>

#include "platform/Cp932.h"

namespace platform {

namespace {

bool IsUtf8(const QByteArray& b) { return QString::fromUtf8(b).toUtf8() == b; }

bool Exists(const std::string& name)
{
    struct stat st;
    return lstat(name.c_str(), &st) == 0;
}

// The entry of directory dir whose name decodes to name; empty when none does.
std::string EntryDecodedAs(const std::string& dir, const QString& name)
{
    std::string found;
    if (DIR* d = opendir(dir.empty() ? "." : dir.c_str())) {
        while (const dirent* e = readdir(d))
            if (QFile::decodeName(e->d_name) == name) {
                found = e->d_name;
                break;
            }
        closedir(d);
    }
    return found;
}

}  // namespace

QString DisplayFileName(const std::string& bytes)
{
    QString out;
    const QList<QByteArray> parts = QByteArray::fromStdString(bytes).split('/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i) out += QLatin1Char('/');
        const QByteArray& p = parts[i];
        out += IsUtf8(p) ? QString::fromUtf8(p) : cp932::ToUnicode(p.constData(), size_t(p.size()));
    }
    return out;
}

std::string LocalFileName(const QString& path)
{
    const std::string direct = QFile::encodeName(path).toStdString();
    if (!path.contains(QChar::ReplacementCharacter) || Exists(direct)) return direct;
    std::string out;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i) out += '/';
        std::string part = QFile::encodeName(parts[i]).toStdString();
        if (parts[i].contains(QChar::ReplacementCharacter)) {
            const std::string entry = EntryDecodedAs(out, parts[i]);
            if (!entry.empty()) part = entry;
        }
        out += part;
    }
    return out;
}

std::vector<std::string> LocalFilesOfUriList(const QByteArray& uriList)
{
    std::vector<std::string> names;
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();
        if (!line.startsWith("file://")) continue;  // comments, other schemes
        // file://host/path: the path starts at the first slash after the host.
        const qsizetype slash = line.indexOf('/', 7);
        if (slash < 0) continue;
        names.push_back(QByteArray::fromPercentEncoding(line.mid(slash)).toStdString());
    }
    return names;
}

}  // namespace platform
