#pragma once
// File names as the file system holds them: bytes, which need not be UTF-8 (Shift-JIS names
// from Windows archives), against the QStrings that dialogs and drops speak.
#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

namespace platform {

// Whether a name is valid UTF-8 as Qt decodes file names: what Qt's directory listings skip when not.
bool IsUtf8Name(const QByteArray& name);

// A name for people: each path component decoded as the file system's names (UTF-8), or,
// where it is no UTF-8, as code page 932.
QString DisplayFileName(const std::string& bytes);

// The bytes of the file a dialog's path names. A name that is no UTF-8 reaches the dialog with
// replacement characters; each such component is matched back to the directory entry it was
// decoded from, so that the bytes opened are the file's own.
std::string LocalFileName(const QString& path);

// A directory entry that Qt cannot list, its name being no UTF-8.
struct TByteNamedEntry {
    enum Kind { File, Directory, Other };  // what the name leads to (a link: its target)
    std::string name;                      // the entry's own bytes
    Kind kind;
};

// The entries of dir (bytes) whose names are no UTF-8, in the directory's order; none when dir
// cannot be read.
std::vector<TByteNamedEntry> EntriesNotUtf8(const std::string& dir);

// The local files of a text/uri-list, percent-decoded to their exact bytes, in order.
std::vector<std::string> LocalFilesOfUriList(const QByteArray& uriList);

}  // namespace platform
