// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/documentproperties.h"

#include "pdf/opening.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

const QLocale Chinese(QLocale::Chinese, QLocale::China);
const double MillimetresPerPoint = 25.4 / 72;

// The fields the document itself gives, by objectName, with their labels.
const QList<std::pair<const char *, const char *>> DocumentFields{
    {"title", "标题："},       {"author", "作者："},       {"subject", "主题："},
    {"keywords", "关键词："},  {"creator", "创建程序："},  {"producer", "PDF生成器："},
    {"created", "创建时间："}, {"modified", "修改时间："}, {"version", "PDF版本："},
    {"encrypted", "加密："}};

QString orNone(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("（无）") : text;
}

QString dateText(const QDateTime &date)
{
    if (!date.isValid())
        return QStringLiteral("（无）");
    return Chinese.toString(date.toLocalTime(), QStringLiteral("yyyy年M月d日 HH:mm:ss"));
}

QString sizeText(qint64 bytes)
{
    if (bytes < 0)
        return QStringLiteral("（未知）");
    return QStringLiteral("%1（%2 字节）")
        .arg(Chinese.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat),
             Chinese.toString(bytes));
}

QString pageSizeText(const QSizeF &points)
{
    if (points.isEmpty())
        return QStringLiteral("（未知）");
    return QStringLiteral("%1 × %2 毫米（%3 × %4 点）")
        .arg(points.width() * MillimetresPerPoint, 0, 'f', 1)
        .arg(points.height() * MillimetresPerPoint, 0, 'f', 1)
        .arg(points.width(), 0, 'f', 0)
        .arg(points.height(), 0, 'f', 0);
}

} // namespace

DocumentProperties::DocumentProperties(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("documentProperties"));
    setWindowTitle(QStringLiteral("文档属性"));
    auto *layout = new QVBoxLayout(this);
    m_documentBox = new QGroupBox(this);
    m_documentBox->setObjectName(QStringLiteral("documentBox"));
    new QFormLayout(m_documentBox);
    for (const auto &[name, label] : DocumentFields)
        addField(m_documentBox, name, QString::fromUtf8(label));
    addField(m_documentBox, "pageSize", QStringLiteral("当前页面大小："));
    addField(m_documentBox, "fileSize", QStringLiteral("文件大小："));
    m_fonts = new QTreeWidget(m_documentBox);
    m_fonts->setObjectName(QStringLiteral("fonts"));
    m_fonts->setHeaderLabels(
        {QStringLiteral("字体"), QStringLiteral("类型"), QStringLiteral("已嵌入")});
    m_fonts->setRootIsDecorated(false);
    m_fonts->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    static_cast<QFormLayout *>(m_documentBox->layout())->addRow(m_fonts);
    layout->addWidget(m_documentBox);
    m_bookBox = new QGroupBox(QStringLiteral("全书"), this);
    new QFormLayout(m_bookBox);
    addField(m_bookBox, "chapterCount", QStringLiteral("章节数："));
    addField(m_bookBox, "bookPages", QStringLiteral("页数："));
    addField(m_bookBox, "bookSize", QStringLiteral("文件大小："));
    layout->addWidget(m_bookBox);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(520, 640);
}

QLabel *DocumentProperties::addField(QWidget *box, const char *name, const QString &label)
{
    auto *value = new QLabel(box);
    value->setObjectName(QLatin1String(name));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setWordWrap(true);
    static_cast<QFormLayout *>(box->layout())->addRow(label, value);
    return value;
}

void DocumentProperties::showFor(const ShownDocument &shown)
{
    showKnown(shown);
    ask(shown);
    show();
}

// What the document says waits for its answer; an earlier document's never shows.
void DocumentProperties::showKnown(const ShownDocument &shown)
{
    const bool book = shown.chapterCount > 0;
    m_documentBox->setTitle(book ? QStringLiteral("本章：%1").arg(shown.chapterName)
                                 : QStringLiteral("文档"));
    for (const auto &[name, label] : DocumentFields)
        findChild<QLabel *>(QLatin1String(name))->setText(QStringLiteral("正在读取…"));
    m_fonts->clear();
    findChild<QLabel *>(QStringLiteral("pageSize"))->setText(pageSizeText(shown.pageSize));
    findChild<QLabel *>(QStringLiteral("fileSize"))->setText(sizeText(shown.fileSize));
    m_bookBox->setVisible(book);
    findChild<QLabel *>(QStringLiteral("chapterCount"))
        ->setText(Chinese.toString(shown.chapterCount));
    findChild<QLabel *>(QStringLiteral("bookSize"))->setText(sizeText(shown.bookSize));
    findChild<QLabel *>(QStringLiteral("bookPages"))->setText(QStringLiteral("正在读取…"));
}

// The document's own answer first; then, in a book, every chapter is opened for its pages.
void DocumentProperties::ask(const ShownDocument &shown)
{
    const quint64 generation = m_asking.startGeneration();
    m_asking.post([this, generation, opener = shown.opener] {
        const std::unique_ptr<Pdf::Document> document = opener ? opener() : nullptr;
        const Pdf::Properties properties = document ? document->properties() : Pdf::Properties();
        QMetaObject::invokeMethod(
            this, [this, generation, properties] { fill(generation, properties); },
            Qt::QueuedConnection);
    });
    if (shown.chapterRanges.isEmpty())
        return;
    m_asking.post([this, generation, path = shown.bookPath, ranges = shown.chapterRanges] {
        int pages = 0;
        int unread = 0;
        for (const auto &[offset, length] : ranges) {
            if (!m_asking.isCurrent(generation))
                return;
            const std::unique_ptr<Pdf::Document> chapter = Pdf::openRange(path, offset, length);
            pages += chapter ? chapter->pageCount() : 0;
            unread += chapter && !chapter->isLocked() ? 0 : 1;
        }
        QMetaObject::invokeMethod(
            this, [this, generation, pages, unread] { fillBookPages(generation, pages, unread); },
            Qt::QueuedConnection);
    });
}

// A locked or damaged chapter's pages are not known: the count says how many such there are.
void DocumentProperties::fillBookPages(quint64 generation, int pages, int unread)
{
    if (!m_asking.isCurrent(generation))
        return;
    QString text = Chinese.toString(pages);
    if (unread > 0)
        text += QStringLiteral("（另有 %1 章无法读取）").arg(unread);
    findChild<QLabel *>(QStringLiteral("bookPages"))->setText(text);
}

void DocumentProperties::fill(quint64 generation, const Pdf::Properties &properties)
{
    if (!m_asking.isCurrent(generation))
        return;
    const auto set = [this](const char *name, const QString &text) {
        findChild<QLabel *>(QLatin1String(name))->setText(text);
    };
    if (properties.version.isEmpty()) {
        for (const auto &[name, label] : DocumentFields)
            set(name, QStringLiteral("（无法读取）"));
        return;
    }
    set("title", orNone(properties.title));
    set("author", orNone(properties.author));
    set("subject", orNone(properties.subject));
    set("keywords", orNone(properties.keywords));
    set("creator", orNone(properties.creator));
    set("producer", orNone(properties.producer));
    set("created", dateText(properties.created));
    set("modified", dateText(properties.modified));
    set("version", properties.version);
    set("encrypted", properties.encrypted ? QStringLiteral("是") : QStringLiteral("否"));
    for (const Pdf::FontUse &font : properties.fonts)
        new QTreeWidgetItem(m_fonts, {orNone(font.name), font.type,
                                      font.embedded ? QStringLiteral("是") : QStringLiteral("否")});
}
