// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/form1.h"

#include "core/document/documentsession.h"
#include "core/layout/readerlayout.h"
#include "core/layout/twips.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "core/links/webopener.h"
#include "core/state/recentdocuments.h"
#include "gui/pdfview/pdfview.h"
#include "gui/reader/bookexport.h"
#include "gui/reader/chapterediting.h"
#include "gui/reader/shortcutswindow.h"
#include "gui/reader/wholebookfind.h"
#include "widgets/artwork.h"
#include "widgets/clicklabel.h"
#include "widgets/controls.h"
#include "widgets/fittedcaption.h"
#include "widgets/homepagelink.h"
#include "widgets/lineselection.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

using Controls::caption;
using Controls::make;

namespace
{

const QSize StartContentSize(8280, 6180);
// The client area the window was designed with, in pixels.
const QSize DesignClientSize(950, 610);

// The design rectangles, in twips, of the controls the layout moves and sizes: it keeps their
// left edges, tops and widths but where it says otherwise.
constexpr QRect SidePanelDesign(60, -30, 3585, 10935);
constexpr QRect SideListDesign(90, 900, 3375, 9930); // List1 and List4, in the side panel
constexpr QRect ViewDesign(ReaderLayout::ShownViewLeft, ReaderLayout::ViewTop, 10455, 9015);
constexpr QRect StartPanelDesign(ReaderLayout::ShownViewLeft, ReaderLayout::ViewTop, 9975, 8295);

// `design` with the height `height`.
QRect withHeight(const QRect &design, int height)
{
    return QRect(design.left(), design.top(), design.width(), height);
}

// A picture drawn from the artwork at exactly the size of its design rectangle.
QLabel *drawnPicture(QWidget *parent, const char *name, const char *art, const QRect &twips)
{
    const QSize size = Twips::toPixelRect(twips).size();
    return Controls::picture(parent, name, Artwork::pixmap(QLatin1String(art), size), twips);
}

// The same on the start panel, drawn only once the panel shows.
QLabel *startPanelPicture(QWidget *parent, const char *name, const char *art, const QRect &twips)
{
    QLabel *picture = Controls::picture(parent, name, QPixmap(), twips);
    Artwork::drawWhenShown(picture, QLatin1String(art), Twips::toPixelRect(twips).size());
    return picture;
}

// A hidden picture that holds a header image at its own size.
QLabel *heldPicture(QWidget *parent, const char *name, const char *art)
{
    QLabel *picture = Controls::picture(parent, name, Artwork::pixmap(QLatin1String(art)),
                                        QRect(0, 0, 1650, 300));
    picture->hide();
    return picture;
}

void setBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

// The outline of a start panel button.
QFrame *buttonOutline(QWidget *parent, const char *name, const QRect &twips)
{
    auto *shape = make<QFrame>(parent, name, twips);
    shape->setStyleSheet(QStringLiteral("QFrame { border: 1px solid #8ea5c2; border-radius: 4px;"
                                        " background: rgba(255, 255, 255, 170); }"));
    return shape;
}

ClickLabel *linkLabel(QWidget *parent, const char *name, const QRect &twips)
{
    auto *label = make<ClickLabel>(parent, name, twips);
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

} // namespace

Form1::Form1(const AppServices &services, DocumentSession &session, PdfView *view)
    : m_services(services), m_session(session)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("PDF电子书制作软件(Quillmoor) V2.2"));
    setWindowIcon(Artwork::icon(QStringLiteral("quillmoor")));
    createControls(view);
    createMenus();
    createFullScreenKeys();
    createHistoryKeys();
    createShortcutsKey();
    connectSignals();
    connectSession();
    resize(DesignClientSize + QSize(0, menuBar()->sizeHint().height()));
    setAcceptDrops(true);
}

Form1::~Form1() = default;

void Form1::createControls(PdfView *view)
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setMinimumSize(ReaderLayout::minimumClientPixels());
    setCentralWidget(m_client);

    // Made from the bottom of the stack up: the view covers the side panel where they overlap,
    // and the start panel covers the view.
    createHiddenControls();
    createSidePanel();
    PDF1 = view;
    PDF1->setParent(m_client);
    PDF1->setObjectName(QStringLiteral("PDF1"));
    PDF1->setTwipsGeometry(ViewDesign.left(), ViewDesign.top(), ViewDesign.width(),
                           ViewDesign.height());
    PDF1->raise();
    PDF1->show();
    m_bookFind = new WholeBookFind(*PDF1, m_session, this);
    createStartPanel();

    m_client->installEventFilter(this);
    Picture7->installEventFilter(this);
}

