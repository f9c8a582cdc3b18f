// SPDX-License-Identifier: GPL-2.0-or-later
// The contracts the windows rely on: LoadFile, setCurrentPage, the page box, twips.
#include "fakeservices.h"
#include "gui/bookmarks/pagecapture.h"
#include "gui/pdfview/pagearea.h"
#include "gui/pdfview/pagecache.h"
#include "gui/pdfview/pagecolouring.h"
#include "gui/pdfview/pdfview.h"
#include "gui/pdfview/printchoice.h"
#include "gui/pdfview/printpreview.h"
#include "guitest.h"
#include "pdf/opening.h"
#include "pdf/workerprocess.h"
#include "search/documentsearch.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSemaphore>
#include <QSet>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <QTreeWidget>
#include <QWheelEvent>

#include <algorithm>
#include <atomic>
#include <cmath>

class TestPdfView : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    std::unique_ptr<PdfView> m_view;

    QString writePdf(const QString &name, int pages)
    {
        const QString path = m_folder.filePath(name);
        return TestPdfs::write(path, pages) ? path : QString();
    }
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_folder.filePath(name);
        return TestFiles::write(path, bytes) ? path : QString();
    }
    // The point of the viewport showing the point (x, y) of `page`, in points from its bottom
    // left corner as the PDF counts.
    QPoint pointOnPage(int page, double x, double y) const
    {
        const QRect rect = m_view->findChild<PageArea *>()->shownPageRect(page);
        return {rect.x() + qRound(x / 612 * rect.width()),
                rect.y() + qRound((792 - y) / 792 * rect.height())};
    }
    QString pageBox() const { return m_view->findChild<QLineEdit *>("pageBox")->text(); }
    // The current match's orange on `page` in the band from `y` to 16 points above it.
    bool orangeAt(int page, double y) const
    {
        return GuiTest::showsCurrentMatch(
            m_view.get(), QRect(pointOnPage(page, 72, y + 16), pointOnPage(page, 400, y)));
    }
    // WCAG's contrast ratio of two colours, from their relative luminance.
    static double contrast(const QColor &one, const QColor &other)
    {
        auto luminance = [](const QColor &colour) {
            auto linear = [](double c) {
                return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
                   0.0722 * linear(colour.blueF());
        };
        const double a = luminance(one) + 0.05, b = luminance(other) + 0.05;
        return std::max(a, b) / std::min(a, b);
    }
    // The distinct greys of `image`.
    static QSet<int> greys(const QImage &image)
    {
        QSet<int> found;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                found.insert(qGray(image.pixel(x, y)));
        }
        return found;
    }
    static int greyLevels(const QImage &image) { return greys(image).size(); }
    static int darkestGrey(const QImage &image)
    {
        const QSet<int> found = greys(image);
        return found.isEmpty() ? 255 : *std::min_element(found.begin(), found.end());
    }
    bool showsInk() const
    {
        auto *pages = m_view->findChild<QAbstractScrollArea *>("pages");
        return TestPdfs::hasInk(pages->viewport()->grab().toImage());
    }

