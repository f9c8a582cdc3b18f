// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/links/pdflinks.h"

#include <QStringList>
#include <QUrl>

namespace
{

bool isHttp(const QString &scheme)
{
    return scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
           scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

// Read as loosely as any mail program might: such a program may decode the name, or skip the
// "amp;" of an "&amp;" written for a web page.
bool namesAttachment(QStringView parameter)
{
    const QStringView name = parameter.left(parameter.indexOf(u'='));
    QString decoded = QString::fromUtf8(QByteArray::fromPercentEncoding(name.toUtf8())).trimmed();
    while (decoded.startsWith(QLatin1String("amp;"), Qt::CaseInsensitive))
        decoded = decoded.mid(4).trimmed();
    return decoded.compare(QLatin1String("attach"), Qt::CaseInsensitive) == 0 ||
           decoded.compare(QLatin1String("attachment"), Qt::CaseInsensitive) == 0;
}

} // namespace

bool PdfLinks::isOpenableWebAddress(const QString &address)
{
    if (address.isEmpty() || address.front() <= QLatin1Char(' ') ||
        address.back() <= QLatin1Char(' '))
        return false;
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    if (url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0)
        return !url.path().isEmpty();
    return isHttp(url.scheme()) && !url.host().isEmpty();
}

// The parameters run to the end of the address, past a '#': a mail program that knows nothing of
// fragments would read a parameter after it all the same.
QString PdfLinks::withoutAttachments(const QString &address)
{
    const qsizetype queryStart = address.indexOf(u'?');
    if (!address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive) || queryStart < 0)
        return address;
    QStringList kept;
    for (const QStringView parameter : QStringView(address).mid(queryStart + 1).split(u'&')) {
        if (!namesAttachment(parameter))
            kept << parameter.toString();
    }
    const QString query = kept.isEmpty() ? QString() : u'?' + kept.join(u'&');
    return address.left(queryStart) + query;
}

// The address is read the way the browser's opener reads it, leniently, so an '@' that a strict
// reading would refuse counts as well.
bool PdfLinks::carriesCredentials(const QString &address)
{
    const QUrl url(address);
    return isHttp(url.scheme()) && url.authority().contains(u'@');
}
