#include "gui/pdfview/pdfview.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>

#include <memory>

class TestPdfView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadsAFileFromItsFirstPage();
    void setCurrentPageGoesToThatPage_data();
    void setCurrentPageGoesToThatPage();
    void pageBoxToolbarKeysAndWheelTurnPages();
    void zoomChangesThePageSize();
    void keepsShowingAFileDeletedOrRewrittenAfterLoad();
    void fileThatCannotBeShownLeavesTheViewEmpty_data();
    void fileThatCannotBeShownLeavesTheViewEmpty();
    void toolbarShowsAndHides();
    void placeInTwips_data();
    void placeInTwips();

private:
    QString writePdf(const QString &name, int pages);
    QLineEdit *pageBox() const { return m_view->findChild<QLineEdit *>(QStringLiteral("pageBox")); }
    QAbstractScrollArea *pages() const
    {
        return m_view->findChild<QAbstractScrollArea *>(QStringLiteral("pages"));
    }
    void trigger(const char *name) { m_view->findChild<QAction *>(QLatin1String(name))->trigger(); }
    // True when the visible part of the pages holds dark pixels: a page has been drawn.
    bool showsInk() const;

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<PdfView> m_view;
};

void TestPdfView::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_view = std::make_unique<PdfView>();
    m_view->resize(500, 600);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestPdfView::cleanup()
{
    m_view.reset();
    m_folder.reset();
}

QString TestPdfView::writePdf(const QString &name, int pages)
{
    const QString path = m_folder->filePath(name);
    return TestPdfs::write(path, pages) ? path : QString();
}

bool TestPdfView::showsInk() const
{
    const QImage shot = pages()->viewport()->grab().toImage();
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            if (qGray(shot.pixel(x, y)) < 40)
                return true;
        }
    }
    return false;
}

void TestPdfView::loadsAFileFromItsFirstPage()
{
    QCOMPARE(pageBox()->text(), QString());
    QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("five.pdf"), 5)));
    QCOMPARE(m_view->pageCount(), 5);
    QCOMPARE(m_view->currentPage(), 1);
    QCOMPARE(pageBox()->text(), QStringLiteral("1"));
    QCOMPARE(m_view->findChild<QLabel *>(QStringLiteral("pageCount"))->text(),
             QStringLiteral("/ 5"));
    QTRY_VERIFY(showsInk());

    // A second document starts at its own first page, whatever page the first one showed.
    m_view->setCurrentPage(4);
    QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("three.pdf"), 3)));
    QCOMPARE(m_view->pageCount(), 3);
    QCOMPARE(m_view->currentPage(), 1);
    QCOMPARE(pageBox()->text(), QStringLiteral("1"));
    QCOMPARE(pages()->verticalScrollBar()->value(), 0);
}

void TestPdfView::setCurrentPageGoesToThatPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("shown");
    // The view starts on page 2 of 5.
    QTest::newRow("a middle page") << 3 << 3;
    QTest::newRow("the first page") << 1 << 1;
    QTest::newRow("the last page") << 5 << 5;
    QTest::newRow("0 is ignored") << 0 << 2;
    QTest::newRow("a negative number is ignored") << -3 << 2;
    QTest::newRow("one past the last page is ignored") << 6 << 2;
}

void TestPdfView::setCurrentPageGoesToThatPage()
{
    QFETCH(int, page);
    QFETCH(int, shown);
    QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("five.pdf"), 5)));
    m_view->setCurrentPage(2);
    m_view->setCurrentPage(page);
    QCOMPARE(m_view->currentPage(), shown);
    QCOMPARE(pageBox()->text(), QString::number(shown));
    QTRY_VERIFY(showsInk());
}

void TestPdfView::pageBoxToolbarKeysAndWheelTurnPages()
{
    QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("five.pdf"), 5)));
    QLineEdit *box = pageBox();
    box->setText(QStringLiteral(" 4 "));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(m_view->currentPage(), 4);
    // No such page, or no number: the box shows the page shown again.
    for (const QString &typed : {QStringLiteral("9"), QStringLiteral("0"), QStringLiteral("iv")}) {
        box->setText(typed);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(m_view->currentPage(), 4);
        QCOMPARE(box->text(), QStringLiteral("4"));
    }

    trigger("nextPage");
    trigger("nextPage");
    QCOMPARE(m_view->currentPage(), 5);
    trigger("previousPage");
    QCOMPARE(m_view->currentPage(), 4);
    QCOMPARE(box->text(), QStringLiteral("4"));

    QScrollBar *bar = pages()->verticalScrollBar();
    QTest::keyClick(pages(), Qt::Key_End);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(m_view->currentPage(), 5);
    QTest::keyClick(pages(), Qt::Key_Home);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(m_view->currentPage(), 1);
    trigger("previousPage");
    QCOMPARE(m_view->currentPage(), 1);
    QTest::keyClick(pages(), Qt::Key_PageDown);
    QVERIFY(bar->value() > 0);
    QTest::keyClick(pages(), Qt::Key_PageUp);
    QCOMPARE(bar->value(), 0);

    const QPoint middle = pages()->viewport()->rect().center();
    QWheelEvent wheel(middle, pages()->viewport()->mapToGlobal(middle), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pages()->viewport(), &wheel);
    QVERIFY(bar->value() > 0);
}

