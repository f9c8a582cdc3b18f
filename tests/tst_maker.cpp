#include "core/sources/sourcefiles.h"
#include "testfiles.h"

#include <QDir>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
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

QStringList shuffled(QStringList names)
{
    std::reverse(names.begin(), names.end());
    std::rotate(names.begin(), names.begin() + 4, names.end());
    return names;
}

// Runs in a child process: prints the given names in the folder order, one per line, in UTF-8.
int printSortedNames(QStringList names)
{
    sortInFolderOrder(names);
    std::fputs(names.join('\n').toUtf8().constData(), stdout);
    return 0;
}

bool makeFile(const QString &path)
{
    return TestFiles::write(path, TestFiles::pdfLike(100, 1));
}

} // namespace

class TestMaker : public QObject
{
    Q_OBJECT

private slots:
    void namesChaptersAndRecognisesPdfPaths_data();
    void namesChaptersAndRecognisesPdfPaths();
    void listsThePdfFilesOfAFolder();
    void sortsInTheFolderOrderWhateverTheLocale();
};

void TestMaker::namesChaptersAndRecognisesPdfPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isPdf");
    QTest::newRow("upper case extension") << "/docs/Manual.PDF"
                                          << "Manual" << true;
    QTest::newRow("mixed case extension") << "/docs/Guide.pDf"
                                          << "Guide" << true;
    QTest::newRow("every .pdf removed") << "/docs/Report.PDF.pdf"
                                        << "Report" << true;
    QTest::newRow(".pdf inside the name") << "/docs/a.pdf.bak.pdf"
                                          << "a.bak" << true;
    QTest::newRow("whole name .pdf") << "/docs/.pdf"
                                     << "" << true;
    QTest::newRow("only the extension") << ".pdf"
                                        << "" << true;
    QTest::newRow("folder left out") << "/x.pdf/y.pdf/第二章.pdf"
                                     << "第二章" << true;
    QTest::newRow("relative") << "诗集 一.pdf"
                              << "诗集 一" << true;
    QTest::newRow("no extension") << "/docs/notes"
                                  << "notes" << false;
    QTest::newRow("no dot") << "/a/bpdf"
                            << "bpdf" << false;
    QTest::newRow(".pdf not last") << "/a/b.pdf.bak"
                                   << "b.bak" << false;
    QTest::newRow("folder called .pdf") << "/a.pdf/b"
                                        << "b" << false;
    QTest::newRow("empty") << ""
                           << "" << false;
}

void TestMaker::namesChaptersAndRecognisesPdfPaths()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(bool, isPdf);
    QCOMPARE(chapterNameOf(path), name);
    QCOMPARE(isPdfPath(path), isPdf);
}

// Symbolic links: one to a PDF file is listed like the file (the user put it there); one that
// leads nowhere or to a folder is not, as neither can become a chapter.
void TestMaker::listsThePdfFilesOfAFolder()
{
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QDir folder(dir.path());
    for (const char *name : {"b.pdf", "A.PDF", "c.Pdf", "10.pdf", "2.pdf", "附录.pdf", "notes.txt",
                             "x.pdf.txt", "xpdf", ".hidden.pdf"})
        QVERIFY(makeFile(folder.filePath(name)));
    QVERIFY(folder.mkpath("sub"));
    QVERIFY(makeFile(folder.filePath("sub/inner.pdf")));
    QVERIFY(folder.mkpath("folder.pdf"));
    QVERIFY(makeFile(elsewhere.filePath("target.pdf")));
    QVERIFY(QFile::link(elsewhere.filePath("target.pdf"), folder.filePath("link.pdf")));
    QVERIFY(QFile::link(elsewhere.filePath("missing.pdf"), folder.filePath("broken.pdf")));
    QVERIFY(QFile::link(elsewhere.path(), folder.filePath("linked-folder.pdf")));

    QStringList expected;
    for (const char *name : {"10.pdf", "2.pdf", "附录.pdf", "A.PDF", "b.pdf", "c.Pdf", "link.pdf"})
        expected << folder.filePath(name);
    QCOMPARE(pdfFilesInFolder(dir.path()), expected);
    // A folder path ending in a separator gives the same paths, without a doubled separator.
    QCOMPARE(pdfFilesInFolder(dir.path() + '/'), expected);
    // A folder that cannot be listed gives nothing.
    for (const char *name : {"missing", "b.pdf", "b.pdf/below"})
        QVERIFY(pdfFilesInFolder(folder.filePath(name)).isEmpty());
}

// In the folder listing too; the user's locale comes from the environment when a program starts.
void TestMaker::sortsInTheFolderOrderWhateverTheLocale()
{
    QStringList names = shuffled(FolderOrder);
    QVERIFY(names != FolderOrder);
    sortInFolderOrder(names);
    QCOMPARE(names, FolderOrder);
    // Names equal but for letter case come in one order whatever order the folder gives them.
    for (QStringList pair : {QStringList{"a.pdf", "A.pdf"}, QStringList{"A.pdf", "a.pdf"}}) {
        sortInFolderOrder(pair);
        QCOMPARE(pair, (QStringList{"A.pdf", "a.pdf"}));
    }
    QTemporaryDir dir;
    for (const QString &name : FolderOrder)
        QVERIFY(makeFile(QDir(dir.path()).filePath(name)));
    QStringList listed;
    for (const QString &path : pdfFilesInFolder(dir.path()))
        listed << QFileInfo(path).fileName();
    QCOMPARE(listed, FolderOrder);

    const QLocale oldDefault;
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    names = shuffled(FolderOrder);
    sortInFolderOrder(names);
    QLocale::setDefault(oldDefault);
    QCOMPARE(names, FolderOrder);
    for (const char *locale : {"C", "sv_SE.UTF-8", "ja_JP.UTF-8", "en_US.UTF-8", "de_DE.UTF-8"}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *variable : {"LC_ALL", "LC_COLLATE", "LANG", "LANGUAGE"})
            environment.insert(variable, locale);
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    QStringList{SortNamesArgument} + shuffled(FolderOrder));
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).split('\n'), FolderOrder);
    }
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1 && arguments.at(1) == QLatin1String(SortNamesArgument))
        return printSortedNames(arguments.mid(2));
    TestMaker test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_maker.moc"
