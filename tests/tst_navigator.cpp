// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/document/readingnavigator.h"
#include "core/state/readingplaces.h"
#include "core/text/gbkcodec.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using TestFiles::bookOf;

// The place being read and the ways it moves, without a session: the document shown is set as
// the session sets it, and a chapter is shown as the session shows one, the view then reporting
// `m_pages` pages of a chapter that can be read and none of one that cannot.
class TestNavigator : public QObject
{
    Q_OBJECT

    QString file(const QString &name) const { return m_dir->filePath(name); }
    QString write(const QString &name, const QByteArray &bytes)
    {
        return TestFiles::write(file(name), bytes) ? file(name) : QString();
    }
    void open(const QString &path)
    {
        m_shown = OpenDocument::of(path);
        if (m_shown.isBook())
            m_shown.book = BookReader::readContents(path);
        m_navigator->startDocument();
    }
    // A PDF opened, as the session shows one: at its remembered place once the view has it.
    void openPdf(const QString &path)
    {
        open(path);
        m_navigator->startShowing(-1);
        const std::optional<SavedPlace> saved = m_navigator->rememberedAt(-1);
        m_navigator->notePlaceShown(1, -1, m_pages, m_look);
        m_navigator->showRemembered(saved);
    }
    void showChapter(int row)
    {
        m_shown.chapter = row;
        if (!m_shown.hasLine(row))
            return;
        const bool readable = m_shown.book.chapterReadable(row);
        m_navigator->startShowing(readable ? row : -1);
        m_told << QStringLiteral("chapter %1").arg(row);
        if (m_pages > 0)
            m_navigator->notePlaceShown(readable ? 1 : 0, -1, readable ? m_pages : 0, m_look);
    }
    // What the navigator tells while `command` runs: the chapters shown, the looks and the
    // places with their matches.
    QString told(const std::function<void()> &command)
    {
        m_told.clear();
        command();
        return m_told.join(", ");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    OpenDocument m_shown;
    std::unique_ptr<ReadingNavigator> m_navigator;
    QStringList m_told;
    int m_pages = 0;
    PageLook m_look;
    const QByteArray m_one = TestFiles::pdfLike(1000, 1);
    const QByteArray m_two = TestFiles::pdfLike(250, 2);

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_shown = OpenDocument();
        m_pages = 0;
        m_look = PageLook();
        m_navigator =
            std::make_unique<ReadingNavigator>(m_shown, [this](int row) { showChapter(row); });
        connect(m_navigator.get(), &ReadingNavigator::lookRestored, this, [this](PageLook look) {
            m_look = look;
            m_told << QStringLiteral("look %1/%2").arg(look.zoom).arg(look.quarterTurns);
        });
        connect(m_navigator.get(), &ReadingNavigator::placeChanged, this,
                [this](const ReadingPlace &place, const FoundText &match) {
                    m_told << QStringLiteral("%1/%2/%3")
                                      .arg(place.chapter)
                                      .arg(place.page)
                                      .arg(place.top) +
                                  (match.text.isEmpty() ? QString() : " " + match.text);
                    if (m_pages > 0)
                        m_navigator->notePlaceShown(place.page, place.top, m_pages, m_look);
                });
    }
    void cleanup() { m_navigator.reset(); }

