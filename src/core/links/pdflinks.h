// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// What a link inside a PDF may do. PDFs come from anywhere: a link may go to a page of the same
// document or open a web page; one that would start a program, run a script or open a local file
// does nothing.
namespace PdfLinks
{

// True for an absolute http, https or mailto address (in any letter case) with something after
// the scheme; false for every other scheme, a relative address and an address with blanks or
// control characters at its ends.
bool isOpenableWebAddress(const QString &address);

// The address a web link hands on. A mailto address (in any letter case) loses every `attach`
// and `attachment` parameter, as some mail programs attach the local file it names: its
// parameters are the pieces between '&' after the first '?', to the end of the address, and a
// name is compared in any letter case, percent-decoded, trimmed and without an "amp;" left from
// an escaped "&amp;". The '?' goes when no parameter is left. Every other character stays as it
// was; any other address is returned unchanged.
QString withoutAttachments(const QString &address);

// True for an http or https address (in any letter case) with a user name, a password or an
// empty place for them ('@' in its host part): a browser may sign in with them, and a user name
// such as "bank.example" makes the address seem to lead to another site. False for the '@' of a
// mailto address, a path, a query or a fragment.
bool carriesCredentials(const QString &address);

} // namespace PdfLinks
