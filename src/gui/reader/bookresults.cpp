// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/bookresults.h"

#include "gui/pdfview/pdfview.h"

#include <QAbstractTextDocumentLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QVBoxLayout>

namespace
{
// Which match a row is, -1 for a row that leads nowhere.
const int MatchRole = Qt::UserRole;
// What the row shows, as rich text.
const int ShownRole = Qt::UserRole + 1;

// The chapter's name in bold with the page beside it; below, the text around the match with
// every match in it in bold.
QString shownMatch(const BookSearch::Match &match, const QString &text)
{
    QString context;
    qsizetype done = 0;
    for (qsizetype at = match.context.indexOf(text, 0, Qt::CaseInsensitive); at >= 0;
         at = match.context.indexOf(text, done, Qt::CaseInsensitive)) {
        context += match.context.mid(done, at - done).toHtmlEscaped() + QStringLiteral("<b>") +
                   match.context.mid(at, text.size()).toHtmlEscaped() + QStringLiteral("</b>");
        done = at + text.size();
    }
    context += match.context.mid(done).toHtmlEscaped();
    // The page's words are glued, so a narrow pane moves them to the next line together.
    return QStringLiteral("<b>%1</b>&nbsp; 第&nbsp;%2&nbsp;页<br>%3")
        .arg(match.chapterName.toHtmlEscaped(), QString::number(match.page + 1), context);
}

} // namespace

// Draws each row's rich text, wrapped to the list's width, a little apart from the next. Each
// row is measured once for the width the list has: the list asks every row's size whenever
// rows come, and thousands of results must not be laid out again each time.
class BookResults::RowDelegate : public QStyledItemDelegate
{
public:
    explicit RowDelegate(QListWidget *list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem shown = option;
        initStyleOption(&shown, index);
        shown.text.clear();
        shown.widget->style()->drawControl(QStyle::CE_ItemViewItem, &shown, painter, shown.widget);
        QTextDocument text;
        layOut(text, index, option.font);
        QAbstractTextDocumentLayout::PaintContext context;
        const bool selected = option.state & QStyle::State_Selected;
        const bool note = index.data(MatchRole).toInt() < 0;
        context.palette.setColor(
            QPalette::Text,
            option.palette.color(note ? QPalette::Disabled : QPalette::Normal,
                                 selected ? QPalette::HighlightedText : QPalette::Text));
        painter->save();
        painter->translate(option.rect.topLeft() + QPoint(0, Gap / 2));
        text.documentLayout()->draw(painter, context);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int width = m_list->viewport()->width();
        if (width != m_width) {
            m_heights.clear();
            m_width = width;
        }
        if (index.row() >= m_heights.size())
            m_heights.resize(index.row() + 1, -1);
        int &height = m_heights[index.row()];
        if (height < 0) {
            QTextDocument text;
            layOut(text, index, option.font);
            height = int(text.size().height()) + Gap;
        }
        return QSize(width, height);
    }

    void forgetSizes() { m_heights.clear(); }

private:
    static const int Gap = 6;

    void layOut(QTextDocument &text, const QModelIndex &index, const QFont &font) const
    {
        text.setDefaultFont(font);
        text.setDocumentMargin(2);
        text.setHtml(index.data(ShownRole).toString());
        text.setTextWidth(m_list->viewport()->width());
    }

    QListWidget *m_list;
    mutable QVector<int> m_heights; // by row; -1 not measured yet
    mutable int m_width = -1;
};

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
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("searchResults"));
    m_list->setWordWrap(true);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_delegate = new RowDelegate(m_list);
    m_list->setItemDelegate(m_delegate);

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
    connect(m_list, &QListWidget::itemClicked, this, &BookResults::choose);
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
        auto *item = new QListWidgetItem(
            QStringLiteral("%1  第 %2 页\n%3")
                .arg(match.chapterName, QString::number(match.page + 1), match.context),
            m_list);
        item->setToolTip(match.context);
        item->setData(ShownRole, shownMatch(match, m_text));
        item->setData(MatchRole, int(m_matches.size()));
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
    addNote(note.arg(QString::number(chapter + 1), name));
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
    addNote(line);
    showEnd(line);
}

void BookResults::clear()
{
    m_list->clear();
    m_delegate->forgetSizes();
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
    for (int row = 0; row < m_list->count() && next >= 0; ++row) {
        QListWidgetItem *item = m_list->item(row);
        if (item->data(MatchRole).toInt() == next) {
            m_list->setCurrentItem(item);
            m_list->scrollToItem(item);
            choose(item);
            break;
        }
    }
}

void BookResults::choose(QListWidgetItem *item)
{
    const int match = item->data(MatchRole).toInt();
    if (match < 0)
        return;
    m_chosen = match;
    emit chosen(m_matches.at(match));
}

void BookResults::addNote(const QString &text)
{
    auto *item = new QListWidgetItem(text, m_list);
    item->setData(MatchRole, -1);
    item->setFlags(Qt::ItemIsEnabled);
    item->setData(ShownRole, text.toHtmlEscaped());
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
