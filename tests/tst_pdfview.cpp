#include "gui/pdfview/pdfview.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <memory>

class TestPdfView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_view.reset(); }

    void setCurrentPage_data();
    void setCurrentPage();
    void keepsShowingAFileDeletedOrRewrittenAfterLoad();
    void fileThatCannotBeShownLeavesTheViewEmpty_data();
    void fileThatCannotBeShownLeavesTheViewEmpty();
    void toolbarHoldsTheOneEditBox();
    void placeInTwips();

private:
    QString writePdf(const QString &name, int pages)
    {
        const QString path = m_folder->filePath(name);
        return TestPdfs::write(path, pages) ? path : QString();
    }
    QLineEdit *pageBox() const { return m_view->findChild<QLineEdit *>(QStringLiteral("pageBox")); }
    QAbstractScrollArea *pages() const
    {
        return m_view->findChild<QAbstractScrollArea *>(QStringLiteral("pages"));
    }
    // True when the visible part of the pages holds dark pixels: a page has been drawn.
    bool showsInk() const
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

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<PdfView> m_view;
};

void TestPdfView::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_view = std::make_unique<PdfView>();
    m_view->resize(500, 600);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestPdfView::setCurrentPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("shown");
    // The view stands on page 2 of 5.
    QTest::newRow("a middle page") << 3 << 3;
    QTest::newRow("the first page") << 1 << 1;
    QTest::newRow("the last page") << 5 << 5;
    QTest::newRow("0 is ignored") << 0 << 2;
    QTest::newRow("one past the last page is ignored") << 6 << 2;
}

void TestPdfView::setCurrentPage()
{
    QFETCH(int, page);
    QFETCH(int, shown);
    QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("five.pdf"), 5)));
    QCOMPARE(m_view->findChild<QLabel *>(QStringLiteral("pageCount"))->text(),
             QStringLiteral("/ 5"));
    m_view->setCurrentPage(2);
    m_view->setCurrentPage(page);
    QCOMPARE(m_view->currentPage(), shown);
    QCOMPARE(pageBox()->text(), QString::number(shown));
    QTRY_VERIFY(showsInk());

    // The next document starts at its own first page.
    QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("three.pdf"), 3)));
    QCOMPARE(m_view->currentPage(), 1);
    QCOMPARE(pages()->verticalScrollBar()->value(), 0);
}

// One scratch file is written, loaded and deleted for every chapter.
void TestPdfView::keepsShowingAFileDeletedOrRewrittenAfterLoad()
{
    const QString path = writePdf(QStringLiteral("Velmforge.pdf"), 40);
    QVERIFY(m_view->LoadFile(path));
    QVERIFY(QFile::remove(path));
    m_view->setCurrentPage(37);
    QCOMPARE(m_view->currentPage(), 37);
    QTRY_VERIFY(showsInk());

    QVERIFY(TestFiles::write(path, TestFiles::read(writePdf(QStringLiteral("other.pdf"), 7))));
    QVERIFY(m_view->LoadFile(path));
    QCOMPARE(m_view->pageCount(), 7);
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
    QCOMPARE(pageBox()->text(), QString());
    QTest::qWait(50);
    QVERIFY(!showsInk());
    QVERIFY(!QApplication::activeModalWidget());
    m_view->setCurrentPage(1);
    QCOMPARE(m_view->currentPage(), 0);
}

// Page capture walks the window for an edit box: the page box must be the only one.
void TestPdfView::toolbarHoldsTheOneEditBox()
{
    auto *toolbar = m_view->findChild<QToolBar *>(QStringLiteral("toolbar"));
    m_view->setShowToolbar(false);
    QVERIFY(!toolbar->isVisible());
    m_view->setShowToolbar(true);
    QVERIFY(toolbar->isVisible());
    const QList<QLineEdit *> edits = m_view->findChildren<QLineEdit *>();
    QCOMPARE(edits.size(), 1);
    QCOMPARE(edits.constFirst()->parentWidget(), toolbar);
}

// The view keeps its place in twips exactly, though it stands on whole pixels.
void TestPdfView::placeInTwips()
{
    PdfView view;
    view.setTwipsGeometry(3720, 60, 10455, 9015);
    QCOMPARE(view.geometry(), QRect(248, 4, 697, 601));
    view.setWidth(10457);
    QCOMPARE(QRect(view.Left(), view.Top(), view.Width(), view.Height()),
             QRect(3720, 60, 10457, 9015));
}

QTEST_MAIN(TestPdfView)
#include "tst_pdfview.moc"