void Form1::createHiddenControls()
{
    Picture1 = heldPicture(m_client, "Picture1", "header-contents");
    Picture2 = heldPicture(m_client, "Picture2", "header-bookmarks");
    Picture3 = heldPicture(m_client, "Picture3", "header-single");
    m_indexLines = make<TextList>(m_client, "List2", QRect(0, 0, 1500, 1500));
    m_indexLines->hide();
    m_bookmarkEntries = make<TextList>(m_client, "List3", QRect(0, 0, 1500, 1500));
    m_bookmarkEntries->hide();
    m_documentPath = make<QLineEdit>(m_client, "Text2", QRect(0, 0, 1500, 300));
    m_documentPath->hide();
}

void Form1::createSidePanel()
{
    Frame1 = make<QFrame>(m_client, "Frame1", SidePanelDesign);
    Frame1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    Image1 = Controls::picture(Frame1, "Image1", Picture3->pixmap(), QRect(120, 660, 1635, 300));
    Label9 = make<FittedCaption>(Frame1, "Label9", QRect(120, 720, 795, 195));
    Label9->hide();
    Label10 = make<FittedCaption>(Frame1, "Label10", QRect(900, 720, 855, 195));
    Label10->hide();
    Label1 = make<FittedCaption>(Frame1, "Label1", QRect(120, 720, 1635, 195));
    List1 = make<SideList>(Frame1, "List1", SideListDesign);
    List1->hide();
    // The lists lie over the last rows of the tab captions.
    FittedCaption::fitAbove({{Label9, QStringLiteral("  目录")},
                             {Label10, QStringLiteral("  书签")},
                             {Label1, QStringLiteral("  目录/书签")}},
                            List1->y());
    createBookmarkButtons();
    Picture6 = make<ClickLabel>(Frame1, "Picture6", QRect(3240, 240, 195, 180));
    Picture6->setPixmap(Artwork::pixmap(QStringLiteral("close-cross"), QSize(13, 12)));
    List4 = make<SideList>(Frame1, "List4", SideListDesign);
}

void Form1::createBookmarkButtons()
{
    const QColor buttonFace = palette().color(QPalette::Button);

    Picture4 = make<QFrame>(Frame1, "Picture4", QRect(120, 180, 1155, 315));
    setBackground(Picture4, buttonFace);
    Image2 = drawnPicture(Picture4, "Image2", "bookmark-add", QRect(60, 0, 240, 300));
    Label3 = caption(Picture4, "Label3", "添加书签", QRect(360, 60, 720, 180));
    Label7 = make<ClickLabel>(Picture4, "Label7", QRect(0, 0, 1155, 315));

    Picture5 = make<QFrame>(Frame1, "Picture5", QRect(1380, 180, 855, 315));
    setBackground(Picture5, buttonFace);
    Label4 = caption(Picture5, "Label4", "整理", QRect(360, 60, 360, 180));
    Image3 = drawnPicture(Picture5, "Image3", "bookmark-organise", QRect(60, 30, 225, 225));
    Label8 = make<ClickLabel>(Picture5, "Label8", QRect(0, 0, 855, 315));

    m_pressedBorder = new QFrame(Frame1);
    m_pressedBorder->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pressedBorder->hide();
}

void Form1::createStartPanel()
{
    m_startPanel = StartPanelDesign;
    Picture7 = make<QFrame>(m_client, "Picture7", m_startPanel);
    setBackground(Picture7, QColor(128, 128, 128));

    // Its pictures are drawn when it first shows: a window opened with a document never
    // draws them.
    Picture8 = Controls::picture(Picture7, "Picture8", QPixmap(),
                                 QRect(QPoint(1380, 1620), StartContentSize));
    Artwork::drawWhenShown(Picture8, QStringLiteral("start-background"));
    Picture8->setFrameStyle(QFrame::Box | QFrame::Plain);
    setTextColor(Picture8, QColor(96, 112, 132));
    createStartButtons();
    createLinkColumn();
}

