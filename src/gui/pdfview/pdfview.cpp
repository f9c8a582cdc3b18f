// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pdfview.h"

#include "core/layout/pagelayout.h"
#include "core/layout/twips.h"
#include "core/links/pdflinks.h"
#include "core/links/webopener.h"
#include "gui/pdfview/documentoutline.h"
#include "gui/pdfview/documentresults.h"
#include "gui/pdfview/navigationpane.h"
#include "gui/pdfview/pagearea.h"
#include "gui/pdfview/pagecontent.h"
#include "gui/pdfview/pagecutter.h"
#include "gui/pdfview/pageprinter.h"
#include "gui/pdfview/presentationwindow.h"
#include "gui/pdfview/printchoice.h"
#include "gui/pdfview/printpreview.h"
#include "gui/pdfview/toolbarfields.h"
#include "gui/pdfview/zoombox.h"
#include "pdf/opening.h"
#include "search/documentsearch.h"
#include "search/searchmatches.h"
#include "services/dialogs.h"
#include "services/printjobs.h"
#include "widgets/artwork.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPrinter>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
// How near the top of the pages the pointer brings the toolbar in a full screen, in pixels.
const int TopEdge = 3;

// The second line of "无法显示此文件".
QString reasonText(Pdf::OpenFailure failure)
{
    switch (failure) {
    case Pdf::OpenFailure::Missing:
        return QStringLiteral("文件不存在");
    case Pdf::OpenFailure::Unreadable:
        return QStringLiteral("无法读取此文件");
    case Pdf::OpenFailure::NotPdf:
        return QStringLiteral("不是有效的PDF文件");
    case Pdf::OpenFailure::TooSlow:
        return QStringLiteral("读取此文件超过了10秒");
    case Pdf::OpenFailure::TooMuchMemory:
        return QStringLiteral("读取此文件需要的内存超过了1 GB");
    case Pdf::OpenFailure::EngineFailed:
        return QStringLiteral("PDF引擎读取此文件时出错");
    case Pdf::OpenFailure::None:
        break;
    }
    return QString();
}

// How long a notice stays over the pages.
constexpr std::chrono::milliseconds NoticeTime(4000);

// How long after the view is made the workers for the next document start.
constexpr std::chrono::milliseconds KeptWorkersPause(1000);

} // namespace

PdfView::PdfView(QWidget *parent) : QWidget(parent)
{
    // A document shown takes two at once, one for this thread and one that draws; its outline,
    // read on a thread of its own, takes a third. Each worker kept waiting holds some 6 MiB.
    // They start once the window and its first page are up: started with them, they would take
    // the cores those need.
    QTimer::singleShot(KeptWorkersPause, this, [] { Pdf::keepWorkersReady(2); });
    // The view lies over the side panel while the panel is hidden: nothing of it may show
    // through the toolbar.
    setAutoFillBackground(true);
    m_pages = new PageArea(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_matches = std::make_unique<SearchMatches>();
    m_pages->setMatches(m_matches.get());
    m_pages->viewport()->installEventFilter(this);
    m_navigation = new NavigationPane(this);
    m_navigation->setObjectName(QStringLiteral("navigation"));
    m_navigation->setFixedWidth(220);
    m_navigation->hide();
    m_results = new DocumentResults;
    m_results->setObjectName(QStringLiteral("documentResults"));
    addNavigationPage(m_results, QStringLiteral("搜索"));
    connect(m_results, &DocumentResults::chosen, this, &PdfView::chooseMatch);
    // One for each core: each reads the document in a worker process of its own.
    m_search = new DocumentSearch(qMax(1, QThread::idealThreadCount()), this);
    connect(m_search, &DocumentSearch::found, this, &PdfView::takeMatches);
    connect(m_search, &DocumentSearch::finished, this, &PdfView::endSearch);
    createToolbar();
    m_toolbar->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    auto *below = new QHBoxLayout;
    below->setContentsMargins(0, 0, 0, 0);
    below->setSpacing(0);
    below->addWidget(m_navigation);
    below->addWidget(m_pages, 1);
    layout->addLayout(below, 1);

    const auto askForPlace = [this](int page, double top) { emit placeRequested(page + 1, top); };
    connect(m_navigation, &NavigationPane::placeChosen, this, askForPlace);
    connect(m_navigation, &NavigationPane::entryChosen, this, &PdfView::chooseEntry);
    connect(m_navigation, &NavigationPane::outlineRead, this, &PdfView::offerNavigation);
    connect(m_pages, &PageArea::pageLinkFollowed, this, askForPlace);
    connect(m_pages, &PageArea::currentPageChanged, this, &PdfView::showPageNumber);
    connect(m_pages, &PageArea::moved, this, &PdfView::reportPlace);
    connect(m_pages, &PageArea::zoomChanged, this, &PdfView::showZoom);
    connect(m_pages, &PageArea::webLinkActivated, this, &PdfView::openWebAddress);
    connect(m_pages, &PageArea::readPast, this, &PdfView::readOnRequested);
    connect(m_pages, &PageArea::fileLinkFollowed, this,
            [this](const QString &file, const QString &destination, int page, double top) {
                emit fileLinkRequested(file, destination, page + 1, top);
            });
    addShortcut(QKeySequence::ZoomIn, &PdfView::zoomIn);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), &PdfView::zoomIn);
    addShortcut(QKeySequence::ZoomOut, &PdfView::zoomOut);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_0), &PdfView::fitWidth);
    addShortcut(QKeySequence::Find, &PdfView::focusFindField);
    addShortcut(QKeySequence::Print, &PdfView::print);
    addShortcut(QKeySequence(Qt::Key_F3), &PdfView::findNext);
    addShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), &PdfView::findPrevious);
    addPropertiesCommand();
    showPageNumber();
}

