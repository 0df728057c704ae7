// The layers hold by themselves: dependencies run platform → model → bigview → settings →
// dialogs → app, so no file includes from a layer after its own; the document model and the
// settings value use no Qt but Qt Core (their tests and the fuzzers link them without a window
// system), and the settings value knows no view.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::map<std::string, int> kRank = {{"platform", 0}, {"model", 1},   {"bigview", 2},
                                          {"settings", 3}, {"dialogs", 4}, {"app", 5}};

// What is wrong with one include line of a file in layer `layer`, or nothing. qtCore tells
// whether a <Q...> header is one of Qt Core's.
template <class IsQtCore>
std::optional<std::string> Fault(const std::string& layer, const std::string& line, IsQtCore&& qtCore)
{
    static const std::regex local(R"(^\s*#\s*include\s*"([A-Za-z0-9_]+)/[^"]+")");
    static const std::regex qt(R"(^\s*#\s*include\s*<(Q[A-Za-z0-9_]+)>)");
    std::smatch m;
    if (std::regex_search(line, m, local)) {
        const auto to = kRank.find(m[1].str());
        if (to != kRank.end() && to->second > kRank.at(layer))
            return layer + " includes from the later layer " + to->first;
        if (layer == "settings" && to != kRank.end() && to->first == "bigview") return "settings includes the view";
    } else if ((layer == "model" || layer == "settings") && std::regex_search(line, m, qt) && !qtCore(m[1].str())) {
        return layer + " includes " + m[1].str() + ", which is not Qt Core";
    }
    return std::nullopt;
}

// Qt Core's include folder, found beside the headers the model does include.
fs::path QtCoreDir()
{
    for (const char* dir : {"/usr/include/x86_64-linux-gnu/qt6/QtCore", "/usr/include/qt6/QtCore"})
        if (fs::exists(fs::path(dir) / "QString")) return dir;
    return {};
}

}  // namespace

TEST(Layers, TheRuleTellsEachKindOfInclude)
{
    auto core = [](const std::string& h) { return h == "QString" || h == "QIODevice"; };
    struct Case {
        const char* layer;
        const char* line;
        bool fault;
    };
    const Case cases[] = {
        {"model", "#include \"platform/Cp932.h\"", false},
        {"model", "#include \"model/BvText.h\"", false},
        {"model", "#include \"bigview/Bigview.h\"", true},
        {"model", "  #  include \"app/MainForm.h\"  // even spaced out", true},
        {"platform", "#include \"model/BvText.h\"", true},
        {"bigview", "#include \"settings/Settings.h\"", true},
        {"settings", "#include \"bigview/Bigview.h\"", true},
        {"settings", "#include \"platform/Color.h\"", false},
        {"settings", "#include <QFont>", true},
        {"settings", "#include \"dialogs/FindDlg.h\"", true},
        {"dialogs", "#include \"settings/Settings.h\"", false},
        {"app", "#include \"dialogs/FindDlg.h\"", false},
        {"model", "#include <QString>", false},
        {"model", "#include <QWidget>", true},
        {"bigview", "#include <QWidget>", false},
        {"model", "#include <string>", false},
        {"model", "#include \"support/Oracle.h\"", false},  // no layer of the program
    };
    for (const Case& c : cases)
        EXPECT_EQ(Fault(c.layer, c.line, core).has_value(), c.fault) << c.layer << ": " << c.line;
}

TEST(Layers, NoFileIncludesFromALaterLayer)
{
    const char* source = std::getenv("TAVUKO_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    const fs::path qtCore = QtCoreDir();
    ASSERT_FALSE(qtCore.empty());
    auto isCore = [&](const std::string& h) { return fs::exists(qtCore / h); };
    int files = 0;
    std::vector<std::string> faults;
    for (const auto& [layer, rank] : kRank) {
        for (const auto& entry : fs::directory_iterator(fs::path(source) / layer)) {
            const std::string ext = entry.path().extension().string();
            if (ext != ".h" && ext != ".cpp") continue;
            ++files;
            std::ifstream in(entry.path());
            std::string line;
            for (int n = 1; std::getline(in, line); ++n)
                if (const auto f = Fault(layer, line, isCore))
                    faults.push_back(entry.path().filename().string() + ":" + std::to_string(n) + ": " + *f);
        }
    }
    EXPECT_GT(files, 100);
    std::ostringstream all;
    for (const std::string& f : faults) all << f << "\n";
    EXPECT_TRUE(faults.empty()) << all.str();
}
