// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfobjects.h"

int PdfObjects::reserve()
{
    m_bodies.append(QByteArray());
    return int(m_bodies.size());
}

int PdfObjects::add(const QByteArray &body, int number)
{
    if (number == 0)
        number = reserve();
    m_bodies[number - 1] = body;
    return number;
}

int PdfObjects::addStream(const QByteArray &dictionary, const QByteArray &data)
{
    QByteArray body = dictionary;
    body.chop(2); // ">>"
    body += " /Length " + QByteArray::number(data.size()) + " >>\nstream\n" + data + "\nendstream";
    return add(body);
}

QByteArray PdfObjects::finish(int catalog, int info) const
{
    QByteArray file = "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n";
    QList<qint64> offsets;
    for (int i = 0; i < m_bodies.size(); ++i) {
        offsets << file.size();
        file += QByteArray::number(i + 1) + " 0 obj\n" + m_bodies.at(i) + "\nendobj\n";
    }
    const qint64 xref = file.size();
    file += "xref\n0 " + QByteArray::number(m_bodies.size() + 1) + "\n0000000000 65535 f \n";
    for (const qint64 offset : offsets)
        file += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    file += "trailer\n<< /Size " + QByteArray::number(m_bodies.size() + 1) + " /Root " +
            QByteArray::number(catalog) + " 0 R" +
            (info ? " /Info " + QByteArray::number(info) + " 0 R" : QByteArray()) +
            " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return file;
}
