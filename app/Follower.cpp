#include "app/Follower.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

TFollower::TFollower(QObject* parent) : QObject(parent)
{
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { Tell(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { Tell(); });
}

void TFollower::Start(const std::string& name, const TBvStrings& store)
{
    Stop();
    struct stat st;
    if (stat(name.c_str(), &st) != 0) return;
    name_ = name;
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    size_ = int64_t(st.st_size);
    tail_ = TBvTail::Of(store);
    Watch();
    // Bytes written between the load's reading and now are taken at once.
    Tell();
}

void TFollower::Stop()
{
    name_.clear();
    tail_.reset();
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
}

// The file itself, and its folder for a file made anew at its name. The watch on a file goes
// when the file is removed or renamed, so it is set again whenever the name is there.
void TFollower::Watch()
{
    const QString file = QFile::decodeName(QByteArray::fromStdString(name_));
    if (!watcher_.files().contains(file) && QFileInfo::exists(file)) watcher_.addPath(file);
    const QString dir = QFileInfo(file).absolutePath();
    if (!watcher_.directories().contains(dir)) watcher_.addPath(dir);
}

void TFollower::Tell()
{
    if (told_ || !Following()) return;
    told_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            told_ = false;
            if (Following()) emit changed();
        },
        Qt::QueuedConnection);
}

TBvTail::TStep TFollower::Step(size_t most)
{
    TBvTail::TStep step;
    if (!Following()) return step;
    Watch();
    const int fd = open(name_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return step;  // moved away, and not made anew yet
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return step;
    }
    if (st.st_dev != dev_ || st.st_ino != ino_) {
        step.what = TBvTail::TStep::Again;  // replaced at its name
    } else if (!tail_) {
        if (int64_t(st.st_size) != size_) step.what = TBvTail::TStep::Again;
    } else {
        step = tail_->Read(fd, uint64_t(st.st_size), most);
        if (step.what == TBvTail::TStep::Lines && tail_->Held() < uint64_t(st.st_size) && !tail_->Ended()) Tell();
    }
    close(fd);
    return step;
}
