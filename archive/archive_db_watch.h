#pragma once

#include "archive/archive_db.h"

namespace archive {

// The deadline over one call of the archive, however many statements it takes; calls within a
// call share the outer one's.
class ArchiveDb::Watch
{
public:
    explicit Watch(ArchiveDb &db) : m_db(db)
    {
        if (m_db.m_watching++ == 0)
            m_db.armDeadline();
    }
    ~Watch()
    {
        if (--m_db.m_watching == 0)
            m_db.endDeadline();
    }
    Watch(const Watch &) = delete;
    Watch &operator=(const Watch &) = delete;

private:
    ArchiveDb &m_db;
};

} // namespace archive
