#include "app/filetypes.h"
#include "app/qtdialogs.h"
#include "app/readerwindows.h"
#include "app/startup.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "fakeservices.h"
#include "gui/maker/form2.h"
#include "gui/reader/form1.h"
#include "testfiles.h"
#include "widgets/clicklabel.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestApp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commandLineIsTheArgumentsJoined_data();
    void commandLineIsTheArgumentsJoined();
    void startsTheReaderWindowThatOwnsTheOthers();
    void missingViewTellsTheUserAndLeavesNoWindow();
    void applicationFont();

    void registersBothFileTypesOnceAndAtTheirNewPlace();
    void execValueQuoting_data();
    void execValueQuoting();
    void defaultApplicationsKeepEverythingElse_data();
    void defaultApplicationsKeepEverythingElse();
    void registrationFailsSilently();

    void fileFiltersMatchAnyLetterCase();

private:
    QString dataHome() const { return m_home->filePath(QStringLiteral("data")); }
    QString configHome() const { return m_home->filePath(QStringLiteral("config")); }
    QString desktopFile() const
    {
        return dataHome() + QStringLiteral("/applications/quillmoor.desktop");
    }
    QString mimeFile() const
    {
        return dataHome() + QStringLiteral("/mime/packages/quillmoor-velm.xml");
    }
    QString iconFile() const { return dataHome() + QStringLiteral("/applications/quillmoor.svg"); }
    QString mimeappsFile() const { return configHome() + QStringLiteral("/mimeapps.list"); }
    QStringList linesOf(const QString &path) const
    {
        return QString::fromUtf8(TestFiles::read(path)).split(QLatin1Char('\n'));
    }

    std::unique_ptr<QTemporaryDir> m_home;
    QByteArray m_userHome;
};

void TestApp::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    m_userHome = qgetenv("HOME");
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
}

void TestApp::cleanup()
{
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", m_userHome);
    m_home.reset();
}

void TestApp::commandLineIsTheArgumentsJoined_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("commandLine");
    QTest::newRow("no argument") << QStringList{"/usr/bin/quillmoor"} << QString();
    QTest::newRow("one path") << QStringList{"quillmoor", "/home/u/书.VELM"} << "/home/u/书.VELM";
    QTest::newRow("one argument with blanks")
        << QStringList{"quillmoor", "/home/u/My Books/a b.pdf"} << "/home/u/My Books/a b.pdf";
    QTest::newRow("an unquoted path split at its blanks")
        << QStringList{"quillmoor", "/home/u/My", "Books/a", "b.pdf"} << "/home/u/My Books/a b.pdf";
    QTest::newRow("quotes stay") << QStringList{"quillmoor", "\"/a.pdf\""} << "\"/a.pdf\"";
}

void TestApp::commandLineIsTheArgumentsJoined()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, commandLine);
    QCOMPARE(Module1::CommandLineOf(arguments), commandLine);
}

// The reader window shows maximised; it asks for the book-making window, one, brought forward
// when asked again; closing the reader window closes every window.
void TestApp::startsTheReaderWindowThatOwnsTheOthers()
{
    FakeServices fakes;
    const std::unique_ptr<ReaderWindows> windows =
        Module1::StartReader(fakes.services(), QString());
    QVERIFY(windows);
    Form1 &reader = windows->reader();
    QVERIFY(reader.isVisible() && (reader.windowState() & Qt::WindowMaximized));
    QCOMPARE(fakes.viewFactory.requests, 1);
    reader.findChild<QAction *>(QStringLiteral("制作电子书"))->trigger();
    const auto makers = [] {
        QList<Form2 *> found;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *form = qobject_cast<Form2 *>(window))
                found << form;
        }
        return found;
    };
    QCOMPARE(makers().size(), 1);
    Form2 *maker = makers().first();
    maker->showMinimized();
    reader.findChild<ClickLabel *>(QStringLiteral("Label22"))->clicked();
    QCOMPARE(makers(), QList<Form2 *>{maker});
    QVERIFY(maker->isVisible() && !(maker->windowState() & Qt::WindowMinimized));
    QVERIFY(reader.close());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
    QVERIFY(fakes.dialogs.messages.isEmpty() && fakes.webOpener.addresses.isEmpty());
}

void TestApp::missingViewTellsTheUserAndLeavesNoWindow()
{
    FakeServices fakes;
    fakes.viewFactory.fail = true;
    QVERIFY(!Module1::StartReader(fakes.services(), QStringLiteral("/a.pdf")));
    QCOMPARE(fakes.dialogs.messages,
             QStringList{"本软件打开需要PDF阅读器支持，请首先下载安装Adobe Reader!"});
    QCOMPARE(fakes.webOpener.addresses,
             QStringList{Module1::DecodeNumberText(NumberTexts::downloadPage())});
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

void TestApp::applicationFont()
{
    Module1::SetApplicationFont();
    const QFont font = QApplication::font();
    QCOMPARE(font.pixelSize(), 12);
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("Noto Sans CJK SC"));
    QFont song(QStringLiteral("宋体"));
    QCOMPARE(QFontInfo(song).family(), QStringLiteral("Noto Serif CJK SC"));
    // Arial is there under its metric-compatible name.
    QFont arial(QStringLiteral("Arial"));
    QCOMPARE(QFontInfo(arial).family(), QStringLiteral("Liberation Sans"));
}

