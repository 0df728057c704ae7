// Per-user store budgets: loading a 1 MB store of other programs' keys with this program's 17
// values (<= 2 ms), and saving the 17 values into it (<= 20 ms, the file written and renamed).
#include "BenchCommon.h"

#include <QFile>
#include <QTemporaryDir>

#include "platform/UserStore.h"

namespace {

const char* const Key = "\\Software\\Q.Tabiri\\Tavuko";

// About 1 MB in the forms other programs' exports take: many keys, DWORDs, texts, wrapped hex.
QByteArray OtherPrograms()
{
    QByteArray s = "Windows Registry Editor Version 5.00\n\n";
    for (int k = 0; s.size() < (1 << 20); ++k) {
        s += "[HKEY_CURRENT_USER\\Software\\Maker" + QByteArray::number(k % 37) + "\\Program" + QByteArray::number(k) +
             "\\Recent]\n";
        for (int v = 0; v < 6; ++v) {
            s += "\"Count" + QByteArray::number(v) +
                 "\"=dword:" + QByteArray::number(k * 7 + v, 16).rightJustified(8, '0') + "\n";
            s += "\"File" + QByteArray::number(v) + "\"=\"/home/user/文書/プロジェクト " + QByteArray::number(k) +
                 "/file.txt\"\n";
        }
        s += "\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,2f,00,62,00,69,00,6e,00,3a,00,2f,00,\\\n"
             "  75,00,73,00,72,00,2f,00,62,00,69,00,6e,00,00,00\n\n";
    }
    return s;
}

void WriteSeventeen(platform::TRegistry& reg, int n)
{
    const char* ints[] = {"WindowPosX", "WindowPosY", "WindowWidth", "WindowHeight",
                          "FontSize",   "FontColor",  "BgColor"};
    for (const char* name : ints) reg.WriteInteger(QString::fromLatin1(name), n);
    reg.WriteString(QStringLiteral("FontName"), QStringLiteral("ＭＳ ゴシック"));
    const char* bools[] = {"CRView", "SmoothScroll", "Last1PageScroll", "ExitEnterKey", "FgWindow", "CcrScroll"};
    for (const char* name : bools) reg.WriteBool(QString::fromLatin1(name), n & 1);
    reg.WriteInteger(QStringLiteral("CRColor"), n);
    reg.WriteString(QStringLiteral("EditorName"), QStringLiteral("xdg-open"));
    reg.WriteString(QStringLiteral("EditorParam"), QStringLiteral("$file"));
}

struct Store {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("user.reg"));
    Store()
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(OtherPrograms());
        f.close();
        platform::TRegistry reg(file);
        reg.OpenKey(Key, true);
        WriteSeventeen(reg, 1);
        reg.Save();
    }
};

void BM_StoreLoad(benchmark::State& state)
{
    Store store;
    for (auto _ : state) {
        platform::TRegistry reg(store.file);
        int32_t v = 0;
        reg.OpenKey(Key, false);
        reg.ReadInteger(QStringLiteral("CRColor"), v);
        benchmark::DoNotOptimize(v);
    }
    state.counters["bytes"] = double(QFile(store.file).size());
}
BENCHMARK(BM_StoreLoad)->Unit(benchmark::kMillisecond);

void BM_StoreSave(benchmark::State& state)
{
    Store store;
    int n = 0;
    for (auto _ : state) {
        platform::TRegistry reg(store.file);
        reg.OpenKey(Key, true);
        WriteSeventeen(reg, ++n);  // every value changed, so every line is written anew
        if (!reg.Save()) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_StoreSave)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarks(argc, argv); }