void Form1::createStartButtons()
{
    Shape1 = buttonOutline(Picture8, "Shape1", QRect(1080, 2520, 2235, 615));
    Image4 = startPanelPicture(Picture8, "Image4", "open-file", QRect(1200, 2580, 480, 480));
    Label2 = caption(Picture8, "Label2", "打开文件...", QRect(1860, 2760, 990, 180));
    Label21 = linkLabel(Picture8, "Label21", QRect(1080, 2520, 2235, 615));

    Shape2 = buttonOutline(Picture8, "Shape2", QRect(1080, 3360, 2235, 615));
    Image5 = startPanelPicture(Picture8, "Image5", "make-book", QRect(1200, 3420, 480, 480));
    Label5 = caption(Picture8, "Label5", "制作PDF电子书", QRect(1860, 3600, 1170, 180));
    Label22 = linkLabel(Picture8, "Label22", QRect(1080, 3360, 2235, 615));

    Shape3 = buttonOutline(Picture8, "Shape3", QRect(1080, 4200, 2235, 615));
    Image6 = startPanelPicture(Picture8, "Image6", "tutorial", QRect(1200, 4260, 480, 480));
    Label28 = caption(Picture8, "Label28", "操作教程", QRect(1860, 4440, 720, 180));
    Label27 = linkLabel(Picture8, "Label27", QRect(1080, 4200, 2235, 615));
}

void Form1::createLinkColumn()
{
    Picture9 = startPanelPicture(Picture8, "Picture9", "link-home", QRect(4380, 2340, 510, 510));
    Picture10 = startPanelPicture(Picture8, "Picture10", "link-one", QRect(4380, 3060, 510, 510));
    Picture11 = startPanelPicture(Picture8, "Picture11", "link-two", QRect(4380, 3780, 510, 510));
    Picture12 = startPanelPicture(Picture8, "Picture12", "link-three", QRect(4380, 4500, 510, 510));

    // Each link has a name and a line about it; the column is 2400 twips wide.
    Label11 = caption(Picture8, "Label11", "Quillmoor 官方网站", QRect(5040, 2340, 2400, 180));
    Label12 = caption(Picture8, "Label12", "新版本、新闻与常见问题", QRect(5040, 2640, 2400, 180));
    Label13 = caption(Picture8, "Label13", "PDF 拆分合并工具", QRect(5040, 3060, 2400, 180));
    Label14 = caption(Picture8, "Label14", "拆分、合并、重排页面", QRect(5040, 3360, 2400, 180));
    Label15 = caption(Picture8, "Label15", "图片转 PDF 工具", QRect(5040, 3780, 2400, 180));
    Label16 = caption(Picture8, "Label16", "把扫描的图片装订成册", QRect(5040, 4080, 2400, 180));
    Label17 = caption(Picture8, "Label17", "文档转 PDF 工具", QRect(5040, 4500, 2400, 180));
    Label18 = caption(Picture8, "Label18", "文本与网页一键转换", QRect(5040, 4800, 2400, 180));
    for (QLabel *name : {Label11, Label13, Label15, Label17})
        setTextColor(name, QColor(31, 58, 95));
    for (QLabel *line : {Label12, Label14, Label16, Label18})
        setTextColor(line, QColor(96, 112, 132));

    Label23 = linkLabel(Picture8, "Label23", QRect(4380, 2280, 3195, 615));
    Label24 = linkLabel(Picture8, "Label24", QRect(4320, 3000, 3435, 615));
    Label25 = linkLabel(Picture8, "Label25", QRect(4380, 3720, 3195, 615));
    Label26 = linkLabel(Picture8, "Label26", QRect(4380, 4440, 3195, 615));

    Label19 = caption(Picture8, "Label19", "作者主页：", QRect(360, 5340, 1080, 180));
    setTextColor(Label19, QColor(31, 58, 95));
    Label20 = HomePageLink::make(Picture8, QRect(360, 5640, 0, 180));
}

void Form1::createMenus()
{
    QMenuBar *bar = menuBar();
    打开 = bar->addAction(QStringLiteral("打开(&O)"));
    打开->setObjectName(QStringLiteral("打开"));
    打开->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    最近打开 = bar->addMenu(QStringLiteral("最近打开(&R)"));
    最近打开->setObjectName(QStringLiteral("最近打开"));
    最近打开->setToolTipsVisible(true);
    fillRecentMenu();
    隐藏显示书签 = bar->addAction(QStringLiteral("隐藏/显示书签(&M)"));
    隐藏显示书签->setObjectName(QStringLiteral("隐藏显示书签"));
    制作电子书 = bar->addAction(QStringLiteral("制作电子书(&E)"));
    制作电子书->setObjectName(QStringLiteral("制作电子书"));
    导出为PDF = bar->addAction(QStringLiteral("导出为PDF(&X)"));
    导出为PDF->setObjectName(QStringLiteral("导出为PDF"));
    m_export = new BookExport(m_services.bookTool, *m_services.dialogs, this);
    new ChapterEditing(List1, m_session, *m_services.dialogs);
    enableExport();
    helpMenu = bar->addMenu(QStringLiteral("帮助(&H)"));
    helpMenu->setObjectName(QStringLiteral("帮助"));
    访问作者主页 = helpMenu->addAction(QStringLiteral("访问作者主页"));
    访问作者主页->setObjectName(QStringLiteral("访问作者主页"));
    在线帮助 = helpMenu->addAction(QStringLiteral("在线帮助"));
    在线帮助->setObjectName(QStringLiteral("在线帮助"));
}

