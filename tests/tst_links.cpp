#include "core/links/numbertext.h"
#include "core/links/weblinks.h"

#include <QTest>
#include <QUrl>

class TestLinks : public QObject
{
    Q_OBJECT

private slots:
    void decodesNumberTexts_data();
    void decodesNumberTexts();
    void addressesDecodeToWebPages();
};

// 0x5A is the hidden key: 'A' (65) is written 27, 'b' (98) is written 56.
void TestLinks::decodesNumberTexts_data()
{
    QTest::addColumn<QString>("numberText");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("two numbers, in order") << "27,56" << "Ab";
    QTest::newRow("a blank after each comma") << "27, 56" << "Ab";
    QTest::newRow("leading blanks") << "  27,   56" << "Ab";
    QTest::newRow("one item") << "27" << "A";
    QTest::newRow("not a number reads as 0") << "27,x,56" << QStringLiteral("A") + QChar(0x5A) + "b";
    QTest::newRow("empty text is one item") << "" << QString(QChar(0x5A));
    // 0xB5DA is "第" in GBK; written as 0xB5DA ^ 0x5A.
    QTest::newRow("double-byte GBK code") << QString::number(0xB5DA ^ 0x5A) << "第";
    QTest::newRow("outside any code") << "-1,99999999" << "??";
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
    for (const QString &page : {NumberTexts::helpPage(), NumberTexts::pageOne(), NumberTexts::pageTwo(),
                                NumberTexts::pageThree(), NumberTexts::downloadPage()}) {
        const QString address = Module1::DecodeNumberText(page);
        QVERIFY2(address.startsWith(home) && address.size() > home.size(), qPrintable(address));
    }
    QCOMPARE(Module1::DecodeNumberText(NumberTexts::probeSuffix()).size(), 4);
}

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
