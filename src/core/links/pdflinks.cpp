// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/links/pdflinks.h"

#include <QUrl>

bool PdfLinks::isOpenableWebAddress(const QString &address)
{
    if (address.isEmpty() || address.front() <= QLatin1Char(' ') ||
        address.back() <= QLatin1Char(' '))
        return false;
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}
