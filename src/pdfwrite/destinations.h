// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdfwrite/pdfoutput.h"

#include <qpdf/QPDF.hh>

#include <map>
#include <set>
#include <string>

// Named destinations: where a link or an outline item leads by name rather than by page.
namespace Destinations
{

// Name bytes to destination (an array, or a dictionary holding it as /D).
using Table = std::map<std::string, QPDFObjectHandle>;

// The named destinations of `pdf`: its name tree (/Names /Dests) and the older /Dests dictionary
// of the catalog; a name in both is taken from the tree.
Table namedIn(QPDF &pdf);

// The page object a destination leads to; null for none.
QPDFObjectHandle pageOf(QPDFObjectHandle destination);

// The name a link or an outline item leads to, through its /Dest or its go-to action; null when
// it leads to a page or nowhere.
QPDFObjectHandle nameOfHolder(QPDFObjectHandle holder);

// The page object a link or an outline item leads to, through its /Dest or its go-to action,
// by name through `named`; null for none.
QPDFObjectHandle pageOfHolder(QPDFObjectHandle holder, const Table &named);

// `name` (a name or a string) with `prefix` before it, keeping its kind.
QPDFObjectHandle prefixed(QPDFObjectHandle name, const std::string &prefix);

// Puts `prefix` before the name a link or an outline item leads to: its /Dest, and the /D of its
// go-to action, each keeping its kind (a name stays a name, a string a string). `renamed` holds
// what was already renamed, so an action two links share gets the prefix once.
void rename(QPDFObjectHandle holder, const std::string &prefix, std::set<QPDFObjGen> &renamed);

// Name bytes to destination as PDF text, as they are written.
using Texts = std::map<std::string, std::string>;

// Writes `table` as a name tree, and as a /Dests dictionary for readers that look a name up
// there; the catalog's entries for both, or nothing for an empty table.
std::string write(PdfOutput &out, const Texts &table);

} // namespace Destinations
