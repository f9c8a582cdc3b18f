#pragma once

#include <QByteArray>
#include <QString>

// Small helpers for tests that work with files.
namespace TestFiles {

// Writes `bytes` to `path`, replacing the file; fails the calling test through QVERIFY-style
// return value.
bool write(const QString &path, const QByteArray &bytes);
QByteArray read(const QString &path);

// `size` bytes that begin with "%PDF-" and then vary with `seed`, like a PDF as far as a book
// is concerned.
QByteArray pdfLike(qint64 size, int seed);

// While one lives, every file this process writes is limited to `bytes` bytes, and a write past
// that fails with EFBIG instead of raising SIGXFSZ. Root cannot get around it.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    unsigned long long m_oldSoft;
    void (*m_oldHandler)(int);
};

} // namespace TestFiles
