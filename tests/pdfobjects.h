// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>

// Writes a PDF from its objects, with a correct cross-reference table, for tests that need what
// QPdfWriter does not write: links, actions, named destinations, outlines, text in a font that
// is not embedded.
class PdfObjects
{
public:
    // Reserves the number of an object written later.
    int reserve();
    // Object `number` (from reserve) or a new one; returns its number.
    int add(const QByteArray &body, int number = 0);
    int addStream(const QByteArray &dictionary, const QByteArray &data);
    // The whole file, `catalog` as its root, and `info` its information dictionary if not 0.
    QByteArray finish(int catalog, int info = 0) const;

private:
    QList<QByteArray> m_bodies; // by number - 1
};
