#include "app/desktopwebopener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopWebOpener::openAddress(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}
