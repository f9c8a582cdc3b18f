// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/document/readinghistory.h"

void ReadingHistory::clear()
{
    m_back.clear();
    m_forward.clear();
}

void ReadingHistory::jumped(const ReadingPlace &left)
{
    m_back.append(left);
    m_forward.clear();
}

ReadingPlace ReadingHistory::back(const ReadingPlace &now)
{
    m_forward.append(now);
    return m_back.takeLast();
}

ReadingPlace ReadingHistory::forward(const ReadingPlace &now)
{
    m_back.append(now);
    return m_forward.takeLast();
}