// The threads that read the document are joined as the view goes: a worker stuck on a page is
// stopped first, so that none of them waits for it.
PdfView::~PdfView()
{
    letGo();
}

void PdfView::letGo()
{
    if (m_content)
        m_content->document().stopAll();
}

void PdfView::createToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setMovable(false);

    // The page box comes first: page capture reads it, and at the window's smallest size
    // what does not fit goes into the toolbar's overflow.
    m_pageBox = new QLineEdit(m_toolbar);
    m_pageBox->setObjectName(QStringLiteral("pageBox"));
    m_pageBox->setToolTip(QStringLiteral("当前页"));
    m_pageBox->setFixedWidth(48);
    m_pageBox->setAlignment(Qt::AlignCenter);
    m_toolbar->addWidget(m_pageBox);
    m_pageCount = new QLabel(m_toolbar);
    m_pageCount->setObjectName(QStringLiteral("pageCount"));
    m_pageCount->setContentsMargins(4, 0, 4, 0);
    m_pageCountAction = m_toolbar->addWidget(m_pageCount);
    // In a document that labels its pages, the label and the count in place of the count alone.
    m_pageLabel = new QLabel(m_toolbar);
    m_pageLabel->setObjectName(QStringLiteral("pageLabel"));
    m_pageLabel->setContentsMargins(4, 0, 4, 0);
    m_pageLabelAction = m_toolbar->addWidget(m_pageLabel);
    m_pageLabelAction->setVisible(false);
    addButton("previous-page", QStringLiteral("上一页"), "previousPage",
              &PdfView::goToPreviousPage);
    addButton("next-page", QStringLiteral("下一页"), "nextPage", &PdfView::goToNextPage);
    m_back =
        addButton("go-back", QStringLiteral("后退 (Alt+Left)"), "goBack", &PdfView::backRequested);
    m_forward = addButton("go-forward", QStringLiteral("前进 (Alt+Right)"), "goForward",
                          &PdfView::forwardRequested);
    setHistoryAvailable(false, false);
    m_toolbar->addSeparator();
    addButton("zoom-out", QStringLiteral("缩小"), "zoomOut", &PdfView::zoomOut);
    m_zoomBox = new ZoomBox(m_toolbar);
    m_zoomBox->setObjectName(QStringLiteral("zoomBox"));
    m_zoomBox->setToolTip(QStringLiteral("缩放"));
    m_toolbar->addWidget(m_zoomBox);
    addButton("zoom-in", QStringLiteral("放大"), "zoomIn", &PdfView::zoomIn);
    m_toolbar->addSeparator();
    addButton("rotate-left", QStringLiteral("向左旋转"), "rotateLeft", &PdfView::rotateLeft);
    addButton("rotate-right", QStringLiteral("向右旋转"), "rotateRight", &PdfView::rotateRight);
    m_navigationButton =
        m_toolbar->addAction(Artwork::icon(QStringLiteral("navigation-pane")),
                             QStringLiteral("导航窗格"), this, &PdfView::showNavigationPane);
    m_navigationButton->setObjectName(QStringLiteral("navigationPane"));
    m_navigationButton->setCheckable(true);
    m_navigationButton->setEnabled(false);
    m_toolbar->addSeparator();
    m_scope = new QComboBox(m_toolbar);
    m_scope->setObjectName(QStringLiteral("findScope"));
    m_scope->setToolTip(QStringLiteral("查找范围"));
    m_scopeAction = m_toolbar->addWidget(m_scope);
    m_scopeAction->setVisible(false);
    m_findField = new FindField(m_toolbar);
    m_findField->setObjectName(QStringLiteral("findField"));
    m_findField->setPlaceholderText(QStringLiteral("查找"));
    m_findField->setToolTip(QStringLiteral("查找 (Ctrl+F)"));
    m_findField->setFixedWidth(120);
    m_toolbar->addWidget(m_findField);
    addButton("find-previous", QStringLiteral("上一个 (Shift+F3)"), "findPrevious",
              &PdfView::findPrevious);
    addButton("find-next", QStringLiteral("下一个 (F3)"), "findNext", &PdfView::findNext);
    m_toolbar->addSeparator();
    // The preview in the print button's menu: a button of its own would push the last boxes into
    // the overflow of a 1,024-pixel window.
    addPairedButton(makeAction("print", QStringLiteral("打印 (Ctrl+P)"), "print", &PdfView::print),
                    makeAction("print-preview", QStringLiteral("打印预览"), "printPreview",
                               &PdfView::previewPrint));
    // Set once and left: the first to go into the toolbar's overflow in a narrow window.
    m_toolbar->addSeparator();
    m_layoutBox =
        addChoice("layoutBox", QStringLiteral("页面布局"),
                  {QStringLiteral("单页"), QStringLiteral("双页"), QStringLiteral("双页(封面)")});
    m_colourBox =
        addChoice("colourBox", QStringLiteral("阅读颜色"),
                  {QStringLiteral("正常"), QStringLiteral("夜间"), QStringLiteral("护眼")});

    connect(m_pageBox, &QLineEdit::returnPressed, this, &PdfView::goToTypedPage);
    connect(m_findField, &QLineEdit::returnPressed, this, &PdfView::findNext);
    connect(m_scope, &QComboBox::currentIndexChanged, this, &PdfView::showMatchCount);
    connect(m_scope, &QComboBox::currentIndexChanged, this, &PdfView::offerResults);
    connect(m_scope, &QComboBox::currentIndexChanged, this, &PdfView::scopeChosen);
    connect(m_zoomBox, &ZoomBox::zoomChosen, this, &PdfView::zoomTo);
    connect(m_zoomBox, &ZoomBox::fitWidthChosen, this, &PdfView::fitWidth);
    connect(m_zoomBox, &ZoomBox::fitPageChosen, this, &PdfView::fitPage);
    connect(m_layoutBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_pages->setSpread(PageLayout::Spread(index)); });
    connect(m_colourBox, &QComboBox::currentIndexChanged, this, &PdfView::useColours);
    // A choice made, the keys go back to the pages: the arrows and Home would otherwise go on
    // changing the choice.
    for (QComboBox *box : {m_scope, m_layoutBox, m_colourBox})
        connect(box, &QComboBox::activated, this, &PdfView::givePagesTheKeys);
    connect(m_zoomBox, &ZoomBox::zoomChosen, this, &PdfView::givePagesTheKeys);
    connect(m_zoomBox, &ZoomBox::fitWidthChosen, this, &PdfView::givePagesTheKeys);
    connect(m_zoomBox, &ZoomBox::fitPageChosen, this, &PdfView::givePagesTheKeys);
    connect(m_findField, &FindField::closeRequested, this, &PdfView::closeFind);
}

