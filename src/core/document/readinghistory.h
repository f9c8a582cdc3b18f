// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/readingplace.h"

#include <QList>

// The places a reader jumped from and back to, as a browser keeps them. A jump notes the place
// left behind; going back returns to it and keeps the place left for going forward again. A new
// jump ends what going forward could reach.
class ReadingHistory
{
public:
    void clear();
    // A jump away from `left`.
    void jumped(const ReadingPlace &left);
    bool canGoBack() const { return !m_back.isEmpty(); }
    bool canGoForward() const { return !m_forward.isEmpty(); }
    // The place to return to from `now`, which going forward then returns to; call only when
    // there is one.
    ReadingPlace back(const ReadingPlace &now);
    ReadingPlace forward(const ReadingPlace &now);

private:
    QList<ReadingPlace> m_back;
    QList<ReadingPlace> m_forward;
};
