// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// Hands a web address to the user's browser. The program opens pages only through this
// interface, so tests can stand in for the browser.
class WebOpener
{
public:
    virtual ~WebOpener() = default;
    // Fire and forget: a page that cannot be opened is not reported.
    virtual void openAddress(const QString &address) = 0;
};

namespace Module1
{

// Decodes the address held in `numberText` and has `opener` open it.
void OpenWebPage(WebOpener &opener, const QString &numberText);

} // namespace Module1