void PdfView::givePagesTheKeys()
{
    m_pages->setFocus(Qt::OtherFocusReason);
}

void PdfView::closeFind()
{
    clearMatches();
    givePagesTheKeys();
}

// The index of an item is the value it stands for.
QComboBox *PdfView::addChoice(const char *name, const QString &tip, const QStringList &items)
{
    auto *box = new QComboBox(m_toolbar);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(tip);
    box->addItems(items);
    box->setFocusPolicy(Qt::ClickFocus);
    m_toolbar->addWidget(box);
    return box;
}

void PdfView::setColours(PageColours colours)
{
    m_colourBox->setCurrentIndex(int(colours));
}

PageColours PdfView::colours() const
{
    return m_pages->colours();
}

void PdfView::useColours(int index)
{
    m_pages->setColours(PageColours(index));
    m_navigation->setColours(PageColours(index));
    emit coloursChosen(PageColours(index));
}

QAction *PdfView::makeAction(const char *art, const QString &text, const char *name,
                             void (PdfView::*command)())
{
    auto *action = new QAction(Artwork::icon(QLatin1String(art)), text, this);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, command);
    return action;
}

QAction *PdfView::addButton(const char *art, const QString &text, const char *name,
                            void (PdfView::*command)())
{
    QAction *action = makeAction(art, text, name, command);
    m_toolbar->addAction(action);
    return action;
}

