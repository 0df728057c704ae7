#pragma once
// The per-user store: the user's registry of keys and typed values, kept in one file,
// $XDG_CONFIG_HOME/tavuko/user.reg (~/.config when unset), in the text format of registry
// exports. The file may hold other programs' keys as well; saving rewrites only what was written
// through this store and keeps every other line of the file byte for byte.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Q.Tabiri\Tavuko]
//   "FontSize"=dword:00000009
//   "FontName"="ＭＳ ゴシック"
//   "Path"=hex(2):25,00,48,00,...      (any other type: hex(N): with the value's bytes)
//
// Saving is atomic (a new file renamed over the old) and serialised between processes (a kernel
// lock on user.reg.lock beside the file), and a file that cannot be parsed is kept beside the new
// one as user.reg.bad before it is replaced. A symbolic link at user.reg is written through.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <vector>

namespace platform {

// Value types, numbered as the registry numbers them.
enum : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_MULTI_SZ = 7,
    REG_QWORD = 11
};

// A value as the registry keeps it: texts as UTF-16LE with their terminating NUL, DWORDs as four
// bytes little-endian, anything else as its bytes.
struct TRegValue {
    uint32_t Type = REG_NONE;
    QByteArray Data;

    static TRegValue Dword(int32_t v);
    static TRegValue Text(const QString& s, uint32_t type = REG_SZ);
    bool operator==(const TRegValue&) const = default;
};

// One store file in memory. Paths are full, root included ("HKEY_CURRENT_USER\Software\x"), and
// compare without case, as do value names; the value name "" is the key's default value (@).
// Each line of the file that is not written here keeps its own bytes.
class TRegDocument {
public:
    static constexpr const char* Header = "Windows Registry Editor Version 5.00";

    // Reads a whole file. False for anything that is no store file (no header, a line of no
    // known form, an unterminated text, bad hex, a key or value name twice, a NUL byte, bytes
    // that are no UTF-8); the document is then empty. An empty file is an empty store.
    bool Parse(const QByteArray& bytes);
    QByteArray Serialize() const;
    void Clear();

    // A key exists when it or a key below it has a section; a root (one name) always does.
    bool KeyExists(const QString& path) const;
    bool HasSubKeys(const QString& path) const;
    // Creates the key, and a section for each ancestor that does not exist yet. False for a path
    // that cannot be written (an empty name, a line break).
    bool CreateKey(const QString& path);
    // Removes the key with its subkeys; false when it did not exist or is a root.
    bool DeleteKey(const QString& path);
    bool GetValue(const QString& path, const QString& name, TRegValue& v) const;
    // Writes a value, creating the key. A value equal to the stored one keeps its line as it is.
    bool SetValue(const QString& path, const QString& name, const TRegValue& v);
    bool DeleteValue(const QString& path, const QString& name);

    // A path that can stand in a section header: no empty name, no control character.
    static bool ValidPath(const QString& path);

private:
    enum class Kind : uint8_t { Other, Header, Value };
    struct Entry {
        qsizetype begin = 0, end = 0;  // the entry's lines in src_, line ends included
        QByteArray own;                // the entry's text when written here (then not null)
        uint64_t hash = 0;             // Value: of the folded name; Header: of the folded path
        Kind kind = Kind::Other;
    };
    struct Section {
        std::vector<Entry> entries;  // entries[0] is the header line
    };

    QByteArrayView Text(const Entry& e) const;
    QByteArrayView SectionPath(const Section& s) const;
    int FindSection(const QByteArray& foldedPath, uint64_t hash) const;
    int FindValue(const Section& s, const QByteArray& foldedName, uint64_t hash) const;
    bool InSubtree(const Section& s, const QByteArray& foldedPath, bool strictly) const;
    bool Decode(const Entry& e, TRegValue& v) const;
    void InsertSection(const QString& path);
    bool ParseAll();

    QByteArray src_;
    std::vector<Entry> preamble_;  // the header line and what comes before the first section
    std::vector<Section> sections_;
    QByteArray eol_ = "\n";
};

// The registry of the current user, as the viewer's settings use it: open a key, read and write
// its values, delete keys. Changes stay in memory until Save, which merges them into the file as
// it is on disk then (another program may have saved meanwhile).
class TRegistry {
public:
    static constexpr const char* RootKey = "HKEY_CURRENT_USER";
    enum class TLoadState { Missing, Loaded, Unparseable, Unreadable };

    TRegistry();  // the user's store
    explicit TRegistry(const QString& fileName);
    virtual ~TRegistry() = default;
    static QString DefaultFileName();
    const QString& FileName() const { return fileName_; }
    // How the file read when this object was made; an unparseable file reads as an empty store.
    TLoadState LoadState() const { return loadState_; }

    // Keys: "\A\B" from the root, "A\B" below the open key (or the root when none is open).
    bool OpenKey(const QString& key, bool canCreate);
    void CloseKey();
    // The open key as "\A\B" ("" for the root), null when none is open.
    QString CurrentPath() const;
    bool KeyExists(const QString& key) const;
    bool HasSubKeys() const;
    bool DeleteKey(const QString& key);

    // Values of the open key; every call fails while no key is open.
    bool ValueExists(const QString& name) const;
    bool ReadValue(const QString& name, TRegValue& v) const;
    // A REG_DWORD of four bytes; anything else fails.
    bool ReadInteger(const QString& name, int32_t& v) const;
    // As ReadInteger, true for any number but 0.
    bool ReadBool(const QString& name, bool& v) const;
    // An absent value, or one of size 0 of any type, reads as "" without failing; REG_SZ and
    // REG_EXPAND_SZ (not expanded) read up to their first NUL; other types fail.
    bool ReadString(const QString& name, QString& v) const;
    bool WriteValue(const QString& name, const TRegValue& v);
    bool WriteInteger(const QString& name, int32_t v) { return WriteValue(name, TRegValue::Dword(v)); }
    bool WriteBool(const QString& name, bool v) { return WriteInteger(name, v ? 1 : 0); }
    bool WriteString(const QString& name, const QString& v) { return WriteValue(name, TRegValue::Text(v)); }
    bool WriteExpandString(const QString& name, const QString& v)
    {
        return WriteValue(name, TRegValue::Text(v, REG_EXPAND_SZ));
    }
    bool DeleteValue(const QString& name);

    // Writes the changes made since the last save into the file. False when the file could not
    // be written, or exists but cannot be read; the changes are then kept for another try.
    // Virtual for tests that need a save to fail.
    virtual bool Save();
    bool Modified() const { return !changes_.empty(); }

private:
    struct Change {
        enum Kind { Create, DeleteKey, SetValue, DeleteValue } kind;
        QString path, name;
        TRegValue value;
    };
    // The full path of key, null when it is no valid path.
    QString Resolve(const QString& key) const;
    static void Apply(TRegDocument& doc, const Change& c);

    QString fileName_;
    TRegDocument doc_;
    TLoadState loadState_ = TLoadState::Missing;
    QString current_;  // full path of the open key; null while none is open
    std::vector<Change> changes_;
    // The file's bytes when last read or written here, and whether doc_ was made from them (so
    // that a save finding them unchanged need not parse them again).
    QByteArray onDisk_;
    bool docFromDisk_ = false;
};

}  // namespace platform
