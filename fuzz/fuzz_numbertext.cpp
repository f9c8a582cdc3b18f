// SPDX-License-Identifier: GPL-2.0-or-later
// Decodes arbitrary text as a number text.
#include "core/links/numbertext.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString decoded = Module1::DecodeNumberText(text);
    // One character per item: a decoded text can never be longer than two UTF-16 units an item.
    if (decoded.size() > 2 * (text.count(QLatin1Char(',')) + 1))
        __builtin_trap();
    return 0;
}