// `first` on a click, both in the button's menu.
void PdfView::addPairedButton(QAction *first, QAction *second)
{
    auto *button = new QToolButton(m_toolbar);
    auto *menu = new QMenu(button);
    menu->addAction(first);
    menu->addAction(second);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setDefaultAction(first);
    button->setAutoRaise(true);
    m_toolbar->addWidget(button);
}

void PdfView::showNotice(const QString &text)
{
    if (!m_notice) {
        m_notice = new QLabel(m_pages);
        m_notice->setObjectName(QStringLiteral("notice"));
        m_notice->setAutoFillBackground(true);
        m_notice->setMargin(6);
        m_notice->setForegroundRole(QPalette::ToolTipText);
        m_notice->setBackgroundRole(QPalette::ToolTipBase);
        m_noticeTimer.setSingleShot(true);
        connect(&m_noticeTimer, &QTimer::timeout, m_notice, &QWidget::hide);
    }
    m_notice->setText(text);
    m_notice->adjustSize();
    const QRect shown = m_pages->viewport()->geometry();
    m_notice->move(shown.center().x() - m_notice->width() / 2,
                   shown.bottom() - m_notice->height() - 12);
    m_notice->show();
    m_notice->raise();
    m_noticeTimer.start(NoticeTime);
}

void PdfView::setHistoryAvailable(bool back, bool forward)
{
    m_back->setEnabled(back);
    m_forward->setEnabled(forward);
}

// The view's keys act anywhere in the window that holds it.
void PdfView::addShortcut(const QKeySequence &keys, void (PdfView::*command)())
{
    auto *action = new QAction(this);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, command);
    addAction(action);
}

// Beside "复制" in the pages' context menu; the key works wherever the window has the keyboard.
void PdfView::addPropertiesCommand()
{
    auto *properties = new QAction(QStringLiteral("文档属性…"), this);
    properties->setObjectName(QStringLiteral("showProperties"));
    properties->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    properties->setShortcutContext(Qt::WindowShortcut);
    properties->setEnabled(false);
    connect(properties, &QAction::triggered, this, &PdfView::propertiesRequested);
    connect(this, &PdfView::documentChanged, properties,
            [this, properties] { properties->setEnabled(m_content != nullptr); });
    m_pages->addAction(properties);
}

// A locked file is asked its password until it is given or the question cancelled.
bool PdfView::LoadFile(const QString &path)
{
    Pdf::OpenFailure failure = Pdf::OpenFailure::None;
    std::unique_ptr<Pdf::Document> document = Pdf::openFile(path, &failure, Pdf::Opening::ForView);
    m_printSource = {};
    if (document && document->isLocked() && !unlock(*document, path))
        return showDocument(nullptr, QStringLiteral("已取消输入密码"));
    const bool shown = showDocument(std::move(document), reasonText(failure));
    if (shown)
        setPrintSource(path, 0, -1);
    return shown;
}

// No question for a password here: a reload comes unasked, while the reader reads.
bool PdfView::reloadFile(const QString &path)
{
    std::unique_ptr<Pdf::Document> document = Pdf::openFile(path, nullptr, Pdf::Opening::ForView);
    if (!document || document->isLocked() || document->pageCount() < 1)
        return false;
    const PageLook kept = look();
    const int page = currentPage();
    const double top = topOfCurrentPage();
    // The first page would be drawn before the page being read, whose drawing would wait.
    m_pages->holdDrawing(true);
    showDocument(std::move(document));
    setPrintSource(path, 0, -1); // unlocked as before: a locked file is not taken
    setLook(kept);
    if (page > pageCount())
        showPlace(pageCount(), -1);
    else
        showPlace(page, top);
    m_pages->holdDrawing(false);
    return true;
}

bool PdfView::unlock(Pdf::Document &document, const QString &path)
{
    QString password;
    QString problem;
    while (m_dialogs && m_dialogs->askPassword(this, path, password, problem)) {
        if (document.unlock(password)) {
            m_printSource.password = password;
            emit unlocked(password);
            return true;
        }
        problem = QStringLiteral("密码错误，请重新输入");
    }
    return false;
}

