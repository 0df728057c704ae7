// The longest pause of the user-interface thread while the main window opens a file: a timer
// due every millisecond notes how late each of its turns comes, from the open until the file is
// shown, and the longest lateness is the longest time the window could not answer.
//   tavuko-uipause FILE
// prints to standard output "longest-pause MS ms, shown after S s, N turns".
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTest>
#include <cstdio>

#include "app/MainForm.h"
#include "bigview/Bigview.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavuko-uipause FILE\n");
        return 2;
    }
    QApplication app(argc, argv);
    TViewFont::InstallSubstitutions();
    TForm1 form;
    form.MessageBoxFn = [](const QString&, const QString&, QMessageBox::Icon, QMessageBox::StandardButtons,
                           QMessageBox::StandardButton) { return QMessageBox::Ok; };
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;

    QElapsedTimer clock;
    qint64 last = 0, longest = 0;
    long turns = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last - 1000000);
        last = now;
        ++turns;
        if (form.BigView1->GetCountOrg() > 0) app.quit();
    });
    clock.start();
    tick.start();
    // The file opens as from the Open dialog; the event loop (and the timer) runs on from there.
    QTimer::singleShot(0, [&] { form.OpenFile(argv[1], true); });
    app.exec();
    std::printf("longest-pause %.1f ms, shown after %.3f s, %ld turns\n", double(longest) / 1e6,
                double(clock.nsecsElapsed()) / 1e9, turns);
    return 0;
}
