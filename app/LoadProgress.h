#pragma once
// The progress of a long load, over the window: a bar that shows after half a second and then
// follows what the load reports, until the load ends.
#include <QObject>
#include <functional>

class QProgressBar;
class QTimer;
class QWidget;

class TLoadProgress : public QObject {
public:
    // host: the window the bar is centred over; progress: how far the load has got, from 0 to
    // below 1, or -1 while that is unknown.
    TLoadProgress(QWidget* host, std::function<double()> progress);

    // Milliseconds of a monotonic clock; tests replace it.
    std::function<qint64()> Clock;
    static constexpr qint64 ShowAfterMs = 500;
    static constexpr int UpdateEveryMs = 50;

    void Begin();
    // The load has ended and its text is shown: the bar reaches its end and goes.
    void End();
    // The bar while it is shown (null before the first long load).
    QProgressBar* Bar() const { return bar_; }

private:
    void Update();

    QWidget* host_;
    std::function<double()> progress_;
    QProgressBar* bar_ = nullptr;
    QTimer* timer_ = nullptr;
    qint64 start_ = 0;
};
