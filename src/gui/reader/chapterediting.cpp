// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/chapterediting.h"

#include "core/book/contentsindex.h"
#include "core/document/documentsession.h"
#include "core/text/gbkcodec.h"
#include "services/dialogs.h"
#include "widgets/textlist.h"

#include <QAction>
#include <QEventLoop>
#include <QFileInfo>
#include <QMenu>
#include <QProgressDialog>
#include <QThread>

#include <memory>

ChapterEditing::ChapterEditing(TextList *list, DocumentSession &session, Dialogs &dialogs)
    : QObject(list), m_list(list), m_session(session), m_dialogs(dialogs), m_menu(new QMenu(list))
{
    addAction("renameChapter", QStringLiteral("重命名章节…"), &ChapterEditing::rename);
    addAction("moveChapterUp", QStringLiteral("上移"), &ChapterEditing::moveUp);
    addAction("moveChapterDown", QStringLiteral("下移"), &ChapterEditing::moveDown);
    addAction("removeChapter", QStringLiteral("删除章节…"), &ChapterEditing::remove);
    m_menu->addSeparator();
    addAction("addChapters", QStringLiteral("添加章节…"), &ChapterEditing::addChapters);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &ChapterEditing::showMenu);
    // The menu hides before it triggers its action: the row it was opened on is forgotten
    // after. Every action stays ready for a trigger from elsewhere; each checks its row itself.
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_menuRow = -1;
                for (QAction *action : m_menu->actions())
                    action->setEnabled(true);
            },
            Qt::QueuedConnection);
    });
}

QAction *ChapterEditing::addAction(const char *name, const QString &text,
                                   void (ChapterEditing::*run)())
{
    QAction *action = m_menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, run);
    return action;
}

int ChapterEditing::row() const
{
    return m_menuRow >= 0 ? m_menuRow : m_list->currentRow();
}

// Only for a book: each action offered only where it can do something.
void ChapterEditing::showMenu(const QPoint &position)
{
    if (m_session.kind() != DocumentKind::Book || !m_session.contents().ok)
        return;
    const int count = int(m_session.contents().lines.size());
    // The position is the viewport's, as for every scroll area.
    const int at = m_list->indexAt(position).row();
    m_menuRow = at >= 0 && at < count ? at : -1;
    const auto action = [this](const char *name) {
        return m_menu->findChild<QAction *>(QLatin1String(name));
    };
    action("renameChapter")->setEnabled(m_menuRow >= 0);
    action("moveChapterUp")->setEnabled(m_menuRow > 0);
    action("moveChapterDown")->setEnabled(m_menuRow >= 0 && m_menuRow < count - 1);
    action("removeChapter")->setEnabled(m_menuRow >= 0 && count > 1);
    m_menu->popup(m_list->viewport()->mapToGlobal(position));
}

void ChapterEditing::rename()
{
    const int chapter = row();
    QString name = chapterName(chapter);
    if (name.isNull() ||
        !m_dialogs.askText(m_list->window(), QStringLiteral("第 %1 章的新名称：").arg(chapter + 1),
                           name) ||
        name == chapterName(chapter))
        return;
    ChapterPlan plan(m_session.contents());
    if (const PlanRefusal refusal = plan.rename(chapter + 1, name); refusal != PlanRefusal::None)
        return refuse(refusal);
    const QString stored = Gbk::decode(Gbk::encode(plan.names().at(chapter)));
    if (apply(plan).outcome == EditOutcome::Done && stored != name)
        m_dialogs.showMessage(m_list->window(),
                              QStringLiteral("名称中无法保存的字符已写作“?”：") + stored);
}

void ChapterEditing::move(int step)
{
    const int chapter = row();
    ChapterPlan plan(m_session.contents());
    if (chapterName(chapter).isNull() ||
        plan.move(chapter + 1, chapter + 1 + step) != PlanRefusal::None)
        return;
    apply(plan);
}

