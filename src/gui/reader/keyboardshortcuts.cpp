// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/keyboardshortcuts.h"

#include <QStringList>

namespace KeyboardShortcuts
{

namespace
{

QList<Row> table()
{
    const QString file = QStringLiteral("文件");
    const QString pages = QStringLiteral("翻页与跳转");
    const QString zoom = QStringLiteral("缩放");
    const QString find = QStringLiteral("查找");
    const QString show = QStringLiteral("显示");
    const QString edit = QStringLiteral("编辑");
    const QString help = QStringLiteral("帮助");
    return {
        {file, {QKeySequence(Qt::CTRL | Qt::Key_O)}, QStringLiteral("打开电子书或PDF文件")},
        {file, {QKeySequence(Qt::CTRL | Qt::Key_P)}, QStringLiteral("打印")},
        {file, {QKeySequence(Qt::CTRL | Qt::Key_D)}, QStringLiteral("文档属性")},
        {pages,
         {QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::Key_Space)},
         QStringLiteral("下一屏，在末页时进入下一章"),
         Answer::Pages},
        {pages,
         {QKeySequence(Qt::Key_PageUp)},
         QStringLiteral("上一屏，在首页时回到上一章"),
         Answer::Pages},
        {pages, {QKeySequence(Qt::Key_Home)}, QStringLiteral("文档开头"), Answer::Pages},
        {pages, {QKeySequence(Qt::Key_End)}, QStringLiteral("文档末尾"), Answer::Pages},
        {pages,
         {QKeySequence(Qt::Key_Up), QKeySequence(Qt::Key_Down)},
         QStringLiteral("向上、向下滚动"),
         Answer::Pages},
        {pages,
         {QKeySequence(Qt::Key_Left), QKeySequence(Qt::Key_Right)},
         QStringLiteral("向左、向右滚动"),
         Answer::Pages},
        {pages,
         {QKeySequence(Qt::ALT | Qt::Key_Left)},
         QStringLiteral("后退到跳转前的位置（跨章节）")},
        {pages, {QKeySequence(Qt::ALT | Qt::Key_Right)}, QStringLiteral("前进")},
        {zoom,
         {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)},
         QStringLiteral("放大")},
        {zoom, {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, QStringLiteral("缩小")},
        {zoom, {QKeySequence(Qt::CTRL | Qt::Key_0)}, QStringLiteral("适合宽度")},
        {zoom, {}, QStringLiteral("滚动滚轮缩放"), Answer::Wheel},
        {find, {QKeySequence(Qt::CTRL | Qt::Key_F)}, QStringLiteral("查找")},
        {find, {QKeySequence(Qt::Key_F3)}, QStringLiteral("下一个匹配")},
        {find, {QKeySequence(Qt::SHIFT | Qt::Key_F3)}, QStringLiteral("上一个匹配")},
        {show, {QKeySequence(Qt::Key_F11)}, QStringLiteral("全屏显示页面，再按一次恢复")},
        {show,
         {QKeySequence(Qt::Key_F5)},
         QStringLiteral("演示：单击、PgDn、空格或方向键翻页，Esc 结束")},
        {show, {QKeySequence(Qt::Key_Escape)}, QStringLiteral("退出全屏")},
        {edit, {QKeySequence(Qt::CTRL | Qt::Key_C)}, QStringLiteral("复制选中的文字")},
        {help, {QKeySequence(Qt::Key_F1)}, QStringLiteral("显示本窗口")},
    };
}

} // namespace

QString Row::keyText() const
{
    if (answer == Answer::Wheel)
        return QStringLiteral("Ctrl+滚轮");
    QStringList texts;
    for (const QKeySequence &sequence : keys)
        texts << sequence.toString(QKeySequence::NativeText);
    return texts.join(QStringLiteral(" / "));
}

const QList<Row> &rows()
{
    static const QList<Row> made = table();
    return made;
}

} // namespace KeyboardShortcuts
