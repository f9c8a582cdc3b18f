// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace Module1
{

// A number text holds a hidden text as decimal integers separated by commas (a blank may follow
// each comma), one integer per character, each taken exclusive-or a fixed key. Decoding takes the
// text by const reference and returns the result: a stored number text is never altered.
//
// An item that is not a number decodes as 0 exclusive-or the key. A code above 0xFF stands for a
// GBK double-byte character (high byte first); a code outside 0..0xFFFF becomes "?".
QString DecodeNumberText(const QString &numberText);

} // namespace Module1
