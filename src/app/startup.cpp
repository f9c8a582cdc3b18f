// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/startup.h"

#include "app/cupsprintjobs.h"
#include "app/desktoprecentfiles.h"
#include "app/desktopwebopener.h"
#include "app/filetypes.h"
#include "app/qtdialogs.h"
#include "app/readerwindows.h"
#include "core/book/scratchfolder.h"
#include "core/document/documentkind.h"
#include "core/links/weblinks.h"
#include "core/links/webopener.h"
#include "core/state/readingplaces.h"
#include "core/state/recentdocuments.h"
#include "gui/pdfview/pdfviewfactory.h"
#include "gui/reader/form1.h"
#include "pdf/opening.h"
#include "services/appservices.h"
#include "services/dialogs.h"
#include "widgets/artwork.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

namespace
{

void reportMissingViewer(const AppServices &services)
{
    services.dialogs->showMessage(
        nullptr, QStringLiteral("本软件打开需要PDF阅读器支持，请首先下载安装Adobe Reader!"));
    Module1::OpenWebPage(*services.webOpener, NumberTexts::downloadPage());
}

} // namespace

int Module1::Main(int argc, char *argv[])
{
    // The workers start and read the PDF while Qt and the window start. Qt takes its own
    // options out of the arguments later; a path that differs then is only not taken.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const QString path = CommandLineOf(arguments); DocumentKindOf(path) == DocumentKind::Pdf)
        Pdf::openAhead(path);
    QApplication application(argc, argv);
    LoadQtTranslations();
    SetApplicationLocale();
    SetApplicationFont();
    QApplication::setWindowIcon(Artwork::icon(QStringLiteral("quillmoor")));
    // Lets the desktop match the window to the entry the registration writes.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmoor"));
    RegisterFileTypes(QCoreApplication::applicationFilePath());

    QtDialogs dialogs;
    DesktopWebOpener webOpener;
    StandardViewFactory viewFactory;
    ScratchFolder scratchFolder;
    // Made before the windows, so they outlive them and save what the windows noted last.
    ReadingPlaces readingPlaces(StateStore::defaultFolder());
    RecentDocuments recentDocuments(StateStore::defaultFolder());
    DesktopRecentFiles recentFiles;
    // Both programs are built into one folder and installed into one.
    const QString bookTool =
        QCoreApplication::applicationDirPath() + QStringLiteral("/quillmoor-book");
    CupsPrintJobs printJobs;
    const AppServices services{&dialogs,       &webOpener,     &viewFactory,
                               &scratchFolder, &readingPlaces, &recentDocuments,
                               &recentFiles,   bookTool,       &printJobs};
    const std::unique_ptr<ReaderWindows> windows =
        StartReader(services, CommandLineOf(QCoreApplication::arguments()));
    if (!windows)
        return 1;
    return QApplication::exec();
}

std::unique_ptr<ReaderWindows> Module1::StartReader(const AppServices &services,
                                                    const QString &commandLine)
{
    std::unique_ptr<ReaderWindows> windows = ReaderWindows::create(services);
    if (!windows) {
        reportMissingViewer(services);
        return nullptr;
    }
    windows->reader().Form_Load(commandLine);
    windows->reader().show();
    return windows;
}

QString Module1::CommandLineOf(const QStringList &arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

void Module1::LoadQtTranslations()
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_zh_CN"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

void Module1::SetApplicationLocale()
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

void Module1::SetApplicationFont()
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    // CJK characters 12 pixels wide and high, as the captions were designed with.
    font.setPixelSize(12);
    QApplication::setFont(font);
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
}
