// Following a growing file in the real main window: from a write to the paint that shows it,
// the CPU taken while the file is quiet, and a file growing by 100 MB/s.
//   tavuko-follow [MB-PER-S [SECONDS]]
// prints "write-to-paint median M ms, max X ms", "idle-cpu C ms in 2 s following, D not" and
// "growth R MB/s written for S s: shown D ms after the last write (N lines)".
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/MainForm.h"
#include "bigview/Bigview.h"

namespace {

// Whether the view has painted since the count reached `want` lines.
class PaintWatch : public QObject {
public:
    int want = -1;
    bool painted = false;
    TBigView* view = nullptr;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && want >= 0 && view->GetCountOrg() >= want) painted = true;
        return false;
    }
};

double CpuMs()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return (ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
}

void Append(int fd, const std::string& s)
{
    for (size_t done = 0; done < s.size();) done += size_t(write(fd, s.data() + done, s.size() - done));
}

}  // namespace

int main(int argc, char** argv)
{
    const double rate = argc > 1 ? std::atof(argv[1]) : 100;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 3;
    QApplication app(argc, argv);
    TViewFont::InstallSubstitutions();
    QTemporaryDir dir;
    const std::string log = dir.filePath(QStringLiteral("app.log")).toStdString();
    const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    std::string start;
    for (int i = 0; i < 10000; ++i) start += "2026-12-09 17:00:00 INFO starting line " + std::to_string(i) + "\n";
    Append(fd, start);

    TForm1 form;
    form.MessageBoxFn = [](const QString&, const QString&, QMessageBox::Icon, QMessageBox::StandardButtons,
                           QMessageBox::StandardButton) { return QMessageBox::Ok; };
    form.Arguments.file = log;
    form.Arguments.follow = true;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    if (!QTest::qWaitFor([&] { return form.BigView1->GetCountOrg() == 10000; }, 10000)) return 1;
    PaintWatch watch;
    watch.view = form.BigView1;
    form.BigView1->installEventFilter(&watch);

    // From a write of one line to the paint that shows it.
    std::vector<double> latencies;
    int lines = 10000;
    for (int i = 0; i < 30; ++i) {
        QTest::qWait(30);
        watch.painted = false;
        watch.want = ++lines;
        QElapsedTimer t;
        t.start();
        Append(fd, "2026-12-09 17:00:01 WARN mark " + std::to_string(i) + "\n");
        if (!QTest::qWaitFor([&] { return watch.painted; }, 5000)) return 1;
        latencies.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("write-to-paint median %.1f ms, max %.1f ms (%zu writes)\n", latencies[latencies.size() / 2],
                latencies.back(), latencies.size());

    // Quiet: nothing should run, following or not (the event loop waits, no polling here either).
    const auto idle = [] {
        const double cpu0 = CpuMs();
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        return CpuMs() - cpu0;
    };
    const double following = idle();
    form.Follow1->trigger();  // off
    const double notFollowing = idle();
    form.Follow1->trigger();  // on again
    std::printf("idle-cpu %.1f ms in 2 s following, %.1f ms not following\n", following, notFollowing);

    // A file growing by `rate` MB/s, written in parts every 10 ms by another thread.
    const std::string line = "2026-12-09 17:00:02 DEBUG a line of a fast log, about one hundred bytes long ........\n";
    const size_t perTick = size_t(rate * 1e6 / 100);
    const int linesPerTick = int(perTick / line.size());
    std::string part;
    for (int i = 0; i < linesPerTick; ++i) part += line;
    const int ticks = int(seconds * 100);
    std::atomic<bool> written{false};
    QElapsedTimer growth;
    growth.start();
    std::thread writer([&] {
        const auto t0 = std::chrono::steady_clock::now();
        for (int k = 0; k < ticks; ++k) {
            std::this_thread::sleep_until(t0 + std::chrono::milliseconds(10 * k));
            Append(fd, part);
        }
        written = true;
    });
    const int total = lines + ticks * linesPerTick;
    qint64 writtenAt = -1;
    const bool caughtUp = QTest::qWaitFor(
        [&] {
            if (written && writtenAt < 0) writtenAt = growth.elapsed();
            return written && form.BigView1->GetCountOrg() >= total;
        },
        int(seconds * 1000) + 60000);
    if (writtenAt < 0) writtenAt = growth.elapsed();
    const qint64 shownAt = growth.elapsed();
    writer.join();
    std::printf("growth %.0f MB/s written for %.2f s: shown %lld ms after the last write (%d of %d lines)%s\n",
                double(ticks) * double(part.size()) / 1e6 / (double(writtenAt) / 1e3), double(writtenAt) / 1e3,
                shownAt - writtenAt, form.BigView1->GetCountOrg(), total, caughtUp ? "" : " FELL BEHIND");
    close(fd);
    return 0;
}
