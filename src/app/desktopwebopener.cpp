// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/desktopwebopener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopWebOpener::openAddress(const QString &address)
{
    QDesktopServices::openUrl(QUrl(address));
}
