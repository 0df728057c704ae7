#pragma once
// Following the file shown as it grows. The kernel tells of every change to the file, and of
// names made or moved in its folder, so that a log rotated away and made anew is found again
// (inotify, through QFileSystemWatcher); nothing runs while the file is quiet.
#include <sys/types.h>

#include <QFileSystemWatcher>
#include <QObject>
#include <optional>
#include <string>

#include "model/BvTail.h"

class TFollower : public QObject {
    Q_OBJECT
public:
    explicit TFollower(QObject* parent = nullptr);

    // Follows name, whose text has just been loaded into store: what the store holds of the
    // file is where the next bytes are taken from.
    void Start(const std::string& name, const TBvStrings& store);
    void Stop();
    bool Following() const { return !name_.empty(); }
    const std::string& Name() const { return name_; }

    // What has changed since the last step: lines to add (at most `most` new bytes; changed
    // comes again for the rest), Again when the file must be read anew from its start (it
    // shrank, was replaced at its name, or a text held transcoded grew), or Nothing (also while
    // the name is gone: a rotated log's new file is waited for).
    TBvTail::TStep Step(size_t most = size_t(64) << 20);

signals:
    // The file or its folder changed: Step has something to look at. Changes that come together
    // are told once.
    void changed();

private:
    void Watch();
    void Tell();

    QFileSystemWatcher watcher_;
    std::string name_;
    std::optional<TBvTail> tail_;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    int64_t size_ = -1;  // the size when loaded (a text followed by reading it whole)
    bool told_ = false;  // changed is on its way
};
