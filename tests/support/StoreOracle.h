#pragma once
// What must hold of the store's reader for any input, shared by its tests and its fuzzer: a file
// it accepts is written back as its own bytes; values written into it read back after the result
// is parsed again; writing into a new key keeps every byte of the file (the file is a
// subsequence of the result); and a deleted key is gone after a re-parse.
#include <QByteArray>
#include <QString>
#include <string>

#include "platform/UserStore.h"

inline bool IsSubsequence(const QByteArray& small, const QByteArray& big)
{
    qsizetype j = 0;
    for (qsizetype i = 0; i < big.size() && j < small.size(); ++i)
        if (big[i] == small[j]) ++j;
    return j == small.size();
}

// "" when everything holds, else what failed.
inline std::string CheckStoreOracle(const QByteArray& bytes)
{
    using namespace platform;
    TRegDocument doc;
    if (!doc.Parse(bytes)) return doc.Serialize().isEmpty() ? "" : "a rejected file left content";
    if (doc.Serialize() != bytes) return "an accepted file is not written back as its own bytes";

    const QString key = QStringLiteral("HKEY_CURRENT_USER\\Software\\Q.Tabiri\\Tavuko");
    const bool existed = doc.KeyExists(key);
    QByteArray binary;
    for (int i = 0; i < 100; ++i) binary += char(i * 7);
    const TRegValue values[] = {TRegValue::Dword(-5),
                                TRegValue::Text(QStringLiteral("a\"b\\c\nd 日本")),
                                TRegValue::Text(QStringLiteral("%PATH%"), REG_EXPAND_SZ),
                                {REG_BINARY, binary},
                                {REG_QWORD, QByteArray("\1\2\3\4\5\6\7\x08", 8)},
                                TRegValue::Text(QString())};
    const QString names[] = {QStringLiteral("Number"), QStringLiteral("Text"),  QStringLiteral("Expand"),
                             QStringLiteral("Bytes"),  QStringLiteral("Q\"\\"), QString()};
    for (int i = 0; i < 6; ++i)
        if (!doc.SetValue(key, names[i], values[i])) return "a value could not be written";
    const QByteArray written = doc.Serialize();
    if (!existed && !IsSubsequence(bytes, written)) return "writing a new key changed the file's own bytes";

    TRegDocument again;
    if (!again.Parse(written)) return "the written file does not parse";
    for (int i = 0; i < 6; ++i) {
        TRegValue v;
        if (!again.GetValue(key, names[i], v) || !(v == values[i])) return "a written value does not read back";
    }
    if (!again.DeleteKey(key)) return "the written key cannot be deleted";
    TRegDocument deleted;
    if (!deleted.Parse(again.Serialize())) return "the file without the key does not parse";
    if (deleted.KeyExists(key)) return "the deleted key is still there";
    return "";
}