    // A chapter chosen and a jump are steps of the history; scrolling only moves the place. Back
    // and forward cross chapters, showing a chapter only when it is not the one shown, and come
    // back to the page and place left; a new jump ends the way forward, a page beyond the
    // chapter shown is no jump, and opening a document forgets the history. Reading on past the
    // last page shows the next chapter from its first page, before the first the one before at
    // its last page: a damaged chapter is shown as nothing and passed on the next step, the
    // book's ends stop, and none of it is a step. A PDF has no chapter to read on to.
    void jumpsAndReadingOnAcrossChapters()
    {
        const QString index = QStringLiteral("一♂1♀%1\r\n坏♂x♀1\r\n三♂%2♀%3\r\n")
                                  .arg(m_one.size())
                                  .arg(m_one.size() + 1)
                                  .arg(m_two.size());
        const QString book = write("h.VELM", bookOf(m_one + m_two, Gbk::encode(index)));
        open(book);
        m_navigator->goBack();
        m_navigator->chooseChapter(0);
        m_navigator->notePlaceShown(4, 0.5, 10);
        QCOMPARE(told([&] { m_navigator->chooseChapter(2); }), "chapter 2");
        m_navigator->notePlaceShown(1, -1, 5);
        QCOMPARE(told([&] { m_navigator->goTo({2, 3, 0.25}, {"词", 1}); }), "2/3/0.25 词");
        QCOMPARE(told([&] { m_navigator->goBack(); }), "2/1/-1");
        QCOMPARE(told([&] { m_navigator->goBack(); }), "chapter 0, 0/4/0.5");
        QCOMPARE(told([&] { m_navigator->goBack(); }), "");
        QCOMPARE(told([&] { m_navigator->goForward(); }), "chapter 2, 2/1/-1");
        m_navigator->notePlaceShown(1, -1, 5);
        QCOMPARE(told([&] { m_navigator->goTo({2, 9, -1}); }), "");
        QCOMPARE(told([&] { m_navigator->goTo({0, 9, -1}); }), "chapter 0, 0/9/-1");
        QCOMPARE(told([&] { m_navigator->goForward(); }), "");
        QVERIFY(m_navigator->place() == (ReadingPlace{0, 9, -1}));

        open(book);
        QVERIFY(!m_navigator->canGoBack() && !m_navigator->canGoForward());
        m_pages = 4;
        m_navigator->chooseChapter(0);
        QCOMPARE(told([&] {
                     for (const int direction : {-1, 1, 1, 1, -1, -1})
                         m_navigator->readOn(direction);
                     m_navigator->goBack();
                 }),
                 "chapter 1, chapter 2, chapter 1, chapter 0, 0/4/1");
        open(write("a.pdf", m_one));
        QCOMPARE(told([&] { m_navigator->readOn(1); }), "");
    }

    // A PDF opened and a chapter chosen show their remembered place and look, a page past the end
    // at the last page; reading on goes to the first or last page. A chapter is known by its
    // name, length and occurrence, so a rebuilt book keeps its places and two chapters of one
    // source stay apart; the chapter read last is told when the book opens.
    void remembersPlaces()
    {
        ReadingPlaces places(file("state"));
        m_navigator->setReadingPlaces(&places);
        m_pages = 4;
        const QString book = write("p.VELM", bookOf({{"一", m_one}, {"二", m_two}, {"一", m_one}}));
        open(book);
        QCOMPARE(m_navigator->lastReadChapter(), -1);
        m_navigator->chooseChapter(0);
        m_look = {1.5, 1};
        m_navigator->notePlaceShown(3, 0.5, m_pages, m_look);
        QCOMPARE(told([&] { m_navigator->chooseChapter(2); }), "chapter 2");
        QCOMPARE(m_navigator->lastReadChapter(), 2);
        m_look = {};
        m_navigator->notePlaceShown(2, -1, m_pages, m_look);
        QCOMPARE(told([&] { m_navigator->readOn(-1); }), "chapter 1, 1/4/1");
        QCOMPARE(told([&] { m_navigator->chooseChapter(0); }), "chapter 0, look 1.5/1, 0/3/0.5");
        QCOMPARE(told([&] { m_navigator->chooseChapter(2); }), "chapter 2, look 0/0, 2/2/-1");

        write("p.VELM", bookOf({{"新", m_two}, {"一", m_one}, {"二", m_two}, {"一", m_one}}));
        open(book);
        QCOMPARE(m_navigator->lastReadChapter(), 3);
        QCOMPARE(told([&] { m_navigator->chooseChapter(1); }), "chapter 1, look 1.5/1, 1/3/0.5");

        const QString pdf = write("a.pdf", m_one);
        openPdf(pdf);
        m_navigator->notePlaceShown(9, 0.25, m_pages, m_look);
        m_pages = 5;
        QCOMPARE(told([&] { openPdf(pdf); }), "look 1.5/1, -1/5/-1");
    }
};

QTEST_GUILESS_MAIN(TestNavigator)
#include "tst_navigator.moc"