// F11 shows the window full screen and back; Escape also comes back, and only then is taken. F5
// presents the document shown.
void Form1::createFullScreenKeys()
{
    auto *fullScreen = new QAction(this);
    fullScreen->setObjectName(QStringLiteral("fullScreen"));
    fullScreen->setShortcut(Qt::Key_F11);
    connect(fullScreen, &QAction::triggered, this, &Form1::toggleFullScreen);
    addAction(fullScreen);
    auto *presentation = new QAction(QStringLiteral("演示"), this);
    presentation->setObjectName(QStringLiteral("presentation"));
    presentation->setShortcut(Qt::Key_F5);
    connect(presentation, &QAction::triggered, PDF1, &PdfView::present);
    addAction(presentation);
    m_leaveFullScreen = new QAction(this);
    m_leaveFullScreen->setShortcut(Qt::Key_Escape);
    m_leaveFullScreen->setEnabled(false);
    connect(m_leaveFullScreen, &QAction::triggered, this, &Form1::toggleFullScreen);
    addAction(m_leaveFullScreen);
}

// Alt+Left and Alt+Right walk the places jumped from and to, across chapters.
void Form1::createHistoryKeys()
{
    const QList<std::pair<QKeySequence, void (ReadingNavigator::*)()>> keys{
        {QKeySequence(Qt::ALT | Qt::Key_Left), &ReadingNavigator::goBack},
        {QKeySequence(Qt::ALT | Qt::Key_Right), &ReadingNavigator::goForward}};
    for (const auto &[sequence, walk] : keys) {
        auto *action = new QAction(this);
        action->setShortcut(sequence);
        connect(action, &QAction::triggered, &m_session.navigator(), walk);
        addAction(action);
    }
}

void Form1::createShortcutsKey()
{
    auto *shortcuts = new QAction(QStringLiteral("键盘快捷键"), this);
    shortcuts->setObjectName(QStringLiteral("showShortcuts"));
    shortcuts->setShortcut(Qt::Key_F1);
    connect(shortcuts, &QAction::triggered, this, &Form1::showShortcuts);
    addAction(shortcuts);
}

void Form1::showShortcuts()
{
    if (!m_shortcuts)
        m_shortcuts = new ShortcutsWindow(this);
    m_shortcuts->show();
    m_shortcuts->raise();
    m_shortcuts->activateWindow();
}

// Full screen shows the pages alone: the view over the whole window, its toolbar at the top edge
// only, no menu bar. The layout in twips waits meanwhile and, coming back, lays every control out
// for the window's size again, the side panel shown or hidden as before.
void Form1::toggleFullScreen()
{
    const bool leaving = m_beforeFullScreen.has_value();
    if (!leaving)
        m_beforeFullScreen = BeforeFullScreen{windowState(), Picture7->isVisible()};
    const BeforeFullScreen before = *m_beforeFullScreen;
    if (leaving)
        m_beforeFullScreen.reset();
    menuBar()->setVisible(leaving);
    Picture7->setVisible(leaving && before.startPanelShown);
    PDF1->setToolbarAtTopEdge(!leaving);
    m_leaveFullScreen->setEnabled(!leaving);
    setWindowState(leaving ? before.state : windowState() | Qt::WindowFullScreen);
    LayoutReaderWindow();
}

