// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/engine.h"

#include <QImage>

namespace Pdf::Engine
{

namespace
{

// One page of a few letters in a font that is not embedded, so that the font lookup runs too.
QByteArray smallPage()
{
    const QByteArray text = "BT /F1 12 Tf 2 5 Td (Aa) Tj ET";
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 20 20] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(text.size()) + " >>\nstream\n" + text + "\nendstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray table =
        "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype i = 0; i < objects.size(); ++i) {
        table += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const QByteArray start = QByteArray::number(pdf.size());
    return pdf + table + "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + start + "\n%%EOF\n";
}

} // namespace

void warmUp(const std::function<bool()> &wanted)
{
    if (wanted())
        return;
    const std::unique_ptr<Document> document = openMemory(smallPage());
    if (document && !wanted())
        document->draw(0, 1.0, 0, QRect());
}

} // namespace Pdf::Engine
