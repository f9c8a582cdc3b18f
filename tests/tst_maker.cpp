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

private slots:
    // The name a path gives its chapter, and whether it is taken for a PDF.
    void namesChaptersAndRecognisesPdfPaths()
    {
        const QList<std::tuple<QString, QString, bool>> cases{
            {"/x.pdf/第二章.pDf", "第二章", true},
            {"/docs/a.PDF.bak.pdf", "a.bak", true},
            {".pdf", "", true},
            {"/a/bpdf", "bpdf", false}};
        for (const auto &[path, name, isPdf] : cases) {
            QCOMPARE(chapterNameOf(path), name);
            QCOMPARE(isPdfPath(path), isPdf);
        }
    }

    // In any locale and input order. A link to a PDF file is listed like the file (the user put it
    // there); one that leads nowhere or to a folder is not, as neither can become a chapter.
    void listsAndSortsInTheFolderOrderWhateverTheLocale()
    {
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
        for (const QLocale::Language language : {QLocale::Swedish, QLocale::Japanese, QLocale::C}) {
            QLocale::setDefault(QLocale(language));
            QStringList names(FolderOrder.rbegin(), FolderOrder.rend());
            sortInFolderOrder(names);
            QCOMPARE(names, FolderOrder);
            QCOMPARE(pdfFilesInFolder(dir.path()), expected);
        }
        QLocale::setDefault(QLocale::system());
        QCOMPARE(pdfFilesInFolder(dir.path() + '/'), expected);
        for (const char *notAFolder : {"missing", "notes.txt"})
            QVERIFY(pdfFilesInFolder(dir.filePath(notAFolder)).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMaker)
#include "tst_maker.moc"
