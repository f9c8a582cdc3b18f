#pragma once

#include "app/appservices.h"
#include "core/book/bookreader.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>

#include <memory>

class ClickLabel;
class Form2;
class Form3;
class Form4;
class PdfView;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class SideList;

// The reader window: the menu bar; below it the side panel on the left (tab header, contents and
// bookmark lists, two bookmark buttons, close button) and the PDF view on the right, covered by
// the start panel until a document is shown.
//
// Controls are laid out in twips from the window's design and carry their design names as
// objectName. They are public: the window's commands and the windows it opens work on them, as
// the document state lives in them (the document path in Text2, the chapters in List1/List2, the
// bookmarks in List4/List3). The side panel is shown exactly while PDF1->Left() is 3720.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    // The window with its view from `services.viewFactory`, or nullptr when the factory makes
    // none. `services` must outlive the window.
    static std::unique_ptr<Form1> create(const AppServices &services);
    ~Form1() override;

    const AppServices &services() const { return m_services; }

    // Prepares the window before it is first shown: 16-pixel rows in both side lists, the
    // maximised state, the view's toolbar, the home page caption, fitted lists.
    void Form_Load(const QString &commandLine);

    // The layout rules for the current size; run on every resize of the client area.
    void LayoutReaderWindow();
    // Centres the start panel's content in it; run on every resize of the start panel.
    void CenterStartContent();
    void HideSidePanel();
    void ToggleSidePanel();
    // Fits List1, then List4, to their lines.
    void FitListWidths();
    // Shows the book-making window, made anew unless it is open: then it comes forward as it is.
    void showBookMaker();

    // Opening a document (form1documents.cpp).
    // Puts `path` in Text2 and names the window after its file name.
    void SetDocumentPath(const QString &path);
    // Shows the PDF named by Text2 with its bookmarks, in the single look.
    void OpenPlainPdf();
    // Lists the chapters of the book named by Text2, in the contents tab look. A book whose
    // index cannot be read gives empty contents lists, never those of an earlier book.
    void LoadBookContents();
    // The menu command "打开(O)": asks for a book or a PDF and opens it. A file of no kind is
    // refused with "文件格式错误！" and the open document stays as it was.
    void OpenCommand();
    // Empties the bookmark lists List3 and List4 without their signals.
    void clearBookmarkLists();

    // The side panel's looks and tabs, and the navigation (form1navigation.cpp).
    void SetSingleLook();
    void SetContentsLook();
    void ShowContentsTab();  // Label9
    void ShowBookmarksTab(); // Label10
    // Shows chapter `row` of the open book and lists that chapter's bookmarks. A chapter that
    // cannot be read leaves the view and the bookmark lists as they were.
    void ShowChapter(int row);
    // Moves the view to the page of bookmark `row`. A page text that is no number in the
    // 16-bit signed range is ignored.
    void GoToBookmark(int row);

    // The two bookmark buttons (form1bookmarks.cpp). Pressing gives the pressed look; releasing,
    // anywhere and with any mouse button, the normal look and then the command.
    void PressAddBookmarkButton(); // Label7 down
    void PressOrganiseButton();    // Label8 down
    // Captures the page shown and, when a document is open and a page was found, shows the
    // add-bookmark dialog, or brings the open one forward with its name kept.
    void AddBookmark(); // Label7 up
    // Shows the organise-bookmarks dialog when a document is open.
    void OrganiseBookmarks(); // Label8 up

    // The window's outer size in twips as the layout rules take it.
    QSize outerSize() const;

    // The menu bar.
    QAction *打开 = nullptr;         // "打开(O)"
    QAction *隐藏显示书签 = nullptr; // "隐藏/显示书签(M)"
    QAction *制作电子书 = nullptr;   // "制作电子书(E)"
    QMenu *helpMenu = nullptr;       // "帮助(H)"
    QAction *访问作者主页 = nullptr;
    QAction *在线帮助 = nullptr;

    // The side panel and what it holds.
    QFrame *Frame1 = nullptr;
    QLabel *Image1 = nullptr;      // the tab header picture
    ClickLabel *Label9 = nullptr;  // "  目录"
    ClickLabel *Label10 = nullptr; // "  书签"
    QLabel *Label1 = nullptr;      // "  目录/书签"
    SideList *List1 = nullptr;     // chapters
    QFrame *Picture4 = nullptr;    // the add-bookmark button
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
    QLabel *Picture1 = nullptr; // header picture with the contents tab in front
    QLabel *Picture2 = nullptr; // header picture with the bookmarks tab in front
    QLabel *Picture3 = nullptr; // header picture with a single tab
    QListWidget *List2 = nullptr;
    QListWidget *List3 = nullptr;
    QLineEdit *Text2 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    Form1(const AppServices &services, PdfView *view);

    void createControls(PdfView *view);
    void createSidePanel();
    void createBookmarkButtons();
    void createStartPanel();
    void createStartButtons();
    void createLinkColumn();
    void createHiddenControls();
    void createMenus();
    void connectSignals();

    void growToMinimum();
    void placeViewColumn(int left, int width);
    void placeStartPanel();
    void Form_Unload();

    void openHomePage();
    void openHelpPage();
    void openPageOne();
    void openPageTwo();
    void openPageThree();

    void clearContentsLists();
    bool copyChapterToScratchFile(int row);

    AppServices m_services;
    QWidget *m_client = nullptr;
    // The start panel's place in twips, as the layout wrote it.
    QRect m_startPanel;
    QPointer<Form2> m_bookMaker;
    // The open book and what its index gave: List2 holds the index lines, these their ranges.
    QString m_bookPath;
    BookContents m_book;
    // The bookmark dialogs, one of each at a time.
    QPointer<Form3> m_form3;
    QPointer<Form4> m_form4;
};
