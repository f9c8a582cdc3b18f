// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/maker/form2.h"

#include "core/book/bookwriter.h"
#include "core/book/scratchfolder.h"
#include "core/layout/twips.h"
#include "core/links/leftovercheck.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "core/links/webopener.h"
#include "core/sources/sourcefiles.h"
#include "gui/maker/sourcelist.h"
#include "services/dialogs.h"
#include "widgets/artwork.h"
#include "widgets/clicklabel.h"
#include "widgets/controls.h"
#include "widgets/filedroplist.h"
#include "widgets/homepagelink.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

using Controls::caption;
using Controls::make;

namespace
{

const QSize ClientSize(8655, 5910);
const QRect TrackPlace(120, 4860, 8415, 315);
const int BarHeight = 255;
const int BookNameLength = 25;

QPushButton *button(QWidget *parent, const char *name, const QString &text, const QRect &twips)
{
    auto *command = make<QPushButton>(parent, name, twips);
    command->setText(text);
    command->setAutoDefault(false);
    return command;
}

// The path up to its first NUL, without blanks at either end.
QString cleanedPath(const QString &path)
{
    return path.left(path.indexOf(QChar(0))).trimmed();
}

} // namespace

Form2::Form2(const AppServices &services) : QWidget(nullptr, Qt::Window), m_services(services)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("制作PDF电子书"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixelRect(QRect(QPoint(0, 0), ClientSize)).size());
    createControls();
    m_sources = std::make_unique<SourceList>(List1, List2);
    m_writer = new BookWriter(this);
    m_writer->setObjectName(QStringLiteral("bookWriter"));
    // On the writing thread, ahead of the book: a leftover that stays is the book's failure.
    m_writer->setGenerator(
        [](const GenerationRequest &request, const GenerationCallback &progress) {
            if (const std::optional<GenerationResult> stuck =
                    Module1::RemoveLeftoverExecutable(request))
                return *stuck;
            return GenerateBook(request, progress);
        });
    connectSignals();
}

Form2::~Form2()
{
    m_writer->stop();
}

// Made from the bottom of the stack up: the decorative picture covers the folder listing.
void Form2::createControls()
{
    createHiddenControls();
    Picture1 = Controls::picture(this, "Picture1", QPixmap(), QRect(120, 120, 2955, 3360));
    Picture1->setPixmap(Artwork::pixmap(QStringLiteral("book-maker"), Picture1->size()));
    createFields();
    List1 = make<FileDropList>(this, "List1", QRect(3180, 1260, 5370, 3480));
    createProgressTrack();
    createButtons();
    createInformation();
}

void Form2::createHiddenControls()
{
    File1 = make<QListWidget>(this, "File1", QRect(240, 1380, 2535, 810));
    File1->hide();
    List2 = make<QListWidget>(this, "List2", QRect(240, 360, 2550, 960));
    List2->hide();
    Text4 = make<QLineEdit>(this, "Text4", QRect(180, 2160, 675, 315));
    Text4->hide();
}

void Form2::createFields()
{
    Frame1 = make<QGroupBox>(this, "Frame1", QRect(3180, 0, 5355, 1155));
    Label1 = caption(Frame1, "Label1", QStringLiteral("书名："), QRect(120, 300, 540, 180));
    Text1 = make<QLineEdit>(Frame1, "Text1", QRect(900, 240, 4245, 315));
    Text1->setMaxLength(BookNameLength);
    Label3 = caption(Frame1, "Label3", QStringLiteral("保存在："), QRect(120, 720, 720, 180));
    Text2 = make<QLineEdit>(Frame1, "Text2", QRect(900, 660, 3825, 315));
    Image1 = make<ClickLabel>(Frame1, "Image1", QRect(4860, 640, 315, 315));
    Image1->setPixmap(Artwork::pixmap(QStringLiteral("browse-folder"), Image1->size()));
    Image1->setToolTip(QStringLiteral("浏览"));
}

// The track is a sunken box; the bar lies at the top left of its inside, which the 255-twip bar
// fills from top to bottom.
void Form2::createProgressTrack()
{
    Picture2 = make<QFrame>(this, "Picture2", TrackPlace);
    Picture2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture2->setLineWidth(2);
    m_trackInside = new QWidget(Picture2);
    m_trackInside->setGeometry(Picture2->contentsRect());
    Label7 = make<QLabel>(m_trackInside, "Label7", QRect(0, 0, 30, BarHeight));
    Label7->setAutoFillBackground(true);
    QPalette navy = Label7->palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    Label7->setPalette(navy);
    Label7->hide();
}

