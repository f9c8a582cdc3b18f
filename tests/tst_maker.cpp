// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/sources/sourcefiles.h"
#include "testfiles.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace SourceFiles;

// The folder order: digits as characters, Chinese by pinyin before Latin letters, case ignored
// but "A" before "a" to be stable, "å" beside "a" (Swedish puts it after "z").
static const QStringList FolderOrder{"10.pdf", "2.pdf", "安.pdf",  "李四.pdf", "张三.pdf", "A.pdf",
                                     "a.pdf",  "å.pdf", "b10.pdf", "B2.pdf",   "z.pdf"};

class TestMaker : public QObject
{
    Q_OBJECT

    using Chapter = std::tuple<QString, QString, bool>;

private slots:
    // The name a path gives its chapter, and whether it is taken for a PDF.
    void namesChaptersAndRecognisesPdfPaths_data()
    {
        QTest::addColumn<Chapter>("row");
        QTest::newRow("mixed case suffix") << Chapter{"/x.pdf/第二章.pDf", "第二章", true};
        QTest::newRow(".PDF inside the name") << Chapter{"/docs/a.PDF.bak.pdf", "a.bak", true};
        QTest::newRow("only the suffix") << Chapter{".pdf", "", true};
        QTest::newRow("no dot") << Chapter{"/a/bpdf", "bpdf", false};
    }
    void namesChaptersAndRecognisesPdfPaths()
    {
        QFETCH(Chapter, row);
        const auto &[path, name, isPdf] = row;
        QCOMPARE(chapterNameOf(path), name);
        QCOMPARE(isPdfPath(path), isPdf);
    }

    // In any locale and input order. A link to a PDF file is listed like the file (the user put it
    // there); one that leads nowhere or to a folder is not, as neither can become a chapter.
    void listsAndSortsInTheFolderOrderWhateverTheLocale_data()
    {
        QTest::addColumn<QLocale::Language>("language");
        QTest::newRow("Swedish") << QLocale::Swedish;
        QTest::newRow("Japanese") << QLocale::Japanese;
        QTest::newRow("C") << QLocale::C;
    }
    void listsAndSortsInTheFolderOrderWhateverTheLocale()
    {
        QFETCH(QLocale::Language, language);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("sub") && QDir(dir.path()).mkpath("folder.pdf"));
        for (const QString &name : FolderOrder + QStringList{"C.PDF", "notes.txt", "x.pdf.txt",
                                                             ".hidden.pdf", "sub/inner.pdf"})
            QVERIFY(TestFiles::write(dir.filePath(name), "%PDF"));
        QVERIFY(QFile::link(dir.filePath("sub/inner.pdf"), dir.filePath("link.pdf")));
        QVERIFY(QFile::link(dir.filePath("sub/missing.pdf"), dir.filePath("broken.pdf")));
        QVERIFY(QFile::link(dir.filePath("sub"), dir.filePath("linked-folder.pdf")));
        QStringList expected = FolderOrder.mid(0, 10) + QStringList{"C.PDF", "link.pdf", "z.pdf"};
        for (QString &name : expected)
            name = dir.filePath(name);
        QLocale::setDefault(QLocale(language));
        QStringList names(FolderOrder.rbegin(), FolderOrder.rend());
        sortInFolderOrder(names);
        QCOMPARE(names, FolderOrder);
        QCOMPARE(pdfFilesInFolder(dir.path()), expected);
        QLocale::setDefault(QLocale::system());
        QCOMPARE(pdfFilesInFolder(dir.path() + '/'), expected);
        for (const char *notAFolder : {"missing", "notes.txt"})
            QVERIFY(pdfFilesInFolder(dir.filePath(notAFolder)).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMaker)
#include "tst_maker.moc"