private slots:
    // A place asked for is shown, as the reader window does through its session.
    void init()
    {
        m_view = std::make_unique<PdfView>();
        connect(m_view.get(), &PdfView::placeRequested, m_view.get(),
                [this](int page, double top) { m_view->showPlace(page, top); });
        m_view->resize(500, 600);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() { m_view.reset(); }

    // A page outside the document is ignored, one typed beyond the last goes to the last. The file
    // may go or be rewritten once loaded; the next load reads it afresh from its first page.
    void showsTheRequestedPageOfAFileGoneSinceLoading()
    {
        const QString path = writePdf(QStringLiteral("Velmforge.pdf"), 5);
        QVERIFY(m_view->LoadFile(path) && QFile::remove(path));
        QCOMPARE(m_view->findChild<QLabel *>("pageCount")->text(), "/ 5");
        for (const auto &[page, shown] :
             QList<std::pair<int, int>>{{3, 3}, {0, 3}, {6, 3}, {5, 5}}) {
            m_view->setCurrentPage(page);
            QVERIFY(m_view->currentPage() == shown && pageBox() == QString::number(shown));
        }
        QTRY_VERIFY(showsInk());
        auto *box = m_view->findChild<QLineEdit *>("pageBox");
        for (const auto &[typed, shown] :
             QList<std::pair<QString, int>>{{"2", 2}, {"99", 5}, {"x", 5}}) {
            box->setText(typed);
            QTest::keyClick(box, Qt::Key_Return);
            QVERIFY(m_view->currentPage() == shown && pageBox() == QString::number(shown));
        }
        QVERIFY(TestFiles::write(path, TestFiles::read(writePdf(QStringLiteral("7.pdf"), 7))));
        QVERIFY(m_view->LoadFile(path));
        QVERIFY(m_view->pageCount() == 7 && m_view->currentPage() == 1);
    }

    // A page the engine gives up on says so in its place; the other pages are drawn as ever.
    void pageTheEngineGivesUpOnSaysSo()
    {
        Pdf::setWorkerLimits({qint64(1) << 30, std::chrono::milliseconds(1000)});
        QVERIFY(m_view->LoadFile(writeFile("hostile.pdf", TestPdfs::hostile())));
        auto *pages = m_view->findChild<PageArea *>();
        const auto inkOn = [pages](int page) {
            return TestPdfs::hasInk(pages->viewport()->grab(pages->shownPageRect(page)).toImage());
        };
        m_view->setCurrentPage(2);
        QTRY_VERIFY_WITH_TIMEOUT(inkOn(1), 10000);
        m_view->setCurrentPage(1);
        QTRY_VERIFY(inkOn(0));
        Pdf::setWorkerLimits({});
    }

    // A view let go while its workers are stuck on a page goes at once: they are stopped, not
    // waited for.
    void closingWhileAWorkerIsStuckEndsAtOnce()
    {
        QVERIFY(m_view->LoadFile(writeFile("hostile.pdf", TestPdfs::hostile())));
        m_view->setCurrentPage(2);
        auto *field = m_view->findChild<QLineEdit *>("findField");
        field->setText("x");
        QTest::keyClick(field, Qt::Key_Return);
        QTest::qWait(500);
        QElapsedTimer timer;
        timer.start();
        m_view.reset();
        QVERIFY(timer.elapsed() < Pdf::workerLimits().deadline.count() / 2);
    }

    // No message box: the view is left without a document until the next good load, and says
    // why in its own area.
    void fileThatCannotBeShownLeavesTheViewEmpty_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all; "/": a folder
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty file") << QByteArray("") << "不是有效的PDF文件";
        QTest::newRow("damaged PDF") << TestFiles::pdfLike(5000, 3) << "不是有效的PDF文件";
        QTest::newRow("no file") << QByteArray() << "文件不存在";
        QTest::newRow("folder") << QByteArray("/") << "无法读取此文件";
    }
    void fileThatCannotBeShownLeavesTheViewEmpty()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString bad = m_folder.filePath(QStringLiteral("bad.pdf"));
        QFile::remove(bad);
        QDir(bad).removeRecursively();
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("good.pdf"), 2)));
        QTRY_VERIFY(showsInk());
        const bool made =
            bytes.isNull() || (bytes == "/" ? QDir().mkdir(bad) : TestFiles::write(bad, bytes));
        QVERIFY(made && !m_view->LoadFile(bad));
        QVERIFY(m_view->pageCount() == 0 && pageBox().isEmpty());
        QTest::qWait(50);
        QVERIFY(!showsInk() && !QApplication::activeModalWidget());
        QCOMPARE(m_view->findChild<PageArea *>()->message(), "无法显示此文件\n" + reason);
        m_view->setCurrentPage(1);
        QCOMPARE(m_view->currentPage(), 0);
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("good.pdf"), 1)));
        QVERIFY(m_view->findChild<PageArea *>()->message().isEmpty());
    }

    // A link to a page or a name asks for its place; a web link goes to the opener; a launch, a
    // script, a local file or another PDF does nothing. Only what is followed shows the hand,
    // with its target. The place shown is reported as the view moves.
    void linksInThePages()
    {
        FakeWebOpener opener;
        m_view->setServices(nullptr, &opener);
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("linked.pdf"), TestPdfs::linked())));
        auto *area = m_view->findChild<PageArea *>();
        QList<std::pair<int, double>> shown;
        connect(m_view.get(), &PdfView::placeShown, this,
                [&shown](int page, double top) { shown << std::pair(page, top); });
        const auto line = [&](int i) { return pointOnPage(0, 236, 660 - 40 * i + 7); };
        QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, line(TestPdfs::ToNamedChapterTwo));
        QVERIFY(m_view->currentPage() == 2 && shown.last() == std::pair(2, -1.0));
        m_view->showPlace(1, -1);
        QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, line(TestPdfs::ToPageThreeHalfWay));
        // Half way down page 3 goes to the top as far as the last page scrolls; its top would not.
        QCOMPARE(area->verticalScrollBar()->value(), area->verticalScrollBar()->maximum());
        QVERIFY(pointOnPage(2, 0, 792).y() < 0);
        QVERIFY(shown.last().first == 3 && shown.last().second > 0);
        m_view->showPlace(1, -1);
        // A place in another file is the window's to find.
        QSignalSpy elsewhere(m_view.get(), &PdfView::fileLinkRequested);
        QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, line(TestPdfs::ToNameInOtherPdf));
        QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, line(TestPdfs::ToOtherPdf));
        QCOMPARE(elsewhere.size(), 2);
        QCOMPARE(elsewhere.at(0), QVariantList({"other.pdf", "part2", 0, -1.0}));
        QCOMPARE(elsewhere.at(1), QVariantList({"other.pdf", "", 1, -1.0}));
        QCOMPARE(m_view->currentPage(), 1);
        for (int link = TestPdfs::ToWebPage; link < TestPdfs::ToOtherPdf; ++link) {
            QTest::mouseMove(area->viewport(), line(link));
            const bool followed = link == TestPdfs::ToWebPage;
            QCOMPARE(area->viewport()->cursor().shape(),
                     followed ? Qt::PointingHandCursor : Qt::ArrowCursor);
            QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, line(link));
            QCOMPARE(m_view->currentPage(), 1);
        }
        QCOMPARE(opener.addresses, QStringList{"https://example.com/page"});
    }

    // A link with a user name or a password shows its whole address in lines the screen holds,
    // and opens only when the reader says 是 to it; a mail link is handed on without its
    // attachment.
    void webLinksHandedOnWithCare()
    {
        FakeDialogs dialogs;
        FakeWebOpener opener;
        dialogs.yesAnswers = {false, true};
        m_view->setServices(&dialogs, &opener);
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("linked.pdf"), TestPdfs::linked())));
        QWidget *viewport = m_view->findChild<PageArea *>()->viewport();
        const auto line = [&](int i) { return pointOnPage(0, 236, 660 - 40 * i + 7); };
        const QString signedIn = TestPdfs::SignedInAddress;
        QTest::mouseMove(viewport, line(TestPdfs::ToSignedInPage));
        QTextDocument tip;
        tip.setHtml(viewport->toolTip());
        QCOMPARE(tip.toPlainText().remove('\n'), signedIn);
        QToolTip::showText(viewport->mapToGlobal(line(TestPdfs::ToSignedInPage)),
                           viewport->toolTip(), viewport);
        const QWidgetList windows = QApplication::topLevelWidgets();
        const auto shown = std::find_if(windows.begin(), windows.end(), [](QWidget *window) {
            return window->objectName() == "qtooltip_label" && window->isVisible();
        });
        QVERIFY(shown != windows.end() && (*shown)->width() <= (*shown)->screen()->size().width());
        QToolTip::hideText();
        for (int click = 0; click < 2; ++click)
            QTest::mouseClick(viewport, Qt::LeftButton, {}, line(TestPdfs::ToSignedInPage));
        QTest::mouseClick(viewport, Qt::LeftButton, {}, line(TestPdfs::ToMailWithAttachment));
        QCOMPARE(dialogs.messages, QStringList(2, "打开此链接？\n" + signedIn));
        QCOMPARE(opener.addresses, QStringList({signedIn, "mailto:x@example.com?subject=Hi"}));
    }

    // At the end of the document the keys and the button that go on, and a wheel turn made
    // there, ask to read on; at its start those that go back ask to read back. Elsewhere they
    // only move. A row's key 0 is the next- or previous-page button, 1 a wheel turn.
    void readingOnPastTheEnds_data()
    {
        QTest::addColumn<bool>("atEnd");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("asked");
        for (const int key : {int(Qt::Key_PageDown), int(Qt::Key_Space), int(Qt::Key_Down), 0, 1})
            QTest::newRow(qPrintable(QString::number(key) + " on")) << true << key << 1 << 1;
        for (const int key : {int(Qt::Key_PageUp), int(Qt::Key_Up), 0, 1})
            QTest::newRow(qPrintable(QString::number(key) + " back")) << false << key << -1 << -1;
        QTest::newRow("PageDown before the end") << false << int(Qt::Key_PageDown) << 1 << 0;
        QTest::newRow("wheel before the end") << false << 1 << 1 << 0;
    }
    void readingOnPastTheEnds()
    {
        QFETCH(bool, atEnd);
        QFETCH(int, key);
        QFETCH(int, direction);
        QFETCH(int, asked);
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("a.pdf"), 2)));
        auto *area = m_view->findChild<PageArea *>();
        QTest::keyClick(area, atEnd ? Qt::Key_End : Qt::Key_Home);
        QSignalSpy requests(m_view.get(), &PdfView::readOnRequested);
        const QPoint at = area->viewport()->rect().center();
        QWheelEvent turn(at, at, {}, {0, -120 * direction}, {}, {}, Qt::NoScrollPhase, false);
        if (key == 0)
            m_view->findChild<QAction *>(direction > 0 ? "nextPage" : "previousPage")->trigger();
        else if (key == 1)
            QApplication::sendEvent(area->viewport(), &turn);
        else
            QTest::keyClick(area, Qt::Key(key));
        QVERIFY(requests.size() == (asked ? 1 : 0) && (!asked || requests.at(0).at(0) == asked));
    }

    // Dragging selects whole words in reading order; Ctrl+C and "复制" copy them.
    void selectAndCopy()
    {
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("linked.pdf"), TestPdfs::linked())));
        m_view->setCurrentPage(2);
        auto *area = m_view->findChild<PageArea *>();
        const auto drag = [&](QPointF from, QPointF to, int page = 1) {
            QTest::mousePress(area->viewport(), Qt::LeftButton, {},
                              pointOnPage(page, from.x(), from.y()));
            QTest::mouseMove(area->viewport(), pointOnPage(page, to.x(), to.y()));
            QTest::mouseRelease(area->viewport(), Qt::LeftButton, {},
                                pointOnPage(page, to.x(), to.y()));
        };
        drag({150, 705}, {74, 705});
        QCOMPARE(area->selectedText(), QStringLiteral("Second page"));
        QTest::keyClick(area, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Second page"));
        drag({70, 712}, {200, 642});
        QCOMPARE(area->selectedText(), QStringLiteral("Second page alpha beta\n中文文本"));
        auto *copy = area->findChild<QAction *>("copy");
        QVERIFY(copy->isEnabled());
        copy->trigger();
        QCOMPARE(QApplication::clipboard()->text(), area->selectedText());
        // Copying is offered only while text is selected: not after a click, nor on a page that
        // holds no text, where a find says why it finds nothing.
        QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, pointOnPage(1, 150, 705));
        QVERIFY(!copy->isEnabled());
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("blank.pdf"), TestPdfs::onePage(""))));
        drag({70, 712}, {300, 500}, 0);
        QVERIFY(area->selectedText().isEmpty() && !copy->isEnabled());
        QTRY_COMPARE(m_view->findChild<DocumentSearch *>()->pagesKnown(), 1);
        auto *field = m_view->findChild<QLineEdit *>("findField");
        field->setText(QStringLiteral("page"));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_VERIFY(m_view->findChild<QLabel *>("notice"));
        QCOMPARE(m_view->findChild<QLabel *>("notice")->text(), PdfView::NoTextLayer);
    }

    // From the page shown, round the document in both directions, letter case ignored, Chinese
    // found; a text found nowhere says so.
    void findAcrossTheDocument()
    {
        m_view->resize(700, 600); // the find field in the toolbar, not in its overflow
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("linked.pdf"), TestPdfs::linked())));
        m_view->setCurrentPage(2);
        QTest::keyClick(m_view.get(), Qt::Key_F, Qt::ControlModifier);
        auto *field = m_view->findChild<QLineEdit *>("findField");
        QCOMPARE(QApplication::focusWidget(), field);
        const auto count = [this] { return m_view->findChild<QLabel *>("matchCount")->text(); };
        QTest::keyClicks(field, QStringLiteral("PAGE"));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(count(), "3 / 4");
        QCOMPARE(m_view->currentPage(), 2);
        const QList<std::pair<Qt::KeyboardModifier, int>> moves{
            {Qt::NoModifier, 3}, {Qt::NoModifier, 1}, {Qt::ShiftModifier, 3}};
        for (const auto &[modifier, page] : moves) {
            QTest::keyClick(m_view.get(), Qt::Key_F3, modifier);
            QCOMPARE(m_view->currentPage(), page);
        }
        QCOMPARE(count(), "4 / 4");
        for (const auto &[text, found] :
             QList<std::pair<QString, QString>>{{"文本", "1 / 1"}, {"nowhere", "0 / 0"}}) {
            field->setText(text);
            QTest::keyClick(field, Qt::Key_Return);
            QTRY_COMPARE(count(), found);
        }
        // A place given with a match: its own place on the page, the second "d" of page 3 in
        // "last words" at its foot, is the current one, the others marked as they come.
        m_view->showPlace(3, -1, {"d", 1});
        QTRY_VERIFY(orangeAt(2, 60) && !orangeAt(2, 700));
        QTRY_COMPARE(count(), "5 / 5");
        QVERIFY(orangeAt(2, 60));
        // Marked for a window's own find: every match, the pages staying where they are.
        m_view->showPlace(1, -1);
        m_view->markMatches("gamma");
        QTRY_COMPARE(count(), "1 / 1");
        QCOMPARE(m_view->currentPage(), 1);
        m_view->showPlace(3, -1);
        QTRY_VERIFY(orangeAt(2, 700));
        m_view->clearMatches();
        QTRY_VERIFY(!orangeAt(2, 60));
    }

    // A find opens the "搜索" tab, which lists every match in page order, however the pages came,
    // with the page's text around it and the count last; a row clicked is the current match, on
    // its page, and F3 moves the current row with the match.
    void findListsEveryMatch()
    {
        m_view->resize(700, 600);
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("twelve.pdf"), 12)));
        auto *pane = m_view->findChild<QTabWidget *>("navigation");
        auto *results = m_view->findChild<QListWidget *>("findResults");
        QVERIFY(pane->isTabVisible(pane->indexOf(m_view->findChild<QWidget *>("documentResults"))));
        const auto rows = [results] {
            QStringList shown;
            for (int row = 0; row < results->count(); ++row)
                shown << results->item(row)->text().replace('\n', " | ");
            return shown;
        };
        const auto count = [this] { return m_view->findChild<QLabel *>("matchCount")->text(); };
        m_view->setCurrentPage(5);
        auto *field = m_view->findChild<QLineEdit *>("findField");
        field->setText(QStringLiteral("1"));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(rows().value(5), QStringLiteral("“1”：共 5 处"));
        QCOMPARE(rows(),
                 QStringList({"第 1 页 | PAGE 1", "第 10 页 | PAGE 10", "第 11 页 | PAGE 11",
                              "第 11 页 | PAGE 11", "第 12 页 | PAGE 12", "“1”：共 5 处"}));
        QCOMPARE(count(), "2 / 5"); // from the page shown on
        QTRY_VERIFY(results->isVisible());
        QCOMPARE(results->currentRow(), 1);
        for (const auto &[row, page, shown] : QList<std::tuple<int, int, QString>>{
                 {3, 11, "4 / 5"}, {2, 11, "3 / 5"}, {1, 10, "2 / 5"}, {5, 10, "2 / 5"}}) {
            QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                              results->visualItemRect(results->item(row)).center());
            QCOMPARE(m_view->currentPage(), page);
            QCOMPARE(count(), shown);
        }
        for (const auto &[modifier, row, shown] :
             QList<std::tuple<Qt::KeyboardModifier, int, QString>>{
                 {Qt::NoModifier, 2, "3 / 5"},
                 {Qt::ShiftModifier, 1, "2 / 5"},
                 {Qt::ShiftModifier, 0, "1 / 5"},
                 {Qt::ShiftModifier, 4, "5 / 5"}}) {
            QTest::keyClick(field, Qt::Key_F3, modifier);
            QCOMPARE(count(), shown);
            QCOMPARE(results->currentRow(), row);
        }
        field->setText(QStringLiteral("nowhere"));
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(rows(), QStringList{"未找到“nowhere”"});
    }

    // A choice in one of the toolbar's boxes gives the keys back to the pages, and Escape in the
    // find field closes the find: the next arrow scrolls, the choice stays. The pages' edge shows
    // the highlight colour while they have the keys.
    void keysGoBackToThePagesAfterAChoice_data()
    {
        QTest::addColumn<QString>("box");
        QTest::newRow("layout") << "layoutBox";
        QTest::newRow("colours") << "colourBox";
        QTest::newRow("zoom") << "zoomBox";
        QTest::newRow("find") << "findField";
    }
    void keysGoBackToThePagesAfterAChoice()
    {
        QFETCH(QString, box);
        m_view->resize(1200, 600); // every box in the toolbar, none in its overflow
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("plain.pdf"), 3)));
        auto *pages = m_view->findChild<QAbstractScrollArea *>("pages");
        auto *control = m_view->findChild<QWidget *>(box);
        const auto edgeMarked = [pages] {
            return pages->viewport()->grab().toImage().pixelColor(1, 30) ==
                   pages->palette().color(QPalette::Highlight);
        };
        control->setFocus();
        QCOMPARE(QApplication::focusWidget(), control);
        QVERIFY(!edgeMarked());
        const auto choice = [control] {
            auto *choices = qobject_cast<QComboBox *>(control);
            return choices ? choices->currentText() : static_cast<QLineEdit *>(control)->text();
        };
        if (box == "findField") {
            QTest::keyClicks(control, QStringLiteral("page"));
            QTest::keyClick(control, Qt::Key_Return);
            QTRY_VERIFY(!m_view->findChild<QLabel *>("matchCount")->text().isEmpty());
            QTest::keyClick(control, Qt::Key_Escape);
            QCOMPARE(m_view->findChild<QLabel *>("matchCount")->text(), QString());
        } else {
            QTest::keyClick(control, Qt::Key_Down);
        }
        const QString chosen = choice();
        QCOMPARE(QApplication::focusWidget(), pages);
        QVERIFY(edgeMarked());
        const int top = pages->verticalScrollBar()->value();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(pages->verticalScrollBar()->value() > top);
        QCOMPARE(choice(), chosen);
    }

    // The count shows inside the find field: in a view of a 1,024-pixel window beside the side
    // panel, every control stays in the toolbar once a count shows, none in its overflow.
    void matchCountTakesNoRoomOfItsOwn()
    {
        m_view->resize(1024 - 248, 600);
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("linked.pdf"), TestPdfs::linked())));
        auto *colours = m_view->findChild<QComboBox *>("colourBox");
        QTRY_COMPARE(m_view->findChild<QLabel *>("pageCount")->text(), "/ 3");
        QApplication::processEvents(); // the toolbar lays itself out again
        QVERIFY(colours->isVisible());
        auto *field = m_view->findChild<QLineEdit *>("findField");
        field->setText(QStringLiteral("PAGE"));
        QTest::keyClick(field, Qt::Key_Return);
        auto *count = m_view->findChild<QLabel *>("matchCount");
        QTRY_COMPARE(count->text(), "1 / 4");
        QVERIFY(count->isVisible() && field->rect().contains(count->geometry()));
        QVERIFY(field->textMargins().right() >= count->width());
        QApplication::processEvents(); // the toolbar lays itself out again
        QVERIFY(colours->isVisible());
    }

    // Beside the page box, which keeps the number, a document's own page labels with the count; a
    // label typed in the box goes to its page. A document without labels shows the count alone.
    void pageLabelsBesideTheNumber()
    {
        m_view->resize(1000, 600);
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("roman.pdf"),
                                           TestPdfs::labelled("0 << /S /r >> 2 << /S /D >>", 4))));
        auto *label = m_view->findChild<QLabel *>("pageLabel");
        auto *count = m_view->findChild<QLabel *>("pageCount");
        QCOMPARE(label->text(), "i (1 / 4)");
        QTRY_VERIFY(label->isVisible() && !count->isVisible()); // the toolbar lays out later
        auto *box = m_view->findChild<QLineEdit *>("pageBox");
        for (const auto &[typed, page, shown] : QList<std::tuple<QString, int, QString>>{
                 {"ii", 2, "ii (2 / 4)"}, {"3", 3, "1 (3 / 4)"}, {"vii", 3, "1 (3 / 4)"}}) {
            box->setText(typed);
            QTest::keyClick(box, Qt::Key_Return);
            QVERIFY(m_view->currentPage() == page && box->text() == QString::number(page));
            QCOMPARE(label->text(), shown);
        }
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("plain.pdf"), 3)));
        QCOMPARE(count->text(), "/ 3");
        QTRY_VERIFY(!label->isVisible() && count->isVisible());
    }

    // The pages alone hide the navigation pane; it comes back as it was.
    void pagesAloneHideThePane()
    {
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("plain.pdf"), 3)));
        auto *pane = m_view->findChild<QTabWidget *>("navigation");
        m_view->findChild<QAction *>("navigationPane")->trigger();
        QVERIFY(pane->isVisible());
        m_view->setToolbarAtTopEdge(true);
        QVERIFY(!pane->isVisible());
        m_view->setToolbarAtTopEdge(false);
        QVERIFY(pane->isVisible());
    }

    // The tree is read a level at a time, whether the pane shows or not: the entries the file
    // asks to open only near the top and while about a thousand are listed, the rest once
    // opened, so an outline 100,000 levels deep, one that loops or one that asks millions opened
    // opens at once, and "*" opens nothing. Each entry shows its page and goes to
    // its place; the entry and the thumbnail of the page read are the current ones. Thumbnails are
    // drawn once in view. Without an outline the pane opens on its thumbnails.
    void outlineAndThumbnails()
    {
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("linked.pdf"), TestPdfs::linked())));
        auto *button = m_view->findChild<QAction *>("navigationPane");
        auto *outline = m_view->findChild<QTreeWidget *>("outline");
        auto *pane = m_view->findChild<QTabWidget *>("navigation");
        QVERIFY(button->isEnabled() && !outline->isVisible());
        QCOMPARE(GuiTest::readEntries(outline),
                 QStringLiteral("Chapter one 1|Section 2|第二部分 3"));
        button->trigger();
        QVERIFY(pane->currentWidget() == outline);
        QTreeWidgetItem *section = outline->topLevelItem(0)->child(0);
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {},
                          outline->visualItemRect(section).center());
        QCOMPARE(m_view->currentPage(), 2);
        QCOMPARE(pointOnPage(1, 0, 396).y(), 0);
        m_view->showPlace(3, -1);
        QCOMPARE(outline->currentItem(), outline->topLevelItem(1));
        pane->setCurrentIndex(1);
        auto *thumbnails = m_view->findChild<QListWidget *>("thumbnails");
        // Smoothed, a line of text this small is mid grey at its darkest.
        QTRY_VERIFY(darkestGrey(thumbnails->item(2)->icon().pixmap(120, 480).toImage()) < 160);
        QCOMPARE(thumbnails->currentRow(), 2);
        QTest::mouseClick(thumbnails->viewport(), Qt::LeftButton, {},
                          thumbnails->visualItemRect(thumbnails->item(0)).center());
        QCOMPARE(m_view->currentPage(), 1);

        QVERIFY(m_view->LoadFile(writeFile("deep.pdf", TestPdfs::deepOutline(100000))));
        GuiTest::readEntries(outline);
        outline->setCurrentItem(outline->topLevelItem(0));
        QTest::keyClick(outline, Qt::Key_Asterisk); // would open every level below
        QCOMPARE(GuiTest::readEntries(outline), QStringLiteral("Level 1 1|Level 2 1|Level 3 1"));
        QTreeWidgetItem *third = outline->topLevelItem(0)->child(0)->child(0);
        third->setExpanded(true);
        QVERIFY(GuiTest::readEntries(outline).endsWith("|Level 4 1"));
        QVERIFY(!third->child(0)->isExpanded());
        QVERIFY(m_view->LoadFile(writeFile("loop.pdf", TestPdfs::loopingOutline())));
        GuiTest::readEntries(outline);
        outline->topLevelItem(0)->setExpanded(true);
        QCOMPARE(GuiTest::readEntries(outline), QStringLiteral("Start 1|Inner 2"));
        // Asked to open 64,000 entries, it lists a thousand or so. (The engine reads every
        // entry's children to say whether it has any, so a wider file is slow to read at all.)
        QVERIFY(m_view->LoadFile(writeFile("bomb.pdf", TestPdfs::openOutlineBomb(40))));
        const qsizetype listed = GuiTest::readEntries(outline).count('|') + 1;
        QVERIFY2(listed > 40 && listed <= 1000 + 40, qPrintable(QString::number(listed)));
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("plain.pdf"), 2)));
        QVERIFY(button->isEnabled() && GuiTest::readEntries(outline).isEmpty());
        QVERIFY(pane->currentWidget() == thumbnails);
    }

    // A level cut short ends in "…", which says how many entries it stands for and leads nowhere.
    void outlineLevelCutShortEndsInDots()
    {
        struct CutLevel : OutlineSource {
            QList<Entry> entries(const QList<int> &path) override
            {
                if (!path.isEmpty())
                    return {};
                Entry rest;
                rest.leftOut = 5;
                return {{QStringLiteral("Entry 1"), -1, 1}, rest};
            }
        };
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("cut.pdf"), 2)));
        m_view->setOutlineSource(std::make_shared<CutLevel>());
        auto *outline = m_view->findChild<QTreeWidget *>("outline");
        QCOMPARE(GuiTest::readEntries(outline), QStringLiteral("Entry 1 1|… "));
        QCOMPARE(outline->topLevelItem(1)->toolTip(0), QStringLiteral("另有 5 项未列出"));
        m_view->setCurrentPage(2);
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {},
                          outline->visualItemRect(outline->topLevelItem(1)).center());
        QCOMPARE(m_view->currentPage(), 2);
        m_view->setOutlineSource(nullptr);
    }

    // A level slow to come holds nothing: it is read off the view's thread while the view
    // answers with the tree busy, and listed when it comes. A source let go while it reads is told
    // to stop, and what it read after is not listed.
    void slowOutlineLevelHoldsNothing()
    {
        struct Slow : OutlineSource {
            QSemaphore given;
            std::atomic<bool> offMainThread{true};
            std::atomic<bool> stopped{false};
            QList<Entry> entries(const QList<int> &path) override
            {
                offMainThread = offMainThread && QThread::currentThread() != qApp->thread();
                given.tryAcquire(1, 10000);
                return {{QStringLiteral("Entry %1").arg(path.size()), -1, 1, -1, true}};
            }
            void stop() override
            {
                stopped = true;
                given.release();
            }
        };
        auto slow = std::make_shared<Slow>();
        auto *outline = m_view->findChild<QTreeWidget *>("outline");
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("slow.pdf"), 2)));
        QElapsedTimer held;
        held.start();
        m_view->setOutlineSource(slow);
        bool answered = false;
        QTimer::singleShot(0, m_view.get(), [&answered] { answered = true; });
        QTRY_VERIFY_WITH_TIMEOUT(answered, 2000);
        QVERIFY(held.elapsed() < 2000);
        QVERIFY(outline->topLevelItemCount() == 0 && outline->testAttribute(Qt::WA_SetCursor));
        slow->given.release();
        QCOMPARE(GuiTest::readEntries(outline), QStringLiteral("Entry 0 1"));
        outline->topLevelItem(0)->setExpanded(true);
        QVERIFY(outline->testAttribute(Qt::WA_SetCursor));
        m_view->setOutlineSource(nullptr);
        QVERIFY(slow->stopped && !outline->testAttribute(Qt::WA_SetCursor));
        QTest::qWait(100);
        QVERIFY(outline->topLevelItemCount() == 0 && slow->offMainThread);
    }

    // The pages the dialog chose go to the PDF file as the document's own pages, their text
    // readable, turned as shown; the dialog starts on the paper of the page being read, turned as
    // shown. A cancelled dialog prints nothing; a cut that cannot be made says why.
    void printsTheDocumentsOwnPages_data()
    {
        QTest::addColumn<QPoint>("range"); // from, to
        QTest::addColumn<bool>("currentPage");
        QTest::addColumn<int>("turns");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("password"); // of the PDF, given when asked
        QTest::newRow("every page")
            << QPoint(0, 0) << false << 0 << QStringList{"Contents", "Second page", "Third page"}
            << QString();
        QTest::newRow("range") << QPoint(2, 3) << false << 0
                               << QStringList{"Second page", "Third page"} << QString();
        QTest::newRow("current page")
            << QPoint(0, 0) << true << 0 << QStringList{"Third page"} << QString();
        QTest::newRow("turned") << QPoint(2, 2) << false << 1 << QStringList{"Second page"}
                                << QString();
        QTest::newRow("locked") << QPoint(2, 2) << false << 0 << QStringList{"Second page"}
                                << "secret";
    }
    void printsTheDocumentsOwnPages()
    {
        QFETCH(QPoint, range);
        QFETCH(bool, currentPage);
        QFETCH(int, turns);
        QFETCH(QStringList, texts);
        QFETCH(QString, password);
        FakeDialogs dialogs;
        m_view->setServices(&dialogs, nullptr, qEnvironmentVariable("QUILLMOOR_BOOK_TOOL"));
        dialogs.passwordAnswers = QStringList{password};
        const QByteArray pdf = TestPdfs::linked();
        QVERIFY(m_view->LoadFile(
            writeFile(QStringLiteral("linked.pdf"),
                      password.isEmpty() ? pdf : TestPdfs::locked(pdf, password))));
        m_view->setCurrentPage(3);
        for (int turn = 0; turn < turns; ++turn)
            m_view->findChild<QAction *>("rotateRight")->trigger();
        const QString printed = m_folder.filePath(QStringLiteral("printed.pdf"));
        QFile::remove(printed);
        QTest::keyClick(m_view.get(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(dialogs.printedPageCount == 3 && !QFile::exists(printed));
        QVERIFY(dialogs.printerLayout.pageSize().id() == QPageSize::Letter);
        QCOMPARE(dialogs.printerLayout.orientation(),
                 turns ? QPageLayout::Landscape : QPageLayout::Portrait);

        dialogs.printTo = printed;
        dialogs.printRange = {range.x(), range.y()};
        dialogs.printCurrentPage = currentPage;
        m_view->setColours(PageColours::Night); // for the screen only
        m_view->findChild<QAction *>("print")->trigger();
        QCOMPARE(dialogs.messages, QStringList());
        const std::unique_ptr<Pdf::Document> paper = Pdf::openFile(printed);
        QVERIFY(paper);
        QCOMPARE(paper->pageCount(), texts.size());
        for (int page = 0; page < texts.size(); ++page) {
            QStringList words;
            for (const Pdf::Word &word : paper->words(page))
                words << word.text;
            QVERIFY2(words.join(' ').contains(texts.at(page)), qPrintable(words.join(' ')));
            const QSizeF size = paper->pageSize(page);
            QCOMPARE(size.width() > size.height(), turns == 1);
        }

        m_view->setServices(&dialogs, nullptr, m_folder.filePath(QStringLiteral("none")));
        m_view->findChild<QAction *>("print")->trigger();
        QCOMPARE(dialogs.messages, QStringList("无法打印：无法启动打印程序：" +
                                               m_folder.filePath(QStringLiteral("none"))));
    }

    // Without the program that cuts pages they print as pictures, the paper turned with each page
    // as it shows.
    void printsPicturesWithoutTheProgram()
    {
        FakeDialogs dialogs;
        m_view->setServices(&dialogs, nullptr);
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("linked.pdf"), TestPdfs::linked())));
        m_view->findChild<QAction *>("rotateRight")->trigger();
        dialogs.printTo = m_folder.filePath(QStringLiteral("pictures.pdf"));
        dialogs.printRange = {2, 3};
        m_view->findChild<QAction *>("print")->trigger();
        const std::unique_ptr<Pdf::Document> paper = Pdf::openFile(dialogs.printTo);
        QVERIFY(paper && paper->pageCount() == 2 && dialogs.messages.isEmpty());
        for (int page = 0; page < 2; ++page) {
            const QSizeF size = paper->pageSize(page);
            QVERIFY(size.width() > size.height() && paper->words(page).isEmpty());
            QVERIFY(TestPdfs::hasInk(paper->draw(page, 1, 0, QRect())));
        }
    }

    // To a printer that takes PDF the pages chosen go as one PDF job of the document's own pages;
    // one that takes none is given pictures (here, with no printer at all, none can start), and
    // a job the printer refuses says why.
    void printsToAPrinterAsAPdfJob()
    {
        FakeDialogs dialogs;
        FakePrintJobs printer;
        m_view->setServices(&dialogs, nullptr, qEnvironmentVariable("QUILLMOOR_BOOK_TOOL"),
                            &printer);
        QVERIFY(m_view->LoadFile(writeFile(QStringLiteral("linked.pdf"), TestPdfs::linked())));
        dialogs.printToPrinter = true;
        dialogs.printRange = {2, 3};
        m_view->findChild<QAction *>("print")->trigger();
        QCOMPARE(dialogs.messages, QStringList());
        QCOMPARE(printer.jobs.size(), 1);
        QCOMPARE(printer.jobs.first().first, "linked.pdf");
        const std::unique_ptr<Pdf::Document> paper = Pdf::openMemory(printer.jobs.first().second);
        QVERIFY(paper && paper->pageCount() == 2);
        QVERIFY(paper->text(0).contains("Second page") && paper->text(1).contains("Third page"));

        printer.answer = QStringLiteral("The printer is stopped.");
        m_view->findChild<QAction *>("print")->trigger();
        QCOMPARE(dialogs.messages, QStringList("无法打印：The printer is stopped."));
        printer.takes = false;
        m_view->findChild<QAction *>("print")->trigger();
        QCOMPARE(printer.jobs.size(), 2);
        QCOMPARE(dialogs.messages.last(), "无法打印：无法启动打印机");
    }

    // The preview shows the pages from the one being read on, at most PrintPreview::MaxPages; its
    // print button opens the printer dialog, and the pages print as the document's own.
    void previewPrintsThroughTheDialog()
    {
        FakeDialogs dialogs;
        m_view->setServices(&dialogs, nullptr, qEnvironmentVariable("QUILLMOOR_BOOK_TOOL"));
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("long.pdf"), 30)));
        m_view->setCurrentPage(5);
        m_view->findChild<QAction *>("printPreview")->trigger();
        auto *preview = m_view->findChild<QDialog *>("printPreview");
        QVERIFY(preview && preview->isVisible());
        QTRY_COMPARE(preview->findChild<QPrintPreviewWidget *>()->pageCount(),
                     PrintPreview::MaxPages);
        QVERIFY(preview->findChild<QLabel *>()->text().contains("共26页"));
        dialogs.printTo = m_folder.filePath(QStringLiteral("previewed.pdf"));
        dialogs.printRange = {29, 30};
        QTest::mouseClick(preview->findChild<QPushButton *>("previewPrint"), Qt::LeftButton);
        QTRY_VERIFY(QFile::exists(dialogs.printTo));
        QVERIFY(!m_view->findChild<QDialog *>("printPreview"));
        QCOMPARE(dialogs.printedPageCount, 30);
        const std::unique_ptr<Pdf::Document> paper = Pdf::openFile(dialogs.printTo);
        QVERIFY(paper && paper->pageCount() == 2 && dialogs.messages.isEmpty());
    }

    // The paper the printer dialog starts on: the page's own size either way round when printers
    // hold it, or the printer's; landscape for a page that shows wider than tall.
    void paperFollowsThePage_data()
    {
        QTest::addColumn<QSizeF>("points");
        QTest::addColumn<int>("turns");
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("orientation");
        const int portrait = QPageLayout::Portrait;
        const int landscape = QPageLayout::Landscape;
        QTest::newRow("letter") << QSizeF(612, 792) << 0 << int(QPageSize::Letter) << portrait;
        QTest::newRow("letter turned")
            << QSizeF(612, 792) << 3 << int(QPageSize::Letter) << landscape;
        QTest::newRow("a4 landscape") << QSizeF(842, 595) << 0 << int(QPageSize::A4) << landscape;
        QTest::newRow("a4 landscape turned")
            << QSizeF(842, 595) << 1 << int(QPageSize::A4) << portrait;
        QTest::newRow("4:3 slide") << QSizeF(720, 540) << 0 << int(QPageSize::B5) << landscape;
        QTest::newRow("a5 as pdf gives it")
            << QSizeF(419.53, 595.28) << 0 << int(QPageSize::A5) << portrait;
        QTest::newRow("unreadable page") << QSizeF() << 0 << int(QPageSize::B5) << portrait;
    }
    void paperFollowsThePage()
    {
        QFETCH(QSizeF, points);
        QFETCH(int, turns);
        QFETCH(int, paper);
        QFETCH(int, orientation);
        const QPageLayout printers(QPageSize(QPageSize::B5), QPageLayout::Portrait, QMarginsF());
        const QPageLayout layout = PrintChoice::layoutFor(points, turns, printers);
        QCOMPARE(int(layout.pageSize().id()), paper);
        QCOMPARE(int(layout.orientation()), orientation);
    }

    // The pages the dialog's answer prints, and how the program is told them.
    void printedPagesFollowTheDialog_data()
    {
        QTest::addColumn<int>("printRange");
        QTest::addColumn<QPoint>("fromTo");
        QTest::addColumn<QString>("pages");
        QTest::newRow("all") << int(QPrinter::AllPages) << QPoint(0, 0) << "1-12";
        QTest::newRow("range") << int(QPrinter::PageRange) << QPoint(3, 5) << "3-5";
        QTest::newRow("range past the end")
            << int(QPrinter::PageRange) << QPoint(11, 40) << "11-12";
        QTest::newRow("current page") << int(QPrinter::CurrentPage) << QPoint(0, 0) << "7";
    }
    void printedPagesFollowTheDialog()
    {
        QFETCH(int, printRange);
        QFETCH(QPoint, fromTo);
        QFETCH(QString, pages);
        QPrinter printer;
        printer.setFromTo(fromTo.x(), fromTo.y());
        printer.setPrintRange(QPrinter::PrintRange(printRange));
        QCOMPARE(PrintChoice::listText(PrintChoice::pages(printer, 12, 7)), pages);
        QCOMPARE(PrintChoice::listText({0, 1, 2, 4, 6, 7, 9}), "1-3,5,7-8,10");
    }

    // A locked PDF asks its password until the right one is given or the question cancelled.
    void lockedPdfAsksItsPassword()
    {
        FakeDialogs dialogs;
        m_view->setServices(&dialogs, nullptr);
        const QString locked =
            writeFile(QStringLiteral("locked.pdf"), TestPdfs::locked(TestPdfs::linked(), "secret"));
        const QString wrong = QStringLiteral("密码错误，请重新输入");
        dialogs.passwordAnswers = QStringList{"wrong"};
        QVERIFY(!m_view->LoadFile(locked) && m_view->pageCount() == 0);
        QCOMPARE(dialogs.passwordProblems, QStringList({QString(), wrong}));
        QCOMPARE(m_view->findChild<PageArea *>()->message(),
                 QStringLiteral("无法显示此文件\n已取消输入密码"));
        QSignalSpy unlocked(m_view.get(), &PdfView::unlocked);
        dialogs.passwordAnswers = QStringList{"wrong", "again", "secret"};
        QVERIFY(m_view->LoadFile(locked) && m_view->pageCount() > 0);
        QCOMPARE(dialogs.passwordProblems.mid(2), QStringList({QString(), wrong, wrong}));
        QCOMPARE(unlocked.value(0), QVariantList{"secret"});
    }

    // Night inverts each pixel's perceptual lightness (the grey of L* 50 is its own night
    // colour); warm paper tints white and keeps black.
    void pageColours_data()
    {
        QTest::addColumn<PageColours>("colours");
        QTest::addColumn<QRgb>("pixel");
        QTest::addColumn<QRgb>("shown");
        const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0), darkRed = qRgb(128, 0, 0);
        QTest::newRow("normal dark red") << PageColours::Normal << darkRed << darkRed;
        QTest::newRow("night white")
            << PageColours::Night << white << PageColouring::paper(PageColours::Night).rgb();
        QTest::newRow("night black") << PageColours::Night << black << white;
        QTest::newRow("night mid grey")
            << PageColours::Night << qRgb(119, 119, 119) << qRgb(119, 119, 119);
        QTest::newRow("warm white")
            << PageColours::Warm << white << PageColouring::paper(PageColours::Warm).rgb();
        QTest::newRow("warm black") << PageColours::Warm << black << black;
        QTest::newRow("warm dark red") << PageColours::Warm << darkRed << qRgb(122, 0, 0);
    }
    void pageColours()
    {
        QFETCH(PageColours, colours);
        QFETCH(QRgb, pixel);
        QFETCH(QRgb, shown);
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setPixel(0, 0, pixel);
        PageColouring::apply(image, colours);
        QCOMPARE(image.pixel(0, 0), shown);
    }

    // Night colours stay readable on the night paper, as WCAG asks of text (4.5:1), and keep
    // their hue: pure blue links must not stay dark blue, nor pure green turn dark.
    void nightColoursStayReadable_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::newRow("blue") << QColor(0, 0, 255);
        QTest::newRow("red") << QColor(255, 0, 0);
        QTest::newRow("green") << QColor(0, 255, 0);
        QTest::newRow("dark red") << QColor(128, 0, 0);
        QTest::newRow("dark green") << QColor(0, 100, 0);
        QTest::newRow("light blue") << QColor(128, 128, 255);
    }
    void nightColoursStayReadable()
    {
        QFETCH(QColor, colour);
        QImage image(1, 1, QImage::Format_RGB32);
        image.setPixel(0, 0, colour.rgb());
        PageColouring::apply(image, PageColours::Night);
        const QColor shown = image.pixelColor(0, 0);
        QVERIFY2(contrast(shown, PageColouring::paper(PageColours::Night)) >= 4.5,
                 qPrintable(shown.name()));
        const int hueShift = qAbs(shown.hsvHue() - colour.hsvHue());
        QVERIFY2(qMin(hueShift, 360 - hueShift) <= 25, qPrintable(shown.name()));
    }

    // A ramp of greys comes back a ramp of greys, reversed.
    void nightKeepsTheOrderOfGreys()
    {
        QImage image(52, 1, QImage::Format_ARGB32_Premultiplied);
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, 0, qRgb(5 * x, 5 * x, 5 * x));
        PageColouring::apply(image, PageColours::Night);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb shown = image.pixel(x, 0);
            QVERIFY(qRed(shown) == qGreen(shown) && qGreen(shown) == qBlue(shown));
            if (x > 0)
                QVERIFY2(qRed(shown) < qRed(image.pixel(x - 1, 0)), qPrintable(QString::number(x)));
        }
    }

    // A thumbnail and a presented page smooth their text as the view does: unsmoothed, text
    // comes in two to four greys where the view's has a hundred.
    void thumbnailsAndPresentationSmoothTextAsTheView()
    {
        m_view->resize(800, 600);
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("text.pdf"), 1)));
        auto *pages = m_view->findChild<QAbstractScrollArea *>("pages");
        QTRY_VERIFY(showsInk());
        const int inView = greyLevels(pages->viewport()->grab().toImage());
        m_view->findChild<QAction *>("navigationPane")->trigger();
        m_view->findChild<QTabWidget *>("navigation")->setCurrentIndex(1);
        auto *thumbnails = m_view->findChild<QListWidget *>("thumbnails");
        const auto thumbnail = [thumbnails] {
            return thumbnails->item(0)->icon().pixmap(120, 480).toImage();
        };
        QTRY_VERIFY(TestPdfs::hasInk(thumbnail()));
        const int inThumbnail = greyLevels(thumbnail());
        m_view->present();
        auto *presenting = m_view->findChild<QWidget *>("presentationWindow");
        QVERIFY(presenting);
        QTRY_VERIFY(qGray(presenting->grab().toImage().pixel(presenting->rect().center())) > 200);
        const int presented = greyLevels(presenting->grab().toImage());
        presenting->close();
        const QByteArray levels = QByteArray::number(inView) + " in the view, " +
                                  QByteArray::number(inThumbnail) + " in the thumbnail, " +
                                  QByteArray::number(presented) + " presented";
        QVERIFY2(inView >= 64, levels);
        QVERIFY2(inThumbnail * 4 >= inView && presented * 4 >= inView, levels);
    }

    // Two pages side by side, fitted together, the left one current; night colours the pages and
    // the thumbnails and are told; the reader's choices come back in the look.
    void spreadsAndNightColours()
    {
        m_view->resize(1000, 600);
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("a.pdf"), 5)));
        auto *pages = m_view->findChild<PageArea *>();
        const int singleWidth = pages->shownPageRect(0).width();
        m_view->findChild<QComboBox *>("layoutBox")->setCurrentIndex(1);
        const QRect left = pages->shownPageRect(0);
        const QRect right = pages->shownPageRect(1);
        QVERIFY(right.left() > left.right() && right.top() == left.top());
        QVERIFY(qAbs(2 * left.width() + PageLayout::Gap - singleWidth) < 4);
        m_view->setCurrentPage(4);
        QVERIFY(m_view->currentPage() == 4 && pageBox() == "4" && pages->currentPage() == 3);
        QSignalSpy told(m_view.get(), &PdfView::coloursChosen);
        m_view->findChild<QComboBox *>("colourBox")->setCurrentIndex(1);
        QCOMPARE(told.value(0).value(0).value<PageColours>(), PageColours::Night);
        const auto darkAt = [pages](QPoint point) {
            return qGray(pages->viewport()->grab().toImage().pixel(point)) < 30;
        };
        QTRY_VERIFY(darkAt(pages->shownPageRect(3).topLeft() + QPoint(3, 3)));
        m_view->findChild<QAction *>("navigationPane")->trigger();
        auto *thumbnails = m_view->findChild<QListWidget *>("thumbnails");
        // The pane turns to the thumbnails once it has read that the document has no outline.
        QTRY_VERIFY(thumbnails->item(3) &&
                    qGray(thumbnails->item(3)->icon().pixmap(120, 480).toImage().scaled(1, 1).pixel(
                        0, 0)) < 60);
        QCOMPARE(m_view->look().spread, PageLayout::Spread::TwoPages);
        m_view->setLook({1.0, 0, PageLayout::Spread::TwoPagesCover});
        QCOMPARE(m_view->findChild<QComboBox *>("layoutBox")->currentText(), "双页(封面)");
    }

    // A typed zoom is held to 50% to 400%, text that is none is put back, a fitting mode shows
    // its zoom, and so does Ctrl+wheel; fitting the page shows the current one centred (here at
    // the least zoom, a little higher than the view).
    // At 400% an A4 page would take 57 MiB: it is drawn as the part in view only.
    void zoomBoxAndLargePages()
    {
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("a.pdf"), 3)));
        auto *zoom = m_view->findChild<QComboBox *>("zoomBox");
        QList<std::pair<QRect, qint64>> drawn; // at 400%
        connect(m_view->findChild<PageArea *>()->findChild<PageRenderer *>(),
                &PageRenderer::rendered, this,
                [&](const PageRenderer::Job &job, const QImage &image) {
                    if (job.scale == PageLayout::pixelsPerPoint(4.0))
                        drawn << std::pair(job.part, image.sizeInBytes());
                });
        const QList<std::pair<QString, QString>> typed{
            {"1000", "400%"}, {"abc", "400%"}, {"30%", "50%"}, {" 125 % ", "125%"}};
        for (const auto &[text, shown] : typed) {
            zoom->lineEdit()->setText(text);
            QTest::keyClick(zoom->lineEdit(), Qt::Key_Return);
            QCOMPARE(zoom->currentText(), shown);
        }
        zoom->lineEdit()->setText("400");
        QTest::keyClick(zoom->lineEdit(), Qt::Key_Return);
        QTRY_VERIFY(!drawn.isEmpty());
        for (const auto &[part, bytes] : drawn)
            QVERIFY(!part.isEmpty() && bytes <= PageArea::LargestWholePage);
        QTest::keyClick(m_view->findChild<PageArea *>(), Qt::Key_End);
        QCOMPARE(m_view->currentPage(), 3);
        emit zoom->activated(zoom->findText(QStringLiteral("适合宽度")));
        QCOMPARE(zoom->currentText(), "59%"); // an A4 page across 486 pixels beside the bar
        QCOMPARE(m_view->currentPage(), 3);
        m_view->setCurrentPage(2);
        emit zoom->activated(zoom->findText(QStringLiteral("适合页面")));
        auto *area = m_view->findChild<PageArea *>();
        const QRect page = area->shownPageRect(1), room = area->viewport()->rect();
        QVERIFY(qAbs(page.center().y() - room.center().y()) <= 1 && room.contains(page.center()));
        QWheelEvent zooming(room.center(), room.center(), {}, {0, 120}, {}, Qt::ControlModifier,
                            Qt::NoScrollPhase, false);
        QApplication::sendEvent(area->viewport(), &zooming);
        QCOMPARE(zoom->currentText(), QString::number(qRound(area->zoom() * 100)) + "%");
    }

    // A hidden view draws nothing: it may not be at the size it is shown at. Shown, its pages are
    // drawn at the shown size alone. The first page, cut by the view's lower edge, comes first as
    // the part that shows, then whole.
    void hiddenViewDrawsOnceShown()
    {
        m_view->hide();
        QList<PageRenderer::Job> drawn;
        auto *area = m_view->findChild<PageArea *>();
        connect(area->findChild<PageRenderer *>(), &PageRenderer::rendered, this,
                [&drawn](const PageRenderer::Job &job, const QImage &) { drawn << job; });
        QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("a.pdf"), 3)));
        m_view->resize(900, 700);
        QTest::qWait(200);
        QVERIFY(drawn.isEmpty());
        m_view->show();
        QTRY_VERIFY(drawn.size() >= 2);
        QVERIFY(showsInk());
        for (const PageRenderer::Job &job : drawn)
            QCOMPARE(job.scale, PageLayout::pixelsPerPoint(area->zoom()));
        const QRect page = area->shownPageRect(0);
        const QRect room = area->viewport()->rect();
        QVERIFY(page.bottom() > room.bottom());
        QCOMPARE(drawn.at(0).page, 0);
        QCOMPARE(drawn.at(0).part, QRect(0, 0, page.width(), room.bottom() - page.top() + 1));
        QVERIFY(drawn.at(1).page == 0 && drawn.at(1).part.isEmpty());
    }

    // The least recently used go first once 64 MiB are held; one image above it is never kept.
    // Pages far from the view go as it moves on.
    void pageCacheKeepsToItsBudget()
    {
        PageCache cache;
        const auto entry = [](int page, int mib) {
            return PageCache::Entry{
                page, 1.0, 0, QRect(), QImage(1024, 256 * mib, QImage::Format_ARGB32), false};
        };
        for (int page = 0; page < 8; ++page)
            cache.insert(entry(page, 8));
        QVERIFY(cache.find(0, 1.0, 0) && !cache.find(0, 2.0, 0) && !cache.find(0, 1.0, 1));
        cache.insert(entry(8, 8));
        QVERIFY(cache.find(0, 1.0, 0) && !cache.find(1, 1.0, 0) && cache.find(2, 1.0, 0));
        cache.insert(entry(9, 65));
        QVERIFY(!cache.find(9, 1.0, 0) && cache.bytes() == PageCache::Budget);

        // As the view moves on, the pages more than one from it go; one that could not be drawn
        // stays known.
        cache.clear();
        for (int page = 0; page < 7; ++page)
            cache.insert(entry(page, 1));
        cache.insert({20, 1.0, 0, QRect(), QImage(), true});
        cache.dropFarFrom(4, 4);
        QList<int> kept;
        for (int page = 0; page < 21; ++page) {
            if (const PageCache::Entry *found = cache.find(page, 1.0, 0))
                kept << found->page;
        }
        QCOMPARE(kept, QList<int>({3, 4, 5, 20}));
        QCOMPARE(cache.bytes(), 3 * 1024 * 1024);

        // A whole page drawn replaces the parts of it drawn first at its scale, and those alone.
        cache.clear();
        const QImage quarter(1024, 64, QImage::Format_ARGB32);
        cache.insert({1, 1.0, 0, QRect(0, 0, 1024, 64), quarter, false});
        cache.insert({1, 2.0, 0, QRect(0, 0, 1024, 64), quarter, false});
        cache.insert(entry(1, 1));
        QVERIFY(!cache.latestPart(1, 1.0, 0) && cache.latestPart(1, 2.0, 0));
        QCOMPARE(cache.bytes(), 1024 * 1024 + quarter.sizeInBytes());
    }

    // Page capture takes the first edit box holding a number: the page box, never the zoom box
    // or the find field however they are typed in. The place in twips reads back exactly, on whole
    // pixels.
    void pageCaptureFindsThePageBoxAndThePlaceReadsBack()
    {
        auto *toolbar = m_view->findChild<QToolBar *>("toolbar");
        m_view->setShowToolbar(false);
        QVERIFY(!toolbar->isVisible() && !m_view->isToolbarShown());
        m_view->setShowToolbar(true);
        auto *pageBox = m_view->findChild<QLineEdit *>("pageBox");
        QCOMPARE(toolbar->widgetForAction(toolbar->actions().first()), pageBox);
        m_view->resize(325, 400); // the view at the window's smallest size
        QTRY_VERIFY(pageBox->isVisible());
        auto *zoom = m_view->findChild<QComboBox *>("zoomBox")->lineEdit();
        for (const int page : {0, 2}) {
            QVERIFY(page == 0 || m_view->LoadFile(writePdf(QStringLiteral("a.pdf"), 3)));
            m_view->setCurrentPage(page);
            zoom->setText(QStringLiteral("12"));
            m_view->findChild<QLineEdit *>("findField")->setText("12");
            Module1::FindPageBox(m_view.get());
            QCOMPARE(int(Module1::CurrentPage), page);
        }
        PdfView view;
        view.setTwipsGeometry(3720, 60, 10455, 9015);
        QCOMPARE(view.geometry(), QRect(248, 4, 697, 601));
        view.setWidth(10457);
        QCOMPARE(QRect(view.Left(), view.Top(), view.Width(), view.Height()),
                 QRect(3720, 60, 10457, 9015));
    }
};

QTEST_MAIN(TestPdfView)
#include "tst_pdfview.moc"
