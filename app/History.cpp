// The navigation history.
#include "app/History.h"

#include <QString>
#include <algorithm>

#include "platform/FileNames.h"

bool THistory::SameName(const std::string& a, const std::string& b)
{
    if (a == b) return true;
    const QString qa = platform::DisplayFileName(a), qb = platform::DisplayFileName(b);
    // Bytes that are no character all read as one replacement mark, which tells no two apart.
    if (qa.contains(QChar::ReplacementCharacter) || qb.contains(QChar::ReplacementCharacter)) return false;
    return qa.compare(qb, Qt::CaseInsensitive) == 0;
}

bool THistory::Add(const std::string& name)
{
    if (index_ >= 0) {
        // The first match from the newest decides: the current entry stays as it is.
        const auto match =
            std::find_if(entries_.begin(), entries_.end(), [&](const std::string& e) { return SameName(e, name); });
        if (match - entries_.begin() == index_) return false;
        entries_.erase(entries_.begin(), entries_.begin() + index_);
        places_.erase(places_.begin(), places_.begin() + index_);
    }
    entries_.insert(entries_.begin(), name);
    places_.insert(places_.begin(), TPlace{});
    index_ = 0;
    return true;
}

bool THistory::MoveTo(int index)
{
    if (index < 0 || index >= Count()) return false;
    index_ = index;
    return true;
}
