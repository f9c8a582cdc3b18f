// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/destinations.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

namespace
{

// A name's bytes without the slash, a string's as they are.
bool nameBytes(QPDFObjectHandle name, std::string *bytes)
{
    if (name.isName())
        *bytes = name.getName().substr(1);
    else if (name.isString())
        *bytes = name.getStringValue();
    else
        return false;
    return true;
}

QPDFObjectHandle prefixed(QPDFObjectHandle name, const std::string &prefix)
{
    std::string bytes;
    if (!nameBytes(name, &bytes))
        return name;
    return name.isName() ? QPDFObjectHandle::newName("/" + prefix + bytes)
                         : QPDFObjectHandle::newString(prefix + bytes);
}

void renameKey(QPDFObjectHandle dictionary, const std::string &key, const std::string &prefix)
{
    QPDFObjectHandle name = dictionary.getKey(key);
    if (name.isName() || name.isString())
        dictionary.replaceKey(key, prefixed(name, prefix));
}

// Whether `object` is renamed now: false for one renamed before.
bool firstTime(QPDFObjectHandle object, std::set<QPDFObjGen> &renamed)
{
    return !object.isIndirect() || renamed.insert(object.getObjGen()).second;
}

} // namespace

Destinations::Table Destinations::namedIn(QPDF &pdf)
{
    Table table;
    QPDFObjectHandle root = pdf.getRoot();
    QPDFObjectHandle old = root.getKey("/Dests");
    if (old.isDictionary()) {
        for (const auto &[key, value] : old.ditems())
            table[key.substr(1)] = value;
    }
    QPDFObjectHandle tree = root.getKey("/Names").getKey("/Dests");
    if (tree.isDictionary()) {
        for (const auto &[key, value] : QPDFNameTreeObjectHelper(tree, pdf))
            table[key] = value;
    }
    return table;
}

QPDFObjectHandle Destinations::pageOf(QPDFObjectHandle destination)
{
    if (destination.isDictionary())
        destination = destination.getKey("/D");
    if (destination.isArray() && destination.getArrayNItems() > 0)
        return destination.getArrayItem(0);
    return QPDFObjectHandle::newNull();
}

QPDFObjectHandle Destinations::pageOfHolder(QPDFObjectHandle holder, const Table &named)
{
    QPDFObjectHandle destination = holder.getKey("/Dest");
    QPDFObjectHandle action = holder.getKey("/A");
    if (destination.isNull() && action.isDictionary() &&
        action.getKey("/S").isNameAndEquals("/GoTo"))
        destination = action.getKey("/D");
    std::string name;
    if (nameBytes(destination, &name)) {
        const auto found = named.find(name);
        destination = found == named.end() ? QPDFObjectHandle::newNull() : found->second;
    }
    return pageOf(destination);
}

void Destinations::rename(QPDFObjectHandle holder, const std::string &prefix,
                          std::set<QPDFObjGen> &renamed)
{
    if (!holder.isDictionary() || !firstTime(holder, renamed))
        return;
    renameKey(holder, "/Dest", prefix);
    QPDFObjectHandle action = holder.getKey("/A");
    if (action.isDictionary() && action.getKey("/S").isNameAndEquals("/GoTo") &&
        firstTime(action, renamed))
        renameKey(action, "/D", prefix);
}

void Destinations::store(QPDF &pdf, const Table &table)
{
    if (table.empty())
        return;
    QPDFObjectHandle names = QPDFObjectHandle::newArray();
    QPDFObjectHandle old = QPDFObjectHandle::newDictionary();
    for (const auto &[name, destination] : table) {
        names.appendItem(QPDFObjectHandle::newString(name));
        names.appendItem(destination);
        old.replaceKey("/" + name, destination);
    }
    QPDFObjectHandle tree = QPDFObjectHandle::newDictionary();
    tree.replaceKey("/Names", names);
    QPDFObjectHandle root = pdf.getRoot();
    QPDFObjectHandle catalogNames = QPDFObjectHandle::newDictionary();
    catalogNames.replaceKey("/Dests", pdf.makeIndirectObject(tree));
    root.replaceKey("/Names", catalogNames);
    root.replaceKey("/Dests", pdf.makeIndirectObject(old));
}
