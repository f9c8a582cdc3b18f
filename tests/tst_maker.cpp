#include "core/sources/sourcefiles.h"
#include "testfiles.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace SourceFiles;

// Names in the folder order: digits compared as characters ("10" before "2"), Chinese by pinyin
// (安 an, 李 li, 张 zhang; other locales order them by code) and before Latin letters, letter
// case ignored but "A" before "a" so that the order is always the same, "å" beside "a" (not after
// "z" as in Swedish).
static const QStringList FolderOrder{"10.pdf", "2.pdf", "安.pdf",  "李四.pdf", "张三.pdf", "A.pdf",
                                     "a.pdf",  "å.pdf", "b10.pdf", "B2.pdf",   "z.pdf"};

class TestMaker : public QObject
{
    Q_OBJECT

private slots:
    void namesChaptersAndRecognisesPdfPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isPdf");
        const auto row = [](const QString &path, const QString &name, bool isPdf) {
            QTest::newRow(qPrintable(path)) << path << name << isPdf;
        };
        row("/x.pdf/第二章.pDf", "第二章", true);
        row("/docs/a.PDF.bak.pdf", "a.bak", true);
        row(".pdf", "", true);
        row("/a/bpdf", "bpdf", false);
        row("/a/b.pdf.bak", "b.bak", false);
    }
    void namesChaptersAndRecognisesPdfPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(bool, isPdf);
        QCOMPARE(chapterNameOf(path), name);
        QCOMPARE(isPdfPath(path), isPdf);
    }

    // Symbolic links: one to a PDF file is listed like the file (the user put it there); one that
    // leads nowhere or to a folder is not, as neither can become a chapter.
    void listsThePdfFilesOfAFolderInTheFolderOrder()
    {
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const QDir folder(dir.path());
        for (const QString &name : FolderOrder + QStringList{"C.PDF", "notes.txt", "x.pdf.txt",
                                                             ".hidden.pdf", "sub/inner.pdf"}) {
            QVERIFY(folder.mkpath(QFileInfo(name).path()));
            QVERIFY(TestFiles::write(folder.filePath(name), TestFiles::pdfLike(100, 1)));
        }
        QVERIFY(folder.mkpath("folder.pdf") && TestFiles::write(elsewhere.filePath("t.pdf"), ""));
        QVERIFY(QFile::link(elsewhere.filePath("t.pdf"), folder.filePath("link.pdf")));
        QVERIFY(QFile::link(elsewhere.filePath("missing.pdf"), folder.filePath("broken.pdf")));
        QVERIFY(QFile::link(elsewhere.path(), folder.filePath("linked-folder.pdf")));
        QStringList expected = FolderOrder;
        expected.insert(10, "C.PDF");
        expected.insert(11, "link.pdf");
        for (QString &name : expected)
            name = folder.filePath(name);
        QCOMPARE(pdfFilesInFolder(dir.path()), expected);
        // A folder path ending in a separator gives the same paths, without a doubled separator.
        QCOMPARE(pdfFilesInFolder(dir.path() + '/'), expected);
        QVERIFY(pdfFilesInFolder(folder.filePath("missing")).isEmpty());
        QVERIFY(pdfFilesInFolder(folder.filePath("notes.txt")).isEmpty());
    }

    // Whatever the user's locale, and whatever order the folder gives names equal but for case.
    void sortsInTheFolderOrderWhateverTheLocale()
    {
        const QLocale userLocale;
        for (const QLocale::Language language : {QLocale::Swedish, QLocale::Japanese, QLocale::C}) {
            QLocale::setDefault(QLocale(language));
            QStringList names(FolderOrder.rbegin(), FolderOrder.rend());
            sortInFolderOrder(names);
            QCOMPARE(names, FolderOrder);
            for (QStringList pair :
                 {QStringList{"a.pdf", "A.pdf"}, QStringList{"A.pdf", "a.pdf"}}) {
                sortInFolderOrder(pair);
                QCOMPARE(pair, (QStringList{"A.pdf", "a.pdf"}));
            }
        }
        QLocale::setDefault(userLocale);
    }
};

QTEST_GUILESS_MAIN(TestMaker)
#include "tst_maker.moc"
