// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Poppler
{
class Document;
}

// Every poppler document the view needs of one file, all opened before the file may go: one for
// each thread that reads it, as a poppler document must not be shared between threads. A locked
// file is asked its password once; a wrong or cancelled one opens nothing.
struct DocumentSet {
    using AskPassword = std::function<bool(QString &password)>;

    static std::optional<DocumentSet> open(const QString &path, int searchers,
                                           const AskPassword &askPassword);

    std::unique_ptr<Poppler::Document> reading;
    std::unique_ptr<Poppler::Document> drawing;
    std::unique_ptr<Poppler::Document> thumbnails;
    std::vector<std::unique_ptr<Poppler::Document>> searching;
};