void Form1::connectSignals()
{
    connect(隐藏显示书签, &QAction::triggered, this, &Form1::ToggleSidePanel);
    connect(Picture6, &ClickLabel::clicked, this, &Form1::HideSidePanel);
    const QList<QPair<ClickLabel *, QString>> links{
        {Label20, NumberTexts::homePage()},  {Label23, NumberTexts::homePage()},
        {Label24, NumberTexts::pageOne()},   {Label25, NumberTexts::pageTwo()},
        {Label26, NumberTexts::pageThree()}, {Label27, NumberTexts::helpPage()}};
    for (const auto &link : links)
        connect(link.first, &ClickLabel::clicked, this, [this, link] { openPage(link.second); });
    connect(打开, &QAction::triggered, this, &Form1::OpenCommand);
    connect(Label21, &ClickLabel::clicked, this, &Form1::OpenCommand);
    if (m_services.recentDocuments)
        connect(m_services.recentDocuments, &StateStore::contentsChanged, this,
                &Form1::fillRecentMenu);
    connect(Label9, &ClickLabel::clicked, this, &Form1::ShowContentsTab);
    connect(Label10, &ClickLabel::clicked, this, &Form1::ShowBookmarksTab);
    connect(Label7, &ClickLabel::pressed, this, &Form1::PressAddBookmarkButton);
    connect(Label7, &ClickLabel::released, this, &Form1::AddBookmark);
    connect(Label8, &ClickLabel::pressed, this, &Form1::PressOrganiseButton);
    connect(Label8, &ClickLabel::released, this, &Form1::OrganiseBookmarks);
    connect(new LineSelection(List1), &LineSelection::lineChosen, this, &Form1::ShowChapter);
    connect(new LineSelection(List4), &LineSelection::lineChosen, this, &Form1::GoToBookmark);
    connect(访问作者主页, &QAction::triggered, this, [this] { openPage(NumberTexts::homePage()); });
    connect(在线帮助, &QAction::triggered, this, [this] { openPage(NumberTexts::helpPage()); });
    connect(制作电子书, &QAction::triggered, this, &Form1::bookMakerRequested);
    connect(Label22, &ClickLabel::clicked, this, &Form1::bookMakerRequested);
    connect(导出为PDF, &QAction::triggered, this,
            [this] { m_export->start(m_session.documentPath()); });
    connect(m_export, &BookExport::runningChanged, this, &Form1::enableExport);
}

void Form1::enableExport()
{
    导出为PDF->setEnabled(m_session.kind() == DocumentKind::Book && !m_export->isRunning());
}

void Form1::connectSession()
{
    connect(&m_session, &DocumentSession::documentOpened, this, &Form1::SetDocumentPath);
    connect(&m_session, &DocumentSession::documentOpened, this, &Form1::enableExport);
    connect(&m_session, &DocumentSession::pdfOpened, this, &Form1::showPdf);
    connect(&m_session, &DocumentSession::contentsChanged, this, &Form1::showContents);
    connect(&m_session, &DocumentSession::nothingShown, PDF1, &PdfView::closeDocument);
    connect(&m_session, &DocumentSession::chapterFileReady, this, &Form1::showChapterFile,
            Qt::DirectConnection);
    connect(&m_session, &DocumentSession::documentRewritten, this, &Form1::showRewrittenFile,
            Qt::DirectConnection);
    connect(&m_session, &DocumentSession::chapterShown, this, &Form1::selectChapter);
    ReadingNavigator &navigator = m_session.navigator();
    connect(&navigator, &ReadingNavigator::placeChanged, this, &Form1::showPlace);
    connect(&navigator, &ReadingNavigator::lookRestored, PDF1, &PdfView::setLook);
    connect(PDF1, &PdfView::placeRequested, this, [this, &navigator](int page, double top) {
        navigator.goTo(ReadingPlace{m_session.chapter(), page, top});
    });
    connect(PDF1, &PdfView::chapterPlaceRequested, this,
            [&navigator](int chapter, int page, double top) {
                navigator.goTo(ReadingPlace{chapter, page, top});
            });
    connect(PDF1, &PdfView::readOnRequested, &navigator, &ReadingNavigator::readOn);
    connect(PDF1, &PdfView::fileLinkRequested, this, &Form1::followFileLink);
    connect(PDF1, &PdfView::propertiesRequested, this, &Form1::showProperties);
    connect(PDF1, &PdfView::documentChanged, this, &Form1::followShownDocument);
    connect(PDF1, &PdfView::backRequested, &navigator, &ReadingNavigator::goBack);
    connect(PDF1, &PdfView::forwardRequested, &navigator, &ReadingNavigator::goForward);
    const auto showHistory = [this, &navigator] {
        PDF1->setHistoryAvailable(navigator.canGoBack(), navigator.canGoForward());
    };
    connect(&navigator, &ReadingNavigator::placeChanged, this, showHistory);
    connect(&m_session, &DocumentSession::documentOpened, this, showHistory);
    connect(&m_session, &DocumentSession::contentsChanged, this, showHistory);
    connect(PDF1, &PdfView::placeShown, this, [this, &navigator](int page, double top) {
        navigator.notePlaceShown(page, top, PDF1->pageCount(), PDF1->look());
    });
    const BookmarkList &bookmarks = m_session.bookmarks();
    connect(&bookmarks, &BookmarkList::changed, this, &Form1::showBookmarks);
    connect(&bookmarks, &BookmarkList::reloaded, this, &Form1::showReloadedBookmarks);
    connect(&bookmarks, &BookmarkList::added, this, &Form1::showAddedBookmark);
}

