// The contracts the windows rely on: LoadFile, setCurrentPage, the one edit box, twips.
#include "gui/pdfview/pdfview.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

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
    QString pageBox() const { return m_view->findChild<QLineEdit *>("pageBox")->text(); }
    // True when the visible part of the pages holds dark pixels: a page has been drawn.
    bool showsInk() const
    {
        auto *pages = m_view->findChild<QAbstractScrollArea *>(QStringLiteral("pages"));
        const QImage shot = pages->viewport()->grab().toImage();
        for (int y = 0; y < shot.height(); y += 2) {
            for (int x = 0; x < shot.width(); x += 2) {
                if (qGray(shot.pixel(x, y)) < 40)
                    return true;
            }
        }
        return false;
    }

private slots:
    void init()
    {
        m_view = std::make_unique<PdfView>();
        m_view->resize(500, 600);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() { m_view.reset(); }

    // A page outside the document is ignored. The file may go or be rewritten once loaded; the
    // next load reads it afresh and starts at its first page.
    void showsTheRequestedPageOfAFileGoneSinceLoading()
    {
        const QString path = writePdf(QStringLiteral("Velmforge.pdf"), 5);
        QVERIFY(m_view->LoadFile(path) && QFile::remove(path));
        QCOMPARE(m_view->findChild<QLabel *>(QStringLiteral("pageCount"))->text(), "/ 5");
        for (const auto &[page, shown] :
             QList<std::pair<int, int>>{{3, 3}, {0, 3}, {6, 3}, {5, 5}}) {
            m_view->setCurrentPage(page);
            QVERIFY(m_view->currentPage() == shown && pageBox() == QString::number(shown));
        }
        QTRY_VERIFY(showsInk());
        QVERIFY(TestFiles::write(path, TestFiles::read(writePdf(QStringLiteral("7.pdf"), 7))));
        QVERIFY(m_view->LoadFile(path));
        QVERIFY(m_view->pageCount() == 7 && m_view->currentPage() == 1);
    }

    // No message: the view is left without a document until the next good load.
    void fileThatCannotBeShownLeavesTheViewEmpty()
    {
        const QString bad = m_folder.filePath(QStringLiteral("bad.pdf"));
        for (const QByteArray &bytes : {QByteArray(), TestFiles::pdfLike(5000, 3)}) {
            QVERIFY(m_view->LoadFile(writePdf(QStringLiteral("good.pdf"), 2)));
            QTRY_VERIFY(showsInk());
            QVERIFY(TestFiles::write(bad, bytes) && !m_view->LoadFile(bad));
            QVERIFY(m_view->pageCount() == 0 && pageBox().isEmpty());
            QTest::qWait(50);
            QVERIFY(!showsInk() && !QApplication::activeModalWidget());
            m_view->setCurrentPage(1);
            QCOMPARE(m_view->currentPage(), 0);
        }
        QVERIFY(!m_view->LoadFile(m_folder.filePath(QStringLiteral("missing.pdf"))));
    }

    // Page capture walks the window for an edit box: the page box must be the only one. The
    // place in twips reads back exactly, though the view stands on whole pixels.
    void toolbarAndPlace()
    {
        auto *toolbar = m_view->findChild<QToolBar *>(QStringLiteral("toolbar"));
        m_view->setShowToolbar(false);
        QVERIFY(!toolbar->isVisible() && !m_view->isToolbarShown());
        m_view->setShowToolbar(true);
        QVERIFY(toolbar->isVisible());
        const QList<QLineEdit *> edits = m_view->findChildren<QLineEdit *>();
        QVERIFY(edits.size() == 1 && edits.constFirst()->parentWidget() == toolbar);
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
