// Opening files: every way of showing a file ends in OpenFile.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QUrl>
#include <array>
#include <utility>

#include "app/BusyCursor.h"
#include "app/LoadGate.h"
#include "app/MainForm.h"
#include "app/OpenDialog.h"
#include "bigview/Bigview.h"
#include "platform/FileNames.h"

namespace {

// The Open dialog's filters in order: description, then patterns.
const std::array<std::pair<const char*, const char*>, 6> OpenFilters{{
    {"すべてのテキスト形式ファイル",
     "*.txt;*.doc;*.hed;*.log;*.html;*.htm;*.shtml;*.c;*.h;*.cpp;*.hpp;*.pas;*.ini;*.def;*.cfg;*.cnf;config.*;"
     "autoexec.*"},
    {"すべてのファイル(*.*)", "*"},  // "*.*" would hide every name without a dot here
    {"テキストファイル(*.txt;*.doc;*.hed;*.log)", "*.txt;*.doc;*.hed;*.log"},
    {"HTMLファイル(*.html;*.htm;*.shtml)", "*.html;*.htm;*.shtml"},
    {"ソースファイル(*.c;*.h;*.cpp;*.hpp;*.pas)", "*.c;*.h;*.cpp;*.hpp;*.pas"},
    {"設定ファイル(*.ini;*.inf;*.def;*.cfg;*.cnf;config.*;autoexec.*)", "*.ini;*.inf;*.def;*.cfg;*.cnf;config.*;autoexec.*"},
}};

}  // namespace

int TForm1::TabStopForFile(const std::string& name)
{
    // The extension starts at the last period after the last separator or drive colon.
    const size_t dir = name.find_last_of("/\\:");
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (dir != std::string::npos && dot < dir)) return 8;
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (ext == ".pas") return 2;
    if (ext == ".c" || ext == ".cpp" || ext == ".h" || ext == ".hpp") return 4;
    return 8;
}

void TForm1::ApplyTabStopForFile(const std::string& name)
{
    const int tab = TabStopForFile(name);
    if (BigView1->ViewTabStop() == tab) return;
    // Emptied first, so that the old text is not re-wrapped at the new tab width only to be replaced.
    BigView1->Clear();
    BigView1->SetViewTabStop(tab);
}

TLoadGate* TForm1::LoadGate()
{
    if (!loadGate_) loadGate_ = new TLoadGate(this);
    return loadGate_;
}

void TForm1::OpenFile(const std::string& name, bool addToHistory)
{
    if (LoadGate()->Running()) {
        // Asked for while a load runs (a drop, a request from another program): after it, as
        // asked; the caption keeps the name being loaded until then.
        LoadGate()->Defer([this, requested = CurrentFileName, name, addToHistory] {
            CurrentFileName = requested;
            OpenFile(name, addToHistory);
        });
        CurrentFileName = loadingName_;
        return;
    }
    loadingName_ = CurrentFileName;
    // A request arriving meanwhile, also while the failure message is up, is served afterwards.
    HoldOpenRequests();
    struct TRequestHold {
        TForm1* form;
        ~TRequestHold() { form->ReleaseOpenRequests(); }
    } hold{this};
    TBusyCursor busy;
    try {
        ApplyTabStopForFile(name);
        {
            // The gate is open from here to the end of the load, also when the load raises.
            struct Gate {
                TLoadGate* gate;
                TBigView* view;
                ~Gate()
                {
                    view->OnLoadProgress = nullptr;
                    gate->End();
                }
            } gate{LoadGate(), BigView1};
            gate.gate->Begin();
            BigView1->OnLoadProgress = [g = gate.gate](uint64_t done, uint64_t total) { return g->Progress(done, total); };
            const auto chosen = FileCharsets.find(name);
            BigView1->SetReadCharset(chosen == FileCharsets.end() ? std::nullopt : std::optional(chosen->second));
            BigView1->LoadFromFile(name);
        }
        BigView1->MapUpdate();
        BigView1->setFocus();
        UpdateTitle();
        Reload1->setEnabled(true);
        if (addToHistory) AddToHistory(name);
        UpdateHistoryMoves();
        N5->setVisible(true);
        File1Click();
    } catch (...) {
        // No busy cursor over the message box.
        busy.Restore();
        MessageBox(QStringLiteral("ファイルが読み込めません。"), QStringLiteral("開く"), QMessageBox::Critical);
        BigView1->Clear();
        CurrentFileName.clear();
        UpdateTitle();
        File1Click();
    }
}

TOpenDialog* TForm1::OpenDialog1()
{
    if (openDialog_) return openDialog_;
    openDialog_ = new TOpenDialog(this, QStringLiteral("ファイルを開く"));
    // A typed name need not exist: it is opened all the same and shows as an empty text.
    openDialog_->setFileMode(QFileDialog::AnyFile);
    openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
    // The descriptions carry their own pattern text; Qt's pattern list is shown only by them.
    openDialog_->setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters;
    for (const auto& [description, patterns] : OpenFilters)
        filters << QString::fromUtf8(description) + QStringLiteral(" (") +
                       QString::fromUtf8(patterns).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    openDialog_->setNameFilters(filters);
    openDialog_->selectNameFilter(filters.front());
    return openDialog_;
}

void TForm1::Open1Click()
{
    TOpenDialog* dialog = OpenDialog1();
    if (dialog->exec() != QDialog::Accepted) return;
    const std::string file = dialog->ChosenFile();
    if (file.empty()) return;
    CurrentFileName = file;
    OpenFile(CurrentFileName, true);
}

void TForm1::Reload1Click()
{
    if (!Reload1->isEnabled()) return;
    OpenFile(CurrentFileName, false);
}

void TForm1::ReadFileAs(std::optional<TCharset> charset)
{
    if (CurrentFileName.empty() || LoadGate()->Running()) return;
    if (charset) FileCharsets[CurrentFileName] = *charset;
    else FileCharsets.erase(CurrentFileName);
    const int org = BigView1->ConvertIndexToOrg(BigView1->ViewLineStart());
    OpenFile(CurrentFileName, false);
    if (org > 0 && !CurrentFileName.empty()) BigView1->SetViewLineStart(BigView1->ConvertIndexFromOrg(org));
}

void TForm1::DropFiles(const std::vector<std::string>& names)
{
    if (names.empty()) return;
    if (LoadGate()->Running()) {
        // Dropped while a load runs: taken now, so that the drag ends, and opened after it.
        LoadGate()->Defer([this, names] { DropFiles(names); });
        return;
    }
    CurrentFileName = names.front();
    OpenFile(CurrentFileName, true);
    if (Settings.FgWindow) {
        raise();
        activateWindow();
    }
}

namespace {
// The dropped local files' full names, in the order given, byte for byte.
std::vector<std::string> DroppedFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return {};
    return platform::LocalFilesOfUriList(data->data(QStringLiteral("text/uri-list")));
}
}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* e)
{
    if (!DroppedFiles(e->mimeData()).empty()) e->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* e)
{
    const std::vector<std::string> names = DroppedFiles(e->mimeData());
    if (names.empty()) return;
    e->acceptProposedAction();
    DropFiles(names);
}
