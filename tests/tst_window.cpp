// SPDX-License-Identifier: GPL-2.0-or-later
// The reader window and its bookmark dialogs as views of the session: the design applied, the
// layout rules wired to the window's size, and each command once. The rules are tested in core.
#include "app/readerwindows.h"
#include "app/startup.h"
#include "core/bookmarks/bookmarkfile.h"
#include "core/layout/readerlayout.h"
#include "core/layout/twips.h"
#include "core/text/gbkcodec.h"
#include "fakeservices.h"
#include "gui/bookmarks/form3.h"
#include "gui/bookmarks/form4.h"
#include "gui/bookmarks/pagecapture.h"
#include "gui/reader/bookoutline.h"
#include "gui/reader/bookresults.h"
#include "gui/reader/form1.h"
#include "gui/reader/keyboardshortcuts.h"
#include "guitest.h"
#include "pdf/opening.h"
#include "pdf/workerprocess.h"
#include "testfiles.h"
#include "testpdfs.h"
#include "widgets/clicklabel.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"
#include "widgets/textwidths.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>

#include <cstdio>

using GuiTest::child;
const auto gbk = Gbk::encode;

class TestWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<ReaderWindows> m_windows;
    QByteArray m_first = TestPdfs::bytes(2), m_second = TestPdfs::bytes(3);

    Form1 &form() const { return m_windows->reader(); }
    template <class T = QWidget> T *get(const char *name) const { return child<T>(&form(), name); }
    QStringList lines(const char *list) const { return GuiTest::texts(get<TextList>(list)); }
    RecordingView &view() const { return *m_fakes->viewFactory.view; }
    DocumentSession &session() const { return m_windows->session(); }
    FakeDialogs &dialogs() const { return m_fakes->dialogs; }
    QString file(const QString &name) const { return m_dir->filePath(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        return TestFiles::write(file(name), bytes) ? file(name) : QString();
    }
    QString writeBook() const
    {
        write("s.ini", gbk("{0}一&甲［2］\r\n{0}一&乙［40000］\r\n{1}二&丙［1］\r\n"));
        return write("s.VELM", TestFiles::bookOf({{"一", m_first}, {"二", m_second}}));
    }
    // Gives the window a client area of exactly 792 by 546 pixels, shown but not maximised.
    void showWindow()
    {
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        form().resize(form().size() + QSize(792, 546) - form().centralWidget()->size());
        QTRY_COMPARE(form().centralWidget()->size(), QSize(792, 546));
        Module1::CurrentPage = 0;
    }
    void release(const char *button)
    {
        QTest::mousePress(get<ClickLabel>(button), Qt::LeftButton);
        QTest::mouseRelease(get<ClickLabel>(button), Qt::LeftButton);
    }
    void clickRow(const char *list, int row)
    {
        auto *widget = get<TextList>(list);
        const QRect rect = widget->visualRect(widget->lines().index(row));
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }
    // Opens the add-bookmark dialog through a real capture of the view showing `page`.
    Form3 *addDialogOnPage(int page)
    {
        view().setCurrentPage(page);
        release("Label7");
        return Module1::CurrentPage == page ? form().findChild<Form3 *>() : nullptr;
    }
    bool sameImage(const char *a, const char *b) const
    {
        return get<QLabel>(a)->pixmap().toImage() == get<QLabel>(b)->pixmap().toImage();
    }
    static void press(QWidget *dialog, const char *button)
    {
        QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
    }
    // Types as the keyboard would, one character at a time.
    static void type(QWidget *dialog, const QString &text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(child<QLineEdit>(dialog, "Text1"), &press);
        }
    }
    // Drags `urls` in and drops them: whether the drag was taken.
    bool drop(const QList<QUrl> &urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form(), &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form(), &dropped);
        return enter.isAccepted();
    }
    QStringList recentMenu() const
    {
        QStringList texts;
        for (const QAction *action : get<QMenu>("最近打开")->actions())
            texts << action->text() + " " + action->statusTip();
        return texts;
    }
    static bool centred(const QWidget *dialog)
    {
        const QPoint centre = dialog->screen()->geometry().center();
        return (dialog->frameGeometry().center() - centre).manhattanLength() <= 1;
    }