// The drawing, the thumbnails and the searching each make a document of their own on their own
// thread; this one serves the window's thread.
bool PdfView::showDocument(std::unique_ptr<Pdf::Document> document, const QString &reason)
{
    if (document && (document->isLocked() || document->pageCount() < 1))
        document.reset();
    clearMatches();
    if (!document) {
        showNothing(QStringLiteral("无法显示此文件") +
                    (reason.isEmpty() ? QString() : QLatin1Char('\n') + reason));
        return false;
    }
    letGo();
    const Pdf::Document::Opener opener = document->opener();
    m_search->setDocument(opener, document->pageCount());
    m_pages->startDocument(opener, document->pageSize(0));
    auto content = std::make_unique<PageContent>(std::move(document));
    if (!m_windowOutline)
        m_navigation->setOutline(std::make_shared<DocumentOutline>(opener));
    m_navigation->setPages(opener, content->pageSizes());
    m_pages->setContent(content.get());
    m_content = std::move(content);
    offerResults();
    showPageNumber();
    showZoom();
    emit documentChanged();
    return true;
}

void PdfView::closeDocument()
{
    clearMatches();
    showNothing(QString());
}

void PdfView::showNothing(const QString &message)
{
    letGo();
    m_printSource = {};
    m_search->setDocument({}, 0);
    m_pages->clearDocument(message);
    m_navigation->clearPages();
    if (!m_windowOutline)
        m_navigation->setOutline(nullptr);
    m_content.reset();
    offerResults();
    emit documentChanged();
}

// Through the printer dialog, which starts on the paper of the page being read and its
// orientation as shown, not on the printer's own default; what cannot be printed says why.
void PdfView::print()
{
    if (!m_content || !m_dialogs)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(PrintChoice::layoutFor(m_content->pageSizes().value(currentPage() - 1),
                                                 m_pages->quarterTurns(), printer.pageLayout()));
    if (!m_dialogs->setUpPrinter(this, printer, pageCount()))
        return;
    if (const QString problem = printChosen(printer); !problem.isEmpty())
        m_dialogs->showMessage(this, QStringLiteral("无法打印：") + problem);
}

// A file is written as the cut PDF itself, each page at its own size; a printer that takes PDF
// is sent it. Pictures only for a printer that takes none, or without the program that cuts.
QString PdfView::printChosen(QPrinter &printer)
{
    const QList<int> pages = PrintChoice::pages(printer, pageCount(), currentPage());
    const int turns = m_pages->quarterTurns();
    const bool cuttable = !m_bookTool.isEmpty() && !m_printSource.path.isEmpty();
    if (cuttable && !printer.outputFileName().isEmpty())
        return PageCutter::cut(m_bookTool, m_printSource, pages, turns, printer.outputFileName());
    if (cuttable && m_printJobs && m_printJobs->takesPdf(printer))
        return printPdfJob(printer, pages);
    if (!PagePrinter::print(m_content->document(), printer, pages, turns))
        return QStringLiteral("无法启动打印机");
    return QString();
}

// The cut PDF waits in a private folder only until the printing system has it.
QString PdfView::printPdfJob(QPrinter &printer, const QList<int> &pages)
{
    const QTemporaryDir folder;
    if (!folder.isValid())
        return folder.errorString();
    const QString pdf = folder.filePath(QStringLiteral("print.pdf"));
    if (const QString problem =
            PageCutter::cut(m_bookTool, m_printSource, pages, m_pages->quarterTurns(), pdf);
        !problem.isEmpty())
        return problem;
    return m_printJobs->submitPdf(printer, QFileInfo(m_printSource.path).fileName(), pdf);
}

// From the page being read on, on the paper the printer dialog would start on.
void PdfView::previewPrint()
{
    if (!m_content)
        return;
    QList<int> pages;
    for (int page = currentPage() - 1; page < pageCount(); ++page)
        pages << page;
    QPrinter printer;
    const QPageLayout layout =
        PrintChoice::layoutFor(m_content->pageSizes().value(currentPage() - 1),
                               m_pages->quarterTurns(), printer.pageLayout());
    auto *preview =
        new PrintPreview(m_content->sharedDocument(), pages, m_pages->quarterTurns(), layout, this);
    connect(preview, &PrintPreview::printRequested, this, &PdfView::print, Qt::QueuedConnection);
    preview->setWindowModality(Qt::WindowModal);
    preview->show();
}

void PdfView::setPrintSource(const QString &path, qint64 offset, qint64 length)
{
    m_printSource.path = path;
    m_printSource.offset = offset;
    m_printSource.length = length;
}

void PdfView::setScopeNames(const QString &own, const QString &outer)
{
    m_scope->clear();
    m_scope->addItems({own, outer});
}

// Each offer starts from the document's own scope.
void PdfView::offerOuterScope(bool offered)
{
    m_scope->setCurrentIndex(0);
    m_outerCount.clear();
    m_scopeAction->setVisible(offered);
    showMatchCount();
    offerResults();
}

bool PdfView::isOuterScope() const
{
    return m_scopeAction->isVisible() && m_scope->currentIndex() == 1;
}

