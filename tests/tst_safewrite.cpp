#include "core/book/safewrite.h"

#include "testfiles.h"

#include <QBuffer>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The byte copy under every book and chapter file: from file to file the kernel copies, from
// and to anything else a buffer does, and both must leave the devices where the next read or
// write expects them.
class TestSafeWrite : public QObject
{
    Q_OBJECT

private slots:
    void copiesExactlyTheRangeAndLeavesBothDevicesAfterIt_data();
    void copiesExactlyTheRangeAndLeavesBothDevicesAfterIt();
    void shortSourceFails_data();
    void shortSourceFails();
    void failedWriteShowsInTheTargetsError_data();
    void failedWriteShowsInTheTargetsError();
    void progressCountsChunksAndCanStop();

public:
    enum Kind { File, SaveFile, Buffer };

private:
    std::unique_ptr<QIODevice> openSource(Kind kind, const QByteArray &bytes);
    std::unique_ptr<QIODevice> openTarget(Kind kind);
    QByteArray written(Kind kind, QIODevice &target);

    QTemporaryDir m_dir;
    QByteArray m_targetBytes; // what a Buffer target holds
};

Q_DECLARE_METATYPE(TestSafeWrite::Kind)

namespace {

const char *kindName(int kind)
{
    static const char *const names[] = {"file", "save file", "buffer"};
    return names[kind];
}

} // namespace

std::unique_ptr<QIODevice> TestSafeWrite::openSource(Kind kind, const QByteArray &bytes)
{
    if (kind == Buffer) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(bytes);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    }
    const QString path = m_dir.filePath(QStringLiteral("source"));
    if (!TestFiles::write(path, bytes))
        return nullptr;
    auto file = std::make_unique<QFile>(path);
    file->open(QIODevice::ReadOnly);
    return file;
}

std::unique_ptr<QIODevice> TestSafeWrite::openTarget(Kind kind)
{
    const QString path = m_dir.filePath(QStringLiteral("target"));
    QFile::remove(path);
    std::unique_ptr<QIODevice> target;
    if (kind == Buffer) {
        m_targetBytes.clear();
        target = std::make_unique<QBuffer>(&m_targetBytes);
    } else if (kind == SaveFile) {
        target = std::make_unique<QSaveFile>(path);
    } else {
        target = std::make_unique<QFile>(path);
    }
    target->open(QIODevice::WriteOnly);
    return target;
}

QByteArray TestSafeWrite::written(Kind kind, QIODevice &target)
{
    if (kind == Buffer)
        return m_targetBytes;
    if (kind == SaveFile) {
        if (!static_cast<QSaveFile &>(target).commit())
            return QByteArray();
    } else {
        target.close();
    }
    return TestFiles::read(m_dir.filePath(QStringLiteral("target")));
}

void TestSafeWrite::copiesExactlyTheRangeAndLeavesBothDevicesAfterIt_data()
{
    QTest::addColumn<Kind>("sourceKind");
    QTest::addColumn<Kind>("targetKind");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("length");

    const qint64 chunk = SafeWrite::ChunkSize;
    const QList<std::pair<Kind, Kind>> pairs{
            {File, File}, {File, SaveFile}, {Buffer, File}, {File, Buffer}};
    const QList<std::pair<qint64, qint64>> ranges{
            {0, 0}, {0, 1}, {7, chunk - 1}, {0, chunk}, {3, chunk * 5 / 2 + 3}};
    for (const auto &[source, target] : pairs) {
        for (const auto &[start, length] : ranges) {
            QTest::addRow("%s to %s, %lld bytes at %lld", kindName(source), kindName(target),
                          length, start)
                    << source << target << start << length;
        }
    }
}