// Registration writes the type, the program entry, its icon and the defaults; twice changes
// nothing, and a program that moved, with blanks in its path, is registered at its new place.
void TestApp::registersBothFileTypesOnceAndAtTheirNewPlace()
{
    const QString program = QStringLiteral("/opt/quillmoor/bin/quillmoor");
    Module1::RegisterFileTypes(program);

    const QByteArray mime = TestFiles::read(mimeFile());
    QVERIFY(mime.contains("<mime-type type=\"application/x-velm\">"));
    QVERIFY(mime.contains("<glob pattern=\"*.velm\"/>") && !mime.contains("case-sensitive"));
    const QStringList entry = linesOf(desktopFile());
    QCOMPARE(entry.constFirst(), QStringLiteral("[Desktop Entry]"));
    for (const QString &line : {QStringLiteral("Type=Application"),
                                QStringLiteral("Exec=/opt/quillmoor/bin/quillmoor %f"),
                                QStringLiteral("MimeType=application/x-velm;application/pdf;"),
                                QStringLiteral("Icon=") + iconFile()})
        QVERIFY2(entry.contains(line), qPrintable(line));
    QVERIFY(TestFiles::read(iconFile()).contains("<svg"));
    QCOMPARE(linesOf(mimeappsFile()),
             (QStringList{"[Default Applications]", "application/x-velm=quillmoor.desktop",
                          "application/pdf=quillmoor.desktop", ""}));
    // The databases are brought up to date when their tools are there.
    const bool mimeTool = !QStandardPaths::findExecutable("update-mime-database").isEmpty();
    if (mimeTool)
        QVERIFY(TestFiles::read(dataHome() + QStringLiteral("/mime/globs2"))
                    .contains("application/x-velm:*.velm"));
    if (!QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty())
        QVERIFY(TestFiles::read(dataHome() + QStringLiteral("/applications/mimeinfo.cache"))
                    .contains("application/x-velm=quillmoor.desktop;"));

    const QStringList files{mimeFile(), desktopFile(), iconFile(), mimeappsFile()};
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-3);
    QList<QByteArray> before;
    for (const QString &path : files) {
        before << TestFiles::read(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    }
    // A database update that never finished is done at the next start.
    if (mimeTool)
        QVERIFY(QFile::remove(dataHome() + QStringLiteral("/mime/mime.cache")));
    Module1::RegisterFileTypes(program);
    for (int i = 0; i < files.size(); ++i) {
        QCOMPARE(TestFiles::read(files.at(i)), before.at(i));
        // Unchanged files are not written again.
        QCOMPARE(QFileInfo(files.at(i)).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    }
    if (mimeTool)
        QVERIFY(QFile::exists(dataHome() + QStringLiteral("/mime/mime.cache")));

    Module1::RegisterFileTypes(QStringLiteral("/home/u/My Programs/quillmoor"));
    QVERIFY(linesOf(desktopFile())
                .contains(QStringLiteral("Exec=\"/home/u/My Programs/quillmoor\" %f")));
    QCOMPARE(TestFiles::read(mimeappsFile()), before.at(3));
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (!validator.isEmpty()) {
        QProcess validate;
        validate.start(validator, {desktopFile()});
        QVERIFY(validate.waitForFinished());
        QVERIFY2(validate.exitCode() == 0, validate.readAll().constData());
    }
}

void TestApp::execValueQuoting_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::newRow("CJK needs no quotes") << "/opt/阅读器/quillmoor"
                                         << "/opt/阅读器/quillmoor %f";
    QTest::newRow("blank") << "/opt/a b/quillmoor"
                           << "\"/opt/a b/quillmoor\" %f";
    QTest::newRow("dollar") << "/opt/a$b/q"
                            << "\"/opt/a\\\\$b/q\" %f";
    QTest::newRow("backslash") << "/opt/a\\b/q"
                               << "\"/opt/a\\\\\\\\b/q\" %f";
    QTest::newRow("double quote") << "/opt/a\"b/q"
                                  << "\"/opt/a\\\\\"b/q\" %f";
    QTest::newRow("backtick") << "/opt/a`b/q"
                              << "\"/opt/a\\\\`b/q\" %f";
    QTest::newRow("percent") << "/opt/100%/q"
                             << "/opt/100%%/q %f";
    QTest::newRow("percent and blank") << "/opt/100 %/q"
                                       << "\"/opt/100 %%/q\" %f";
    QTest::newRow("single quote") << "/opt/it's/q"
                                  << "\"/opt/it's/q\" %f";
    QTest::newRow("parenthesis") << "/opt/q(2)/q"
                                 << "\"/opt/q(2)/q\" %f";
}

void TestApp::execValueQuoting()
{
    QFETCH(QString, program);
    QFETCH(QString, exec);
    QCOMPARE(FileTypes::execValue(program), exec);
}