void Form1::Form_Load(const QString &commandLine)
{
    List1->setRowHeight(16);
    List4->setRowHeight(16);
    // Laid out at once at about the size the window manager will give it, so the first page is
    // drawn once, at the size it is shown at.
    resize(screen()->availableSize());
    setWindowState(windowState() | Qt::WindowMaximized);
    PDF1->setShowToolbar(true);
    HomePageLink::showAddress(Label20);
    if (!commandLine.isEmpty())
        m_session.open(commandLine);
    FitListWidths();
}

QSize Form1::outerSize() const
{
    return ReaderLayout::outerSizeOf(m_client->size());
}

void Form1::LayoutReaderWindow()
{
    if (m_beforeFullScreen) {
        PDF1->setGeometry(m_client->rect());
        return;
    }
    const ReaderLayout::Layout layout = ReaderLayout::layout(outerSize(), m_sidePanelShown);
    if (layout.grown)
        growToMinimum();
    PDF1->setHeight(layout.viewHeight);
    m_startPanel.setHeight(PDF1->Height());
    placeViewColumn(layout.view.left, layout.view.width);
    Frame1->resize(Twips::toPixelRect(withHeight(SidePanelDesign, layout.sidePanelHeight)).size());
    const int listHeight =
        Twips::toPixelRect(withHeight(SideListDesign, layout.listHeight)).height();
    List1->resize(List1->width(), listHeight);
    List4->resize(List4->width(), listHeight);
}

void Form1::CenterStartContent()
{
    const QPoint at = ReaderLayout::centeredContent(m_startPanel.size(), StartContentSize);
    Controls::place(Picture8, QRect(at, StartContentSize));
}

void Form1::HideSidePanel()
{
    showSidePanel(false);
}

void Form1::ToggleSidePanel()
{
    showSidePanel(!m_sidePanelShown);
}

void Form1::showSidePanel(bool shown)
{
    m_sidePanelShown = shown;
    const ReaderLayout::Column column = ReaderLayout::column(outerSize().width(), shown);
    placeViewColumn(column.left, column.width);
}

void Form1::FitListWidths()
{
    Module1::FitList(*List1);
    Module1::FitList(*List4);
}

// The start panel always lies exactly over the view, across and down.
void Form1::placeViewColumn(int left, int width)
{
    PDF1->setLeft(left);
    PDF1->setWidth(width);
    // The view covers the hidden panel but for the frame's lines above and below it.
    Frame1->setFrameShape(m_sidePanelShown ? QFrame::StyledPanel : QFrame::NoFrame);
    m_startPanel = QRect(PDF1->Left(), m_startPanel.top(), PDF1->Width(), m_startPanel.height());
    placeStartPanel();
}

void Form1::placeStartPanel()
{
    Controls::place(Picture7, m_startPanel);
}

// A minimised window has no size to set; the layout is then applied for the minimum size all
// the same. A maximised one is grown too: without a window manager the state is only a wish.
void Form1::growToMinimum()
{
    if (windowState() & Qt::WindowMinimized)
        return;
    // The client area never lays out below its minimum, though the window around it may have
    // been made smaller than the window that minimum needs.
    const QSize clientMissing =
        (ReaderLayout::minimumClientPixels() - m_client->size()).expandedTo(QSize(0, 0));
    const QSize least = minimumSizeHint().expandedTo(minimumSize());
    const QSize wanted = (size() + clientMissing).expandedTo(least);
    if (wanted != size())
        resize(wanted);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == m_client)
            LayoutReaderWindow();
        else if (watched == Picture7)
            CenterStartContent();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    growToMinimum();
}

void Form1::closeEvent(QCloseEvent *event)
{
    m_export->stop();
    Form_Unload();
    QMainWindow::closeEvent(event);
}

// Closing the reader window ends the program: every other window closes with it.
void Form1::Form_Unload()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            window->close();
    }
}

void Form1::openPage(const QString &numberText)
{
    Module1::OpenWebPage(*m_services.webOpener, numberText);
}
