// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QMap>
#include <QStringList>
#include <QWidget>

class ResultList;

// The matches of a find in the document shown, one row each (the page and the text around the
// match), kept in page order however the pages come, and a last row with the count once every
// page was searched. A row clicked tells its match.
class DocumentResults : public QWidget
{
    Q_OBJECT

public:
    explicit DocumentResults(QWidget *parent = nullptr);

    void begin(const QString &text);
    // The text around each match on `page` (from 0), in the page's order.
    void add(int page, const QStringList &contexts);
    void finish();
    void clear();
    // The row of the `onPage`-th match of `page` made current and in sight, if it is listed.
    void showMatch(int page, int onPage);

signals:
    // The `onPage`-th match (from 0) on `page` (from 0).
    void chosen(int page, int onPage);

private:
    struct Match {
        int page = 0;
        int onPage = 0;
    };
    void choose(int match);
    int firstRowAfter(int page) const;

    ResultList *m_list = nullptr;
    QString m_text;
    QList<Match> m_matches;    // in the order they came
    QMap<int, int> m_pageRows; // the rows of each page with matches
};
