// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/bookmarks/bookmarkfile.h"
#include "core/document/readingplace.h"
#include "services/appservices.h"
#include "widgets/linelistmodel.h"

#include <QMainWindow>
#include <QRect>

#include <optional>

class BookExport;
class ClickLabel;
class DocumentSession;
class FittedCaption;
class PdfView;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class ShortcutsWindow;
class DocumentProperties;
class SideList;
class TextList;
class WholeBookFind;

// The reader window: the menu bar; below it the side panel on the left (tab header, contents and
// bookmark lists, two bookmark buttons, close button) and the PDF view on the right, covered by
// the start panel until a document is shown.
//
// The window is a view of the open document's session: only the slots for the session's
// signals fill the document path (Text2), the contents lists (List1 names, List2 index lines)
// and the bookmark lists (List4 names, List3 entries), so the checks that drive the window read
// them as before; what the window does reads the session, never the hidden ones. Controls are
// laid out in twips from the window's design and carry their design names as objectName. While
// the side panel shows, the view's left edge is 3720, and 60 while it is hidden. The bookmark
// dialogs and the book-making window are asked for through
// signals: the program owns them. "导出为PDF(X)" runs the book tool (BookExport) while a book is
// open, and the contents list's context menu changes the book in place (ChapterEditing).
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    // The window around `view`, which it takes over. `services` and `session` must outlive the
    // window.
    Form1(const AppServices &services, DocumentSession &session, PdfView *view);
    ~Form1() override;

    PdfView *view() const { return PDF1; }

    // Prepares the window before it is first shown: 16-pixel rows in both side lists, the
    // maximised state, the view's toolbar, the home page caption, fitted lists, and the document
    // of the command line.
    void Form_Load(const QString &commandLine);

    // The layout rules for the current size; run on every resize of the client area.
    void LayoutReaderWindow();
    // Centres the start panel's content in it; run on every resize of the start panel.
    void CenterStartContent();
    void HideSidePanel();
    void ToggleSidePanel();
    // Fits List1, then List4, to their lines.
    void FitListWidths();

    // The menu command "打开(O)": asks for a book or a PDF and opens it. A file of no kind is
    // refused with "文件格式错误！" and the open document stays as it was.
    void OpenCommand();

    // The side panel's tabs and the navigation (form1navigation.cpp).
    void ShowContentsTab();  // Label9
    void ShowBookmarksTab(); // Label10
    // Shows chapter `row` of the open book and lists that chapter's bookmarks. A chapter that
    // cannot be read leaves the view empty; a row that is no chapter changes nothing.
    void ShowChapter(int row);
    // Moves the view to the page of bookmark `row`, a step of the history. A page text that is
    // no number in the 16-bit signed range is ignored.
    void GoToBookmark(int row);

    // The two bookmark buttons. Pressing gives the pressed look; releasing, anywhere and with
    // any mouse button, the normal look and then the request.
    void PressAddBookmarkButton(); // Label7 down
    void PressOrganiseButton();    // Label8 down
    void AddBookmark();            // Label7 up
    void OrganiseBookmarks();      // Label8 up

    // The window's outer size in twips as the layout rules take it.
    QSize outerSize() const;

