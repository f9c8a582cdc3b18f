// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/links/webopener.h"

#include "core/links/numbertext.h"

void Module1::OpenWebPage(WebOpener &opener, const QString &numberText)
{
    opener.openAddress(DecodeNumberText(numberText));
}
