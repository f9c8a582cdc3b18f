#include "links/webopener.h"

#include "links/numbertext.h"

void Module1::OpenWebPage(WebOpener &opener, const QString &numberText)
{
    opener.openAddress(DecodeNumberText(numberText));
}