signals:
    void bookMakerRequested();
    void addBookmarkRequested();
    void organiseBookmarksRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // A single book or PDF dropped opens as "打开(O)" opens the file chosen; a folder or several
    // files are refused with "请拖入一个PDF文件或电子书".
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // What the side panel shows: a PDF's single bookmark list, or a book's two tabs with the
    // contents or the bookmarks in front.
    enum class SidePanelLook { Single, Contents, Bookmarks };

    void createControls(PdfView *view);
    void createSidePanel();
    void createBookmarkButtons();
    void createStartPanel();
    void createStartButtons();
    void createLinkColumn();
    void createHiddenControls();
    void createMenus();
    void createFullScreenKeys();
    void createHistoryKeys();
    // F1 shows the keyboard shortcuts beside the window; the help menu keeps its two entries.
    void createShortcutsKey();
    void showShortcuts();
    // "文档属性…" of the view (form1properties.cpp): the document shown, and in a book the
    // chapter and the book. Once shown, they follow the document shown until closed.
    void showProperties();
    void followShownDocument();
    // False without a document shown.
    bool fillProperties();
    // "导出为PDF(X)" is there for a book only, and not while one is exported.
    void enableExport();
    void toggleFullScreen();
    void connectSignals();
    void connectSession();

    void growToMinimum();
    void showSidePanel(bool shown);
    void placeViewColumn(int left, int width);
    void placeStartPanel();
    void Form_Unload();

    // Opens the web page whose address `numberText` holds.
    void openPage(const QString &numberText);

    // Opens a file the user chose, by whatever road, as "打开(O)" does.
    void openChosen(const QString &path);
    // The menu "最近打开(R)" (form1recent.cpp): the recent documents, numbered, newest first. One
    // whose file has gone is named in a message and taken off the list.
    void fillRecentMenu();
    void openRecent(const QString &path);

    // The slots for the session's signals (form1documents.cpp).
    void SetDocumentPath(const QString &path);
    void showPdf(const QString &path);
    void showContents();
    void showChapterFile(const QString &path);
    void showRewrittenFile(const QString &path);
    void printFromBook();
    void selectChapter(int row);
    void markLastRead(int row);
    void giveKeysToPages();
    void followFileLink(const QString &file, const QString &destination, int page, double top);
    void showPlace(const ReadingPlace &place, const FoundText &match);
    void showBookmarks();
    void showReloadedBookmarks();
    void showAddedBookmark();
    void listBookmarks(void (LineListModel::*fill)(int, LineListModel::TextOf));

    // `contentsListStays`: whether List1 stays visible under the bookmark list in the
    // bookmarks look.
    void setSidePanelLook(SidePanelLook look, bool contentsListStays = true);
    // The two bookmark buttons (form1bookmarks.cpp).
    void setPressedLook(QFrame *button);
    void setNormalLook();

    // The menu bar.
    QAction *打开 = nullptr;         // "打开(O)"
    QMenu *最近打开 = nullptr;       // "最近打开(R)"
    QAction *隐藏显示书签 = nullptr; // "隐藏/显示书签(M)"
    QAction *制作电子书 = nullptr;   // "制作电子书(E)"
    QAction *导出为PDF = nullptr;    // "导出为PDF(X)"
    QMenu *helpMenu = nullptr;       // "帮助(H)"
    QAction *访问作者主页 = nullptr;
    QAction *在线帮助 = nullptr;
    QAction *m_leaveFullScreen = nullptr; // Escape, while the window is full screen
    struct BeforeFullScreen {
        Qt::WindowStates state;
        bool startPanelShown = false;
    };
    std::optional<BeforeFullScreen> m_beforeFullScreen; // set while full screen

    // The side panel and what it holds.
    QFrame *Frame1 = nullptr;
    QLabel *Image1 = nullptr;         // the tab header picture
    FittedCaption *Label9 = nullptr;  // "  目录"
    FittedCaption *Label10 = nullptr; // "  书签"
    FittedCaption *Label1 = nullptr;  // "  目录/书签"
    SideList *List1 = nullptr;        // chapters
    QFrame *Picture4 = nullptr;       // the add-bookmark button
    QLabel *Image2 = nullptr;
    QLabel *Label3 = nullptr;
    ClickLabel *Label7 = nullptr;
    QFrame *Picture5 = nullptr; // the organise button
    QLabel *Image3 = nullptr;
    QLabel *Label4 = nullptr;
    ClickLabel *Label8 = nullptr;
    ClickLabel *Picture6 = nullptr; // the close button
    SideList *List4 = nullptr;      // bookmarks

    PdfView *PDF1 = nullptr;

    // The start panel and its content.
    QFrame *Picture7 = nullptr;
    QLabel *Picture8 = nullptr;
    QFrame *Shape1 = nullptr;
    QLabel *Image4 = nullptr;
    QLabel *Label2 = nullptr;
    ClickLabel *Label21 = nullptr; // over "打开文件..."
    QFrame *Shape2 = nullptr;
    QLabel *Image5 = nullptr;
    QLabel *Label5 = nullptr;
    ClickLabel *Label22 = nullptr; // over "制作PDF电子书"
    QFrame *Shape3 = nullptr;
    QLabel *Image6 = nullptr;
    QLabel *Label28 = nullptr;
    ClickLabel *Label27 = nullptr; // over "操作教程"
    QLabel *Picture9 = nullptr;
    QLabel *Picture10 = nullptr;
    QLabel *Picture11 = nullptr;
    QLabel *Picture12 = nullptr;
    ClickLabel *Label23 = nullptr;
    ClickLabel *Label24 = nullptr;
    ClickLabel *Label25 = nullptr;
    ClickLabel *Label26 = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label13 = nullptr;
    QLabel *Label14 = nullptr;
    QLabel *Label15 = nullptr;
    QLabel *Label16 = nullptr;
    QLabel *Label17 = nullptr;
    QLabel *Label18 = nullptr;
    QLabel *Label19 = nullptr;
    ClickLabel *Label20 = nullptr; // the home page address

    // Never shown.
    QLabel *Picture1 = nullptr;            // header picture with the contents tab in front
    QLabel *Picture2 = nullptr;            // header picture with the bookmarks tab in front
    QLabel *Picture3 = nullptr;            // header picture with a single tab
    TextList *m_indexLines = nullptr;      // List2: the index line of each chapter
    TextList *m_bookmarkEntries = nullptr; // List3: the entry of each bookmark listed
    QLineEdit *m_documentPath = nullptr;   // Text2

    AppServices m_services;
    DocumentSession &m_session;
    WholeBookFind *m_bookFind = nullptr;
    BookExport *m_export = nullptr;
    ShortcutsWindow *m_shortcuts = nullptr;     // made when first asked for
    DocumentProperties *m_properties = nullptr; // the same
    QWidget *m_client = nullptr;
    QFrame *m_pressedBorder = nullptr; // around the bookmark button held down
    // The start panel's place in twips, as the layout wrote it.
    QRect m_startPanel;
    bool m_sidePanelShown = true;
    // The bookmarks List3 and List4 list, as the session gave them: when the file changes, the
    // session's are already the new ones.
    QList<Module1::BookmarkEntry> m_listedBookmarks;
};
