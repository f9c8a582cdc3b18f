// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/links/webopener.h"

// Opens addresses with the desktop's default browser.
class DesktopWebOpener : public WebOpener
{
public:
    void openAddress(const QString &address) override;
};
