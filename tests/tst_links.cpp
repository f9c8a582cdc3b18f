#include "core/links/leftovercheck.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class TestLinks : public QObject
{
    Q_OBJECT

private slots:
    void decodesNumberTexts_data();
    void decodesNumberTexts();
    void addressesDecodeToWebPages();
    void removesOnlyARecognisedLeftover_data();
    void removesOnlyARecognisedLeftover();
};

// 0x5A is the hidden key: 'A' (65) is written 27, 'b' (98) is written 56.
void TestLinks::decodesNumberTexts_data()
{
    QTest::addColumn<QString>("numberText");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("two numbers, in order") << "27,56"
                                           << "Ab";
    QTest::newRow("a blank after each comma") << "27, 56"
                                              << "Ab";
    QTest::newRow("leading blanks") << "  27,   56"
                                    << "Ab";
    QTest::newRow("one item") << "27"
                              << "A";
    QTest::newRow("not a number reads as 0")
        << "27,x,56" << QStringLiteral("A") + QChar(0x5A) + "b";
    QTest::newRow("empty text is one item") << "" << QString(QChar(0x5A));
    // 0xB5DA is "第" in GBK; written as 0xB5DA ^ 0x5A.
    QTest::newRow("double-byte GBK code") << QString::number(0xB5DA ^ 0x5A) << "第";
    QTest::newRow("outside any code") << "-1,99999999"
                                      << "??";
}

void TestLinks::decodesNumberTexts()
{
    QFETCH(QString, numberText);
    QFETCH(QString, decoded);
    QCOMPARE(Module1::DecodeNumberText(numberText), decoded);
}

void TestLinks::addressesDecodeToWebPages()
{
    const QString home = Module1::DecodeNumberText(NumberTexts::homePage());
    QVERIFY(QUrl(home).isValid());
    QVERIFY(home.startsWith("http://"));
    // The caption is the home page less its last character.
    QCOMPARE(Module1::DecodeNumberText(NumberTexts::homePageText()), home.chopped(1));
    for (const QString &page :
         {NumberTexts::helpPage(), NumberTexts::pageOne(), NumberTexts::pageTwo(),
          NumberTexts::pageThree(), NumberTexts::downloadPage()}) {
        const QString address = Module1::DecodeNumberText(page);
        QVERIFY2(address.startsWith(home) && address.size() > home.size(), qPrintable(address));
    }
    QCOMPARE(Module1::DecodeNumberText(NumberTexts::probeSuffix()).size(), 4);
}

void TestLinks::removesOnlyARecognisedLeftover_data()
{
    QTest::addColumn<QString>("bookName");
    QTest::addColumn<QString>("probe"); // "file", "folder" or "none"
    QTest::addColumn<QString>(
        "leftover"); // "file", "folder" (cannot be deleted), "running", "link"
    QTest::addColumn<bool>("deleted");

    QTest::newRow("probe present") << "Setup"
                                   << "file"
                                   << "file" << true;
    QTest::newRow("GBK name") << "诗集"
                              << "file"
                              << "file" << true;
    QTest::newRow("no probe") << "Setup"
                              << "none"
                              << "file" << false;
    QTest::newRow("probe is a folder") << "Setup"
                                       << "folder"
                                       << "file" << false;
    QTest::newRow("hidden probe") << ".Setup"
                                  << "file"
                                  << "file" << false;
    QTest::newRow("name with a separator") << "sub/Setup"
                                           << "file"
                                           << "file" << false;
    QTest::newRow("name leading out of the folder") << "../Setup"
                                                    << "file"
                                                    << "file" << false;
    QTest::newRow("name with a backslash") << "sub\\Setup"
                                           << "file"
                                           << "file" << false;
    QTest::newRow("name is .") << "."
                               << "file"
                               << "file" << false;
    QTest::newRow("name is ..") << ".."
                                << "file"
                                << "file" << false;
    QTest::newRow("the running program") << "Setup"
                                         << "file"
                                         << "running" << false;
    QTest::newRow("the running program, through a link") << "Setup"
                                                         << "file"
                                                         << "link" << false;
    QTest::newRow("cannot be deleted") << "Setup"
                                       << "file"
                                       << "folder" << false;
}

void TestLinks::removesOnlyARecognisedLeftover()
{
    QFETCH(QString, bookName);
    QFETCH(QString, probe);
    QFETCH(QString, leftover);
    QFETCH(bool, deleted);

    QTemporaryDir dir;
    const QDir program(dir.filePath("program"));
    QVERIFY(program.mkpath(QStringLiteral("sub")));
    const QString probePath =
        program.filePath(bookName + Module1::DecodeNumberText(NumberTexts::probeSuffix()));
    const QString exe = program.filePath(bookName + QStringLiteral(".exe"));
    if (probe != QLatin1String("none"))
        QVERIFY(probe == QLatin1String("file") ? TestFiles::write(probePath, "probe")
                                               : QDir().mkdir(probePath));
    const bool stays = leftover == QLatin1String("folder");
    QVERIFY(stays ? program.mkpath(bookName + ".exe/inside") : TestFiles::write(exe, "MZ"));

    GenerationRequest request{
        bookName, dir.filePath("out"), {}, program.path(), QCoreApplication::applicationFilePath(),
        QString()};
    if (leftover == QLatin1String("running"))
        request.runningProgram = exe;
    if (leftover == QLatin1String("link")) {
        request.runningProgram = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(exe, request.runningProgram));
    }
    const std::optional<GenerationResult> failed = Module1::RemoveLeftoverExecutable(request);
    QCOMPARE(failed.has_value(), stays);
    if (stays) {
        QCOMPARE(failed->outcome, GenerationOutcome::Failed);
        QCOMPARE(failed->step, GenerationStep::LeftoverCheck);
        QCOMPARE(failed->file, exe);
        QCOMPARE(failed->cause, QStringLiteral("cannot be deleted"));
    }
    QCOMPARE(QFileInfo::exists(exe), !deleted);
    if (!deleted && !stays)
        QCOMPARE(TestFiles::read(exe), QByteArray("MZ"));
    QCOMPARE(QFileInfo::exists(probePath), probe != QLatin1String("none"));
}

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
