#include "core/sources/sourcefiles.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace SourceFiles;

namespace
{

const char SortNamesArgument[] = "--sort-names";

// Names in the folder order: digits compared as characters ("10" before "2"), Chinese by pinyin
// (安 an, 李 li, 张 zhang; other locales order them by code) and before Latin letters, letter
// case ignored but "A" before "a" so that the order is always the same, "å" beside "a" (not after
// "z" as in Swedish).
const QStringList FolderOrder{"10.pdf", "2.pdf", "安.pdf",  "李四.pdf", "张三.pdf", "A.pdf",
                              "a.pdf",  "å.pdf", "b10.pdf", "B2.pdf",   "z.pdf"};

bool makeFile(const QString &path)
{
    return TestFiles::write(path, TestFiles::pdfLike(100, 1));
}

} // namespace

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
                                                             ".hidden.pdf", "sub/inner.pdf"})
            QVERIFY(folder.mkpath(QFileInfo(name).path()) && makeFile(folder.filePath(name)));
        QVERIFY(folder.mkpath("folder.pdf") && makeFile(elsewhere.filePath("target.pdf")));
        QVERIFY(QFile::link(elsewhere.filePath("target.pdf"), folder.filePath("link.pdf")));
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
        for (const char *unlisted : {"missing", "notes.txt"})
            QVERIFY(pdfFilesInFolder(folder.filePath(unlisted)).isEmpty());
    }

    // The user's locale comes from the environment when a program starts.
    void sortsInTheFolderOrderWhateverTheLocale()
    {
        // Names equal but for letter case come in one order whatever order the folder gives.
        for (QStringList pair : {QStringList{"a.pdf", "A.pdf"}, QStringList{"A.pdf", "a.pdf"}}) {
            sortInFolderOrder(pair);
            QCOMPARE(pair, (QStringList{"A.pdf", "a.pdf"}));
        }
        for (const char *locale : {"C", "sv_SE.UTF-8", "ja_JP.UTF-8"}) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const char *variable : {"LC_ALL", "LC_COLLATE", "LANG", "LANGUAGE"})
                environment.insert(variable, locale);
            QProcess child;
            child.setProcessEnvironment(environment);
            child.start(QCoreApplication::applicationFilePath(),
                        QStringList{SortNamesArgument} +
                            QStringList(FolderOrder.rbegin(), FolderOrder.rend()));
            QVERIFY(child.waitForFinished(30000));
            QCOMPARE(child.exitCode(), 0);
            QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).split('\n'), FolderOrder);
        }
    }
};

// A child run prints the names given in the folder order, one per line, in UTF-8.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    if (arguments.size() > 1 && arguments.at(1) == QLatin1String(SortNamesArgument)) {
        arguments = arguments.mid(2);
        sortInFolderOrder(arguments);
        return std::fputs(arguments.join('\n').toUtf8().constData(), stdout) < 0;
    }
    TestMaker test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_maker.moc"