private slots:
    void initTestCase() { Module1::SetApplicationFont(); }
    void init()
    {
        cleanup();
        m_dir = std::make_unique<QTemporaryDir>();
        m_fakes = std::make_unique<FakeServices>();
        m_windows = ReaderWindows::create(m_fakes->services());
        QVERIFY(m_windows);
    }
    void cleanup()
    {
        m_windows.reset();
        Pdf::setWorkerLimits({});
    }

    // The worked example's size, the menu toggle there and back, the close button for good, full
    // screen showing the pages alone (the toolbar at the top edge) and back to every control's
    // place, then below the minimum. Under the hidden panel's place the view shows, nothing of
    // the panel.
    void layoutFollowsTheWindowSize()
    {
        showWindow();
        QCOMPARE(form().outerSize(), QSize(12000, 9000));
        const QRect shown = Twips::toPixelRect(3720, 60, 8080, 8055);
        QVERIFY(view().geometry() == shown && get("Picture7")->geometry() == shown);
        get<QAction>("隐藏显示书签")->trigger();
        QCOMPARE(view().Width(), 11740);
        get<QAction>("隐藏显示书签")->trigger();
        QCOMPARE(view().geometry(), shown);
        QTest::mouseClick(get("Picture6"), Qt::LeftButton);
        QCOMPARE(view().geometry(), Twips::toPixelRect(60, 60, 11740, 8055));
        QCOMPARE(get("Frame1")->geometry(), Twips::toPixelRect(60, -30, 3585, 8175));
        get("Picture7")->hide();
        const auto rgb = [](const QPixmap &shot) {
            return shot.toImage().convertToFormat(QImage::Format_RGB32);
        };
        QCOMPARE(rgb(form().centralWidget()->grab(view().geometry())), rgb(view().grab()));
        const auto places = [this] {
            QStringList all{QString::number(view().Left()) + " " + QString::number(view().Width())};
            for (const QWidget *control : form().centralWidget()->findChildren<QWidget *>())
                all << control->objectName() + (control->isVisible() ? "+" : "-") +
                           QString::number(control->geometry().right());
            return all;
        };
        const QStringList before = places();
        QTest::keyClick(&form(), Qt::Key_F11);
        QTRY_VERIFY(form().isFullScreen() && view().geometry() == form().centralWidget()->rect());
        QVERIFY(!form().menuBar()->isVisible() && !view().isToolbarShown());
        auto *pages = view().findChild<QAbstractScrollArea *>("pages")->viewport();
        QMouseEvent atTop(QEvent::MouseMove, QPointF(50, 1), pages->mapToGlobal(QPointF(50, 1)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(pages, &atTop);
        QVERIFY(view().isToolbarShown());
        QTest::keyClick(&form(), Qt::Key_Escape);
        QTRY_VERIFY(!form().isFullScreen() && form().menuBar()->isVisible());
        QTRY_COMPARE(places(), before);
        form().resize(200, 150);
        QTRY_VERIFY(form().centralWidget()->width() >= ReaderLayout::minimumClientPixels().width());
        QCOMPARE(view().Width(), form().outerSize().width() - 260);
    }

    // Fitted to the widest line in the list's own font, 8 pixels more; the scroll bar shows only
    // while that is wider than the list, and the whole line comes into view at its end.
    void listsAreFittedToTheirWidestLine()
    {
        SideList list;
        list.resize(200, 300);
        list.show();
        const QString longest =
            QStringLiteral("这是一个非常非常长的书签名称，远远超过了列表的宽度");
        const QStringList texts{QStringLiteral("短"), longest};
        list.lines().setLines(2, [texts](int row) { return texts.at(row); });
        QFont large = list.font();
        large.setPixelSize(30);
        list.setFont(large);
        Module1::FitList(list);
        QCOMPARE(list.horizontalExtent(), QFontMetrics(large).horizontalAdvance(longest) + 8);
        QScrollBar *bar = list.horizontalScrollBar();
        QTRY_VERIFY(bar->isVisible());
        bar->setValue(bar->maximum());
        QVERIFY(list.visualRect(list.lines().index(1)).right() < list.viewport()->width());
        list.lines().setLines(1, [texts](int row) { return texts.at(row); });
        Module1::FitList(list);
        QTRY_VERIFY(!bar->isVisible());
    }

    // The widest line as QFontMetrics lays it out, without laying out every line: kerning,
    // ligatures, marks, surrogates and controls included, the widest among narrower ones.
    void widestLineAsLaidOut_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CJK") << "Noto Sans CJK SC"
                             << QStringList{"第一章 总论", "书签12345［7］",
                                            "很长的书签名称（附注）"};
        QTest::newRow("kerning") << "DejaVu Sans" << QStringList{"AVAVAVAV", "To Ty Yo", "WAVE"};
        QTest::newRow("ligatures") << "DejaVu Serif" << QStringList{"office affluent", "ffi fl"};
        QTest::newRow("shaped") << "DejaVu Sans"
                                << QStringList{"e\u0301e\u0301", "\U0001F600x", "a\tb", "سلام"};
        QTest::newRow("narrow many") << "Liberation Serif" << QStringList{"iiiiiiii", "WWW", "i"};
        QTest::newRow("empty") << "DejaVu Sans" << QStringList{""};
        QTest::newRow("none") << "DejaVu Sans" << QStringList{};
    }
    void widestLineAsLaidOut()
    {
        QFETCH(QString, family);
        QFETCH(QStringList, lines);
        QFont font(family);
        font.setPixelSize(31);
        TextWidths widths(font);
        int widest = 0;
        for (const QString &line : lines) {
            widest = qMax(widest, QFontMetrics(font).horizontalAdvance(line));
            QCOMPARE(widths.width(line), QFontMetrics(font).horizontalAdvance(line));
        }
        const auto textOf = [&lines](int row) { return lines.at(row); };
        QCOMPARE(widths.widest(int(lines.size()), textOf), widest);
    }

    // The lines come from the function given, shared until set again; added lines are inserted,
    // one line is drawn in a font of its own, and a blocked list reports no selection.
    void linesAreReadOnDemand()
    {
        SideList list;
        QStringList texts{"甲", "乙"};
        QSignalSpy reset(&list.lines(), &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&list.lines(), &QAbstractItemModel::rowsInserted);
        list.lines().setLines(2, [texts](int row) { return texts.at(row); });
        texts << "丙";
        list.lines().appendLines(3, [texts](int row) { return texts.at(row); });
        QVERIFY(GuiTest::texts(&list) == texts && reset.size() == 1 && inserted.size() == 1);
        QFont bold;
        bold.setBold(true);
        list.lines().setFontRow(1, bold);
        QVERIFY(list.lines().index(1).data(Qt::FontRole).value<QFont>().bold());
        QVERIFY(!list.lines().index(0).data(Qt::FontRole).isValid() && list.text(3).isNull());
        QSignalSpy selected(&list, &TextList::selectedLineChanged);
        {
            const QSignalBlocker blocker(list);
            list.setCurrentRow(0);
        }
        QVERIFY(selected.isEmpty() && list.selectedRow() == 0);
        list.setCurrentRow(2);
        QVERIFY(selected.size() == 1 && list.selectedRow() == 2 && list.currentRow() == 2);
        list.lines().setLines(1, [texts](int row) { return texts.at(row); });
        QVERIFY(list.lines().fontRow() == -1 && list.count() == 1 && list.currentRow() == -1);
    }

    // The path goes to Text2 and the caption whatever its kind; a book lists its chapters and
    // keeps the start panel, a PDF is shown. The view's toolbar shows, lists are fitted.
    void launch_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("chapters");
        QTest::addColumn<int>("loads");
        QTest::newRow("nothing") << QString() << " V2.2" << 0 << 0;
        QTest::newRow("book") << "s.VELM"
                              << " - s.VELM" << 2 << 0;
        QTest::newRow("PDF") << "a.pdf"
                             << " - a.pdf" << 0 << 1;
        QTest::newRow("no kind") << "a.pdf\""
                                 << " - a.pdf\"" << 0 << 0;
    }
    void launch()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, chapters);
        QFETCH(int, loads);
        writeBook();
        write("a.pdf", m_first);
        view().setShowToolbar(false);
        const QString quote = name.endsWith('"') ? "\"" : "";
        const QString path = name.isEmpty() ? name : quote + file(name);
        form().Form_Load(path);
        QVERIFY((form().windowState() & Qt::WindowMaximized) && view().isToolbarShown());
        QCOMPARE(form().windowTitle(), "PDF电子书制作软件(Quillmoor)" + caption);
        QCOMPARE(get<QLineEdit>("Text2")->text(), path);
        QVERIFY(lines("List1").size() == chapters && lines("List2").size() == chapters);
        auto *contents = get<SideList>("List1");
        QCOMPARE(contents->horizontalExtent(), Module1::MeasureListWidth(*contents));
        QVERIFY(view().loads.size() == loads && get("Picture7")->isHidden() == (loads > 0));
        // The start panel's pictures are drawn once it shows, never for a document opened.
        showWindow();
        QCOMPARE(get<QLabel>("Picture8")->pixmap().isNull(), loads > 0);
    }

    // Ctrl+O and "打开文件..." ask as the menu does, with its title, filter and the open document.
    // The start panel goes for every file chosen. A file of no kind is refused, unread: the book
    // stays open with its caption and lists. Blanks around the answer are dropped.
    void openCommand()
    {
        const QString book = writeBook();
        form().Form_Load(book);
        showWindow();
        dialogs().fileAnswer = write("notes.txt", TestFiles::bookOf({{"假", m_second}}));
        QTest::keyClick(&form(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs().messages, QStringList({"文件格式错误！"}));
        QVERIFY(get("Picture7")->isHidden() && lines("List1") == QStringList({"一", "二"}));
        QCOMPARE(form().windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) - s.VELM"));
        dialogs().fileAnswer = "  " + write("a.pdf", m_first) + " ";
        get<ClickLabel>("Label21")->clicked();
        for (const FakeDialogs::FileRequest &request : dialogs().fileRequests) {
            QCOMPARE(request.title + request.filter,
                     QStringLiteral("打开PDF文件PDF文件 (*.pdf *.VELM)"));
            QCOMPARE(request.initialFolder, book);
        }
        QVERIFY(dialogs().fileRequests.size() == 2 && view().loads == QList<QByteArray>{m_first});
        QCOMPARE(get<QLineEdit>("Text2")->text(), file("a.pdf"));
    }

    // The command line, the open command, a drop and the menu itself put a document at the top of
    // "最近打开(R)" and the desktop's list; chosen there, it opens as a chosen file does, and one
    // gone is named and taken off. A drop of a folder or of two files is refused.
    void recentDocumentsAndDrops()
    {
        QStringList bar;
        for (const QAction *action : form().menuBar()->actions())
            bar << action->text();
        QCOMPARE(bar.mid(0, 3), QStringList({"打开(&O)", "最近打开(&R)", "隐藏/显示书签(&M)"}));
        const QString book = writeBook(), a = write("a&b.pdf", m_first);
        form().Form_Load(book);
        session().open(file("gone.pdf"));
        dialogs().fileAnswer = a;
        get<QAction>("打开")->trigger();
        QVERIFY(!drop({QUrl("https://example.org/c.pdf")}));
        QVERIFY(drop({QUrl::fromLocalFile(write("c.pdf", m_second))}));
        QCOMPARE(m_fakes->recentFiles.added, QStringList({book, a, file("c.pdf")}));
        const QString folder = '\t' + m_dir->path() + ' ';
        QCOMPARE(recentMenu(),
                 QStringList({"&1 c.pdf" + folder + file("c.pdf"), "&2 a&&b.pdf" + folder + a,
                              "&3 s.VELM" + folder + book}));
        get<QMenu>("最近打开")->actions().at(2)->trigger();
        QVERIFY(get<QLineEdit>("Text2")->text() == book && get("Picture7")->isHidden());
        QVERIFY(QFile::remove(file("c.pdf")));
        get<QMenu>("最近打开")->actions().at(1)->trigger();
        QCOMPARE(recentMenu(),
                 QStringList({"&1 s.VELM" + folder + book, "&2 a&&b.pdf" + folder + a}));
        QVERIFY(drop({QUrl::fromLocalFile(m_dir->path())}));
        QVERIFY(drop({QUrl::fromLocalFile(a), QUrl::fromLocalFile(book)}));
        QVERIFY(drop({QUrl::fromLocalFile(write("notes.txt", m_first))}));
        QCOMPARE(dialogs().messages, QStringList({"文件“c.pdf”已不存在，已从最近打开中移除",
                                                  "请拖入一个PDF文件或电子书",
                                                  "请拖入一个PDF文件或电子书", "文件格式错误！"}));
        QCOMPARE(get<QLineEdit>("Text2")->text(), book);
    }

    // A chapter prints from the book itself: its copy the view was given is gone by then.
    void chapterPrintsFromTheBook()
    {
        QVERIFY(m_fakes->writeBookTool("exec \"$QUILLMOOR_BOOK_TOOL\" \"$@\"\n"));
        form().Form_Load(write("p.VELM", TestFiles::bookOf({{"一", TestPdfs::onePage("One")},
                                                            {"二", TestPdfs::linked()}})));
        showWindow();
        clickRow("List1", 1);
        dialogs().printTo = file("printed.pdf");
        dialogs().printRange = {2, 3};
        view().findChild<QAction *>("print")->trigger();
        QCOMPARE(dialogs().messages, QStringList());
        const std::unique_ptr<Pdf::Document> paper = Pdf::openFile(file("printed.pdf"));
        QVERIFY(paper && paper->pageCount() == 2);
        QVERIFY(paper->text(0).contains("Second page") && paper->text(1).contains("Third page"));
    }

    // A chapter chosen by a click, again, or a key is shown with its bookmarks; a bookmark clicked
    // goes to its page, one beyond 16 bits is ignored; the tabs switch the looks and read nothing.
    // Alt+Left walks back through a place the view asked for, the bookmark's jump and the
    // chapters chosen, to the page each was left at, and Alt+Right forward again.
    void chaptersBookmarksAndTabs()
    {
        form().Form_Load(writeBook());
        showWindow();
        QVERIFY(sameImage("Image1", "Picture1") && get("List4")->isHidden());
        clickRow("List1", 1);
        clickRow("List1", 1);
        QCOMPARE(view().loads, QList<QByteArray>({m_second, m_second}));
        QVERIFY(get("Picture7")->isHidden() && lines("List4") == QStringList({"丙"}));
        view().setCurrentPage(3);
        get("List1")->setFocus();
        QTest::keyClick(get("List1"), Qt::Key_Up);
        QCOMPARE(view().loads.last(), m_first);
        QCOMPARE(lines("List3"), QStringList({"甲［2］", "乙［40000］"}));
        get<SideList>("List4")->setHorizontalExtent(0);
        get<ClickLabel>("Label10")->clicked();
        QVERIFY(sameImage("Image1", "Picture2") && !get("List1")->isHidden());
        QVERIFY(get<SideList>("List4")->horizontalExtent() > 0);
        clickRow("List4", 0);
        clickRow("List4", 1);
        QCOMPARE(view().currentPage(), 2);
        get<ClickLabel>("Label9")->clicked();
        QVERIFY(sameImage("Image1", "Picture1") && get("List4")->isHidden());
        QCOMPARE(view().loads.size(), 3);
        emit view().placeRequested(1, -1);
        const QList<std::tuple<Qt::Key, int, int>> walk{
            {Qt::Key_Left, 0, 2}, {Qt::Key_Left, 0, 1},  {Qt::Key_Left, 1, 3},
            {Qt::Key_Left, 1, 3}, {Qt::Key_Right, 0, 1}, {Qt::Key_Right, 0, 2},
            {Qt::Key_Right, 0, 1}};
        for (const auto &[key, chapter, page] : walk) {
            QTest::keyClick(&form(), key, Qt::AltModifier);
            QCOMPARE(get<TextList>("List1")->currentRow(), chapter);
            QCOMPARE(view().currentPage(), page);
        }
        // The view's back and forward buttons walk the same history, offered while it goes on.
        auto *back = child<QAction>(&view(), "goBack");
        auto *forward = child<QAction>(&view(), "goForward");
        QVERIFY(back->isEnabled() && !forward->isEnabled());
        back->trigger();
        QVERIFY(view().currentPage() == 2 && forward->isEnabled());
        forward->trigger();
        QVERIFY(view().currentPage() == 1 && !forward->isEnabled());
        QCOMPARE(view().loads.size(), 5);
    }

    // Reading on from the end of a chapter shows the next as a click does, with its bookmarks and
    // its line selected; reading back from its start shows the one before at its last page. A
    // book opened again shows nothing, the chapter read last the focused current line of the
    // contents (in bold, not selected), and Space on it continues at its place and look; a PDF
    // opened again is at its place.
    void readingOnAndReopening()
    {
        showWindow();
        const QString book = writeBook();
        const QString pdf = write("r.pdf", TestPdfs::linked());
        auto *list = get<TextList>("List1");
        auto *pages = view().findChild<QAbstractScrollArea *>("pages");
        session().open(pdf);
        QCOMPARE(QApplication::focusWidget(), pages);
        view().showPlace(3, -1);
        session().open(book);
        clickRow("List1", 0);
        QTest::keyClick(pages, Qt::Key_End);
        QTest::keyClick(pages, Qt::Key_PageDown);
        QVERIFY(list->currentRow() == 1 && lines("List4") == QStringList{"丙"});
        QTest::keyClick(pages, Qt::Key_PageUp);
        QVERIFY(list->currentRow() == 0 && view().currentPage() == 2);
        QCOMPARE(pages->verticalScrollBar()->value(), pages->verticalScrollBar()->maximum());
        clickRow("List1", 1);
        view().setLook({2, 1, PageLayout::Spread::TwoPagesCover});
        view().showPlace(2, 0.5);
        session().open(book);
        QVERIFY(view().pageCount() == 0 && list->currentRow() == 1 && list->hasFocus());
        QVERIFY(list->selectionModel()->selectedIndexes().isEmpty() &&
                list->lines().fontRow() == 1);
        QCOMPARE(lines("List1"), QStringList({"一", "二"}));
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(view().loads.last() == m_second && view().currentPage() == 2 && list->hasFocus());
        QVERIFY(qAbs(view().topOfCurrentPage() - 0.5) < 0.01 && view().look().quarterTurns == 1);
        QVERIFY(view().look().zoom == 2 &&
                view().look().spread == PageLayout::Spread::TwoPagesCover);
        session().open(pdf);
        QCOMPARE(view().currentPage(), 3);
        // The colours are the program's, kept for its next start.
        child<QComboBox>(&view(), "colourBox")->setCurrentIndex(1);
        m_windows.reset();
        m_windows = ReaderWindows::create(m_fakes->services());
        QCOMPARE(view().colours(), PageColours::Night);
    }

    // F5 presents the page being read on black; the keys and a click turn the pages through the
    // view, on into the next chapter, and Escape leaves the view at the page reached.
    void presentation()
    {
        showWindow();
        session().open(writeBook());
        clickRow("List1", 0);
        QTest::keyClick(&form(), Qt::Key_F5);
        auto *shown = qobject_cast<QWidget *>(QApplication::activeWindow());
        QTRY_VERIFY((shown = QApplication::activeWindow()) &&
                    shown->objectName() == "presentationWindow");
        // The page comes from its drawing thread a little after the window.
        const auto screen = [shown] { return shown->grab().toImage(); };
        QTRY_VERIFY(qGray(screen().pixel(screen().rect().center())) > 200);
        QCOMPARE(qGray(screen().pixel(2, 2)), 0);
        QTest::keyClick(shown, Qt::Key_PageDown);
        QCOMPARE(view().currentPage(), 2);
        QTest::mouseClick(shown, Qt::LeftButton);
        QVERIFY(get<TextList>("List1")->currentRow() == 1 && view().currentPage() == 1);
        QTest::keyClick(shown, Qt::Key_Space);
        QPointer<QWidget> presenting(shown);
        QTest::keyClick(shown, Qt::Key_Escape);
        QTRY_VERIFY(!presenting);
        QVERIFY(view().loads.last() == m_second && view().currentPage() == 2);
    }

    // F1 shows the shortcuts beside the window, not modal, grouped as the table groups them;
    // the help menu keeps its two entries.
    void shortcutsWindowListsTheTable()
    {
        showWindow();
        QTest::keyClick(&form(), Qt::Key_F1);
        auto *window = form().findChild<QDialog *>("shortcutsWindow");
        QVERIFY(window && window->isVisible() && !window->isModal());
        QCOMPARE(window->windowTitle(), QStringLiteral("键盘快捷键"));
        QStringList shown;
        const auto *tree = child<QTreeWidget>(window, "shortcuts");
        for (int g = 0; g < tree->topLevelItemCount(); ++g) {
            const QTreeWidgetItem *group = tree->topLevelItem(g);
            for (int r = 0; r < group->childCount(); ++r)
                shown << group->text(0) + '|' + group->child(r)->text(0) + '|' +
                             group->child(r)->text(1);
        }
        QStringList listed;
        for (const KeyboardShortcuts::Row &row : KeyboardShortcuts::rows())
            listed << row.group + '|' + row.keyText() + '|' + row.what;
        QCOMPARE(shown, listed);
        QStringList help;
        for (const QAction *action : get<QMenu>("帮助")->actions())
            help << action->text();
        QCOMPARE(help, QStringList({"访问作者主页", "在线帮助"}));
    }

    // Every key the shortcuts window lists is answered: a shortcut of an action of the window,
    // a key the pages take, or Ctrl and the wheel zooming the pages.
    void everyListedKeyIsAnswered()
    {
        showWindow();
        session().open(write("a.pdf", TestPdfs::bytes(3)));
        QTRY_COMPARE(view().pageCount(), 3);
        QList<QKeySequence> actionKeys;
        for (const QAction *action : form().findChildren<QAction *>())
            actionKeys << action->shortcuts();
        auto *pages = child<QAbstractScrollArea>(&view(), "pages");
        for (const KeyboardShortcuts::Row &row : KeyboardShortcuts::rows()) {
            const QByteArray name = row.keyText().toUtf8();
            for (const QKeySequence &keys : row.keys) {
                if (row.answer == KeyboardShortcuts::Answer::Action) {
                    QVERIFY2(actionKeys.contains(keys), name);
                    continue;
                }
                QKeyEvent press(QEvent::KeyPress, keys[0].key(), keys[0].keyboardModifiers());
                QApplication::sendEvent(pages, &press);
                QVERIFY2(press.isAccepted(), name);
            }
            if (row.answer == KeyboardShortcuts::Answer::Wheel) {
                const double zoom = view().look().zoom;
                const QPointF at = pages->viewport()->rect().center();
                QWheelEvent turn(at, pages->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                                 Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(pages->viewport(), &turn);
                QVERIFY2(view().look().zoom > zoom, name);
            }
        }
    }

    // "文档属性…", by Ctrl+D or the pages' context menu, shows what the document shown says of
    // itself once the worker answers; in a book, of the chapter shown, its length as its size,
    // and the book's chapter count and pages.
    void documentProperties_data()
    {
        QTest::addColumn<bool>("book");
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("PDF by the key") << false << false;
        QTest::newRow("chapter by the context menu") << true << true;
    }

    void documentProperties()
    {
        QFETCH(bool, book);
        QFETCH(bool, byMenu);
        const QByteArray titled = TestPdfs::bytes(2, QStringLiteral("第一章的标题"));
        showWindow();
        if (book) {
            session().open(write("t.VELM", TestFiles::bookOf({{"一", titled}, {"二", m_second}})));
            clickRow("List1", 0);
        } else {
            session().open(write("t.pdf", titled));
        }
        QTRY_COMPARE(view().pageCount(), 2);
        if (byMenu) {
            const QList<QAction *> menu = child<QWidget>(&view(), "pages")->actions();
            QCOMPARE(menu.size(), 2);
            QCOMPARE(menu.at(1)->text(), QStringLiteral("文档属性…"));
            menu.at(1)->trigger();
        } else {
            QTest::keyClick(&form(), Qt::Key_D, Qt::ControlModifier);
        }
        auto *dialog = form().findChild<QDialog *>("documentProperties");
        QVERIFY(dialog && dialog->isVisible() && !dialog->isModal());
        const auto field = [dialog](const char *name) {
            return child<QLabel>(dialog, name)->text();
        };
        QTRY_COMPARE(field("title"), QStringLiteral("第一章的标题"));
        QCOMPARE(field("version"), QStringLiteral("1.4"));
        QCOMPARE(field("encrypted"), QStringLiteral("否"));
        QVERIFY(field("created").contains(QStringLiteral("年")));
        // A4 as Qt writes it: 595 by 842 points.
        QCOMPARE(field("pageSize"), QStringLiteral("209.9 × 297.0 毫米（595 × 842 点）"));
        QVERIFY(field("fileSize").contains(QLocale(QLocale::Chinese).toString(titled.size())));
        QCOMPARE(child<QTreeWidget>(dialog, "fonts")->topLevelItemCount(), 1);
        QCOMPARE(child<QWidget>(dialog, "chapterCount")->isVisibleTo(dialog), book);
        if (!book)
            return;
        QCOMPARE(field("chapterCount"), QStringLiteral("2"));
        QTRY_COMPARE(field("bookPages"), QStringLiteral("5"));
        // The dialog follows the chapter shown.
        clickRow("List1", 1);
        QTRY_COMPARE(child<QGroupBox>(dialog, "documentBox")->title(), QStringLiteral("本章：二"));
        QTRY_COMPARE(field("title"), QStringLiteral("（无）"));
        QVERIFY(field("fileSize").contains(QLocale(QLocale::Chinese).toString(m_second.size())));
    }

    // "全书" beside "本章" only while a book is shown. Results come in book order, names shown as
    // they are ("%2" too), a damaged chapter named; F3 steps through them from the place being
    // read, each selecting its chapter and showing it with its bookmarks, unless shown already,
    // at its page, its matches marked there, also when the history leads back to it. A locked
    // chapter is named, and searched once unlocked in the view. A new search takes the last
    // one's highlight off the page. A chapter the engine gives up on is
    // named. A stop ends the search; a book rebuilt since its index was read stops it with a line
    // of its own; a PDF takes the scope away.
    void findInTheWholeBook()
    {
        // Five chapters, one given up only at the worker's deadline, while the chapter shown is
        // searched for its marks. The deadline is short for that chapter, and long enough for
        // the others to be read on a loaded machine under the sanitizers.
        constexpr int BookSearchWait = 30000;
        showWindow();
        write("b.ini", gbk("{2}三%2&丙［1］\r\n"));
        const QByteArray pdf = TestPdfs::linked();
        const QString book =
            write("b.VELM", TestFiles::bookOf({{"一", pdf},
                                               {"坏", TestFiles::pdfLike(100, 1)},
                                               {"三%2", pdf},
                                               {"锁", TestPdfs::locked(pdf, "secret")},
                                               {"卡", TestPdfs::hostile()}}));
        auto *scope = child<QComboBox>(&view(), "findScope");
        auto *field = child<QLineEdit>(&view(), "findField");
        auto *results = child<QListWidget>(&view(), "searchResults");
        auto *status = child<QLabel>(&view(), "searchStatus");
        const auto count = [this] { return child<QLabel>(&view(), "matchCount")->text(); };
        const auto find = [field](const QString &text) {
            field->setText(text);
            QTest::keyClick(field, Qt::Key_Return);
        };
        QVERIFY(!scope->isVisible());
        session().open(book);
        QTRY_VERIFY(scope->isVisible());
        QCOMPARE(scope->currentText(), "本章");
        auto *pane = child<QTabWidget>(&view(), "navigation");
        const auto shownTabs = [pane] {
            QStringList names;
            for (int tab = 0; tab < pane->count(); ++tab) {
                if (pane->isTabVisible(tab) && pane->tabText(tab) == "搜索")
                    names << pane->widget(tab)->objectName();
            }
            return names;
        };
        scope->setCurrentIndex(1);
        QCOMPARE(shownTabs(), QStringList{"bookResults"});
        Pdf::setWorkerLimits({qint64(1) << 30, std::chrono::milliseconds(3000)});
        find("GAMMA");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), "“GAMMA”：共 2 处", BookSearchWait);
        QStringList rows;
        for (int row = 0; row < results->count(); ++row)
            rows << results->item(row)->text().section('\n', 0, 0);
        QCOMPARE(rows, QStringList({"一  第 3 页", "第 2 章“坏”已损坏，未能搜索", "三%2  第 3 页",
                                    "第 4 章“锁”已加密，未能搜索", "第 5 章“卡”无法搜索"}));
        // However narrow the pane, the page reads "第 N 页" on one line.
        QTextDocument shown;
        shown.setHtml(results->item(0)->data(Qt::UserRole + 1).toString());
        shown.setTextWidth(QFontMetrics(shown.defaultFont()).horizontalAdvance("一  第 3 页") - 1);
        QVERIFY(shown.size().height() > 0); // laid out
        const QTextLayout *layout = shown.firstBlock().layout();
        QVERIFY(layout->lineCount() > 2);
        const QString plain = shown.firstBlock().text();
        QCOMPARE(layout->lineForTextPosition(plain.indexOf("第")).lineNumber(),
                 layout->lineForTextPosition(plain.indexOf("页")).lineNumber());
        QCOMPARE(count(), "0 / 2");
        const QList<std::tuple<Qt::KeyboardModifier, int, QString, int>> steps{
            {Qt::NoModifier, 0, "1 / 2", 1},
            {Qt::NoModifier, 2, "2 / 2", 2},
            {Qt::NoModifier, 0, "1 / 2", 3},
            {Qt::ShiftModifier, 2, "2 / 2", 4}};
        for (const auto &[modifier, chapter, shown, loads] : steps) {
            QTest::keyClick(&form(), Qt::Key_F3, modifier);
            QCOMPARE(get<TextList>("List1")->currentRow(), chapter);
            QVERIFY(count() == shown && view().currentPage() == 3 && view().loads.size() == loads);
        }
        // From the first page of a chapter, the next result is the one after that page.
        session().navigator().goTo(ReadingPlace{2, 1, -1});
        QTest::keyClick(&form(), Qt::Key_F3);
        QVERIFY(count() == "2 / 2" && view().currentPage() == 3 && view().loads.size() == 4);
        QCOMPARE(lines("List4"), QStringList{"丙"});
        QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                          results->visualItemRect(results->item(2)).center());
        QVERIFY(count() == "2 / 2" && view().loads.size() == 4);
        QTRY_VERIFY(GuiTest::showsCurrentMatch(&view()));
        // Back into a result's chapter from another, the matches there are marked again.
        clickRow("List1", 0);
        QTest::keyClick(&form(), Qt::Key_Left, Qt::AltModifier);
        QVERIFY(get<TextList>("List1")->currentRow() == 2 && view().currentPage() == 3);
        QTRY_VERIFY(GuiTest::showsCurrentMatch(&view()));
        dialogs().passwordAnswers = QStringList{"secret"};
        clickRow("List1", 3);
        find("Third");
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), "“Third”：共 3 处", BookSearchWait);
        QCOMPARE(results->item(3)->text().section('\n', 0, 0), "锁  第 3 页");

        find("alpha");
        QTRY_VERIFY(!GuiTest::showsCurrentMatch(&view()));
        QTest::mouseClick(child<QPushButton>(&view(), "stopSearch"), Qt::LeftButton);
        QTest::qWait(300);
        QVERIFY(status->text() == "搜索已停止：找到 0 处" && results->count() == 0);
        QFile rebuilt(book);
        QVERIFY(rebuilt.open(QIODevice::ReadWrite) &&
                rebuilt.setFileTime(session().contents().modified.addSecs(1),
                                    QFileDevice::FileModificationTime));
        find("gamma");
        QTRY_COMPARE(results->count(), 1);
        QCOMPARE(results->item(0)->text(), "电子书已被改动或无法读取，搜索已停止");
        scope->setCurrentIndex(0); // the chapter's own find lists its matches
        QCOMPARE(shownTabs(), QStringList{"documentResults"});
        session().open(write("a.pdf", m_first));
        QTRY_VERIFY(!scope->isVisible());
        QVERIFY(scope->currentIndex() == 0 && results->count() == 0);
    }

    // A find in a PDF fills the pane's "搜索" tab, the book's own results staying hidden.
    void findInAPdfListsItsMatches()
    {
        showWindow();
        session().open(write("a.pdf", m_second));
        auto *pane = child<QTabWidget>(&view(), "navigation");
        const auto shown = [pane](QWidget *page) {
            return pane->isTabVisible(pane->indexOf(page));
        };
        auto *field = child<QLineEdit>(&view(), "findField");
        auto *results = child<QListWidget>(&view(), "findResults");
        field->setText("PAGE");
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(results->count(), 4);
        QCOMPARE(results->item(3)->text(), "“PAGE”：共 3 处");
        QVERIFY(shown(child<QWidget>(&view(), "documentResults")));
        QVERIFY(!shown(child<QWidget>(&view(), "bookResults")));
    }

    // A book of more chapters than the tree lists unseen waits for the pane, then shows them all
    // with the chapter chosen meanwhile opened.
    void longOutlineWaitsForThePane()
    {
        showWindow();
        const QByteArray pdf = TestPdfs::linked();
        const QString line = QStringLiteral("章♂1♀%1\r\n").arg(pdf.size());
        session().open(write("l.VELM", TestFiles::bookOf(pdf, gbk(line.repeated(10001)))));
        auto *tree = child<QTreeWidget>(&view(), "outline");
        clickRow("List1", 1);
        QCOMPARE(tree->topLevelItemCount(), 0);
        view().findChild<QAction *>("navigationPane")->trigger();
        GuiTest::readEntries(tree);
        QVERIFY(tree->topLevelItemCount() == 10001 && tree->topLevelItem(1)->isExpanded());
    }

    // The outline lists the book's chapters as List1 names them, each leading to its first page;
    // a chapter's own outline is read once it is opened or shown, none of a damaged one, which
    // empties the view when chosen and lists its bookmarks. An entry of another chapter shows it
    // as a click in List1 does, at the entry's page. A PDF opened after shows its own outline.
    void wholeBookOutline()
    {
        showWindow();
        write("o.ini", gbk("{1}坏&乙［3］\r\n"));
        const QByteArray pdf = TestPdfs::linked();
        // A name too long to lay out is shown cut, and kept whole in List2.
        const QString third = "三" + QString(300, 'x');
        const QString index = QStringLiteral("一♂1♀%1\r\n坏♂x♀5\r\n%3♂%2♀%1\r\n")
                                  .arg(pdf.size())
                                  .arg(pdf.size() + 1)
                                  .arg(third);
        session().open(write("o.VELM", TestFiles::bookOf(pdf + pdf, gbk(index))));
        auto *tree = child<QTreeWidget>(&view(), "outline");
        const QString thirdShown = "三" + QString(199, 'x') + "…";
        QCOMPARE(lines("List1"), QStringList({"一", "坏", thirdShown}));
        QVERIFY(lines("List2").value(2).startsWith(third + "♂"));
        QCOMPARE(GuiTest::readEntries(tree), lines("List1").join(" 1|") + " 1");
        tree->topLevelItem(1)->setExpanded(true);
        clickRow("List1", 0);
        QCOMPARE(GuiTest::readEntries(tree),
                 "一 1|Chapter one 1|Section 2|第二部分 3|坏 1|" + thirdShown + " 1");
        QVERIFY(tree->topLevelItem(0)->isExpanded() &&
                tree->currentItem()->text(0) == "Chapter one");
        clickRow("List1", 1);
        QVERIFY(view().pageCount() == 0 && lines("List4") == QStringList{"乙"});
        tree->topLevelItem(2)->setExpanded(true);
        view().findChild<QAction *>("navigationPane")->trigger();
        GuiTest::readEntries(tree);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topLevelItem(2)->child(1)).center());
        QCOMPARE(get<TextList>("List1")->currentRow(), 2);
        QVERIFY(view().loads.last() == pdf && view().currentPage() == 3);
        session().open(write("a.pdf", pdf));
        QCOMPARE(GuiTest::readEntries(tree), "Chapter one 1|Section 2|第二部分 3");
    }

    // Past the matches listed, matches are counted and gone to, and one row says they are not
    // listed: a million small chapters would hold the window laying out their rows.
    void bookResultsListedUpToTheirBound()
    {
        BookResults shown;
        QSignalSpy chosen(&shown, &BookResults::chosen);
        constexpr int Listed = BookResults::ListedMatches;
        shown.begin("x", Listed + 2);
        QList<BookSearch::Match> matches(Listed + 2);
        for (int chapter = 0; chapter < matches.size(); ++chapter)
            matches[chapter].chapter = chapter;
        shown.add(matches.mid(0, 2), 2);
        shown.add(matches.mid(2), Listed + 2);
        auto *rows = child<QListWidget>(&shown, "searchResults");
        QCOMPARE(rows->count(), Listed + 1);
        QCOMPARE(rows->item(Listed)->text(),
                 QString("只列出前 %1 处，其余各处可按 F3 逐一查看").arg(Listed));
        QCOMPARE(shown.matchCount(), Listed + 2);
        shown.chooseFrom(Listed + 1, 0, 1);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.last().at(0).value<BookSearch::Match>().chapter, Listed + 1);
        QCOMPARE(shown.chosenNumber(), Listed + 2);
    }

    // A book's outline lists its chapters as a PDF's levels are listed, cut short past the bound
    // with one entry for the rest: an index may hold a million lines.
    void wholeBookOutlineCutShort()
    {
        BookContents contents;
        contents.lines.resize(Pdf::OutlineLevelLimit + 2);
        const QList<OutlineSource::Entry> chapters = BookOutline(QString(), contents).entries({});
        QCOMPARE(chapters.size(), Pdf::OutlineLevelLimit + 1);
        QCOMPARE(chapters.at(Pdf::OutlineLevelLimit - 1).chapter, Pdf::OutlineLevelLimit - 1);
        QCOMPARE(chapters.last().leftOut, 2);
    }

    // The first shown edit box holding a 16-bit number, in creation order, top to bottom; a
    // dialog of the window, a hidden box and what a hidden widget holds are never searched.
    void findPageBox_data()
    {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<int>("page");
        QTest::newRow("blanks around") << QStringList{" 12 "} << 12;
        QTest::newRow("page box first") << QStringList{"5", "125%"} << 5;
        QTest::newRow("zoom first") << QStringList{"125%", "5"} << 5;
        QTest::newRow("beyond 16 bits") << QStringList{"32768"} << 0;
        QTest::newRow("largest") << QStringList{"32767"} << 32767;
        QTest::newRow("not only a number") << QStringList{"3 页"} << 0;
    }
    void findPageBox()
    {
        QFETCH(QStringList, boxes);
        QFETCH(int, page);
        QWidget window;
        new QLineEdit(QStringLiteral("2024"), new QDialog(&window));
        (new QLineEdit(QStringLiteral("9"), &window))->hide();
        (new QLineEdit(QStringLiteral("4"), new QWidget(&window)))->parentWidget()->hide();
        auto *toolbar = new QToolBar(&window);
        for (auto it = boxes.crbegin(); it != boxes.crend(); ++it)
            new QLineEdit(*it, toolbar);
        Module1::CurrentPage = 0;
        Module1::FindPageBox(&window);
        QCOMPARE(int(Module1::CurrentPage), page);
    }

    // A page number with no document shows the toolbar first and opens nothing. A book opened
    // over a PDF shows no page until a chapter is chosen, so nothing is captured; the reader
    // window closed during the capture's wait ends it.
    void captureOpensTheDialogOnlyForAPageOfADocument()
    {
        showWindow();
        view().setShowToolbar(false);
        view().findChild<QLineEdit *>()->setText(QStringLiteral("7"));
        release("Label7");
        QVERIFY(view().isToolbarShown() && Module1::CurrentPage == 7);
        session().open(write("a.pdf", m_first));
        session().open(writeBook());
        QVERIFY(view().pageCount() == 0 && view().findChild<QLineEdit *>()->text().isEmpty());
        release("Label7");
        QVERIFY(Module1::CurrentPage == 0 && !form().findChild<Form3 *>());
        session().open(write("a.pdf", m_first));
        view().setCurrentPage(2);
        QTimer::singleShot(50, &form(), &QWidget::close);
        release("Label7");
        QVERIFY(Module1::CurrentPage == 2 && !form().findChild<Form3 *>());
    }

    // Nothing is recorded without a name; a second capture brings the same dialog forward for
    // the page captured last; Enter is OK. A file that cannot be written keeps the dialog and its
    // name; Escape is Cancel. In a chapter, pasted line breaks become blanks and the bookmark list
    // comes over the contents.
    void addBookmark()
    {
        showWindow();
        write("a.ini", gbk("旧［1］\r\n"));
        session().open(write("a.pdf", TestPdfs::bytes(3)));
        Form3 *dialog = addDialogOnPage(3);
        QVERIFY(dialog && centred(dialog) && !dialog->isModal());
        QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>(dialog, "Text1"));
        press(dialog, "Command1");
        QVERIFY(dialog->isVisible());
        type(dialog, QString(30, QChar(0x4E66)) + "多");
        QCOMPARE(addDialogOnPage(2), dialog);
        QTest::keyClick(child<QLineEdit>(dialog, "Text1"), Qt::Key_Return);
        QCOMPARE(TestFiles::read(file("a.ini")),
                 gbk("旧［1］\r\n" + QString(30, QChar(0x4E66)) + "［2］\r\n"));
        QCOMPARE(lines("List4").size(), 2);

        QTRY_VERIFY(!form().findChild<Form3 *>());
        dialog = addDialogOnPage(1);
        type(dialog, "  ");
        QVERIFY(QFile::rename(file("a.ini"), file("a.old")) && QDir().mkdir(file("a.ini")));
        press(dialog, "Command1");
        QCOMPARE(dialogs().messages, QStringList({"无法写入书签文件，书签未保存！"}));
        QVERIFY(dialog->isVisible() && child<QLineEdit>(dialog, "Text1")->text() == "  ");
        child<QLineEdit>(dialog, "Text1")->setText("笑😀한");
        press(dialog, "Command1");
        QVERIFY(dialogs().messages.last() == "书签名称中有无法保存的字符：😀한" &&
                dialog->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!form().findChild<Form3 *>());

        session().open(writeBook());
        get<SideList>("List1")->setCurrentRow(1);
        dialog = addDialogOnPage(2);
        QApplication::clipboard()->setText(QStringLiteral("上\r\n下"));
        child<QLineEdit>(dialog, "Text1")->paste();
        press(dialog, "Command1");
        QCOMPARE(TestFiles::read(file("s.ini")).right(18), gbk("{1}二&上 下［2］\r\n"));
        QCOMPARE(lines("List4"), QStringList({"丙", "上 下"}));
        QVERIFY(sameImage("Image1", "Picture2") && get("List1")->isHidden());
    }

    // Organising captures no page and shows the file's lines less the blank ones; the edited text
    // outlives a crash of the engine's workers. A save that
    // cannot be written keeps the file, the text and the lists; a save refills them. Escape is
    // Cancel.
    void organise()
    {
        showWindow();
        const QByteArray before = gbk("甲［3］\r\n\r\n   \r\n乙［7］  \r\n");
        write("a.ini", before);
        session().open(write("a.pdf", m_first));
        view().setShowToolbar(false);
        release("Label8");
        Form4 *dialog = form().findChild<Form4 *>();
        QVERIFY(dialog && !view().isToolbarShown() && centred(dialog) && !dialog->isModal());
        auto *text = child<QPlainTextEdit>(dialog, "Text1");
        QCOMPARE(text->toPlainText(), QStringLiteral("甲［3］\n乙［7］  \n"));
        text->setPlainText(QStringLiteral("丙[9]\n甲［3］\n一个很长的书签名称［12］"));
        // The engine's workers crash: nothing typed is lost.
        TestFiles::killChildren();
        QTest::qWait(200);
        {
            TestFiles::FileSizeLimit limit(12);
            press(dialog, "Command1");
        }
        QCOMPARE(TestFiles::read(file("a.ini")), before);
        QCOMPARE(dialogs().messages, QStringList({"无法写入书签文件，书签未保存！"}));
        QVERIFY(dialog->isVisible() && text->toPlainText().startsWith(QStringLiteral("丙［9］")));
        QCOMPARE(lines("List4"), QStringList({"甲", "乙"}));
        press(dialog, "Command1");
        QTRY_VERIFY(!form().findChild<Form4 *>());
        QCOMPARE(lines("List4"), QStringList({"丙", "甲", "一个很长的书签名称"}));
        release("Label8");
        QTest::keyClick(form().findChild<Form4 *>(), Qt::Key_Escape);
        QTRY_VERIFY(!form().findChild<Form4 *>());
    }

    // A bookmark file changed on disk refills the lists with the same entry selected, its same
    // occurrence, and no page moved. Saving the organise dialog over a file changed otherwise
    // than by appending asks first: 是 shows the file's text, unsaved.
    void bookmarkFileChangedElsewhere()
    {
        showWindow();
        write("a.ini", gbk("甲［1］\r\n乙［2］\r\n乙［2］\r\n"));
        session().open(write("a.pdf", TestPdfs::bytes(3)));
        clickRow("List4", 2);
        view().setCurrentPage(3);
        QVERIFY(Module1::RewriteBookmarkFile(file("a.pdf"),
                                             "丙［1］\r\n甲［1］\r\n乙［2］\r\n乙［2］"));
        QTRY_COMPARE(lines("List4"), QStringList({"丙", "甲", "乙", "乙"}));
        QVERIFY(get<TextList>("List4")->currentRow() == 3 && view().currentPage() == 3);

        release("Label8");
        Form4 *dialog = form().findChild<Form4 *>();
        QVERIFY(Module1::RewriteBookmarkFile(file("a.pdf"), "丁［4］"));
        dialogs().yesAnswer = true;
        press(dialog, "Command1");
        QCOMPARE(dialogs().messages, QStringList{"书签文件已被修改，是否重新载入？"});
        QCOMPARE(child<QPlainTextEdit>(dialog, "Text1")->toPlainText(),
                 QStringLiteral("丁［4］\n"));
        QVERIFY(Module1::AppendBookmarkLine(file("a.pdf"), "戊［5］"));
        press(dialog, "Command1");
        QTRY_VERIFY(!form().findChild<Form4 *>());
        QCOMPARE(dialogs().messages.size(), 1);
    }

    // A PDF written again is shown again where it was read and as it looked, at its last page
    // when shorter; one still being written leaves the old one shown.
    void rewrittenPdfShownAgain()
    {
        showWindow();
        session().open(write("a.pdf", TestPdfs::bytes(5)));
        view().setLook(PageLook{1.5, 1, PageLayout::Spread::Single});
        view().showPlace(4, 0.5);
        QVERIFY(std::rename(qPrintable(write("n.pdf", TestPdfs::bytes(6))),
                            qPrintable(file("a.pdf"))) == 0);
        QTRY_COMPARE(view().pageCount(), 6);
        QVERIFY(view().currentPage() == 4 && qAbs(view().topOfCurrentPage() - 0.5) < 0.01);
        QVERIFY(view().look().zoom == 1.5 && view().look().quarterTurns == 1);
        write("a.pdf", TestPdfs::bytes(3).left(300));
        QTest::qWait(400);
        QCOMPARE(view().pageCount(), 6);
        write("a.pdf", TestPdfs::bytes(3));
        QTRY_COMPARE(view().pageCount(), 3);
        QVERIFY(view().currentPage() == 3 && view().loads.size() == 1);
    }

    // A book rebuilt refreshes the contents, and its chapter shown is selected at its new row and
    // shown again at its place; a chapter gone leaves nothing shown.
    void rebuiltBookShownAgain()
    {
        showWindow();
        session().open(writeBook());
        clickRow("List1", 1);
        view().showPlace(2, 0.5);
        write("s.VELM", TestFiles::bookOf({{"零", m_first}, {"一", m_first}, {"二", m_second}}));
        QTRY_COMPARE(lines("List1"), QStringList({"零", "一", "二"}));
        QVERIFY(get<TextList>("List1")->currentRow() == 2 && view().currentPage() == 2);
        QVERIFY(view().pageCount() == 3 && view().loads.size() == 1 && lines("List4").isEmpty());
        write("s.VELM", TestFiles::bookOf({{"一", m_first}}));
        QTRY_VERIFY(lines("List1") == QStringList({"一"}) && view().pageCount() == 0);
    }

    // A link into another chapter's own file, as a split book's chapters have them, leads to that
    // chapter at the named place or page, a step of the history; one into a file the book does
    // not hold says so and leaves the pages as they are.
    void linksBetweenChapters()
    {
        showWindow();
        session().open(
            write("l.VELM", TestFiles::bookOf({{"一", m_first}, {"二", TestPdfs::linked()}})));
        clickRow("List1", 0);
        view().setCurrentPage(2);
        emit view().fileLinkRequested("二.pdf", "chapter2", 1, -1);
        QVERIFY(get<TextList>("List1")->currentRow() == 1 && view().currentPage() == 2);
        emit view().fileLinkRequested("一.pdf", "", 1, -1);
        QVERIFY(get<TextList>("List1")->currentRow() == 0 && view().currentPage() == 1);
        QTest::keyClick(&form(), Qt::Key_Left, Qt::AltModifier);
        QVERIFY(get<TextList>("List1")->currentRow() == 1 && view().currentPage() == 2);
        QTest::keyClick(&form(), Qt::Key_Left, Qt::AltModifier);
        QVERIFY(get<TextList>("List1")->currentRow() == 0 && view().currentPage() == 2);
        emit view().fileLinkRequested("三.pdf", "", 1, -1);
        QCOMPARE(child<QLabel>(&view(), "notice")->text(), "链接指向的章节不在此书中");
        QVERIFY(get<TextList>("List1")->currentRow() == 0 && view().currentPage() == 2);
    }

    // "导出为PDF(X)" asks where, beside the book by default under a name of its own, runs the
    // book tool on the book and that PDF (".pdf" added) and says how it ended; cancelled, nothing
    // runs. A PDF that would share the book's bookmark file is written only when the user says so.
    void exportBook_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArray>("tool"); // empty: none to start
        QTest::addColumn<QString>("message");
        QTest::addColumn<QList<bool>>("yes"); // the answers to the questions asked
        const QString sharing = "“s.pdf”与电子书共用书签文件“s.ini”：电子书的书签会显示为此PDF的"
                                "书签，在此PDF中添加的书签也会写入电子书的书签中。仍要导出吗？";
        QTest::newRow("sharing the bookmarks, declined")
            << "s" << QByteArray("echo \"$3\"") << sharing << QList<bool>{false};
        QTest::newRow("sharing the bookmarks, taken")
            << "s" << QByteArray("echo \"$3\"") << sharing + "|已导出为PDF：OUT"
            << QList<bool>{true};
        const QByteArray failing = "echo 'quillmoor-book export: '\"$2\"': chapter 2 \"二\": "
                                   "encrypted' >&2; echo 'two' >&2; exit 1";
        QTest::newRow("written") << "o" << QByteArray("echo progress 2 2; echo \"$3\"")
                                 << "已导出为PDF：OUT" << QList<bool>{};
        QTest::newRow("cancelled") << "" << QByteArray("true") << "" << QList<bool>{};
        QTest::newRow("failed") << "o.pdf" << failing
                                << "导出失败：BOOK: chapter 2 \"二\": encrypted\ntwo"
                                << QList<bool>{};
        QTest::newRow("crashed") << "o.PDF" << QByteArray("kill -SEGV $$")
                                 << "导出失败：导出程序异常退出" << QList<bool>{};
        QTest::newRow("no tool") << "o" << QByteArray() << "无法启动导出程序：TOOL"
                                 << QList<bool>{};
    }
    void exportBook()
    {
        QFETCH(QString, answer);
        QFETCH(QByteArray, tool);
        QFETCH(QString, message);
        QFETCH(QList<bool>, yes);
        dialogs().yesAnswers = yes;
        const QString book = writeBook(),
                      out = file(answer.contains('.') ? answer : answer + ".pdf");
        const QByteArray noteArgs = "echo \"$@\" > '" + file("args").toUtf8() + "'\n";
        QVERIFY(tool.isEmpty() || m_fakes->writeBookTool(noteArgs + tool));
        session().open(book);
        dialogs().saveAnswers = QStringList{answer.isEmpty() ? answer : file(answer)};
        get<QAction>("导出为PDF")->trigger();
        QCOMPARE(dialogs().saveRequests.size(), 1);
        QCOMPARE(dialogs().saveRequests[0].title + dialogs().saveRequests[0].filter,
                 "导出为PDFPDF文件(*.pdf)");
        QCOMPARE(dialogs().saveRequests[0].initialFolder, file("s（全书）.pdf"));
        message.replace("OUT", out).replace("BOOK", book).replace("TOOL", m_fakes->bookTool);
        QTRY_COMPARE(dialogs().messages.join('|'), message);
        QVERIFY(get<QAction>("导出为PDF")->isEnabled() && !get("exportPanel")->isVisible());
        const QString args = "export " + book + " " + out + " --progress\n";
        const bool declined = yes == QList<bool>{false};
        QCOMPARE(QString(TestFiles::read(file("args"))),
                 tool.isEmpty() || answer.isEmpty() || declined ? "" : args);
    }

    // Only a book exports, one at a time, the bar moving with the chapters done; the stop button
    // and closing the window each end the tool, quietly.
    void exportStopped()
    {
        showWindow();
        auto *action = get<QAction>("导出为PDF");
        QVERIFY(!action->isEnabled());
        session().open(write("a.pdf", m_first));
        QVERIFY(!action->isEnabled());
        session().open(writeBook());
        const QString stopped = file("stopped");
        QVERIFY(m_fakes->writeBookTool("trap 'echo >> " + stopped.toUtf8() +
                                       "; kill $!; exit 1' TERM\n"
                                       "echo progress 1 3; sleep 30 & wait"));
        dialogs().saveAnswers = QStringList{file("o.pdf"), file("o.pdf")};
        auto *bar = get<QProgressBar>("exportProgress");
        for (const bool byButton : {true, false}) {
            action->trigger();
            QVERIFY(!action->isEnabled() && get("exportPanel")->isVisible());
            QTRY_COMPARE(bar->text(), "1 / 3 章");
            if (byButton)
                QTest::mouseClick(get<QPushButton>("stopExport"), Qt::LeftButton);
            else
                form().close();
        }
        QVERIFY(TestFiles::read(stopped) == "\n\n" && dialogs().messages.isEmpty());
        QVERIFY(!QFile::exists(file("o.pdf")) && !get("exportPanel")->isVisible());
    }

    // The contents list's menu changes the open book through the session: the lists, the
    // chapter shown and the bookmark file follow; what the user declines changes nothing.
    void chapterMenuChangesTheBook()
    {
        showWindow();
        session().open(writeBook());
        clickRow("List1", 1);
        auto *list = get<TextList>("List1");
        auto *menu = list->findChild<QMenu *>();
        const QPoint firstRow = list->visualRect(list->lines().index(0)).center();
        // The right button opens the menu and chooses no chapter.
        QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier, firstRow);
        QVERIFY(list->currentRow() == 1 && session().chapter() == 1);
        emit list->customContextMenuRequested(firstRow);
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(!get<QAction>("moveChapterUp")->isEnabled() &&
                get<QAction>("moveChapterDown")->isEnabled());
        menu->hide();
        QCoreApplication::processEvents();
        const auto bookmarkLines = [this] {
            return Module1::ReadBookmarkFileLines(file("s.VELM"));
        };
        get<QAction>("moveChapterUp")->trigger();
        QCOMPARE(lines("List1"), QStringList({"二", "一"}));
        QVERIFY(session().chapter() == 0 && view().loads.last() == m_second);
        QCOMPARE(bookmarkLines(),
                 QStringList({"{1}一&甲［2］", "{1}一&乙［40000］", "{0}二&丙［1］"}));
        dialogs().textAnswer = "序";
        get<QAction>("renameChapter")->trigger();
        QCOMPARE(lines("List1"), QStringList({"序", "一"}));
        QCOMPARE(bookmarkLines().last(), "{0}序&丙［1］");
        dialogs().textAnswer = "a&b";
        get<QAction>("renameChapter")->trigger();
        QCOMPARE(dialogs().messages.last(), "章节名称中不能有“&”：书签以它分隔。");
        dialogs().yesAnswers = {true, false};
        get<QAction>("removeChapter")->trigger();
        QCOMPARE(dialogs().messages.mid(dialogs().messages.size() - 2),
                 QStringList(
                     {"确定删除第 1 章“序”？", "第 1 章有 1 条书签，将随章节一并删除。继续吗？"}));
        QCOMPARE(lines("List1"), QStringList({"序", "一"}));
        dialogs().yesAnswers = {true, true};
        get<QAction>("removeChapter")->trigger();
        QCOMPARE(lines("List1"), QStringList({"一"}));
        QCOMPARE(bookmarkLines(), QStringList({"{0}一&甲［2］", "{0}一&乙［40000］"}));
        dialogs().filesAnswer = {write("x.pdf", m_second)};
        get<QAction>("addChapters")->trigger();
        QCOMPARE(lines("List1"), QStringList({"一", "x"}));
        QCOMPARE(dialogs().fileRequests.last().title, "添加章节");
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
