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

    // What a web link hands on, and whether it asks first: a mail link without what would attach
    // a local file, every other character as the PDF gave it; an address with a user name or a
    // password asks.
    void webAddressesHandedOn_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("handedOn");
        QTest::addColumn<bool>("asks");
        const QString to = "mailto:x@example.com";
        QTest::newRow("attach only") << to + "?attach=/etc/passwd" << to << false;
        QTest::newRow("attach first") << to + "?attach=/etc/passwd&subject=Hi&body=a%20b"
                                      << to + "?subject=Hi&body=a%20b" << false;
        QTest::newRow("attach between")
            << to + "?subject=Hi&attach=a&body=b" << to + "?subject=Hi&body=b" << false;
        QTest::newRow("attach last")
            << to + "?subject=Hi&body=b&attach=a" << to + "?subject=Hi&body=b" << false;
        QTest::newRow("several, any case, encoded")
            << to + "?ATTACH=a&cc=y@example.com&Attachment=b&%61ttach=c&%41TTACHMENT=d"
            << to + "?cc=y@example.com" << false;
        QTest::newRow("without value")
            << to + "?attach&subject=Hi&attach=" << to + "?subject=Hi" << false;
        QTest::newRow("after an escaped &")
            << to + "?subject=Hi&amp;attach=/etc/passwd" << to + "?subject=Hi" << false;
        QTest::newRow("scheme in capitals") << "MAILTO:x@example.com?Attach=a"
                                            << "MAILTO:x@example.com" << false;
        QTest::newRow("a '#' ends no parameter")
            << to + "?subject=Hi#top&attach=a&body=b" << to + "?subject=Hi#top&body=b" << false;
        QTest::newRow("fragment kept") << to + "?subject=Hi#top" << to + "?subject=Hi#top" << false;
        QTest::newRow("names and values only alike")
            << to + "?attached=1&attachments=2&xattach=3&subject=attach=4&body=%26attach%3D5"
            << to + "?attached=1&attachments=2&xattach=3&subject=attach=4&body=%26attach%3D5"
            << false;
        QTest::newRow("not encoded anew")
            << to + "?subject=%e4%bd%a0 好&&attach=a&" << to + "?subject=%e4%bd%a0 好&&" << false;
        QTest::newRow("no parameters") << to << to << false;
        QTest::newRow("web address untouched")
            << "https://example.com/?attach=/etc/passwd"
            << "https://example.com/?attach=/etc/passwd" << false;
        for (const char *signedIn :
             {"https://user:pw@example.com/", "https://user@example.com/",
              "HTTP://USER@EXAMPLE.COM", "https://:pw@example.com/", "https://@example.com/",
              "https://a%40b@example.com/", "https://bank.example\\@evil.example/"})
            QTest::newRow(signedIn) << QString(signedIn) << QString(signedIn) << true;
        for (const char *plain :
             {"https://example.com:8080/", "https://example.com/?user=a@b.example",
              "https://example.com/a@b", "https://example.com/#a@b"})
            QTest::newRow(plain) << QString(plain) << QString(plain) << false;
    }
    void webAddressesHandedOn()
    {
        QFETCH(QString, address);
        QFETCH(QString, handedOn);
        QFETCH(bool, asks);
        QCOMPARE(PdfLinks::withoutAttachments(address), handedOn);
        QCOMPARE(PdfLinks::carriesCredentials(address), asks);
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