void TestPdfView::zoomChangesThePageSize()
{
    QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("three.pdf"), 3)));
    QScrollBar *bar = pages()->verticalScrollBar();
    const int fitted = bar->maximum();
    trigger("zoomIn");
    QVERIFY(bar->maximum() > fitted);
    trigger("zoomOut");
    trigger("zoomOut");
    QVERIFY(bar->maximum() < fitted);
    trigger("fitWidth");
    QCOMPARE(bar->maximum(), fitted);
    QTRY_VERIFY(showsInk());
}

void TestPdfView::keepsShowingAFileDeletedOrRewrittenAfterLoad()
{
    const QString path = writePdf(QStringLiteral("Velmforge.pdf"), 40);
    QVERIFY(m_view->LoadFile(path));
    QVERIFY(QFile::remove(path));
    QCOMPARE(m_view->pageCount(), 40);
    // Pages far from the first are read from the deleted file only now.
    m_view->setCurrentPage(37);
    QCOMPARE(m_view->currentPage(), 37);
    QTRY_VERIFY(showsInk());

    // Rewritten in place, as one scratch file is rewritten for every chapter.
    QVERIFY(TestFiles::write(path, TestFiles::read(writePdf(QStringLiteral("other.pdf"), 7))));
    QVERIFY(m_view->LoadFile(path));
    QCOMPARE(m_view->pageCount(), 7);
    m_view->setCurrentPage(7);
    QCOMPARE(m_view->currentPage(), 7);
    QTRY_VERIFY(showsInk());
}

void TestPdfView::fileThatCannotBeShownLeavesTheViewEmpty_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists");
    QTest::newRow("no such file") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("PDF-like bytes") << TestFiles::pdfLike(5000, 3) << true;
}

void TestPdfView::fileThatCannotBeShownLeavesTheViewEmpty()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("good.pdf"), 2)));
    QTRY_VERIFY(showsInk());

    const QString path = m_folder->filePath(QStringLiteral("bad.pdf"));
    if (exists)
        QVERIFY(TestFiles::write(path, bytes));
    QVERIFY(!m_view->LoadFile(path));
    QCOMPARE(m_view->pageCount(), 0);
    QCOMPARE(m_view->currentPage(), 0);
    QCOMPARE(pageBox()->text(), QString());
    QTest::qWait(50);
    QVERIFY(!showsInk());
    // No message of its own, and going to a page of nothing is ignored.
    QVERIFY(!QApplication::activeModalWidget());
    m_view->setCurrentPage(1);
    QCOMPARE(m_view->currentPage(), 0);
}

void TestPdfView::toolbarShowsAndHides()
{
    auto *toolbar = m_view->findChild<QToolBar *>(QStringLiteral("toolbar"));
    QVERIFY(toolbar);
    m_view->setShowToolbar(false);
    QVERIFY(!toolbar->isVisible());
    QVERIFY(!m_view->isToolbarShown());
    m_view->setShowToolbar(true);
    QVERIFY(toolbar->isVisible());

    // The page box is the one edit box of the view, inside its toolbar, so a walk over the
    // window's widgets for an edit box finds the page number and nothing else.
    const QList<QLineEdit *> edits = m_view->findChildren<QLineEdit *>();
    QCOMPARE(edits.size(), 1);
    QCOMPARE(edits.constFirst()->parentWidget(), toolbar);
}

void TestPdfView::placeInTwips_data()
{
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QRect>("pixels");
    QTest::newRow("the design place") << QRect(3720, 60, 10455, 9015) << QRect(248, 4, 697, 601);
    QTest::newRow("values between pixels") << QRect(7, 8, 22, 23) << QRect(0, 1, 2, 1);
}

// The view keeps its place in twips exactly, though it stands on whole pixels.
void TestPdfView::placeInTwips()
{
    QFETCH(QRect, twips);
    QFETCH(QRect, pixels);
    PdfView view;
    view.setTwipsGeometry(twips.x(), twips.y(), twips.width(), twips.height());
    QCOMPARE(QRect(view.Left(), view.Top(), view.Width(), view.Height()), twips);
    QCOMPARE(view.geometry(), pixels);
    view.setWidth(twips.width() + 2);
    QCOMPARE(QRect(view.Left(), view.Top(), view.Width(), view.Height()),
             twips.adjusted(0, 0, 2, 0));
}

QTEST_MAIN(TestPdfView)
#include "tst_pdfview.moc"
