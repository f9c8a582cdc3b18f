// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// PDFs for GUI tests, drawn at run time.
namespace TestPdfs
{

// Writes a PDF of `pages` A4 pages to `path`, each with a large black "PAGE n" and a black bar
// across its top, so a shown page has dark pixels wherever it is scrolled to.
bool write(const QString &path, int pages);
// The bytes of such a PDF; empty when it could not be made.
QByteArray bytes(int pages);

} // namespace TestPdfs
