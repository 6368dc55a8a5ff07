#pragma once

#include "journal/MeetLog.h"

#include <QFile>
#include <optional>

// The match a meet's log on disk resumes to, if any.
inline std::optional<MatchSnapshot> logOnDisk(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return MeetLog::replay(f.readAll()).snapshot;
}
