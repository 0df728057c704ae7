// File names as bytes: a name is UTF-8 for the listings exactly when it is well formed, a
// name is shown with its separators where they were, and a uri list gives only absolute names.
#include <QByteArray>
#include <QString>
#include <string>

#include "FuzzCommon.h"
#include "platform/FileNames.h"
#include "support/Utf8Oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const QByteArray name = QByteArray::fromStdString(bytes);
    FUZZ_CHECK(platform::IsUtf8Name(name) == IsWellFormedUtf8(bytes));

    const QString shown = platform::DisplayFileName(bytes);
    FUZZ_CHECK(shown.count(QLatin1Char('/')) == name.count('/'));
    if (IsWellFormedUtf8(bytes)) FUZZ_CHECK(shown == QString::fromUtf8(name));

    for (const std::string& file : platform::LocalFilesOfUriList(name)) FUZZ_CHECK(!file.empty() && file[0] == '/');
    return 0;
}
