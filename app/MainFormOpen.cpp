// Opening files: every way of showing a file ends in OpenFile.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QMimeData>
#include <QUrl>
#include <array>
#include <utility>

#include "app/LoadFailureText.h"
#include "app/LoadProgress.h"
#include "app/MainForm.h"
#include "app/OpenDialog.h"
#include "app/Place.h"
#include "app/StatusBar.h"
#include "bigview/Bigview.h"
#include "platform/FileNames.h"

namespace {

// The Open dialog's filters in order: description, then patterns.
const std::array<std::pair<const char*, const char*>, 6> OpenFilters{{
    {"すべてのテキスト形式ファイル",
     "*.txt;*.doc;*.hed;*.log;*.html;*.htm;*.shtml;*.c;*.h;*.cpp;*.hpp;*.pas;*.ini;*.def;*.cfg;*.cnf;config.*;"
     "autoexec.*"},
    {"すべてのファイル(*)", "*"},  // the one chosen at first: most text files here have no .txt
    {"テキストファイル(*.txt;*.doc;*.hed;*.log)", "*.txt;*.doc;*.hed;*.log"},
    {"HTMLファイル(*.html;*.htm;*.shtml)", "*.html;*.htm;*.shtml"},
    {"ソースファイル(*.c;*.h;*.cpp;*.hpp;*.pas)", "*.c;*.h;*.cpp;*.hpp;*.pas"},
    {"設定ファイル(*.ini;*.inf;*.def;*.cfg;*.cnf;config.*;autoexec.*)",
     "*.ini;*.inf;*.def;*.cfg;*.cnf;config.*;autoexec.*"},
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

TLoadProgress* TForm1::LoadProgress()
{
    if (!loadProgress_) loadProgress_ = new TLoadProgress(this, [this] { return BigView1->LoadProgress(); });
    return loadProgress_;
}

bool TForm1::Busy() const { return file_.Loading() || BigView1->Held() || reporting_ || startupOpenPending_; }

bool TForm1::Deferred(std::function<void()> call)
{
    // Calls made by a waiting call as it runs are its own, not new arrivals.
    if (!Busy() && (pending_.empty() || runningPending_)) return false;
    pending_.push_back(std::move(call));
    return true;
}

// What waited runs in the order it came, each once the one before has ended.
void TForm1::RunPending()
{
    if (runningPending_) return;  // the loop below goes on with it
    runningPending_ = true;
    while (!pending_.empty() && !Busy()) {
        const std::function<void()> call = std::move(pending_.front());
        pending_.pop_front();
        call();
    }
    runningPending_ = false;
}

void TForm1::OpenFile(const std::string& name, bool addToHistory)
{
    if (Deferred([this, name, addToHistory] { OpenFile(name, addToHistory); })) return;
    StartLoad({name, addToHistory, -1, {}});
}

void TForm1::StartLoad(TCurrentFile::TLoad load)
{
    const std::string name = load.name;
    LeavePlace();
    file_.Begin(std::move(load));
    // The arrow with an hourglass: working, and the window still answers.
    loadCursor_.emplace(Qt::BusyCursor);
    LoadProgress()->Begin();
    TBvLoadSource source(name);
    if (file_.Loading()->input) {
        // A copy of standard input's descriptor, which the load closes when done.
        source = TBvLoadSource(fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0));
        source.charset = Arguments.charset;
    } else if (const auto chosen = FileCharsets.find(name); chosen != FileCharsets.end()) {
        source.charset = chosen->second;
    }
    source.streams = true;  // a FIFO is read like standard input
    BigView1->BeginLoad(source, TabStopForFile(name), [this](TBvLoadFailure failure) { LoadEnded(failure); });
}

void TForm1::CancelLoad() { BigView1->CancelLoad(); }

// The view shows the new text already, unless the load was cancelled or failed; then all stays
// as it was, and a failure says why.
void TForm1::LoadEnded(TBvLoadFailure failure)
{
    LoadProgress()->End();
    loadCursor_.reset();
    if (failure == TBvLoadFailure::Cancelled) {
        file_.Cancel();
    } else if (failure == TBvLoadFailure::None) {
        const TCurrentFile::TLoad load = file_.Show();
        if (load.historyIndex >= 0) MarkHistoryEntry(load.historyIndex);
        BigView1->setFocus();
        UpdateTitle();
        Reload1->setEnabled(!load.input);
        if (load.addToHistory) AddToHistory(load.name);
        UpdateHistoryMoves();
        N5->setVisible(true);
        File1Click();
        if (load.after) load.after();
        FollowShown();
    } else {
        const TCurrentFile::TLoad load = file_.Fail();
        const QString name = load.input ? QStringLiteral("(標準入力)") : platform::DisplayFileName(load.name);
        reporting_ = true;
        MessageBox(LoadFailureText(failure, name, BigView1->LoadRead()), QStringLiteral("開く"), QMessageBox::Critical);
        reporting_ = false;
    }
    if (statusBar_ && failure != TBvLoadFailure::Cancelled) statusBar_->TextChanged();
    RunPending();
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
    openDialog_->selectNameFilter(filters[1]);
    return openDialog_;
}

void TForm1::Open1Click()
{
    TOpenDialog* dialog = OpenDialog1();
    // It starts in the folder of the file shown; while none is, or when Qt cannot name that
    // folder (bytes that are no UTF-8), where it was last.
    if (!CurrentFileName().empty()) {
        const QDir folder = QFileInfo(QFile::decodeName(QByteArray::fromStdString(CurrentFileName()))).absoluteDir();
        if (folder.exists()) dialog->setDirectory(folder);
    }
    if (dialog->exec() != QDialog::Accepted) return;
    const std::string file = dialog->ChosenFile();
    if (file.empty()) return;
    OpenFile(file, true);
}

void TForm1::Reload1Click()
{
    if (Deferred([this] { Reload1Click(); })) return;
    if (!Reload1->isEnabled()) return;
    ReadAgain(CurrentFileName());
}

// The file line at the top stays there; when the file no longer has it, the end shows.
void TForm1::ReadAgain(const std::string& name)
{
    const TPlace place = PlaceOfTop(*BigView1);
    StartLoad({name, false, -1, [this, place] { ShowPlace(*BigView1, place); }});
}

void TForm1::ReadFileAs(std::optional<TCharset> charset)
{
    if (Deferred([this, charset] { ReadFileAs(charset); })) return;
    const std::string name = CurrentFileName();
    if (name.empty()) return;
    if (charset) FileCharsets[name] = *charset;
    else FileCharsets.erase(name);
    ReadAgain(name);
}

void TForm1::DropFiles(const std::vector<std::string>& names)
{
    if (names.empty()) return;
    // Dropped while a load runs: taken now, so that the drag ends, and opened after it.
    if (Deferred([this, names] { DropFiles(names); })) return;
    // The window comes to the front once the file is shown.
    StartLoad({names.front(), true, -1, [this] {
                   if (!Settings.FgWindow) return;
                   raise();
                   activateWindow();
               }});
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
