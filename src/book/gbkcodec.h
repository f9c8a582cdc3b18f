#pragma once

#include <QByteArray>
#include <QString>

// Every text file of the system (contents index, bookmark file) is GBK (code page 936) on every
// platform, so books and bookmark files stay exchangeable with the systems the program is made
// for. This is the one place that knows how GBK is reached.
namespace Gbk {

// False when this Qt has no GBK converter (a Qt built without ICU).
bool isAvailable();

// A character GBK cannot represent becomes "?"; that is no failure.
QByteArray encode(const QString &text);

// Bytes that are no GBK become U+FFFD. Uses a fresh decoder each call, so no state carries over.
QString decode(const QByteArray &bytes);

} // namespace Gbk
