// SPDX-License-Identifier: GPL-2.0-or-later
// Replays every file of the folders named on the command line through a fuzz target's entry
// point, so inputs that once crashed run on every ordinary build, without clang's fuzzer. Each
// file is also replayed cut at every length and with each byte changed to values that parsers
// treat specially, so the seed corpus alone sweeps the damage a file may carry.
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace
{

int replay(const QByteArray &bytes)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                           size_t(bytes.size()));
    return 1;
}

int replayWithDamage(const QByteArray &bytes)
{
    int replayed = replay(bytes);
    for (qsizetype size = 0; size < bytes.size(); ++size)
        replayed += replay(bytes.left(size));
    const QByteArray special("\x00\xff\r\n09x,-\xa1\xe1\xe2\x80\x7f", 14);
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        QByteArray changed = bytes;
        for (const char value : special + char(bytes.at(at) ^ 0x01) + char(bytes.at(at) ^ 0x80)) {
            changed[at] = value;
            replayed += replay(changed);
        }
    }
    return replayed;
}

} // namespace

int main(int argc, char *argv[])
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        QDirIterator files(QString::fromLocal8Bit(argv[i]), QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
                return 1;
            }
            replayed += replayWithDamage(file.readAll());
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