void Form2::createButtons()
{
    Command2 = button(this, "Command2", QStringLiteral("在线帮助"), QRect(120, 5340, 960, 375));
    Command4 = button(this, "Command4", QStringLiteral("添加文件夹"), QRect(1140, 5340, 1085, 375));
    Command5 = button(this, "Command5", QStringLiteral("添加文件"), QRect(2280, 5340, 1005, 375));
    Command6 = button(this, "Command6", QStringLiteral("删除文件"), QRect(3360, 5340, 900, 375));
    Command8 = button(this, "Command8", QStringLiteral("清空"), QRect(4320, 5340, 825, 375));
    Command7 = button(this, "Command7", QStringLiteral("上移"), QRect(5220, 5340, 780, 375));
    Command1 = button(this, "Command1", QStringLiteral("下移"), QRect(6060, 5340, 840, 375));
    Command3 =
        button(this, "Command3", QStringLiteral("生成PDF电子书"), QRect(6960, 5340, 1590, 375));
    QFont song(QStringLiteral("宋体"));
    song.setPixelSize(font().pixelSize() > 0 ? font().pixelSize() : 12);
    song.setBold(true);
    Command3->setFont(song);
}

// Below the decorative picture: how a book is made, then the home page.
void Form2::createInformation()
{
    const QColor ink(31, 58, 95);
    const QList<QLabel *> lines{
        caption(this, "stepOne", QStringLiteral("① 添加PDF文件，排好章节顺序"),
                QRect(120, 3600, 2955, 180)),
        caption(this, "stepTwo", QStringLiteral("② 输入书名，选择保存位置"),
                QRect(120, 3840, 2955, 180)),
        caption(this, "stepThree", QStringLiteral("③ 点击“生成PDF电子书”"),
                QRect(120, 4080, 2955, 180)),
        caption(this, "homePageCaption", QStringLiteral("主页："), QRect(120, 4500, 660, 180)),
    };
    for (QLabel *line : lines) {
        QPalette palette = line->palette();
        palette.setColor(QPalette::WindowText, ink);
        line->setPalette(palette);
    }
    Label20 = HomePageLink::make(this, QRect(780, 4500, 0, 180));
}

void Form2::connectSignals()
{
    connect(Image1, &ClickLabel::clicked, this, &Form2::browseSaveFolder);
    connect(Command5, &QPushButton::clicked, this, &Form2::addFile);
    connect(Command4, &QPushButton::clicked, this, &Form2::addFolder);
    connect(List1, &FileDropList::pathsDropped, this, &Form2::addDroppedPaths);
    connect(Command6, &QPushButton::clicked, this, &Form2::deleteSelected);
    connect(Command7, &QPushButton::clicked, this, &Form2::moveUp);
    connect(Command1, &QPushButton::clicked, this, &Form2::moveDown);
    connect(Command8, &QPushButton::clicked, this, &Form2::clearSources);
    connect(Command3, &QPushButton::clicked, this, &Form2::generateBook);
    connect(m_writer, &BookWriter::progressed, this, &Form2::showProgress);
    connect(m_writer, &BookWriter::finished, this, &Form2::finishGeneration);
    connect(Command2, &QPushButton::clicked, this, &Form2::openHelpPage);
    connect(Label20, &ClickLabel::clicked, this, &Form2::openHomePage);
}

void Form2::Form_Load()
{
    const QRect screenArea = screen()->geometry();
    move(screenArea.topLeft() +
         QPoint((screenArea.width() - width()) / 2, (screenArea.height() - height()) / 2));
    HomePageLink::showAddress(Label20);
}

void Form2::closeEvent(QCloseEvent *event)
{
    m_writer->stop();
    QWidget::closeEvent(event);
}

void Form2::browseSaveFolder()
{
    const QString folder = cleanedPath(m_services.dialogs->chooseFolder(this));
    if (folder.isEmpty())
        return;
    Text2->setText(QDir::toNativeSeparators(folder));
    Text2->end(false);
    Text2->setFocus();
}

void Form2::addFile()
{
    const QString chosen = m_services.dialogs->chooseFile(
        this, QStringLiteral("打开PDF文件"), Text4->text(), QStringLiteral("PDF文件(*.pdf)"));
    if (chosen.isEmpty())
        return;
    addFilePath(cleanedPath(chosen));
}

