// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/links/leftovercheck.h"
#include "core/links/numbertext.h"
#include "core/links/pdflinks.h"
#include "core/links/weblinks.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using Module1::DecodeNumberText;

class TestLinks : public QObject
{
    Q_OBJECT

    using Leftover = std::tuple<QString, char, char>;

private slots:
    // 0x5A is the hidden key: 'A' (65) is written 27, 'b' (98) 56; an item that is no number
    // reads as 0, which gives 'Z'; "第" is 0xB5DA in GBK.
    void decodesNumberTexts_data()
    {
        QTest::addColumn<QString>("numberText");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("blanks around numbers") << QString("  27,   56") << "Ab";
        QTest::newRow("item that is no number") << QString("27,x,56") << "AZb";
        QTest::newRow("empty") << QString("") << "Z";
        QTest::newRow("GBK character") << QString::number(0xB5DA ^ 0x5A) << "第";
        QTest::newRow("out of range") << QString("-1,99999999") << "??";
    }
    void decodesNumberTexts()
    {
        QFETCH(QString, numberText);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeNumberText(numberText), decoded);
    }

    // A PDF's web link is handed on only for http, https and mailto.
    void onlyWebAddressesAreOpened_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("opened");
        QTest::newRow("https") << "https://example.com/a?b=1" << true;
        QTest::newRow("http in capitals") << "HTTP://EXAMPLE.COM" << true;
        QTest::newRow("mailto") << "mailto:a@example.com" << true;
        QTest::newRow("mailto without address") << "mailto:" << false;
        QTest::newRow("http without host") << "http://" << false;
        QTest::newRow("file") << "file:///etc/passwd" << false;
        QTest::newRow("javascript") << "javascript:alert(1)" << false;
        QTest::newRow("data") << "data:text/html,x" << false;
        QTest::newRow("program path") << "/usr/bin/xterm" << false;
        QTest::newRow("no scheme") << "example.com" << false;
        QTest::newRow("leading blank") << " https://example.com" << false;
        QTest::newRow("trailing line end") << "https://example.com\n" << false;
        QTest::newRow("empty") << "" << false;
    }
    void onlyWebAddressesAreOpened()
    {
        QFETCH(QString, address);
        QFETCH(bool, opened);
        QVERIFY2(PdfLinks::isOpenableWebAddress(address) == opened, qPrintable(address));
    }

    // A book name, its probe: 'f'ile, 'd'irectory or '-' none; its leftover: 'f'ile, 'd'irectory
    // (cannot be deleted) or 'l'ink to it as the running program. Only the first is deleted: a
    // probe file beside a leftover of a plain name. The failure's message is in tst_cli.
    void removesOnlyARecognisedLeftover_data()
    {
        QTest::addColumn<Leftover>("row");
        QTest::newRow("recognised") << Leftover{"诗集", 'f', 'f'};
        QTest::newRow("no probe") << Leftover{"no probe", '-', 'f'};
        QTest::newRow("probe is a folder") << Leftover{"probe is a folder", 'd', 'f'};
        QTest::newRow("hidden name") << Leftover{".hidden", 'f', 'f'};
        QTest::newRow("slash") << Leftover{"sub/Setup", 'f', 'f'};
        QTest::newRow("backslash") << Leftover{"sub\\Setup", 'f', 'f'};
        QTest::newRow("dot") << Leftover{".", 'f', 'f'};
        QTest::newRow("dot dot") << Leftover{"..", 'f', 'f'};
        QTest::newRow("running program") << Leftover{"running", 'f', 'l'};
        QTest::newRow("cannot be deleted") << Leftover{"locked", 'f', 'd'};
    }
    void removesOnlyARecognisedLeftover()
    {
        QFETCH(Leftover, row);
        const auto &[name, probe, leftover] = row;
        const bool deleted = name == "诗集";
        QTemporaryDir dir;
        const QDir program(dir.filePath("program"));
        const QString probePath =
            program.filePath(name + DecodeNumberText(NumberTexts::probeSuffix()));
        const QString exe = program.filePath(name + ".exe");
        QVERIFY(program.mkpath("sub"));
        QVERIFY(probe == '-' ||
                (probe == 'f' ? TestFiles::write(probePath, "") : QDir().mkdir(probePath)));
        QVERIFY(leftover == 'd' ? program.mkpath(name + ".exe/x") : TestFiles::write(exe, "MZ"));
        GenerationRequest request{
            name, "", {}, program.path(), QCoreApplication::applicationFilePath(), ""};
        if (leftover == 'l')
            QVERIFY(QFile::link(exe, request.runningProgram = dir.filePath("link")));
        const std::optional<GenerationResult> failed = Module1::RemoveLeftoverExecutable(request);
        QCOMPARE(failed.has_value(), leftover == 'd');
        QVERIFY(!failed || failed->step == GenerationStep::LeftoverCheck);
        QCOMPARE(QFileInfo::exists(exe), !deleted);
        QVERIFY(deleted || failed || TestFiles::read(exe) == "MZ");
        QCOMPARE(QFileInfo::exists(probePath), probe != '-');
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
