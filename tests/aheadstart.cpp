// SPDX-License-Identifier: GPL-2.0-or-later
// The program's start in small: the PDF named first is loaded ahead, on a thread of its own,
// and the application is made the milliseconds named second after. Ends 1 when Qt took another
// thread than this one for its main thread, as its warning says.
#include "pdf/opening.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace
{

bool warned = false;

void note(QtMsgType, const QMessageLogContext &, const QString &message)
{
    warned = warned || message.contains(QLatin1String("not created in the main() thread"));
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(note);
    Pdf::openAhead(QString::fromLocal8Bit(argv[1]));
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    QCoreApplication application(argc, argv);
    return warned ? 1 : 0;
}