void TestApp::defaultApplicationsKeepEverythingElse_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    const QByteArray ours = "application/x-velm=quillmoor.desktop\n"
                            "application/pdf=quillmoor.desktop\n";
    QTest::newRow("no file") << QByteArray() << "[Default Applications]\n" + ours;
    QTest::newRow("other group only")
        << QByteArray("[Added Associations]\ntext/plain=gedit.desktop;\n")
        << "[Added Associations]\ntext/plain=gedit.desktop;\n\n[Default Applications]\n" + ours;
    QTest::newRow("no line end at the end")
        << QByteArray("[Added Associations]\ntext/plain=gedit.desktop;")
        << "[Added Associations]\ntext/plain=gedit.desktop;\n\n[Default Applications]\n" + ours;
    QTest::newRow("another reader was the default")
        << QByteArray("# mine\n[Default Applications]\ntext/html=firefox.desktop\n"
                      "application/pdf=evince.desktop\n\n[Added Associations]\n"
                      "application/pdf=evince.desktop;okular.desktop;\n")
        << QByteArray("# mine\n[Default Applications]\ntext/html=firefox.desktop\n"
                      "application/pdf=quillmoor.desktop\napplication/x-velm=quillmoor.desktop\n\n"
                      "[Added Associations]\napplication/pdf=evince.desktop;okular.desktop;\n");
    QTest::newRow("keys written twice and with blanks")
        << QByteArray("[Default Applications]\napplication/pdf = a.desktop\n"
                      "application/x-velm=b.desktop\napplication/pdf=c.desktop\n")
        << QByteArray("[Default Applications]\napplication/pdf=quillmoor.desktop\n"
                      "application/x-velm=quillmoor.desktop\n");
    QTest::newRow("already ours") << "[Default Applications]\n" + ours
                                  << "[Default Applications]\n" + ours;
}

void TestApp::defaultApplicationsKeepEverythingElse()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QCOMPARE(FileTypes::withDefaults(before), after);
    QCOMPARE(FileTypes::withDefaults(after), after);

    if (!before.isEmpty()) {
        QVERIFY(QDir().mkpath(configHome()));
        QVERIFY(TestFiles::write(mimeappsFile(), before));
    }
    Module1::RegisterFileTypes(QStringLiteral("/usr/bin/quillmoor"));
    QCOMPARE(TestFiles::read(mimeappsFile()), after);
}

void TestApp::registrationFailsSilently()
{
    // The data folder lies below a regular file: nothing can be written there.
    const QString blocker = m_home->filePath(QStringLiteral("blocker"));
    QVERIFY(TestFiles::write(blocker, "a file, not a folder"));
    qputenv("XDG_DATA_HOME", (blocker + QStringLiteral("/data")).toUtf8());
    Module1::RegisterFileTypes(QStringLiteral("/usr/bin/quillmoor"));
    QCOMPARE(TestFiles::read(blocker), QByteArray("a file, not a folder"));
    // What could be written was.
    QVERIFY(TestFiles::read(mimeappsFile()).contains("application/pdf=quillmoor.desktop"));

    // A mimeapps.list that cannot be read is left as it is, not replaced.
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    QVERIFY(QFile::remove(mimeappsFile()));
    QVERIFY(QDir().mkpath(mimeappsFile()));
    Module1::RegisterFileTypes(QStringLiteral("/usr/bin/quillmoor"));
    QVERIFY(QFileInfo(mimeappsFile()).isDir());
    QVERIFY(QFile::exists(desktopFile()));

    // A relative XDG folder counts as not set.
    qputenv("HOME", m_home->filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_CONFIG_HOME", "relative/config");
    Module1::RegisterFileTypes(QStringLiteral("/usr/bin/quillmoor"));
    QVERIFY(
        !QFile::exists(QDir::current().filePath(QStringLiteral("relative/config/mimeapps.list"))));
    QVERIFY(QFile::exists(m_home->filePath(QStringLiteral("home/.config/mimeapps.list"))));
}

// The patterns find, case-sensitively, the files a case-blind filter finds.
void TestApp::fileFiltersMatchAnyLetterCase()
{
    QCOMPARE(QtDialogs::anyCaseFilter(QStringLiteral("PDF文件 (*.pdf *.VELM)")),
             QStringLiteral("PDF文件 (*.pdf *.VELM) (*.[pP][dD][fF] *.[vV][eE][lL][mM])"));
    QCOMPARE(QtDialogs::anyCaseFilter(QStringLiteral("no patterns")),
             QStringLiteral("no patterns"));
    QTemporaryDir folder;
    for (const char *name : {"a.pdf", "B.PDF", "c.Pdf", "d.velm", "E.VeLm", "f.txt", "g.pdf.bak"})
        QVERIFY(TestFiles::write(folder.filePath(QLatin1String(name)), "x"));
    QCOMPARE(QDir(folder.path())
                 .entryList({"*.[pP][dD][fF]", "*.[vV][eE][lL][mM]"},
                            QDir::Files | QDir::CaseSensitive, QDir::Name),
             (QStringList{"B.PDF", "E.VeLm", "a.pdf", "c.Pdf", "d.velm"}));
}

QTEST_MAIN(TestApp)
#include "tst_app.moc"
