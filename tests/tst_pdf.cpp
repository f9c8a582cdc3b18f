// SPDX-License-Identifier: GPL-2.0-or-later
// The PDF layer: the worker every reading thread is made of, and the engine behind the document
// interface, read from a file, a range of a book and memory.
#include "pdf/opening.h"
#include "pdf/worker.h"
#include "pdf/workerprocess.h"
#include "pdfobjects.h"
#include "skipping.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <thread>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// Whether a child of ours can make a user namespace.
bool userNamespacesMade()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(::unshare(CLONE_NEWUSER) == 0 ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace

class TestPdf : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        return TestFiles::write(path, bytes) ? path : QString();
    }

private slots:
    void cleanup()
    {
        qunsetenv("QUILLMOOR_JUNK");
        qputenv("QUILLMOOR_PDF_WORKER", WORKER);
        Pdf::setWorkerLimits({});
        Pdf::keepWorkersReady(0);
    }

    // The thread that loads the first PDF ahead makes Qt objects as it starts, and may still run
    // when the application is made: Qt must take the program's first thread for its main one.
    // A worker that takes two seconds to start keeps the loading thread alive that long.
    void loadingAheadLeavesQtItsMainThread()
    {
        const QString slow = write("slow.sh", "#!/bin/sh\nsleep 2\nexec \"$0.real\" \"$@\"\n");
        QVERIFY(QFile::setPermissions(slow, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(QFile::link(WORKER, slow + ".real"));
        QProcess start;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QUILLMOOR_PDF_WORKER", slow);
        start.setProcessEnvironment(environment);
        start.start(AHEAD_START, {write("ahead.pdf", TestPdfs::onePage("ahead")), "200"});
        QVERIFY(start.waitForFinished(60000));
        QCOMPARE(start.exitStatus(), QProcess::NormalExit);
        QCOMPARE(start.exitCode(), 0);
    }

    // A worker program that is missing, cannot be run or ends at once is named with the reason;
    // the built one can be started.
    void workerThatCannotRun_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("reason"); // empty: it can be started
        const QString text = write("worker.txt", "#!/bin/sh\n");
        QVERIFY(QFile::setPermissions(text, QFile::ReadOwner | QFile::WriteOwner));
        QTest::newRow("built") << QString::fromLocal8Bit(WORKER) << QString();
        QTest::newRow("missing") << m_dir.filePath("none") << "is missing";
        QTest::newRow("a folder") << m_dir.path() << "is not a program that can be run";
        QTest::newRow("not executable") << text << "is not a program that can be run";
        const QString dies = write("dies.sh", "#!/bin/sh\nexit 127\n");
        QVERIFY(QFile::setPermissions(dies, QFile::ReadOwner | QFile::ExeOwner));
        QTest::newRow("ends at once") << dies << "ends before it runs";
    }
    void workerThatCannotRun()
    {
        QFETCH(QString, program);
        QFETCH(QString, reason);
        qputenv("QUILLMOOR_PDF_WORKER", QFile::encodeName(program));
        const QString problem = Pdf::workerProblem();
        if (reason.isEmpty())
            QCOMPARE(problem, QString());
        else
            QCOMPARE(problem, QStringLiteral("the PDF worker %1 %2").arg(program, reason));
    }

    // A worker that says something malformed, or nothing, is killed and its job given up: the
    // document is not opened, or the page gives nothing; this process goes on unharmed.
    void malformedAnswersAreRejected_data()
    {
        QTest::addColumn<QByteArray>("mode");
        QTest::addColumn<int>("failure"); // of the loading, or None when a later job fails
        QTest::addColumn<int>("end");
        const int none = int(Pdf::OpenFailure::None);
        const int failed = int(Pdf::JobEnd::Failed);
        const int engine = int(Pdf::OpenFailure::EngineFailed);
        QTest::newRow("answer of another kind") << QByteArray("kind") << engine << failed;
        QTest::newRow("body cut short") << QByteArray("short") << engine << failed;
        QTest::newRow("bytes left over") << QByteArray("extra") << engine << failed;
        QTest::newRow("body of 2 GiB announced") << QByteArray("long") << engine << failed;
        QTest::newRow("no answer")
            << QByteArray("silent") << int(Pdf::OpenFailure::TooSlow) << int(Pdf::JobEnd::TooSlow);
        QTest::newRow("image in memory it may change") << QByteArray("unsealed") << none << failed;
        QTest::newRow("image larger than a worker holds") << QByteArray("huge") << none << failed;
        QTest::newRow("properties with more fonts than sent")
            << QByteArray("fonts") << none << failed;
        QTest::newRow("2^31-1 pages loaded") << QByteArray("pages") << engine << failed;
        QTest::newRow("more pages than the file has bytes")
            << QByteArray("filepages") << engine << failed;
        QTest::newRow("2^31-1 pages unlocked") << QByteArray("unlock") << none << failed;
        QTest::newRow("more labels than pages") << QByteArray("labels") << none << failed;
        QTest::newRow("outline level longer than the limit")
            << QByteArray("outline") << none << failed;
        QTest::newRow("image larger than the part asked") << QByteArray("part") << none << failed;
    }

    void malformedAnswersAreRejected()
    {
        QFETCH(QByteArray, mode);
        QFETCH(int, failure);
        QFETCH(int, end);
        qputenv("QUILLMOOR_PDF_WORKER", JUNK_WORKER);
        qputenv("QUILLMOOR_JUNK", mode);
        Pdf::setWorkerLimits({qint64(1) << 30, std::chrono::milliseconds(1000)});
        Pdf::OpenFailure opened = Pdf::OpenFailure::None;
        const std::unique_ptr<Pdf::Document> document =
            Pdf::openMemory(TestPdfs::onePage("junk"), &opened);
        QCOMPARE(int(opened), failure);
        if (!document)
            return;
        if (mode == "fonts") {
            const Pdf::Properties properties = document->properties();
            QVERIFY(properties.title.isEmpty() && properties.version.isEmpty());
            QCOMPARE(int(document->lastJobEnd()), end);
            // The next job is answered, by a worker started again.
            document->setSmoothing(Pdf::Smoothing::Shapes);
            QCOMPARE(int(document->lastJobEnd()), int(Pdf::JobEnd::Answered));
            QCOMPARE(document->pageCount(), 1);
            return;
        }
        if (mode == "unlock") {
            QVERIFY(document->isLocked() && !document->unlock(QStringLiteral("junk")));
            QCOMPARE(document->pageCount(), 0);
        } else if (mode == "labels") {
            QCOMPARE(document->pageLabels(), QStringList(QString()));
        } else if (mode == "outline") {
            QVERIFY(document->outline().isEmpty());
        } else {
            const QRect part = mode == "part" ? QRect(0, 0, 4, 4) : QRect();
            QVERIFY(document->draw(0, 1, 0, part).isNull());
        }
        QCOMPARE(int(document->lastJobEnd()), end);
    }

    // Each limit broken on purpose: the job is given up and says why, the page is not tried
    // again, and the next page is read by a worker started again.
    void limitsAreKept_data()
    {
        QTest::addColumn<bool>("draw"); // else the page's text
        QTest::addColumn<int>("page");
        QTest::addColumn<qint64>("memory");
        QTest::addColumn<int>("deadline");
        QTest::addColumn<bool>("killed");
        QTest::addColumn<int>("end");
        const qint64 gib = qint64(1) << 30;
        QTest::newRow("page that never finishes drawing")
            << true << 1 << gib << 1500 << false << int(Pdf::JobEnd::TooSlow);
        QTest::newRow("decompression bomb") << true << 2 << qint64(200) * 1024 * 1024 << 60000
                                            << false << int(Pdf::JobEnd::TooMuchMemory);
        QTest::newRow("worker killed in the middle of a page")
            << true << 1 << gib << 60000 << true << int(Pdf::JobEnd::Failed);
    }

    void limitsAreKept()
    {
        QFETCH(bool, draw);
        QFETCH(int, page);
        QFETCH(qint64, memory);
        QFETCH(int, deadline);
        QFETCH(bool, killed);
        QFETCH(int, end);
        Pdf::setWorkerLimits({memory, std::chrono::milliseconds(deadline)});
        const std::unique_ptr<Pdf::Document> document = Pdf::openMemory(TestPdfs::hostile());
        QVERIFY(document && document->pageCount() == 3);
        const auto read = [&] {
            return draw ? document->draw(page, 1, 0, QRect()).isNull()
                        : document->text(page).isEmpty();
        };
        std::thread killer([killed] {
            if (killed) {
                QThread::msleep(300);
                TestFiles::killChildren();
            }
        });
        QElapsedTimer timer;
        timer.start();
        QVERIFY(read());
        killer.join();
        QCOMPARE(int(document->lastJobEnd()), end);
        QVERIFY(timer.elapsed() < 30000);
        timer.restart();
        QVERIFY(read());
        QVERIFY(timer.elapsed() < 1000);
        QVERIFY(document->text(0).contains("Fine page"));
        QCOMPARE(document->lastJobEnd(), Pdf::JobEnd::Answered);
    }

    // Jobs run in their order. A request replaces the requests waiting but never a job posted,
    // and is not queued while the same one is under way; a new generation drops the requests
    // waiting, tells the job under way, and takes a request like it again. The worker's end
    // waits for the job under way.
    void workerRunsJobsInOrderAndDropsWhatIsNoLongerWanted()
    {
        // Written by the worker, read once a job submitted after has given its result.
        QStringList log;
        std::promise<void> gate;
        std::shared_future<void> opened = gate.get_future().share();
        std::promise<void> started;
        auto worker = std::make_unique<Pdf::Worker>();
        const auto job = [&log](const QString &name) { return [&log, name] { log << name; }; };
        worker->replaceWaiting({{"a", [&] {
                                     started.set_value();
                                     opened.wait();
                                     log << "a";
                                 }}});
        started.get_future().wait();
        worker->replaceWaiting({{"b", job("b")}});
        worker->replaceWaiting({{"a", job("a again")}, {"d", job("d")}});
        worker->post(job("c"));
        gate.set_value();
        QCOMPARE(worker->submit([] { return 42; }).get(), 42);
        QCOMPARE(log, QStringList({"a", "d", "c"}));

        const quint64 running = worker->generation();
        std::promise<void> looping;
        std::promise<void> release;
        worker->replaceWaiting({{"loop", [&] {
                                     looping.set_value();
                                     while (worker->isCurrent(running))
                                         QThread::yieldCurrentThread();
                                     release.get_future().wait();
                                     log << "loop";
                                 }}});
        looping.get_future().wait();
        worker->replaceWaiting({{"loop", job("loop twice")}, {"e", job("e")}});
        worker->post(job("posted"));
        QVERIFY(worker->startGeneration() > running);
        worker->replaceWaiting({{"loop", job("loop again")}});
        release.set_value();
        worker->submit([] { return 0; }).get();
        QCOMPARE(log, QStringList({"a", "d", "c", "loop", "posted", "loop again"}));

        std::atomic<bool> finished{false};
        worker->post([&finished] {
            QThread::msleep(50);
            finished = true;
        });
        QThread::msleep(10);
        worker.reset();
        QVERIFY(finished);
    }

    // A document is read from its one open file: the name may go, and a file cut short while
    // open reads as damaged, without a crash. A range of a book reads as that chapter alone; memory
    // as a file. What the opener makes reads the same bytes.
    void documentsFromAFileARangeAndMemory()
    {
        const QByteArray linked = TestPdfs::linked();
        const QString path = write("linked.pdf", linked);
        std::unique_ptr<Pdf::Document> fromFile = Pdf::openFile(path);
        QVERIFY(fromFile && QFile::remove(path));
        const std::unique_ptr<Pdf::Document> copy = fromFile->opener()();
        QVERIFY(copy && copy->pageCount() == 3);
        QCOMPARE(copy->text(2).simplified(), QStringLiteral("Third page gamma last words"));
        QVERIFY(TestPdfs::hasInk(copy->draw(0, 0.5, 1, QRect())));

        const QString cut = write("cut.pdf", linked);
        fromFile = Pdf::openFile(cut);
        QVERIFY(fromFile && QFile::resize(cut, linked.size() / 3));
        for (int page = 0; page < 3; ++page) {
            fromFile->draw(page, 1.0, 0, QRect());
            fromFile->words(page);
        }
        QVERIFY(!Pdf::openFile(m_dir.filePath("missing.pdf")));

        const QByteArray plain = TestPdfs::onePage("plain");
        const QString book = write("b.VELM", TestFiles::bookOf({{"一", plain}, {"二", linked}}));
        const std::unique_ptr<Pdf::Document> chapter =
            Pdf::openRange(book, plain.size(), linked.size());
        QVERIFY(chapter && chapter->pageCount() == 3 && chapter->opener()()->pageCount() == 3);
        QCOMPARE(chapter->find(1, "ALPHA").size(), 1);
        const std::unique_ptr<Pdf::Document> fromMemory = Pdf::openMemory(plain);
        QVERIFY(fromMemory && fromMemory->text(0).trimmed() == "plain");
        QVERIFY(!Pdf::openMemory(TestFiles::pdfLike(300, 1)));
    }

    // Workers kept ready serve the next documents, opened from several threads while they are
    // replaced. One that died meanwhile, or that runs another program, is passed over.
    void workersKeptReady()
    {
        const QString path = write("kept.pdf", TestPdfs::onePage("kept"));
        const auto reads = [&path] {
            const std::unique_ptr<Pdf::Document> document = Pdf::openFile(path);
            return document && document->text(0).trimmed() == "kept";
        };
        Pdf::keepWorkersReady(2);
        TestFiles::killChildren();
        QTRY_VERIFY(TestFiles::childrenAllEnded());
        QVERIFY(reads());
        // Time enough for the kept ones to be replaced. Asking again takes the lock they were
        // kept under, so that the change of environment below comes after their start.
        QThread::msleep(500);
        Pdf::keepWorkersReady(2);
        qputenv("QUILLMOOR_PDF_WORKER", JUNK_WORKER);
        qputenv("QUILLMOOR_JUNK", "kind");
        QVERIFY(!reads());
        qputenv("QUILLMOOR_PDF_WORKER", WORKER);
        std::atomic<int> read{0};
        std::vector<std::thread> readers;
        for (int thread = 0; thread < 3; ++thread)
            readers.emplace_back([&read, &reads] {
                for (int document = 0; document < 4; ++document, QThread::msleep(40))
                    read += reads() ? 1 : 0;
            });
        for (std::thread &reader : readers)
            reader.join();
        Pdf::keepWorkersReady(0);
        QCOMPARE(read.load(), 12);
    }

    // A view's second worker, which draws, starts once the first runs its own code, and no later
    // than the deadline when the first never says so (here it runs without the descriptor that
    // tells it, while a helper it leaves behind holds the pipe open); both read the document.
    void secondWorkerWaitsForTheFirst_data()
    {
        QTest::addColumn<QString>("script");
        // Milliseconds between the two starts as the script notes them: the first notes its start
        // only once its shell runs, which may take up to a tenth of a second on a busy machine.
        QTest::addColumn<int>("least");
        QTest::addColumn<int>("most");
        QTest::newRow("slow to start") << "sleep 0.4; exec \"$WORKER\"" << 300 << 6000;
        QTest::newRow("never says it runs")
            << "sleep 8 3>&- </dev/null >/dev/null 2>&1 & exec \"$WORKER\" 4>&-" << 1900 << 7000;
    }
    void secondWorkerWaitsForTheFirst()
    {
        QFETCH(QString, script);
        QFETCH(int, least);
        QFETCH(int, most);
        const QString starts = m_dir.filePath("starts");
        QFile::remove(starts);
        const QString program =
            write("worker.sh", "#!/bin/sh\ndate +%s%N >>\"$STARTS\"\n" + script.toUtf8() + "\n");
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        qputenv("WORKER", WORKER);
        qputenv("STARTS", QFile::encodeName(starts));
        qputenv("QUILLMOOR_PDF_WORKER", QFile::encodeName(program));
        Pdf::setWorkerLimits({qint64(1) << 30, std::chrono::milliseconds(2000)});
        const QString path = write("two.pdf", TestPdfs::onePage("two"));
        std::unique_ptr<Pdf::Document> document =
            Pdf::openFile(path, nullptr, Pdf::Opening::ForView);
        QVERIFY(document && document->text(0).trimmed() == "two");
        const std::unique_ptr<Pdf::Document> drawing = document->opener()();
        QVERIFY(drawing && drawing->text(0).trimmed() == "two");
        QFile file(starts);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> times = file.readAll().split('\n');
        QCOMPARE(times.size(), 3); // two lines and the end
        const qint64 apart = (times.at(1).toLongLong() - times.at(0).toLongLong()) / 1000000;
        QVERIFY2(apart >= least && apart <= most, QByteArray::number(apart));
    }

    // The worker's standard descriptors are not ours: it reads nothing of our input nor writes
    // on our output, and what it writes on its standard error comes out on ours, no more than
    // 32 KiB of it. Where user namespaces are made, it is the first process of a PID namespace
    // of its own, known to /proc (and the window's watch) by the number it has outside.
    void workerStartsApart()
    {
        const QString seen = m_dir.filePath("seen");
        const QString program =
            // $$ counts in the worker's own PID namespace; /proc/self/status, opened by the
            // shell itself, gives the number /proc knows it by.
            write("worker.sh", "#!/bin/sh\n"
                               "while read -r key value; do\n"
                               "  [ \"$key\" = Pid: ] && pid=$value\n"
                               "  [ \"$key\" = NSpid: ] && numbers=$value\n"
                               "done </proc/self/status\n"
                               "echo \"$(readlink /proc/$pid/fd/0 /proc/$pid/fd/1)\" >\"$SEEN\"\n"
                               "echo \"$numbers\" >\"$SEEN.pids\"\n"

                               "echo worker says hello >&2\n"
                               "head -c 200000 /dev/zero | tr '\\0' x >&2\n"
                               "exec \"$WORKER\"\n");
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        qputenv("WORKER", WORKER);
        qputenv("SEEN", QFile::encodeName(seen));
        qputenv("QUILLMOOR_PDF_WORKER", QFile::encodeName(program));
        QTemporaryFile log;
        QVERIFY(log.open());
        std::fflush(stderr);
        const int ours = ::dup(STDERR_FILENO);
        ::dup2(log.handle(), STDERR_FILENO);
        std::unique_ptr<Pdf::Document> document = Pdf::openMemory(TestPdfs::onePage("told"));
        const bool read = document && document->text(0).trimmed() == "told";
        document.reset();
        ::dup2(ours, STDERR_FILENO);
        ::close(ours);
        QVERIFY(read);
        const QByteArray told = TestFiles::read(log.fileName());
        const QByteArray hello = "worker says hello\n";
        QVERIFY2(told.contains(hello) && told.count('x') == 32 * 1024 - hello.size(),
                 QByteArray::number(told.count('x')));
        QCOMPARE(TestFiles::read(seen), QByteArray("/dev/null\n/dev/null\n"));
        if (!userNamespacesMade())
            SKIP_WHERE_LACKING(
                "this system refuses user namespaces: workers share the PID namespace");
        // The worker's numbers: the one /proc knows it by, then its own in its namespace.
        const QList<QByteArray> numbers = TestFiles::read(seen + ".pids").simplified().split(' ');
        QCOMPARE(numbers.size(), 2);
        QCOMPARE(numbers[1], QByteArray("1"));
    }

    // A file loaded ahead is taken by the view's opening of that same file, unchanged; one
    // rewritten meanwhile, or another file, is read afresh, and what was loaded ahead ends.
    void loadedAheadForTheView_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("the same file") << "";
        QTest::newRow("rewritten meanwhile") << "rewritten";
        QTest::newRow("another file opened") << "other";
    }
    void loadedAheadForTheView()
    {
        QFETCH(QString, change);
        const QString path = write("ahead.pdf", TestPdfs::onePage("ahead"));
        const QString other = write("other.pdf", TestPdfs::onePage("other"));
        QTRY_VERIFY(TestFiles::childrenAllEnded());
        Pdf::openAhead(path);
        // The view's worker and its drawing copy's.
        QTRY_COMPARE(TestFiles::runningChildren().size(), 2);
        const QSet<int> ahead = TestFiles::runningChildren();
        QString opened = path, expected = "ahead";
        if (change == "rewritten") {
            // Renamed over, as editors save: a file of its own that only the path shares.
            const QString next = write("next.pdf", TestPdfs::onePage("rewritten"));
            QVERIFY(QFile::remove(path) && QFile::rename(next, path));
            expected = "rewritten";
        } else if (change == "other") {
            opened = other;
            expected = "other";
        }
        std::unique_ptr<Pdf::Document> document =
            Pdf::openFile(opened, nullptr, Pdf::Opening::ForView);
        QVERIFY(document && document->text(0).trimmed() == expected);
        std::unique_ptr<Pdf::Document> drawing = document->opener()();
        QVERIFY(drawing && drawing->text(0).trimmed() == expected);
        const QSet<int> started = TestFiles::runningChildren() - ahead;
        QCOMPARE(started.size(), change.isEmpty() ? 0 : 2);
        // Taken once: the next opening reads the file afresh.
        QVERIFY(Pdf::openFile(path, nullptr, Pdf::Opening::ForView));
        drawing.reset();
        document.reset();
        QTRY_VERIFY(TestFiles::childrenAllEnded());
    }

    // A page's size is asked alone until every page's has been: both ways give the same.
    void pageSizesAloneAndTogether()
    {
        PdfObjects pdf;
        pdf.add("<< /Type /Catalog /Pages 2 0 R >>");
        pdf.add("<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>");
        pdf.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 200] >>");
        pdf.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] /Rotate 90 >>");
        const std::unique_ptr<Pdf::Document> document = Pdf::openMemory(pdf.finish(1));
        QVERIFY(document);
        const QList<QSizeF> sizes = {QSizeF(100, 200), QSizeF(400, 300)};
        QCOMPARE(document->pageSize(1), sizes.at(1));
        QVERIFY(document->pageSize(2).isEmpty());
        QCOMPARE(document->pageSizes(), sizes);
        QCOMPARE(document->pageSize(0), sizes.at(0));
    }

    // Links to a page (by destination or by name), web addresses and places in other files,
    // every other action as Other; named destinations; words and their boxes.
    void linksAndWords()
    {
        const std::unique_ptr<Pdf::Document> document = Pdf::openMemory(TestPdfs::linked());
        QStringList links;
        for (const Pdf::Link &link : document->links(0))
            links << QStringLiteral("%1 %2 %3 %4%5")
                         .arg(int(link.kind))
                         .arg(link.page)
                         .arg(link.top)
                         .arg(link.url, link.destination.isEmpty() ? "" : "#" + link.destination);
        // Page, Web, File and Other are 0, 1, 2 and 3.
        QCOMPARE(links,
                 QStringList({"0 2 0.5 ", "0 1 0 ", "1 -1 -1 https://example.com/page", "3 -1 -1 ",
                              "3 -1 -1 ", "1 -1 -1 file:///etc/passwd", "2 0 -1 other.pdf",
                              "1 -1 -1 " + QString(TestPdfs::SignedInAddress),
                              "1 -1 -1 mailto:x@example.com?attach=/etc/passwd&subject=Hi",
                              "2 -1 -1 other.pdf#part2"}));
        const Pdf::Destination named = document->destination("chapter2");
        QVERIFY(named.page == 1 && named.top == 0);
        QCOMPARE(document->destination("nowhere").page, -1);
        QVERIFY(document->links(0).first().area.contains(QPointF(236 / 612.0, 125 / 792.0)));
        const QList<Pdf::Word> words = document->words(1);
        QVERIFY(words.size() >= 4 && words.at(0).text == "Second");
        QVERIFY(QRectF(0, 0, 0.5, 0.2).contains(words.at(0).box));
    }

    // The outline is read one level at a time, by the path of indexes from the top: a level far
    // down a chain 100,000 deep, and each level of one that loops back on itself, once.
    void outlineLevels_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QString>("entries"); // name page top, + when it has children, * open
        const QByteArray linked = TestPdfs::linked();
        QTest::newRow("top") << linked << QList<int>() << "Chapter one 0 0 +*|第二部分 2 0";
        QTest::newRow("below") << linked << QList<int>{0} << "Section 1 0.5";
        QTest::newRow("no such entry") << linked << QList<int>{2, 0} << "";
        const QByteArray deep = TestPdfs::deepOutline(100000);
        QTest::newRow("deep top") << deep << QList<int>() << "Level 1 0 -1 +*";
        QTest::newRow("deep down") << deep << QList<int>(1000, 0) << "Level 1001 0 -1 +*";
        const QByteArray looping = TestPdfs::loopingOutline();
        QTest::newRow("loop top") << looping << QList<int>() << "Start 0 -1 +";
        QTest::newRow("loop below") << looping << QList<int>{0} << "Inner 1 -1";
        QTest::newRow("loop back") << looping << QList<int>{0, 0} << "";
    }
    void outlineLevels()
    {
        QFETCH(QByteArray, pdf);
        QFETCH(QList<int>, path);
        QFETCH(QString, entries);
        // A walk 1,000 levels down may outlast the deadline in the sanitizer builds.
        Pdf::setWorkerLimits({qint64(1) << 30, std::chrono::minutes(2)});
        const std::unique_ptr<Pdf::Document> document = Pdf::openMemory(pdf);
        QStringList read;
        for (const Pdf::OutlineEntry &entry : document->outline(path))
            read << QStringLiteral("%1 %2 %3").arg(entry.name).arg(entry.page).arg(entry.top) +
                        (entry.hasChildren ? " +" : "") + (entry.open ? "*" : "");
        QCOMPARE(read.join('|'), entries);
    }

    // A level longer than the limit asked is cut there, the entry after the last given saying
    // how many were left out; a worker giving more is not believed.
    void longOutlineLevelIsCut()
    {
        const std::unique_ptr<Pdf::Document> document = Pdf::openMemory(TestPdfs::wideOutline(15));
        const QList<Pdf::OutlineEntry> entries = document->outline({}, 10);
        QCOMPARE(entries.size(), 11);
        QCOMPARE(entries.at(9).name, "Entry 10");
        QVERIFY(entries.at(9).leftOut == 0 && entries.last().leftOut == 5);
        QCOMPARE(document->outline({}, 15).size(), 15);
    }

    // A page count is believed as far as the page tree holds pages: a small file claiming ten
    // million shows the two it has, sized and drawn.
    void pageCountIsWhatTheTreeHolds_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<int>("pages");
        QTest::newRow("ten million claimed") << TestPdfs::claimingPages(9999999) << 2;
        QTest::newRow("one more claimed") << TestPdfs::claimingPages(3) << 2;
        QTest::newRow("as claimed") << TestPdfs::claimingPages(2) << 2;
        QTest::newRow("not linearized") << TestPdfs::linked() << 3;
    }
    void pageCountIsWhatTheTreeHolds()
    {
        QFETCH(QByteArray, pdf);
        QFETCH(int, pages);
        const std::unique_ptr<Pdf::Document> document = Pdf::openMemory(pdf);
        QVERIFY(document);
        QCOMPARE(document->pageCount(), pages);
        QCOMPARE(document->pageSizes().size(), pages);
        QVERIFY(document->pageSizes().constLast().isValid());
        QVERIFY(!document->draw(pages - 1, 0.2, 0, QRect()).isNull());
    }

    // A locked file shows nothing until unlocked; what the opener makes after is unlocked too,
    // also the document a view's starts loading alongside before the password is known. That
    // one ends with its document when the opener is never called.
    // What a document says of itself, read in the worker: the title in any script and the
    // creator it gives, its date with its offset, its version and its fonts, nothing for the
    // fields it leaves out; an encrypted one says so.
    void documentProperties_data()
    {
        QTest::addColumn<bool>("encrypted");
        QTest::newRow("plain") << false;
        QTest::newRow("encrypted") << true;
    }

    void documentProperties()
    {
        QFETCH(bool, encrypted);
        const QByteArray plain = TestPdfs::described();
        std::unique_ptr<Pdf::Document> document =
            Pdf::openMemory(encrypted ? TestPdfs::locked(plain, "secret") : plain);
        QVERIFY(document);
        QVERIFY(!encrypted || document->unlock("secret"));
        const Pdf::Properties properties = document->properties();
        QCOMPARE(properties.title, QString::fromUtf8(TestPdfs::DescribedTitle));
        QCOMPARE(properties.creator, QString::fromUtf8(TestPdfs::Creator));
        QVERIFY(properties.author.isEmpty() && properties.subject.isEmpty() &&
                properties.keywords.isEmpty());
        QCOMPARE(properties.created,
                 QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5), Qt::OffsetFromUTC, 8 * 3600));
        QCOMPARE(properties.version, QStringLiteral("1.7"));
        QCOMPARE(properties.encrypted, encrypted);
        QCOMPARE(properties.fonts.size(), 1);
        QCOMPARE(properties.fonts.at(0).name, QStringLiteral("Helvetica"));
        QVERIFY(!properties.fonts.at(0).embedded && !properties.fonts.at(0).type.isEmpty());
    }

    void lockedDocumentsUnlock_data()
    {
        QTest::addColumn<int>("opening");
        QTest::newRow("alone") << int(Pdf::Opening::Alone);
        QTest::newRow("for a view") << int(Pdf::Opening::ForView);
    }

    void lockedDocumentsUnlock()
    {
        QFETCH(int, opening);
        const QString locked = write("locked.pdf", TestPdfs::locked(TestPdfs::linked(), "secret"));
        const auto open = [&locked, opening] {
            return Pdf::openFile(locked, nullptr, Pdf::Opening(opening));
        };
        std::unique_ptr<Pdf::Document> document = open();
        QVERIFY(document && document->isLocked() && !open()->opener()());
        QVERIFY(!document->unlock("wrong") && document->unlock("secret"));
        std::unique_ptr<Pdf::Document> copy = document->opener()();
        QVERIFY(copy && !copy->isLocked() && copy->find(2, "gamma").size() == 1);
        copy.reset();
        document = open();
        document.reset();
        QVERIFY(TestFiles::childrenAllEnded());
    }
};

QTEST_GUILESS_MAIN(TestPdf)
#include "tst_pdf.moc"
