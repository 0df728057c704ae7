#include "app/LoadProgress.h"

#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <algorithm>

TLoadProgress::TLoadProgress(QWidget* host, std::function<double()> progress)
    : QObject(host), host_(host), progress_(std::move(progress))
{
    Clock = [] {
        static QElapsedTimer timer;
        if (!timer.isValid()) timer.start();
        return timer.elapsed();
    };
    timer_ = new QTimer(this);
    timer_->setInterval(UpdateEveryMs);
    connect(timer_, &QTimer::timeout, this, [this] { Update(); });
}

void TLoadProgress::Begin()
{
    start_ = Clock();
    timer_->start();
}

void TLoadProgress::End()
{
    timer_->stop();
    if (!bar_ || !bar_->isVisible()) return;
    bar_->setRange(0, 1000);
    bar_->setValue(1000);
    bar_->hide();
}

void TLoadProgress::Update()
{
    if (Clock() - start_ < ShowAfterMs) return;
    if (!bar_) bar_ = new QProgressBar(host_);
    // Permille; a load whose size is unknown shows a busy bar.
    const double done = progress_();
    bar_->setRange(0, done < 0 ? 0 : 1000);
    if (done >= 0) bar_->setValue(int(std::min(done, 0.999) * 1000));
    const int w = std::min(360, host_->width() - 40);
    bar_->setGeometry((host_->width() - w) / 2, (host_->height() - 24) / 2, w, 24);
    bar_->raise();
    bar_->show();
}
