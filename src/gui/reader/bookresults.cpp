// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/bookresults.h"

#include "core/book/contentsindex.h"
#include "gui/pdfview/pdfview.h"
#include "widgets/resultlist.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

BookResults::BookResults(QWidget *parent) : QWidget(parent)
{
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("searchStatus"));
    m_status->setWordWrap(true);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("searchProgress"));
    m_progress->setFormat(QStringLiteral("%v / %m 章"));
    m_stop = new QPushButton(QStringLiteral("停止"), this);
    m_stop->setObjectName(QStringLiteral("stopSearch"));
    m_list = new ResultList(this);
    m_list->setObjectName(QStringLiteral("searchResults"));

    auto *running = new QHBoxLayout;
    running->setContentsMargins(0, 0, 0, 0);
    running->addWidget(m_progress, 1);
    running->addWidget(m_stop);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 4, 2, 2);
    layout->setSpacing(4);
    layout->addWidget(m_status);
    layout->addLayout(running);
    layout->addWidget(m_list, 1);

    connect(m_stop, &QPushButton::clicked, this, &BookResults::stopRequested);
    connect(m_list, &ResultList::matchChosen, this, &BookResults::choose);
    clear();
}

void BookResults::begin(const QString &text, int chapterCount)
{
    clear();
    m_text = text;
    m_progress->setRange(0, chapterCount);
    m_progress->setValue(0);
    m_progress->show();
    m_stop->show();
    showRunning();
}

void BookResults::add(const QList<BookSearch::Match> &matches, int chaptersDone)
{
    for (const BookSearch::Match &match : matches) {
        const int number = int(m_matches.size());
        if (number < ListedMatches)
            m_list->addMatch(number, ContentsIndex::shownName(match.chapterName), match.page,
                             match.context, m_text);
        else if (number == ListedMatches)
            m_list->addNote(
                QStringLiteral("只列出前 %1 处，其余各处可按 F3 逐一查看").arg(ListedMatches));
        m_matches.append(match);
    }
    m_progress->setValue(chaptersDone);
    showRunning();
}

void BookResults::addSkipped(int chapter, const QString &name, BookSearch::Skip skip)
{
    const QString note =
        skip == BookSearch::Skip::Locked ? QStringLiteral("第 %1 章“%2”已加密，未能搜索")
        : skip == BookSearch::Skip::Damaged ? QStringLiteral("第 %1 章“%2”已损坏，未能搜索")
        : skip == BookSearch::Skip::NoText ? QStringLiteral("第 %1 章“%2”：") + PdfView::NoTextLayer
                                           : QStringLiteral("第 %1 章“%2”无法搜索");
    m_list->addNote(note.arg(QString::number(chapter + 1), ContentsIndex::shownName(name)));
}

void BookResults::finish()
{
    showEnd(m_matches.isEmpty()
                ? QStringLiteral("全书中未找到“%1”").arg(m_text)
                : QStringLiteral("“%1”：共 %2 处").arg(m_text, QString::number(m_matches.size())));
}

void BookResults::stop()
{
    showEnd(QStringLiteral("搜索已停止：找到 %1 处").arg(m_matches.size()));
}

void BookResults::stopForChangedBook()
{
    const QString line = QStringLiteral("电子书已被改动或无法读取，搜索已停止");
    m_list->addNote(line);
    showEnd(line);
}

void BookResults::clear()
{
    m_list->clearRows();
    m_matches.clear();
    m_chosen = -1;
    m_text.clear();
    m_status->setText(QStringLiteral("在“全书”中查找的结果列在这里"));
    m_progress->hide();
    m_stop->hide();
}

int BookResults::chosenNumber() const
{
    return m_chosen + 1;
}

void BookResults::chooseFrom(int chapter, int page, int direction)
{
    const int next = BookSearch::matchFrom(m_matches, m_chosen, chapter, page, direction);
    if (next < 0)
        return;
    m_list->showMatch(next);
    choose(next);
}

void BookResults::choose(int match)
{
    m_chosen = match;
    emit chosen(m_matches.at(match));
}

void BookResults::showEnd(const QString &status)
{
    m_status->setText(status);
    m_progress->hide();
    m_stop->hide();
}

void BookResults::showRunning()
{
    m_status->setText(QStringLiteral("正在搜索“%1”…  已找到 %2 处")
                          .arg(m_text, QString::number(m_matches.size())));
}
