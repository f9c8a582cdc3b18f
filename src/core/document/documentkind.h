// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// What a document path names, decided by its last four characters in any letter case: "VELM" a
// book file (no dot needed before it), ".pdf" a plain PDF, anything else (a path of fewer than
// four characters among them) no kind. Nothing of the file itself is looked at.
enum class DocumentKind { None, Book, Pdf };

namespace Module1
{

DocumentKind DocumentKindOf(const QString &path);

// The part of `path` after its last separator, or the whole path when it holds none.
QString DocumentFileName(const QString &path);

} // namespace Module1
