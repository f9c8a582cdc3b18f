// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/chapterlinks.h"

#include "core/book/contentsindex.h"
#include "pdfwrite/destinations.h"

namespace
{

// A file specification's name: a string, or the dictionary's Unicode name before its plain one.
bool fileName(QPDFObjectHandle specification, std::string *name)
{
    if (specification.isDictionary()) {
        QPDFObjectHandle unicode = specification.getKey("/UF");
        specification = unicode.isString() ? unicode : specification.getKey("/F");
    }
    if (!specification.isString())
        return false;
    *name = specification.getUTF8Value();
    return true;
}

} // namespace

std::string ChapterLinks::fileOf(const QString &name)
{
    return ContentsIndex::chapterFileName(name).toStdString();
}

void ChapterLinks::leadInto(QPDFObjectHandle link, const std::string &file, int page)
{
    QPDFObjectHandle destination = Destinations::nameOfHolder(link);
    if (destination.isNull())
        destination = QPDFObjectHandle::parse("[" + std::to_string(page) + " /Fit]");
    QPDFObjectHandle action = QPDFObjectHandle::newDictionary();
    action.replaceKey("/S", QPDFObjectHandle::newName("/GoToR"));
    action.replaceKey("/F", QPDFObjectHandle::newUnicodeString(file));
    action.replaceKey("/D", destination);
    link.removeKey("/Dest");
    link.replaceKey("/A", action);
}

bool ChapterLinks::remoteOf(QPDFObjectHandle link, Remote *remote)
{
    QPDFObjectHandle action = link.getKey("/A");
    if (!action.isDictionary() || !action.getKey("/S").isNameAndEquals("/GoToR") ||
        !fileName(action.getKey("/F"), &remote->file))
        return false;
    remote->destination = action.getKey("/D");
    return true;
}
