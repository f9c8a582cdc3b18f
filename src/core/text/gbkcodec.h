// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Every text file of the system (contents index, bookmark file) is GBK (code page 936) on every
// platform, so books and bookmark files stay exchangeable with the systems the program is made
// for. This is the one place that knows how GBK is reached.
namespace Gbk
{

// A character GBK cannot represent becomes "?"; that is no failure.
QByteArray encode(const QString &text);
// The characters of `text` that GBK cannot represent, each once, in the order they first stand.
QString unencodable(const QString &text);

// Bytes that are no GBK become U+FFFD. Uses a fresh decoder each call, so no state carries over.
QString decode(const QByteArray &bytes);

// The lines of GBK text: decoded first (a GBK character's second byte may be any byte from 0x40
// up, so splitting the bytes could cut a character), then split at CR LF, CR or LF. Empty lines
// are kept; text that ends with a line end gives an empty last line.
QStringList decodeLines(const QByteArray &bytes);

} // namespace Gbk