void PdfView::showOuterMatchCount(const QString &count)
{
    m_outerCount = count;
    showMatchCount();
}

void PdfView::addNavigationPage(QWidget *page, const QString &title)
{
    m_navigation->setTabVisible(m_navigation->addTab(page, title), false);
}

void PdfView::setNavigationPageShown(QWidget *page, bool shown)
{
    m_navigation->setTabVisible(m_navigation->indexOf(page), shown);
    offerNavigation();
}

void PdfView::openNavigationPage(QWidget *page)
{
    showNavigationPane(true);
    m_navigation->setCurrentWidget(page);
}

void PdfView::setOutlineSource(std::shared_ptr<OutlineSource> source)
{
    m_windowOutline = source;
    m_navigation->setOutline(std::move(source));
    offerNavigation();
}

void PdfView::setOutlineChapter(int chapter)
{
    m_navigation->showChapter(chapter);
}

void PdfView::chooseEntry(const OutlineSource::Entry &entry)
{
    if (entry.chapter < 0)
        emit placeRequested(entry.page, entry.top);
    else
        emit chapterPlaceRequested(entry.chapter, entry.page, entry.top);
}

// The pane is offered for a document shown (its thumbnails at least), for the window's outline,
// and for the window's pages, which stay while one document after another is shown.
void PdfView::offerNavigation()
{
    const bool offered = m_content || m_navigation->hasOutline() || m_navigation->hasPageShown();
    m_navigationButton->setEnabled(offered);
    if (!offered)
        showNavigationPane(false);
}

// The find's results are offered with the document they are of; a window that finds in more
// than the document lists its own results for that scope.
void PdfView::offerResults()
{
    setNavigationPageShown(m_results, m_content && !isOuterScope());
}

void PdfView::setShowToolbar(bool show)
{
    m_toolbarWanted = show;
    if (!m_toolbarAtTopEdge)
        m_toolbar->setVisible(show);
}

void PdfView::setToolbarAtTopEdge(bool on)
{
    m_toolbarAtTopEdge = on;
    m_toolbar->setVisible(!on && m_toolbarWanted);
    m_navigation->setVisible(!on && m_navigationButton->isChecked());
}

// The pointer at the pages' top edge brings the toolbar; leaving the toolbar sends it away.
bool PdfView::eventFilter(QObject *watched, QEvent *event)
{
    if (m_toolbarAtTopEdge) {
        if (watched == m_pages->viewport() && event->type() == QEvent::MouseMove &&
            static_cast<QMouseEvent *>(event)->position().y() < TopEdge)
            m_toolbar->show();
        else if (watched == m_toolbar && event->type() == QEvent::Leave)
            m_toolbar->hide();
    }
    return QWidget::eventFilter(watched, event);
}

void PdfView::turnPage(int direction)
{
    if (direction > 0)
        goToNextPage();
    else
        goToPreviousPage();
}

void PdfView::present()
{
    if (pageCount() == 0)
        return;
    auto *presenting = new PresentationWindow(*this);
    presenting->setGeometry(screen()->geometry());
    presenting->showFullScreen();
}

Pdf::Document::Opener PdfView::documentOpener() const
{
    return m_content ? m_content->document().opener() : Pdf::Document::Opener();
}

PageRenderer::Job PdfView::fittedPage(int page, QSize box, double pixelRatio) const
{
    PageRenderer::Job job;
    job.page = -1;
    if (!m_content || page < 1 || page > pageCount())
        return job;
    QSizeF points = m_content->pageSizes().at(page - 1);
    if (m_pages->quarterTurns() % 2)
        points.transpose();
    const double scale = qMin(box.width() / points.width(), box.height() / points.height());
    job.page = page - 1;
    job.scale = scale * pixelRatio;
    job.quarterTurns = m_pages->quarterTurns();
    job.colours = m_pages->colours();
    return job;
}

bool PdfView::isToolbarShown() const
{
    return !m_toolbar->isHidden();
}

void PdfView::setCurrentPage(int page)
{
    m_pages->goToPage(page - 1);
}

void PdfView::showPlace(int page, double top, const FoundText &match)
{
    if (!match.text.isEmpty())
        return showMatch(page, match);
    m_pages->showPlace(page - 1, top);
}

void PdfView::clearMatches()
{
    m_search->stop();
    m_searched.clear();
    m_matches->clear(0, 0);
    m_results->clear();
    m_pages->viewport()->update();
    showMatchCount();
}

int PdfView::currentPage() const
{
    return m_pages->currentPage() + 1;
}

