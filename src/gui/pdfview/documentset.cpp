// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/documentset.h"

#include <poppler-qt6.h>

#include <future>

namespace
{

std::unique_ptr<Poppler::Document> openUnlocked(const QString &path, const QByteArray &password)
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path, password, password);
    if (!document || document->isLocked() || document->numPages() < 1)
        return nullptr;
    return document;
}

// The password as the file takes it: newer files UTF-8, older ones Latin-1.
std::optional<QByteArray> unlock(Poppler::Document &document, const QString &password)
{
    for (const QByteArray &encoded : {password.toUtf8(), password.toLatin1()}) {
        document.unlock(encoded, encoded);
        if (!document.isLocked())
            return encoded;
    }
    return std::nullopt;
}

} // namespace

std::optional<DocumentSet> DocumentSet::open(const QString &path, int searchers,
                                             const AskPassword &askPassword)
{
    DocumentSet set;
    set.reading = Poppler::Document::load(path);
    if (!set.reading)
        return std::nullopt;
    QByteArray password;
    if (set.reading->isLocked()) {
        QString typed;
        if (!askPassword || !askPassword(typed))
            return std::nullopt;
        const std::optional<QByteArray> taken = unlock(*set.reading, typed);
        if (!taken)
            return std::nullopt;
        password = *taken;
    }
    if (set.reading->numPages() < 1)
        return std::nullopt;
    // The others at once, each on a thread of its own: a document belongs to no thread until
    // it is handed over.
    const auto opening = [&path, &password] {
        return std::async(std::launch::async, openUnlocked, path, password);
    };
    auto drawing = opening();
    auto thumbnails = opening();
    std::vector<std::future<std::unique_ptr<Poppler::Document>>> searching;
    for (int i = 0; i < searchers; ++i)
        searching.push_back(opening());
    set.drawing = drawing.get();
    set.thumbnails = thumbnails.get();
    for (auto &document : searching)
        set.searching.push_back(document.get());
    if (!set.drawing || !set.thumbnails)
        return std::nullopt;
    for (const std::unique_ptr<Poppler::Document> &document : set.searching) {
        if (!document)
            return std::nullopt;
    }
    return set;
}