void TestSafeWrite::copiesExactlyTheRangeAndLeavesBothDevicesAfterIt()
{
    QFETCH(Kind, sourceKind);
    QFETCH(Kind, targetKind);
    QFETCH(qint64, start);
    QFETCH(qint64, length);
    QVERIFY(m_dir.isValid());

    const QByteArray bytes = TestFiles::pdfLike(start + length + 5, 1);
    const std::unique_ptr<QIODevice> source = openSource(sourceKind, bytes);
    const std::unique_ptr<QIODevice> target = openTarget(targetKind);
    QVERIFY(source && source->isOpen() && target->isOpen());
    // Reading fills the source's read buffer beyond `start`.
    QCOMPARE(source->read(start), bytes.left(start));
    // Still in the target's write buffer when the copy begins.
    QCOMPARE(target->write("head"), qint64(4));

    QCOMPARE(SafeWrite::copyBytes(*source, *target, length), SafeWrite::CopyResult::Copied);

    QCOMPARE(source->pos(), start + length);
    QCOMPARE(source->read(5), bytes.mid(start + length));
    QCOMPARE(target->write("tail"), qint64(4));
    QCOMPARE(written(targetKind, *target), "head" + bytes.mid(start, length) + "tail");
}

void TestSafeWrite::shortSourceFails_data()
{
    QTest::addColumn<Kind>("sourceKind");
    QTest::addColumn<Kind>("targetKind");

    QTest::newRow("file to file") << File << File;
    QTest::newRow("buffer to file") << Buffer << File;
}

void TestSafeWrite::shortSourceFails()
{
    QFETCH(Kind, sourceKind);
    QFETCH(Kind, targetKind);
    QVERIFY(m_dir.isValid());

    const qint64 length = SafeWrite::ChunkSize * 2 + 10;
    const std::unique_ptr<QIODevice> source =
            openSource(sourceKind, TestFiles::pdfLike(length - 1, 2));
    const std::unique_ptr<QIODevice> target = openTarget(targetKind);
    QVERIFY(source && source->isOpen() && target->isOpen());

    QCOMPARE(SafeWrite::copyBytes(*source, *target, length), SafeWrite::CopyResult::ReadFailed);
}

void TestSafeWrite::failedWriteShowsInTheTargetsError_data()
{
    QTest::addColumn<Kind>("targetKind");

    QTest::newRow("file") << File;
    QTest::newRow("save file") << SaveFile;
}

void TestSafeWrite::failedWriteShowsInTheTargetsError()
{
    QFETCH(Kind, targetKind);
    QVERIFY(m_dir.isValid());
    const qint64 length = SafeWrite::ChunkSize * 4;
    const std::unique_ptr<QIODevice> source = openSource(File, TestFiles::pdfLike(length, 3));
    const std::unique_ptr<QIODevice> target = openTarget(targetKind);
    QVERIFY(source && source->isOpen() && target->isOpen());

    SafeWrite::CopyResult copied = SafeWrite::CopyResult::Copied;
    {
        TestFiles::FileSizeLimit limit(SafeWrite::ChunkSize * 2 + 100);
        copied = SafeWrite::copyBytes(*source, *target, length);
    }
    QCOMPARE(copied, SafeWrite::CopyResult::WriteFailed);
    QCOMPARE(static_cast<QFileDevice *>(target.get())->error(), QFileDevice::WriteError);
}

void TestSafeWrite::progressCountsChunksAndCanStop()
{
    QVERIFY(m_dir.isValid());
    const qint64 length = SafeWrite::ChunkSize * 5 / 2;
    const QByteArray bytes = TestFiles::pdfLike(length, 4);
    for (const Kind sourceKind : {File, Buffer}) {
        for (const bool stop : {true, false}) {
            const std::unique_ptr<QIODevice> source = openSource(sourceKind, bytes);
            const std::unique_ptr<QIODevice> target = openTarget(File);
            QVERIFY(source && source->isOpen() && target->isOpen());
            QList<qint64> reports;
            const SafeWrite::CopyResult copied = SafeWrite::copyBytes(*source, *target, length, [&](qint64 done) {
                reports.append(done);
                return !stop;
            });
            QCOMPARE(copied, stop ? SafeWrite::CopyResult::Stopped : SafeWrite::CopyResult::Copied);
            QVERIFY(!reports.isEmpty());
            qint64 previous = 0;
            for (const qint64 done : reports) {
                QVERIFY(done > previous && done - previous <= SafeWrite::ChunkSize);
                previous = done;
            }
            if (stop)
                QCOMPARE(reports.size(), 1);
            else
                QCOMPARE(reports.last(), length);
        }
    }
}

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "tst_safewrite.moc"
