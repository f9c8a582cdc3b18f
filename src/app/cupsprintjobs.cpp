// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/cupsprintjobs.h"

#include <cups/cups.h>

#include <QFile>
#include <QPrinter>

namespace
{

// A printer with what CUPS knows of it, let go with it.
class Destination
{
public:
    // The print dialog names an instance of a printer "printer/instance".
    explicit Destination(const QString &name)
    {
        const QByteArray full = name.toUtf8();
        const qsizetype slash = full.indexOf('/');
        const QByteArray printer = slash < 0 ? full : full.left(slash);
        const QByteArray instance = slash < 0 ? QByteArray() : full.mid(slash + 1);
        if (printer.isEmpty())
            return;
        m_dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.constData(),
                                  instance.isEmpty() ? nullptr : instance.constData());
        if (m_dest)
            m_info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, m_dest);
    }
    ~Destination()
    {
        if (m_info)
            cupsFreeDestInfo(m_info);
        if (m_dest)
            cupsFreeDests(1, m_dest);
    }
    Destination(const Destination &) = delete;
    Destination &operator=(const Destination &) = delete;

    bool isValid() const { return m_dest && m_info; }
    cups_dest_t *dest() const { return m_dest; }
    cups_dinfo_t *info() const { return m_info; }

private:
    cups_dest_t *m_dest = nullptr;
    cups_dinfo_t *m_info = nullptr;
};

// The job's options, let go with them.
class Options
{
public:
    explicit Options(const QPrinter &printer)
    {
        add(CUPS_COPIES, QByteArray::number(qMax(1, printer.copyCount())));
        add("collate", printer.collateCopies() ? "true" : "false");
        add(CUPS_SIDES, sides(printer.duplex()));
        const QString media = printer.pageLayout().pageSize().key();
        if (!media.isEmpty())
            add(CUPS_MEDIA, media.toUtf8());
        // As the pictures printed before did: the page scaled to the paper, not cut at its edge.
        add("fit-to-page", "true");
    }
    ~Options() { cupsFreeOptions(m_count, m_options); }
    Options(const Options &) = delete;
    Options &operator=(const Options &) = delete;

    int count() const { return m_count; }
    cups_option_t *options() const { return m_options; }

private:
    static QByteArray sides(QPrinter::DuplexMode duplex)
    {
        switch (duplex) {
        case QPrinter::DuplexLongSide:
        case QPrinter::DuplexAuto:
            return CUPS_SIDES_TWO_SIDED_PORTRAIT;
        case QPrinter::DuplexShortSide:
            return CUPS_SIDES_TWO_SIDED_LANDSCAPE;
        case QPrinter::DuplexNone:
            break;
        }
        return CUPS_SIDES_ONE_SIDED;
    }
    void add(const char *name, const QByteArray &value)
    {
        m_count = cupsAddOption(name, value.constData(), m_count, &m_options);
    }

    int m_count = 0;
    cups_option_t *m_options = nullptr;
};

QString lastError()
{
    return QString::fromUtf8(cupsLastErrorString());
}

// The bytes of `file` as the document of the job begun; false, the job cancelled, when the
// printing system stopped taking them.
bool writeDocument(QFile &file)
{
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = file.read(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, buffer, size_t(got)) != HTTP_STATUS_CONTINUE)
            return false;
    }
}

} // namespace

bool CupsPrintJobs::takesPdf(const QPrinter &printer)
{
    const Destination destination(printer.printerName());
    return destination.isValid() &&
           cupsCheckDestSupported(CUPS_HTTP_DEFAULT, destination.dest(), destination.info(),
                                  "document-format", CUPS_FORMAT_PDF);
}

QString CupsPrintJobs::submitPdf(const QPrinter &printer, const QString &title,
                                 const QString &pdfPath)
{
    const Destination destination(printer.printerName());
    if (!destination.isValid())
        return QStringLiteral("找不到打印机“%1”").arg(printer.printerName());
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const Options options(printer);
    const QByteArray name = title.toUtf8();
    int job = 0;
    if (cupsCreateDestJob(CUPS_HTTP_DEFAULT, destination.dest(), destination.info(), &job,
                          name.constData(), options.count(),
                          options.options()) > IPP_STATUS_OK_CONFLICTING)
        return lastError();
    if (cupsStartDestDocument(CUPS_HTTP_DEFAULT, destination.dest(), destination.info(), job,
                              name.constData(), CUPS_FORMAT_PDF, 0, nullptr,
                              1) != HTTP_STATUS_CONTINUE ||
        !writeDocument(file)) {
        const QString reason = lastError();
        cupsCancelDestJob(CUPS_HTTP_DEFAULT, destination.dest(), job);
        return reason;
    }
    if (cupsFinishDestDocument(CUPS_HTTP_DEFAULT, destination.dest(), destination.info()) >
        IPP_STATUS_OK_CONFLICTING)
        return lastError();
    return QString();
}
