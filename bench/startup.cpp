// Start-up timing: the program's own set-up, ended by the harness at the first paint of the view.
//   tavuko-startup [--shown] [FILE]
// starts as the program does (opening FILE when given), and once the view's first paint has
// reached the window system (with --shown: its first paint showing FILE's lines), prints to
// standard error the milliseconds since entry and the wall-clock time in nanoseconds, then exits
// at once. scripts/bench-startup subtracts the time
// it started the process at, so that the figure is spawn to first paint, without the exit.
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <functional>

#include "app/MainForm.h"
#include "bigview/Bigview.h"

namespace {
QElapsedTimer sinceEntry;

// Ends the process right after the first paint has been handed on: the paint event's own
// delivery finishes, then the zero timer runs once the window's contents are flushed.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<bool()> ready) : ready_(std::move(ready)) {}
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !seen_ && ready_()) {
            seen_ = true;
            QTimer::singleShot(0, [] {
                timespec now{};
                clock_gettime(CLOCK_REALTIME, &now);
                std::fprintf(stderr, "first-paint %.1f ms since entry, at %lld ns\n", sinceEntry.nsecsElapsed() / 1e6,
                             (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
                std::fflush(stderr);
                _exit(0);
            });
        }
        return false;
    }

private:
    std::function<bool()> ready_;
    bool seen_ = false;
};
}  // namespace

int main(int argc, char** argv)
{
    sinceEntry.start();
    QApplication app(argc, argv);
    TViewFont::InstallSubstitutions();
    TForm1 form;
    const bool shown = argc > 1 && std::strcmp(argv[1], "--shown") == 0;
    FirstPaint watch([&] { return !shown || form.BigView1->GetCountOrg() > 0; });
    form.BigView1->installEventFilter(&watch);
    if (argc > 1 + shown) form.Arguments.file = argv[1 + shown];
    form.show();
    return app.exec();
}
