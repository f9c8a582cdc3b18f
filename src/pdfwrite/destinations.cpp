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

void renameKey(QPDFObjectHandle dictionary, const std::string &key, const std::string &prefix)
{
    QPDFObjectHandle name = dictionary.getKey(key);
    if (name.isName() || name.isString())
        dictionary.replaceKey(key, Destinations::prefixed(name, prefix));
}

// The /Dest of a link or an outline item, or the /D of its go-to action.
QPDFObjectHandle destinationOf(QPDFObjectHandle holder)
{
    QPDFObjectHandle destination = holder.getKey("/Dest");
    QPDFObjectHandle action = holder.getKey("/A");
    if (destination.isNull() && action.isDictionary() &&
        action.getKey("/S").isNameAndEquals("/GoTo"))
        destination = action.getKey("/D");
    return destination;
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

QPDFObjectHandle Destinations::nameOfHolder(QPDFObjectHandle holder)
{
    QPDFObjectHandle destination = destinationOf(holder);
    return destination.isName() || destination.isString() ? destination
                                                          : QPDFObjectHandle::newNull();
}

QPDFObjectHandle Destinations::pageOfHolder(QPDFObjectHandle holder, const Table &named)
{
    QPDFObjectHandle destination = destinationOf(holder);
    std::string name;
    if (nameBytes(destination, &name)) {
        const auto found = named.find(name);
        destination = found == named.end() ? QPDFObjectHandle::newNull() : found->second;
    }
    return pageOf(destination);
}

QPDFObjectHandle Destinations::prefixed(QPDFObjectHandle name, const std::string &prefix)
{
    std::string bytes;
    if (!nameBytes(name, &bytes))
        return name;
    return name.isName() ? QPDFObjectHandle::newName("/" + prefix + bytes)
                         : QPDFObjectHandle::newString(prefix + bytes);
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

std::string Destinations::write(PdfOutput &out, const Texts &table)
{
    if (table.empty())
        return std::string();
    std::string names;
    std::string old;
    for (const auto &[name, destination] : table) {
        names += QPDFObjectHandle::newString(name).unparse() + ' ' + destination + ' ';
        old += QPDFObjectHandle::newName("/" + name).unparse() + ' ' + destination + ' ';
    }
    const int tree = out.allocate();
    out.writeObject(tree, "<</Names [" + names + "]>>");
    const int dictionary = out.allocate();
    out.writeObject(dictionary, "<<" + old + ">>");
    return " /Names <</Dests " + std::to_string(tree) + " 0 R>> /Dests " +
           std::to_string(dictionary) + " 0 R";
}