// The dialog offers ".pdf" in any letter case, so any letter case is taken.
void Form2::addFilePath(const QString &path)
{
    Text4->setText(path);
    if (SourceFiles::isPdfPath(path))
        m_sources->append(SourceFiles::chapterNameOf(path), path);
}

void Form2::addFolder()
{
    const QString folder = cleanedPath(m_services.dialogs->chooseFolder(this));
    if (!folder.isEmpty())
        addFolderFiles(folder);
}

// The folder listing is pointed at the folder, and its files are added in its order.
void Form2::addFolderFiles(const QString &folder)
{
    File1->clear();
    for (const QString &path : SourceFiles::pdfFilesInFolder(folder))
        File1->addItem(QFileInfo(path).fileName());
    const QDir listed(folder);
    for (int row = 0; row < File1->count(); ++row) {
        const QString name = File1->item(row)->text();
        Text4->setText(SourceFiles::chapterNameOf(name));
        if (!m_sources->append(Text4->text(), QDir::toNativeSeparators(listed.filePath(name))))
            return;
    }
}

// A dropped folder adds its PDF files as the add-folder command does, a dropped file as the
// add-file command does.
void Form2::addDroppedPaths(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            addFolderFiles(path);
        else if (info.isFile())
            addFilePath(QDir::toNativeSeparators(path));
    }
}

void Form2::deleteSelected()
{
    m_sources->removeSelected();
}

void Form2::moveUp()
{
    m_sources->moveSelectedUp();
}

void Form2::moveDown()
{
    m_sources->moveSelectedDown();
}

void Form2::clearSources()
{
    m_sources->clear();
}

void Form2::generateBook()
{
    GenerationRequest request;
    request.bookName = Text1->text();
    request.saveFolder = Text2->text();
    request.sources = m_sources->entries();
    request.programFolder = QCoreApplication::applicationDirPath();
    request.runningProgram = QCoreApplication::applicationFilePath();
    request.scratchFolder = m_scratch.path();
    if (!m_writer->start(request))
        return;
    setEditingEnabled(false);
    // With a field left blank the engine only reports it: the pointer stays as it is.
    if (!request.bookName.trimmed().isEmpty() && !request.saveFolder.trimmed().isEmpty())
        setCursor(Qt::WaitCursor);
}

// One step of the track per chapter; within a chapter the bar goes on by the bytes copied.
void Form2::showProgress(const GenerationProgress &progress)
{
    if (progress.chapterCount <= 0)
        return;
    const double step = double(TrackPlace.width()) / progress.chapterCount;
    double chapters = progress.chaptersDone;
    if (progress.chapterBytes > 0)
        chapters += double(progress.chapterBytesDone) / double(progress.chapterBytes);
    setBarWidth(1 + step * chapters);
    Label7->show();
}

void Form2::finishGeneration(const GenerationResult &result)
{
    Label7->hide();
    setBarWidth(1);
    unsetCursor();
    setEditingEnabled(true);
    switch (result.outcome) {
    case GenerationOutcome::Written:
        m_services.dialogs->showMessage(this, QStringLiteral("已成功生成PDF电子书！"));
        break;
    case GenerationOutcome::FieldsMissing:
        m_services.dialogs->showMessage(this, QStringLiteral("请首先输入书名及保存路径"));
        break;
    case GenerationOutcome::Failed:
        m_services.dialogs->showMessage(this,
                                        QStringLiteral("由于文件太大或格式错误，无法生成电子书！"));
        break;
    case GenerationOutcome::Cancelled:
        break;
    }
}

void Form2::setBarWidth(double twips)
{
    Controls::place(Label7, QRect(0, 0, qRound(twips), BarHeight));
}

// While a book is written the book written must stay the one the window shows.
void Form2::setEditingEnabled(bool enabled)
{
    const QList<QWidget *> editing{Text1,    Text2,    Image1,   List1,    Command4, Command5,
                                   Command6, Command8, Command7, Command1, Command3};
    for (QWidget *widget : editing)
        widget->setEnabled(enabled);
}

void Form2::openHelpPage()
{
    Module1::OpenWebPage(*m_services.webOpener, NumberTexts::helpPage());
}

void Form2::openHomePage()
{
    Module1::OpenWebPage(*m_services.webOpener, NumberTexts::homePage());
}
