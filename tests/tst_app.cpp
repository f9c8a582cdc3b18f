// SPDX-License-Identifier: GPL-2.0-or-later
// Start-up, and the per-user registration as the opener of books and PDFs, in XDG folders of a
// temporary home.
#include "app/chinesefiledetails.h"
#include "app/desktoprecentfiles.h"
#include "app/filetypes.h"
#include "app/qtdialogs.h"
#include "app/readerwindows.h"
#include "app/startup.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "fakeservices.h"
#include "gui/maker/form2.h"
#include "gui/pdfview/pdfviewfactory.h"
#include "gui/reader/form1.h"
#include "testfiles.h"
#include "widgets/clicklabel.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <sys/stat.h>

namespace
{

bool noWindowShown()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            return false;
    }
    return true;
}

} // namespace

class TestApp : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    const QByteArray m_userHome = qgetenv("HOME");

    QString dataHome() const { return m_home->filePath(QStringLiteral("data")); }
    QString configHome() const { return m_home->filePath(QStringLiteral("config")); }
    QString desktopFile() const { return dataHome() + "/applications/quillmoor.desktop"; }
    QString mimeappsFile() const { return configHome() + "/mimeapps.list"; }

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", dataHome().toUtf8());
        qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    }
    void cleanup() { qputenv("HOME", m_userHome); }

    // Each opening goes into the desktop's list as its URI with its MIME type and this program; a
    // damaged list, or a pipe or a link in its place, is left as it is.
    void desktopRecentFiles()
    {
        const QString pdf = m_home->filePath("文 件.pdf"), book = m_home->filePath("s.VELM");
        DesktopRecentFiles recent;
        recent.addOpened(pdf);
        recent.addOpened(book);
        recent.waitForWrites();
        const QByteArray list = TestFiles::read(DesktopRecentFiles::listPath());
        for (const QString &path : {pdf, book})
            QVERIFY(list.contains("href=\"" + QUrl::fromLocalFile(path).toEncoded() + '"'));
        QVERIFY(list.contains("type=\"application/pdf\"") &&
                list.contains("type=\"application/x-velm\""));
        QCOMPARE(list.count("name=\"quillmoor\" exec=\"&apos;quillmoor %u&apos;\""), 2);
        QVERIFY(TestFiles::write(DesktopRecentFiles::listPath(), "<xbel"));
        recent.addOpened(pdf);
        recent.waitForWrites();
        QCOMPARE(TestFiles::read(DesktopRecentFiles::listPath()), "<xbel");
        QVERIFY(QFile::remove(DesktopRecentFiles::listPath()));
        QCOMPARE(mkfifo(qPrintable(DesktopRecentFiles::listPath()), 0600), 0);
        recent.addOpened(pdf);
        recent.waitForWrites();
        QVERIFY(!QFileInfo(DesktopRecentFiles::listPath()).isFile());
        // A link, even to a list of the desktop's own, is neither followed nor replaced.
        QVERIFY(QFile::remove(DesktopRecentFiles::listPath()));
        const QString target = m_home->filePath("target.xbel");
        QVERIFY(TestFiles::write(target, list));
        QVERIFY(QFile::link(target, DesktopRecentFiles::listPath()));
        recent.addOpened(m_home->filePath("other.pdf"));
        recent.waitForWrites();
        QCOMPARE(TestFiles::read(target), list);
        QVERIFY(QFileInfo(DesktopRecentFiles::listPath()).isSymLink());
    }

    // The arguments joined with blanks, as one unquoted path split at its blanks; quotes stay.
    void commandLineIsTheArgumentsJoined()
    {
        QCOMPARE(Module1::CommandLineOf({"/usr/bin/quillmoor"}), QString());
        QCOMPARE(Module1::CommandLineOf({"q", "/home/u/My", "Books/a", "b.pdf"}),
                 "/home/u/My Books/a b.pdf");
        QCOMPARE(Module1::CommandLineOf({"q", "\"/a.pdf\""}), "\"/a.pdf\"");
    }

    // One book-making window, brought forward when asked again; closing the reader closes all.
    void startsTheReaderWindowThatOwnsTheOthers()
    {
        FakeServices fakes;
        const auto windows = Module1::StartReader(fakes.services(), QString());
        Form1 &reader = windows->reader();
        QVERIFY(reader.isVisible() && (reader.windowState() & Qt::WindowMaximized));
        const auto makers = [] {
            QList<Form2 *> found;
            for (QWidget *window : QApplication::topLevelWidgets())
                found << qobject_cast<Form2 *>(window);
            found.removeAll(nullptr);
            return found;
        };
        reader.findChild<QAction *>("制作电子书")->trigger();
        QCOMPARE(makers().size(), 1);
        Form2 *maker = makers().first();
        maker->showMinimized();
        reader.findChild<ClickLabel *>("Label22")->clicked();
        QCOMPARE(makers(), QList<Form2 *>{maker});
        QVERIFY(maker->isVisible() && !(maker->windowState() & Qt::WindowMinimized));
        QVERIFY(reader.close() && noWindowShown());
    }

    void missingViewTellsTheUserAndLeavesNoWindow()
    {
        FakeServices fakes;
        fakes.viewFactory.fail = true;
        QVERIFY(!Module1::StartReader(fakes.services(), QStringLiteral("/a.pdf")));
        QCOMPARE(fakes.dialogs.messages,
                 QStringList{"本软件打开需要PDF阅读器支持，请首先下载安装Adobe Reader!"});
        QCOMPARE(fakes.webOpener.addresses,
                 QStringList{Module1::DecodeNumberText(NumberTexts::downloadPage())});
        QVERIFY(noWindowShown());
    }

    // The program's own view is made only when its worker can be started.
    void viewNeedsItsWorker()
    {
        const QByteArray worker = qgetenv("QUILLMOOR_PDF_WORKER");
        StandardViewFactory factory;
        QWidget parent;
        QVERIFY(factory.createView(&parent));
        qputenv("QUILLMOOR_PDF_WORKER", QFile::encodeName(m_home->filePath("none")));
        QVERIFY(!factory.createView(&parent));
        qputenv("QUILLMOOR_PDF_WORKER", worker);
    }

    // The design's fonts come from the fonts the install script installs.
    void applicationFont()
    {
        Module1::SetApplicationFont();
        QCOMPARE(QApplication::font().pixelSize(), 12);
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("Noto Sans CJK SC"));
        QCOMPARE(QFontInfo(QFont(QStringLiteral("宋体"))).family(),
                 QStringLiteral("Noto Serif CJK SC"));
    }

    // The entry from the installed one's source, whose validity the install check sees. Twice
    // writes nothing again, but a database update that never finished is done; a program that
    // moved is registered at its new place.
    void registersOnceAndAtTheNewPlace()
    {
        const QString program = QStringLiteral("/opt/quillmoor/bin/quillmoor");
        Module1::RegisterFileTypes(program);
        QVERIFY(TestFiles::read(dataHome() + "/mime/packages/quillmoor-velm.xml")
                    .contains("<glob pattern=\"*.velm\"/>"));
        const QByteArray entry = TestFiles::read(desktopFile());
        QVERIFY(entry.contains("\nExec=/opt/quillmoor/bin/quillmoor %f\n"));
        QVERIFY(entry.contains("\nMimeType=application/x-velm;application/pdf;\n"));
        const QStringList files = TestFiles::entriesOf(dataHome() + "/applications");
        const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
        for (const QString &path : {desktopFile(), mimeappsFile()}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        const QString cache = dataHome() + "/mime/mime.cache";
        const bool mimeTool = QFile::exists(cache);
        QVERIFY(!mimeTool || QFile::remove(cache));
        Module1::RegisterFileTypes(program);
        QCOMPARE(QFile::exists(cache), mimeTool);
        QCOMPARE(QFileInfo(desktopFile()).lastModified().toSecsSinceEpoch(),
                 old.toSecsSinceEpoch());
        QCOMPARE(TestFiles::entriesOf(dataHome() + "/applications"), files);

        const QByteArray defaults = TestFiles::read(mimeappsFile());
        Module1::RegisterFileTypes(QStringLiteral("/home/u/My Programs/quillmoor"));
        QVERIFY(TestFiles::read(desktopFile())
                    .contains("\nExec=\"/home/u/My Programs/quillmoor\" %f\n"));
        QCOMPARE(TestFiles::read(mimeappsFile()), defaults);
        QCOMPARE(QFileInfo(mimeappsFile()).lastModified().toSecsSinceEpoch(),
                 old.toSecsSinceEpoch());
    }

    // Quoted by the desktop entry's rules, then its escapes doubled for the key's value.
    void execValueQuoting_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec");
        QTest::newRow("Chinese folder")
            << QString("/opt/阅读器/quillmoor") << "/opt/阅读器/quillmoor %f";
        QTest::newRow("path with blanks")
            << QString("/opt/a b/quillmoor") << "\"/opt/a b/quillmoor\" %f";
        QTest::newRow("dollar sign") << QString("/opt/a$b/q") << "\"/opt/a\\\\$b/q\" %f";
        QTest::newRow("backslash") << QString("/opt/a\\b/q") << "\"/opt/a\\\\\\\\b/q\" %f";
        QTest::newRow("double quote") << QString("/opt/a\"b/q") << "\"/opt/a\\\\\"b/q\" %f";
        QTest::newRow("backtick") << QString("/opt/a`b/q") << "\"/opt/a\\\\`b/q\" %f";
        QTest::newRow("percent sign") << QString("/opt/100%/q") << "/opt/100%%/q %f";
        QTest::newRow("single quote") << QString("/opt/it's/q") << "\"/opt/it's/q\" %f";
    }
    void execValueQuoting()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        QCOMPARE(FileTypes::execValue(program), exec);
    }

    // No file; another group without a line end; another reader the default; keys written twice
    // and with blanks. Applied twice, the defaults change nothing more.
    void defaultApplicationsKeepEverythingElse_data()
    {
        const QByteArray ours = "application/x-velm=quillmoor.desktop\n"
                                "application/pdf=quillmoor.desktop\n";
        const QByteArray other = "[Added Associations]\ntext/plain=gedit.desktop;";
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no file") << QByteArray() << "[Default Applications]\n" + ours;
        QTest::newRow("other group without a line end")
            << other << other + "\n\n[Default Applications]\n" + ours;
        QTest::newRow("another reader the default")
            << QByteArray("# mine\n[Default Applications]\ntext/html=firefox.desktop\n"
                          "application/pdf=evince.desktop\n\n[Added Associations]\n"
                          "application/pdf=evince.desktop;okular.desktop;\n")
            << QByteArray(
                   "# mine\n[Default Applications]\ntext/html=firefox.desktop\n"
                   "application/pdf=quillmoor.desktop\napplication/x-velm=quillmoor.desktop\n"
                   "\n[Added Associations]\napplication/pdf=evince.desktop;okular.desktop;\n");
        QTest::newRow("keys twice and with blanks")
            << QByteArray("[Default Applications]\napplication/pdf = a.desktop\n"
                          "application/x-velm=b.desktop\napplication/pdf=c.desktop\n")
            << QByteArray("[Default Applications]\napplication/pdf=quillmoor.desktop\n"
                          "application/x-velm=quillmoor.desktop\n");
    }
    void defaultApplicationsKeepEverythingElse()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QCOMPARE(FileTypes::withDefaults(before), after);
        QCOMPARE(FileTypes::withDefaults(after), after);
    }

    // What cannot be written is left, what can is written, a mimeapps.list that cannot be read is
    // not replaced, and a relative XDG folder counts as not set: nothing lands outside them.
    void registrationFailsSilently()
    {
        const QString blocker = m_home->filePath(QStringLiteral("blocker"));
        QVERIFY(TestFiles::write(blocker, "a file, not a folder"));
        qputenv("XDG_DATA_HOME", (blocker + QStringLiteral("/data")).toUtf8());
        Module1::RegisterFileTypes(QStringLiteral("/usr/bin/quillmoor"));
        QCOMPARE(TestFiles::read(blocker), QByteArray("a file, not a folder"));
        QVERIFY(TestFiles::read(mimeappsFile()).contains("application/pdf=quillmoor.desktop"));

        qputenv("XDG_DATA_HOME", dataHome().toUtf8());
        QVERIFY(QFile::remove(mimeappsFile()) && QDir().mkpath(mimeappsFile()));
        Module1::RegisterFileTypes(QStringLiteral("/usr/bin/quillmoor"));
        QVERIFY(QFileInfo(mimeappsFile()).isDir() && QFile::exists(desktopFile()));

        qputenv("HOME", m_home->filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_CONFIG_HOME", "relative/config");
        Module1::RegisterFileTypes(QStringLiteral("/usr/bin/quillmoor"));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("relative"))));
        QVERIFY(QFile::exists(m_home->filePath(QStringLiteral("home/.config/mimeapps.list"))));
    }

    // Whatever the locale, Qt's own buttons speak the interface's language.
    void qtTextsAreChineseWhateverTheLocale()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Module1::LoadQtTranslations();
        QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        QLocale::setDefault(QLocale::system());
    }

    // The name column fits the longest name listed, up to half the dialog's width; the size
    // column its sizes.
    void fileDialogsFitTheirNameColumn_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("short name") << 12;
        QTest::newRow("name over half the width") << 200;
    }
    void fileDialogsFitTheirNameColumn()
    {
        QFETCH(int, length);
        const QString name = m_home->filePath(QString(length, QLatin1Char('n')) + ".pdf");
        QVERIFY(TestFiles::write(name, QByteArray(13824, 'x')));
        QFileDialog dialog(nullptr, QString(), QFileInfo(name).path());
        dialog.resize(800, 500);
        QSignalSpy listed(dialog.findChild<QFileSystemModel *>(),
                          &QFileSystemModel::directoryLoaded);
        QtDialogs::keepNameColumnFitted(dialog);
        QTRY_VERIFY(!listed.isEmpty());
        auto *list = dialog.findChild<QTreeView *>("treeView");
        const int width = list->header()->sectionSize(0);
        QVERIFY(length > 100 ? width == 400 : width < 200 && width > 12 * 6);
        const QString size = list->model()->index(0, 1, list->rootIndex()).data().toString();
        QVERIFY(!size.isEmpty());
        // Qt's item view elides a text with less room than this.
        const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        QVERIFY(list->header()->sectionSize(1) >=
                list->fontMetrics().horizontalAdvance(size) + margins);
        QVERIFY(QFile::remove(name));
    }

    // Dates, sizes and types in the file list are Chinese, whatever the environment's locale.
    void fileDialogsWriteDetailsInChinese()
    {
        QVERIFY(QDir().mkpath(m_home->filePath("list/folder")));
        const QString name = m_home->filePath("list/书.pdf");
        QVERIFY(TestFiles::write(name, QByteArray(3000, 'x')));
        const QDateTime modified(QDate(2024, 3, 5), QTime(14, 7));
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(modified, QFileDevice::FileModificationTime));
        file.close();
        QFileDialog dialog(nullptr, QString(), QFileInfo(name).path());
        auto *files = dialog.findChild<QFileSystemModel *>();
        QSignalSpy listed(files, &QFileSystemModel::directoryLoaded);
        ChineseFileDetails::showIn(dialog);
        Module1::SetApplicationLocale();
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
        QTRY_VERIFY(!listed.isEmpty());
        auto *shown = dialog.proxyModel();
        QVERIFY(shown);
        const QModelIndex row = shown->mapFromSource(files->index(name));
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        QCOMPARE(row.siblingAtColumn(3).data().toString(),
                 chinese.toString(modified, QLocale::ShortFormat));
        QCOMPARE(row.siblingAtColumn(1).data().toString(), chinese.formattedDataSize(3000));
        QCOMPARE(row.siblingAtColumn(0).data().toString(), "书.pdf");
        const QModelIndex folder =
            shown->mapFromSource(files->index(m_home->filePath("list/folder")));
        QCOMPARE(folder.siblingAtColumn(1).data().toString(), QString());
        QCOMPARE(folder.siblingAtColumn(2).data().toString(), "文件夹");
        QCOMPARE(row.siblingAtColumn(2).data().toString(), "PDF 文档"); // shared-mime-info's
    }

    // Given the open document's path, the open dialog starts in its folder with it selected.
    void openDialogStartsAtTheDocument()
    {
        QVERIFY(QDir().mkpath(m_home->filePath("books")));
        const QString book = m_home->filePath("books/诗集.VELM");
        QVERIFY(TestFiles::write(book, "book"));
        QFileDialog dialog(nullptr, QString(), m_home->path());
        QtDialogs::startAt(dialog, book);
        QCOMPARE(dialog.directory().absolutePath(), m_home->filePath("books"));
        QCOMPARE(dialog.selectedFiles(), QStringList{book});
        QtDialogs::startAt(dialog, m_home->path());
        QCOMPARE(dialog.directory().absolutePath(), m_home->path());
    }

    // The file dialog matches case-sensitively; the patterns take any letter case.
    void fileFiltersMatchAnyLetterCase()
    {
        QCOMPARE(QtDialogs::anyCaseFilter(QStringLiteral("PDF文件 (*.pdf *.VELM)")),
                 QStringLiteral("PDF文件 (*.pdf *.VELM) (*.[pP][dD][fF] *.[vV][eE][lL][mM])"));
        QCOMPARE(QtDialogs::anyCaseFilter(QStringLiteral("no patterns")), "no patterns");
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
