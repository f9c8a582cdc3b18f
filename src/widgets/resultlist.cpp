// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/resultlist.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextDocument>

namespace
{
// Which match a row is, -1 for a row that leads nowhere.
const int MatchRole = Qt::UserRole;
// What the row shows, as rich text.
const int ShownRole = Qt::UserRole + 1;

// The text around the match with every match in it in bold.
QString emphasised(const QString &context, const QString &text)
{
    QString shown;
    qsizetype done = 0;
    for (qsizetype at = context.indexOf(text, 0, Qt::CaseInsensitive); at >= 0 && !text.isEmpty();
         at = context.indexOf(text, done, Qt::CaseInsensitive)) {
        shown += context.mid(done, at - done).toHtmlEscaped() + QStringLiteral("<b>") +
                 context.mid(at, text.size()).toHtmlEscaped() + QStringLiteral("</b>");
        done = at + text.size();
    }
    return shown + context.mid(done).toHtmlEscaped();
}

} // namespace

// Each row is measured once for the width the list has: the list asks every row's size whenever
// rows come, and thousands of results must not be laid out again each time.
class ResultList::RowDelegate : public QStyledItemDelegate
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

    // A row put in before the last ones moves their heights down with it.
    void forgetSizesFrom(int row)
    {
        if (row < m_heights.size())
            m_heights.resize(row);
    }

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

ResultList::ResultList(QWidget *parent) : QListWidget(parent)
{
    setWordWrap(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_delegate = new RowDelegate(this);
    setItemDelegate(m_delegate);
    connect(this, &QListWidget::itemClicked, this, &ResultList::choose);
}

void ResultList::addMatch(int key, const QString &chapterName, int page, const QString &context,
                          const QString &text, int row)
{
    const QString number = QString::number(page + 1);
    const QString place = QStringLiteral("第 %1 页").arg(number);
    auto *item = new QListWidgetItem(
        (chapterName.isEmpty() ? place : chapterName + QStringLiteral("  ") + place) +
        QLatin1Char('\n') + context);
    item->setToolTip(context);
    // The page's words are glued, so a narrow pane moves them to the next line together.
    const QString shownPlace = QStringLiteral("第&nbsp;%1&nbsp;页").arg(number);
    const QString heading =
        chapterName.isEmpty()
            ? shownPlace
            : QStringLiteral("<b>%1</b>&nbsp; ").arg(chapterName.toHtmlEscaped()) + shownPlace;
    item->setData(ShownRole, heading + QStringLiteral("<br>") + emphasised(context, text));
    item->setData(MatchRole, key);
    const int at = row < 0 ? count() : row;
    m_delegate->forgetSizesFrom(at);
    insertItem(at, item);
}

void ResultList::addNote(const QString &text)
{
    auto *item = new QListWidgetItem(text, this);
    item->setData(MatchRole, -1);
    item->setFlags(Qt::ItemIsEnabled);
    item->setData(ShownRole, text.toHtmlEscaped());
}

void ResultList::clearRows()
{
    clear();
    m_delegate->forgetSizesFrom(0);
}

void ResultList::showMatch(int key)
{
    for (int row = 0; row < count(); ++row) {
        QListWidgetItem *candidate = item(row);
        if (candidate->data(MatchRole).toInt() == key) {
            setCurrentItem(candidate);
            scrollToItem(candidate);
            return;
        }
    }
}

void ResultList::choose(QListWidgetItem *item)
{
    const int key = item->data(MatchRole).toInt();
    if (key >= 0)
        emit matchChosen(key);
}