// A chapter with bookmarks is asked about twice: they would go with it.
void ChapterEditing::remove()
{
    const int chapter = row();
    const QString name = chapterName(chapter);
    if (name.isNull() ||
        !m_dialogs.askYesNo(m_list->window(),
                            QStringLiteral("确定删除第 %1 章“%2”？").arg(chapter + 1).arg(name)))
        return;
    ChapterPlan plan(m_session.contents());
    if (const PlanRefusal refusal = plan.remove(chapter + 1); refusal != PlanRefusal::None)
        return refuse(refusal);
    const EditResult result = apply(plan);
    if (result.outcome == EditOutcome::HasBookmarks &&
        m_dialogs.askYesNo(m_list->window(),
                           QStringLiteral("第 %1 章有 %2 条书签，将随章节一并删除。继续吗？")
                               .arg(chapter + 1)
                               .arg(result.bookmarkLines)))
        apply(plan, true);
}

void ChapterEditing::addChapters()
{
    // Before the dialog, whose event loop lets the menu forget its row.
    const int after = m_menuRow;
    const QStringList files = m_dialogs.chooseFiles(m_list->window(), QStringLiteral("添加章节"),
                                                    QFileInfo(m_session.documentPath()).path(),
                                                    QStringLiteral("PDF文件(*.pdf)"));
    if (files.isEmpty())
        return;
    ChapterPlan plan(m_session.contents());
    if (const PlanRefusal refusal = plan.add(files, after >= 0 ? after + 2 : 0);
        refusal != PlanRefusal::None)
        return refuse(refusal);
    apply(plan);
}

// The book is written again on a thread of its own, a second for a large book, while a modal
// note says so once it takes a while: the window goes on drawing, and takes no other command.
EditResult ChapterEditing::apply(const ChapterPlan &plan, bool dropBookmarks)
{
    const EditRequest request = m_session.beginEdit(plan, dropBookmarks);
    EditResult result;
    QProgressDialog busy(QStringLiteral("正在修改电子书…"), QString(), 0, 0, m_list->window());
    busy.setWindowModality(Qt::WindowModal);
    busy.setMinimumDuration(500);
    busy.setValue(0);
    QEventLoop loop;
    std::unique_ptr<QThread> editing(QThread::create([&] { result = EditBook(request); }));
    connect(editing.get(), &QThread::finished, &loop, &QEventLoop::quit);
    editing->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    editing->wait();
    busy.reset();
    m_session.takeEditedBook(request, result);
    switch (result.outcome) {
    case EditOutcome::Done:
    case EditOutcome::HasBookmarks:
        break;
    case EditOutcome::BookChanged:
        m_dialogs.showMessage(m_list->window(),
                              QStringLiteral("电子书刚被其他程序修改过，未作改动，请重试。"));
        break;
    case EditOutcome::Failed:
        m_dialogs.showMessage(m_list->window(), QStringLiteral("无法修改电子书，未作改动：") +
                                                    result.file + QStringLiteral("（") +
                                                    result.cause + QStringLiteral("）"));
        break;
    }
    return result;
}

void ChapterEditing::refuse(PlanRefusal refusal)
{
    QString text;
    switch (refusal) {
    case PlanRefusal::AmpersandInName:
        text = QStringLiteral("章节名称中不能有“&”：书签以它分隔。");
        break;
    case PlanRefusal::OnlyChapter:
        text = QStringLiteral("不能删除电子书仅有的一章。");
        break;
    case PlanRefusal::NotAPdf:
        text = QStringLiteral("只能添加PDF文件。");
        break;
    case PlanRefusal::None:
    case PlanRefusal::NoSuchChapter:
    case PlanRefusal::NoSuchPlace:
    case PlanRefusal::NothingAdded:
        return;
    }
    m_dialogs.showMessage(m_list->window(), text);
}

// Null for a row that is no chapter.
QString ChapterEditing::chapterName(int row) const
{
    const QList<ContentsIndex::Line> &lines = m_session.contents().lines;
    return row >= 0 && row < lines.size() ? lines.at(row).name() : QString();
}
