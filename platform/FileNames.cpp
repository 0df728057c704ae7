#include "platform/FileNames.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QList>
#include <QStringDecoder>
#include <algorithm>

#include "platform/Cp932.h"

namespace platform {

namespace {

bool Exists(const std::string& name)
{
    struct stat st;
    return lstat(name.c_str(), &st) == 0;
}

// The entry of directory dir that is no UTF-8 and decodes to name (with its replacement
// characters); empty when none does.
std::string EntryDecodedAs(const std::string& dir, const QString& name)
{
    for (const TByteNamedEntry& e : EntriesNotUtf8(dir.empty() ? "." : dir))
        if (QFile::decodeName(QByteArray::fromStdString(e.name)) == name) return e.name;
    return {};
}

}  // namespace

bool IsUtf8Name(const QByteArray& name)
{
    // Qt's own decoder, so that a name is in exactly one of Qt's listings and ours (a leading
    // byte-order mark, which a round trip would lose, is valid).
    if (std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; })) return true;  // most names
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(name);  // decodes only when made a QString
    return !utf8.hasError();
}

QString DisplayFileName(const std::string& bytes)
{
    QString out;
    const QList<QByteArray> parts = QByteArray::fromStdString(bytes).split('/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i) out += QLatin1Char('/');
        const QByteArray& p = parts[i];
        out += IsUtf8Name(p) ? QString::fromUtf8(p) : cp932::ToUnicode(p.constData(), size_t(p.size()));
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

std::vector<TByteNamedEntry> EntriesNotUtf8(const std::string& dir)
{
    std::vector<TByteNamedEntry> entries;
    DIR* d = opendir(dir.c_str());
    if (!d) return entries;
    while (const dirent* e = readdir(d)) {
        const QByteArray name(e->d_name);
        if (IsUtf8Name(name)) continue;
        struct stat st;
        TByteNamedEntry::Kind kind = TByteNamedEntry::Other;
        if (fstatat(dirfd(d), e->d_name, &st, 0) == 0)
            kind = S_ISREG(st.st_mode)   ? TByteNamedEntry::File
                   : S_ISDIR(st.st_mode) ? TByteNamedEntry::Directory
                                         : kind;
        entries.push_back({name.toStdString(), kind});
    }
    closedir(d);
    return entries;
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
