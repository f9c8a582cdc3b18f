#include "core/links/leftovercheck.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using Module1::DecodeNumberText;

class TestLinks : public QObject
{
    Q_OBJECT

private slots:
    // 0x5A is the hidden key: 'A' (65) is written 27, 'b' (98) is written 56.
    void decodesNumberTexts_data()
    {
        QTest::addColumn<QString>("numberText");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("blanks around commas") << QString("  27,   56") << QString("Ab");
        // An item that is no number reads as 0, and 0 ^ 0x5A is 'Z'.
        QTest::newRow("not a number") << QString("27,x,56") << QString("AZb");
        QTest::newRow("empty text is one item") << QString() << QString("Z");
        // 0xB5DA is "第" in GBK.
        QTest::newRow("GBK pair") << QString::number(0xB5DA ^ 0x5A) << QString("第");
        QTest::newRow("outside any code") << QString("-1,99999999") << QString("??");
    }
    void decodesNumberTexts()
    {
        QFETCH(QString, numberText);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeNumberText(numberText), decoded);
    }

    // The caption is the home page less its last character; every other page lies below it.
    void addressesDecodeToWebPages()
    {
        const QString home = DecodeNumberText(NumberTexts::homePage());
        QVERIFY(QUrl(home).isValid() && home.startsWith("http://"));
        QCOMPARE(DecodeNumberText(NumberTexts::homePageText()), home.chopped(1));
        for (const QString &page :
             {NumberTexts::helpPage(), NumberTexts::pageOne(), NumberTexts::pageTwo(),
              NumberTexts::pageThree(), NumberTexts::downloadPage()})
            QVERIFY(DecodeNumberText(page).startsWith(home) && DecodeNumberText(page) != home);
        QCOMPARE(DecodeNumberText(NumberTexts::probeSuffix()).size(), 4);
    }

    // probe: 'f'ile, 'd'irectory or '-' none; leftover: 'f'ile, 'd'irectory (cannot be
    // deleted) or 'l'ink to it as the running program.
    void removesOnlyARecognisedLeftover_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<char>("probe");
        QTest::addColumn<char>("leftover");
        QTest::addColumn<bool>("deleted");
        const auto row = [](const char *name, char probe, char leftover, bool deleted = false) {
            QTest::newRow(name) << QString(name) << probe << leftover << deleted;
        };
        row("诗集", 'f', 'f', true);
        row("no probe", '-', 'f');
        row("probe is a folder", 'd', 'f');
        row(".hidden probe", 'f', 'f');
        row("sub/Setup", 'f', 'f');
        row("sub\\Setup", 'f', 'f');
        row(".", 'f', 'f');
        row("..", 'f', 'f');
        row("the running program, through a link", 'f', 'l');
        row("cannot be deleted", 'f', 'd');
    }
    void removesOnlyARecognisedLeftover()
    {
        QFETCH(QString, name);
        QFETCH(char, probe);
        QFETCH(char, leftover);
        QFETCH(bool, deleted);
        QTemporaryDir dir;
        const QDir program(dir.filePath("program"));
        QVERIFY(program.mkpath("sub"));
        const QString probePath =
            program.filePath(name + DecodeNumberText(NumberTexts::probeSuffix()));
        const QString exe = program.filePath(name + ".exe");
        if (probe != '-')
            QVERIFY(probe == 'f' ? TestFiles::write(probePath, "probe") : QDir().mkdir(probePath));
        QVERIFY(leftover == 'd' ? program.mkpath(name + ".exe/inside")
                                : TestFiles::write(exe, "MZ"));
        GenerationRequest request{
            name, dir.filePath("out"), {}, program.path(), QCoreApplication::applicationFilePath(),
            ""};
        if (leftover == 'l')
            QVERIFY(QFile::link(exe, request.runningProgram = dir.filePath("link")));

        const std::optional<GenerationResult> failed = Module1::RemoveLeftoverExecutable(request);
        QCOMPARE(failed.has_value(), leftover == 'd');
        if (failed) {
            QVERIFY(failed->outcome == GenerationOutcome::Failed &&
                    failed->step == GenerationStep::LeftoverCheck);
            QCOMPARE(failed->file, exe);
            QCOMPARE(failed->cause, QStringLiteral("cannot be deleted"));
        }
        QCOMPARE(QFileInfo::exists(exe), !deleted);
        if (!deleted && !failed)
            QCOMPARE(TestFiles::read(exe), QByteArray("MZ"));
        QCOMPARE(QFileInfo::exists(probePath), probe != '-');
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
