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

private slots:
    // 0x5A is the hidden key: 'A' (65) is written 27, 'b' (98) 56; an item that is no number
    // reads as 0, which gives 'Z'; "第" is 0xB5DA in GBK.
    void decodesNumberTexts()
    {
        const QList<std::pair<QString, QString>> cases{{"  27,   56", "Ab"},
                                                       {"27,x,56", "AZb"},
                                                       {"", "Z"},
                                                       {QString::number(0xB5DA ^ 0x5A), "第"},
                                                       {"-1,99999999", "??"}};
        for (const auto &[numberText, decoded] : cases)
            QCOMPARE(DecodeNumberText(numberText), decoded);
    }

    // A PDF's web link is handed on only for http, https and mailto.
    void onlyWebAddressesAreOpened()
    {
        const QList<std::pair<QString, bool>> cases{{"https://example.com/a?b=1", true},
                                                    {"HTTP://EXAMPLE.COM", true},
                                                    {"mailto:a@example.com", true},
                                                    {"mailto:", false},
                                                    {"http://", false},
                                                    {"file:///etc/passwd", false},
                                                    {"javascript:alert(1)", false},
                                                    {"data:text/html,x", false},
                                                    {"/usr/bin/xterm", false},
                                                    {"example.com", false},
                                                    {" https://example.com", false},
                                                    {"https://example.com\n", false},
                                                    {"", false}};
        for (const auto &[address, opened] : cases)
            QVERIFY2(PdfLinks::isOpenableWebAddress(address) == opened, qPrintable(address));
    }

    // A book name, its probe: 'f'ile, 'd'irectory or '-' none; its leftover: 'f'ile, 'd'irectory
    // (cannot be deleted) or 'l'ink to it as the running program. Only the first is deleted: a
    // probe file beside a leftover of a plain name. The failure's message is in tst_cli.
    void removesOnlyARecognisedLeftover()
    {
        const QList<std::tuple<QString, char, char>> cases{
            {"诗集", 'f', 'f'},    {"no probe", '-', 'f'},  {"probe is a folder", 'd', 'f'},
            {".hidden", 'f', 'f'}, {"sub/Setup", 'f', 'f'}, {"sub\\Setup", 'f', 'f'},
            {".", 'f', 'f'},       {"..", 'f', 'f'},        {"running", 'f', 'l'},
            {"locked", 'f', 'd'}};
        for (const auto &[name, probe, leftover] : cases) {
            const bool deleted = name == "诗集";
            QTemporaryDir dir;
            const QDir program(dir.filePath("program"));
            const QString probePath =
                program.filePath(name + DecodeNumberText(NumberTexts::probeSuffix()));
            const QString exe = program.filePath(name + ".exe");
            QVERIFY(program.mkpath("sub"));
            QVERIFY(probe == '-' ||
                    (probe == 'f' ? TestFiles::write(probePath, "") : QDir().mkdir(probePath)));
            QVERIFY(leftover == 'd' ? program.mkpath(name + ".exe/x")
                                    : TestFiles::write(exe, "MZ"));
            GenerationRequest request{
                name, "", {}, program.path(), QCoreApplication::applicationFilePath(), ""};
            if (leftover == 'l')
                QVERIFY(QFile::link(exe, request.runningProgram = dir.filePath("link")));
            const std::optional<GenerationResult> failed =
                Module1::RemoveLeftoverExecutable(request);
            QCOMPARE(failed.has_value(), leftover == 'd');
            QVERIFY(!failed || failed->step == GenerationStep::LeftoverCheck);
            QCOMPARE(QFileInfo::exists(exe), !deleted);
            QVERIFY(deleted || failed || TestFiles::read(exe) == "MZ");
            QCOMPARE(QFileInfo::exists(probePath), probe != '-');
        }
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