QSizeF PdfView::currentPageSize() const
{
    return m_content ? m_content->pageSizes().value(m_pages->currentPage()) : QSizeF();
}

double PdfView::topOfCurrentPage() const
{
    return m_pages->topOfCurrentPage();
}

int PdfView::pageCount() const
{
    return m_pages->pageCount();
}

void PdfView::setTwipsGeometry(int left, int top, int width, int height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
}

void PdfView::setLeft(int twips)
{
    m_left = twips;
    applyGeometry();
}

void PdfView::setWidth(int twips)
{
    m_width = twips;
    applyGeometry();
}

void PdfView::setHeight(int twips)
{
    m_height = twips;
    applyGeometry();
}

void PdfView::applyGeometry()
{
    setGeometry(Twips::toPixelRect(m_left, m_top, qMax(m_width, 0), qMax(m_height, 0)));
}

void PdfView::reportPlace()
{
    m_navigation->showPage(currentPage());
    emit placeShown(currentPage(), topOfCurrentPage());
}

// The page box shows the number always, for page capture reads it as one.
void PdfView::showPageNumber()
{
    const int count = pageCount();
    m_pageBox->setText(count > 0 ? QString::number(currentPage()) : QString());
    m_pageCount->setText(count > 0 ? QStringLiteral("/ %1").arg(count) : QString());
    const QString label = m_content && count > 0 ? m_content->label(currentPage() - 1) : QString();
    m_pageLabel->setText(
        label.isEmpty() ? QString()
                        : QStringLiteral("%1 (%2 / %3)")
                              .arg(label, QString::number(currentPage()), QString::number(count)));
    m_pageLabelAction->setVisible(!label.isEmpty());
    m_pageCountAction->setVisible(label.isEmpty());
}

// A number beyond the last page goes to the last page; a page's own label goes to that page;
// anything else puts the shown page back.
void PdfView::goToTypedPage()
{
    const QString typed = m_pageBox->text().trimmed();
    bool ok = false;
    const int page = typed.toInt(&ok);
    const int labelled = m_content && !ok ? m_content->pageOfLabel(typed) : -1;
    if (ok && pageCount() > 0)
        setCurrentPage(qBound(1, page, pageCount()));
    else if (labelled >= 0)
        setCurrentPage(labelled + 1);
    showPageNumber();
}

void PdfView::goToPreviousPage()
{
    if (currentPage() <= 1)
        return emit readOnRequested(-1);
    setCurrentPage(currentPage() - 1);
}

void PdfView::goToNextPage()
{
    if (currentPage() >= pageCount())
        return emit readOnRequested(1);
    setCurrentPage(currentPage() + 1);
}

void PdfView::zoomIn()
{
    zoomToNextLevel(1);
}

void PdfView::zoomOut()
{
    zoomToNextLevel(-1);
}

// The next level of the zoom box above or below the zoom shown; past the last one nothing
// changes, a fitting mode included.
void PdfView::zoomToNextLevel(int direction)
{
    const double next = PageLayout::nextZoomLevel(m_pages->zoom(), direction);
    if (next != m_pages->zoom())
        zoomTo(next);
}

void PdfView::zoomTo(double zoom)
{
    m_pages->setZoom(zoom);
    showZoom();
}

void PdfView::fitWidth()
{
    m_pages->setZoomMode(PageArea::ZoomMode::FitWidth);
    showZoom();
}

void PdfView::fitPage()
{
    m_pages->setZoomMode(PageArea::ZoomMode::FitPage);
    showZoom();
}

PageLook PdfView::look() const
{
    const PageArea::ZoomMode mode = m_pages->zoomMode();
    const double zoom = mode == PageArea::ZoomMode::FitWidth  ? 0
                        : mode == PageArea::ZoomMode::FitPage ? -1
                                                              : m_pages->zoom();
    return PageLook{zoom, m_pages->quarterTurns(), m_pages->spread()};
}

void PdfView::setLook(const PageLook &look)
{
    if (look.zoom == 0)
        fitWidth();
    else if (look.zoom < 0)
        fitPage();
    else
        zoomTo(look.zoom);
    m_pages->rotateBy(look.quarterTurns - m_pages->quarterTurns());
    m_layoutBox->setCurrentIndex(int(look.spread));
}

void PdfView::focusPages()
{
    m_pages->setFocus(Qt::OtherFocusReason);
}

void PdfView::rotateLeft()
{
    m_pages->rotateBy(-1);
}

void PdfView::rotateRight()
{
    m_pages->rotateBy(1);
}

void PdfView::showNavigationPane(bool show)
{
    m_navigationButton->setChecked(show);
    m_navigation->setVisible(show);
}

