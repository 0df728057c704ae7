// tavuko-render: a file through the view, headless.
//   tavuko-render --lines [--client-width PX] [--wrap-byte N] [--no-wrap] [--tab N] [--time] [--] FILE
// prints one line per display line: index, OrgIndex, OrgPos, Len, SubLine, Cr (positions in
// bytes of the text as held).
// Every form takes --encoding NAME (cp932, euc-jp, iso-2022-jp, utf-8, utf-16le, utf-16be) to
// read FILE in that encoding rather than in the one its bytes show.
//   tavuko-render [--size WxH] [--top N] [--sel X1,Y1,X2,Y2] [--wrap-byte N] [--no-wrap] [--tab N]
//                 [--crmark 0|1] [--hpos N] [--time] FILE OUT.png
// builds the view as the main window has it, loads FILE and writes the pixels it paints.
//   tavuko-render --copy X1,Y1,X2,Y2 [--size WxH] [--wrap-byte N] [--no-wrap] [--tab N] FILE
// selects from display position (X1, Y1) to (X2, Y2) as a drag does and writes the bytes the
// copy would put on the clipboard to standard output, unchanged; exit status 1 when the
// selection is empty.
#include <sys/resource.h>

#include <QApplication>
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "app/ViewSettings.h"
#include "bigview/Bigview.h"
#include "model/BvJob.h"
#include "model/BvLines.h"
#include "bigview/ViewFont.h"
#include "platform/Charset.h"
#include "platform/FileRead.h"

namespace {

struct Options {
    bool lines = false;
    bool time = false;
    bool wrap = true;
    int clientWidth = 504;  // the view's client width in the main window: 522 less edges and scroll bar
    int wrapByte = 0;
    int tab = 8;
    bool tabGiven = false;
    int width = 522, height = 394;
    int top = -1;
    int hpos = -1;
    int crmark = 1;
    bool sel = false;
    TPoint selFrom, selTo;
    bool copy = false;
    TPoint copyFrom, copyTo;
    std::optional<TCharset> charset;
    std::string file;
    std::string out;
};

[[noreturn]] void Fail(const std::string& msg)
{
    std::fprintf(stderr, "tavuko-render: %s\n", msg.c_str());
    std::exit(2);
}

int ParseInt(const char* opt, const char* v, int min)
{
    if (!v) Fail(std::string("missing value for ") + opt);
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(v, &end, 10);
    if (errno || !*v || *end || n < min || n > 1000000000L) Fail(std::string("bad value for ") + opt + ": " + v);
    return int(n);
}

Options Parse(int argc, char** argv)
{
    Options o;
    bool names = false;  // after "--" every argument is a file name, even one that starts with a dash
    auto name = [&o](const std::string& a) {
        if (o.file.empty()) o.file = a;
        else if (o.out.empty() && !o.lines && !o.copy) o.out = a;
        else Fail("too many file names given");
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!names && a == "--") names = true;
        else if (names) name(a);
        else if (a == "--lines") o.lines = true;
        else if (a == "--time") o.time = true;
        else if (a == "--no-wrap") o.wrap = false;
        else if (a == "--client-width") o.clientWidth = ParseInt("--client-width", next, 0), ++i;
        else if (a == "--wrap-byte") o.wrapByte = ParseInt("--wrap-byte", next, 0), ++i;
        else if (a == "--encoding") {
            if (!next || !(o.charset = charset::FromKey(next)))
                Fail(std::string("bad value for --encoding: ") + (next ? next : "") +
                     " (cp932, euc-jp, iso-2022-jp, utf-8, utf-16le, utf-16be)");
            ++i;
        } else if (a == "--tab") o.tab = ParseInt("--tab", next, 0), o.tabGiven = true, ++i;
        else if (a == "--top") o.top = ParseInt("--top", next, 0), ++i;
        else if (a == "--hpos") o.hpos = ParseInt("--hpos", next, 0), ++i;
        else if (a == "--crmark") o.crmark = ParseInt("--crmark", next, 0), ++i;
        else if (a == "--size") {
            if (!next || std::sscanf(next, "%dx%d", &o.width, &o.height) != 2 || o.width < 1 || o.height < 1 ||
                o.width > 16384 || o.height > 16384)
                Fail(std::string("bad value for --size: ") + (next ? next : ""));
            ++i;
        } else if (a == "--sel") {
            if (!next || std::sscanf(next, "%d,%d,%d,%d", &o.selFrom.X, &o.selFrom.Y, &o.selTo.X, &o.selTo.Y) != 4)
                Fail(std::string("bad value for --sel: ") + (next ? next : ""));
            o.sel = true;
            ++i;
        } else if (a == "--copy") {
            if (!next || std::sscanf(next, "%d,%d,%d,%d", &o.copyFrom.X, &o.copyFrom.Y, &o.copyTo.X, &o.copyTo.Y) != 4)
                Fail(std::string("bad value for --copy: ") + (next ? next : ""));
            o.copy = true;
            ++i;
        } else if (a.size() > 1 && a[0] == '-') Fail("unknown option " + a);
        else name(a);
    }
    if (o.file.empty() || (!o.lines && !o.copy && o.out.empty()))
        Fail("usage: tavuko-render --lines [options] FILE | tavuko-render [options] FILE OUT.png");
    if (o.crmark != 0 && o.crmark != 1) Fail("bad value for --crmark: give 0 or 1");
    return o;
}

double Seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