void PdfView::focusFindField()
{
    setShowToolbar(true);
    m_findField->setFocus(Qt::ShortcutFocusReason);
    m_findField->selectAll();
}

void PdfView::findNext()
{
    if (isOuterScope())
        return emit outerFindRequested(m_findField->text(), 1);
    moveToMatch(&SearchMatches::next);
}

void PdfView::findPrevious()
{
    if (isOuterScope())
        return emit outerFindRequested(m_findField->text(), -1);
    moveToMatch(&SearchMatches::previous);
}

// A text not searched yet is searched from the page shown; the same text moves to another match.
void PdfView::moveToMatch(void (SearchMatches::*move)())
{
    if (m_findField->text() != m_searched)
        return startSearch();
    ((*m_matches).*move)();
    showCurrentMatch();
    showMatchCount();
}

void PdfView::startSearch()
{
    m_matchesStayPut = false;
    m_searched = m_findField->text();
    m_matches->clear(qMax(currentPage() - 1, 0), pageCount());
    m_results->begin(m_searched);
    m_search->start(m_searched, qMax(currentPage() - 1, 0));
    openNavigationPage(m_results);
    showMatchCount();
    m_pages->viewport()->update();
}

void PdfView::takeMatches(int page, const QList<QRectF> &areas, const QStringList &contexts)
{
    m_results->add(page, contexts);
    const SearchMatches::Match before = m_matches->current();
    m_matches->add(page, areas);
    const SearchMatches::Match now = m_matches->current();
    if (!m_matchesStayPut && (now.page != before.page || now.area != before.area))
        showCurrentMatch();
    showMatchCount();
    m_pages->viewport()->update();
}

// The page's own find gives the places of the text; the match says which of them it is. The
// document's own find then looks for the same text, the match shown staying the current one.
void PdfView::showMatch(int page, const FoundText &match)
{
    if (!m_content || page < 1 || page > pageCount())
        return;
    const QList<QRectF> areas = m_content->document().find(page - 1, match.text);
    clearMatches();
    m_matches->clear(page - 1, pageCount());
    m_matches->add(page - 1, areas);
    for (int i = 0; i < qMin(match.onPage, int(areas.size()) - 1); ++i)
        m_matches->next();
    setCurrentPage(page);
    m_pages->showCurrentMatch();
    m_pages->viewport()->update();
    showMatchCount();
    findStayingPut(match.text, page - 1);
}

// The other matches of `text` are marked and listed as they come, and never move the pages.
void PdfView::findStayingPut(const QString &text, int firstPage)
{
    m_matchesStayPut = true;
    m_searched = text;
    m_results->begin(m_searched);
    m_search->start(m_searched, firstPage);
}

void PdfView::markMatches(const QString &text)
{
    clearMatches();
    if (!m_content || text.isEmpty())
        return;
    m_matches->clear(qMax(currentPage() - 1, 0), pageCount());
    findStayingPut(text, qMax(currentPage() - 1, 0));
}

// A find that found nothing in pages that hold no text at all says why.
void PdfView::endSearch()
{
    m_results->finish();
    showMatchCount();
    if (m_matches->count() == 0 && m_search->pagesHoldNoText())
        showNotice(NoTextLayer);
}

// On the page and in the list of results.
void PdfView::showCurrentMatch()
{
    m_pages->showCurrentMatch();
    m_results->showMatch(m_matches->current().page, m_matches->currentOnPage());
}

// A row of the results clicked is the match F3 would have come to.
void PdfView::chooseMatch(int page, int onPage)
{
    m_matches->choose(page, onPage);
    m_pages->showCurrentMatch();
    m_pages->viewport()->update();
    showMatchCount();
}

void PdfView::showMatchCount()
{
    if (isOuterScope())
        return m_findField->setCount(m_outerCount);
    m_findField->setCount(
        m_searched.isEmpty()
            ? QString()
            : QStringLiteral("%1 / %2").arg(m_matches->number()).arg(m_matches->count()));
}

// Every web link of the pages comes here. An address with a user name or a password may lead
// elsewhere than it seems, so the reader is shown it whole before it opens.
void PdfView::openWebAddress(const QString &address)
{
    const QString handedOn = PdfLinks::withoutAttachments(address);
    if (!m_webOpener)
        return;
    if (PdfLinks::carriesCredentials(handedOn) &&
        !(m_dialogs && m_dialogs->askYesNo(this, QStringLiteral("打开此链接？\n") + handedOn)))
        return;
    m_webOpener->openAddress(handedOn);
}

void PdfView::showZoom()
{
    m_zoomBox->showZoom(m_pages->zoom());
}