// Fast decimal output: a derivation can have tens of millions of lines.
class Out {
public:
    ~Out() { Flush(); }
    void Int(long long v)
    {
        char tmp[24];
        int n = 0;
        const bool neg = v < 0;
        unsigned long long u = neg ? 0ULL - (unsigned long long)v : (unsigned long long)v;
        do tmp[n++] = char('0' + u % 10);
        while (u /= 10);
        if (neg) tmp[n++] = '-';
        Reserve(size_t(n));
        while (n) buf_[len_++] = tmp[--n];
    }
    void Ch(char c)
    {
        Reserve(1);
        buf_[len_++] = c;
    }
    void Flush()
    {
        if (len_) std::fwrite(buf_, 1, len_, stdout);
        len_ = 0;
    }

private:
    void Reserve(size_t n)
    {
        if (len_ + n > sizeof buf_) Flush();
    }
    char buf_[1 << 16];
    size_t len_ = 0;
};

// The view as the main window has it, at the given size, with the options applied through
// its own setters.
void SetUpView(TBigView& view, const Options& o)
{
    ApplyViewDesignValues(view);
    view.SetCRMark(o.crmark == 1);
    view.resize(o.width, o.height);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    view.SetWordWrap(o.wrap);
    view.SetWrapByte(o.wrapByte);
    if (o.tabGiven) view.SetViewTabStop(o.tab);
    view.SetReadCharset(o.charset);
}

// Loads FILE through the load operation; a load that raises ends the program with its message.
template <class Load>
void LoadOrFail(const std::string& file, Load&& load)
{
    try {
        load();
    } catch (const std::exception& e) {
        Fail(file + ": " + e.what());
    }
}

// The view showing FILE, written as a PNG.
int Render(const Options& o)
{
    using Clock = std::chrono::steady_clock;
    TBigView view;
    SetUpView(view, o);
    const long long rows0 = view.RowsRendered();
    const auto t0 = Clock::now();
    LoadOrFail(o.file, [&] { view.LoadFromFile(o.file); });
    const auto t1 = Clock::now();
    const long long loadRows = view.RowsRendered() - rows0;
    if (o.time) {
        const auto s0 = Clock::now();
        const long long r0 = view.RowsRendered();
        view.SetViewLineStart(view.ViewLineStart() + view.ViewLines());
        const auto s1 = Clock::now();
        const long long rows = view.RowsRendered() - r0;
        view.SetViewLineStart(0);
        std::fprintf(stderr, "load-to-first-map %.3f s (%lld rows)\npage-scroll %.3f ms (%lld rows)\n", Seconds(t0, t1),
                     loadRows, Seconds(s0, s1) * 1000, rows);
    }
    if (o.top >= 0) view.SetViewLineStart(o.top);
    if (o.hpos >= 0) view.SetScHPos(o.hpos);
    if (o.sel) {
        view.SetSelStart(o.selFrom);
        view.SetSelEnd(o.selTo);
        view.MapUpdate();
    }
    QCoreApplication::processEvents();
    if (!view.Grab().save(QString::fromStdString(o.out), "PNG")) Fail("cannot write " + o.out);
    return 0;
}

// The selection's bytes as CopyToSelBuf writes them, NULs and all, without the terminator.
int CopySelection(const Options& o)
{
    TBigView view;
    SetUpView(view, o);
    LoadOrFail(o.file, [&] { view.LoadFromFile(o.file); });
    view.SetSelStart(o.copyFrom);
    view.SetSelEnd(o.copyTo);
    const int64_t n = view.CopyToSelBuf(nullptr);
    if (n < 0) {
        std::fprintf(stderr, "tavuko-render: nothing selected\n");
        return 1;
    }
    std::string buf(size_t(n) + 1, '\0');
    const int64_t written = view.CopyToSelBuf(buf.data());
    if (std::fwrite(buf.data(), 1, size_t(written), stdout) != size_t(written) || std::fflush(stdout) != 0)
        Fail("cannot write the copy");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options o = Parse(argc, argv);
    if (!platform::IsReadableRegularFile(o.file)) Fail("cannot read " + o.file);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (o.copy) return CopySelection(o);
    if (!o.lines) return Render(o);

    // Loaded as the viewer loads: read, split and derived on workers, the derivation following
    // the split.
    const TViewFont font(TViewFont::DefaultViewFont());
    const auto measure = std::make_shared<TViewFontMeasure>(font, o.clientWidth);
    const TBvWrap wrap{o.wrap, o.wrapByte, o.tab};
    const auto t0 = std::chrono::steady_clock::now();
    TBvJob job(TBvLoadSource(o.file, o.charset), wrap, measure);
    job.Run();
    const auto t1 = std::chrono::steady_clock::now();
    if (!Shows(job.Failure())) Fail(o.file + ": cannot be held in memory");
    TBvLines lines(job.Store(), *measure);
    lines.Adopt(job.Rows(), wrap, job.Widest());

    if (o.time) {
        rusage ru{};
        getrusage(RUSAGE_SELF, &ru);
        const TBvSource& source = job.Store().Source();
        std::fprintf(stderr, "load-and-derive %.3f s\npeak-rss %ld KiB\nlines %d\ndisplay-lines %d\nencoding %s%s\n",
                     Seconds(t0, t1), ru.ru_maxrss, lines.GetCountOrg(), lines.GetCount(), charset::Key(source.charset),
                     source.bom ? " bom" : "");
    }
    Out out;
    for (int i = 0, sub = 0; i < lines.GetCount(); ++i) {
        // SubLine counted along, rather than by walking back from each piece.
        const TBvPiece r = lines.Piece(i);
        out.Int(i), out.Ch('\t'), out.Int(r.OrgIndex), out.Ch('\t'), out.Int(r.OrgPos), out.Ch('\t');
        out.Int(r.Len), out.Ch('\t'), out.Int(sub), out.Ch('\t'), out.Int(r.Cr ? 1 : 0), out.Ch('\n');
        sub = r.Cr ? 0 : sub + 1;
    }
    return 0;
}
