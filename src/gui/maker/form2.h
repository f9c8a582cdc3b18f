// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookgenerator.h"
#include "core/book/scratchfolder.h"
#include "services/appservices.h"

#include <QWidget>

#include <memory>

class BookWriter;
class ClickLabel;
class FileDropList;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class SourceList;

// The book-making window: a book name, a save folder and the source list of PDF files, from
// which "生成PDF电子书" writes a book. Controls lie at their design places in twips and carry
// their design names as objectName.
//
// The book is written on another thread (see BookWriter). Meanwhile the fields, the source list
// and the commands are disabled, so the book written is the one the list showed when it began;
// closing the window cancels the book and waits for its thread. The window deletes itself when
// closed, discarding its content.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    // A top-level window without owner; `services` must outlive it.
    explicit Form2(const AppServices &services);
    ~Form2() override;

    // Centres the window on the screen and sets the home page caption.
    void Form_Load();

    QLabel *Picture1 = nullptr;      // the decorative picture
    QGroupBox *Frame1 = nullptr;     // a frame without caption
    QLabel *Label1 = nullptr;        // "书名："
    QLineEdit *Text1 = nullptr;      // the book name
    QLabel *Label3 = nullptr;        // "保存在："
    QLineEdit *Text2 = nullptr;      // the save folder
    ClickLabel *Image1 = nullptr;    // the browse picture
    FileDropList *List1 = nullptr;   // chapter names
    QFrame *Picture2 = nullptr;      // the progress track
    QLabel *Label7 = nullptr;        // the progress bar
    QPushButton *Command2 = nullptr; // "在线帮助"
    QPushButton *Command4 = nullptr; // "添加文件夹"
    QPushButton *Command5 = nullptr; // "添加文件"
    QPushButton *Command6 = nullptr; // "删除文件"
    QPushButton *Command8 = nullptr; // "清空"
    QPushButton *Command7 = nullptr; // "上移"
    QPushButton *Command1 = nullptr; // "下移"
    QPushButton *Command3 = nullptr; // "生成PDF电子书"
    ClickLabel *Label20 = nullptr;   // the home page address

    // Never shown.
    QListWidget *File1 = nullptr; // the PDF files of the folder being added
    QListWidget *List2 = nullptr; // source paths, item for item beside List1
    QLineEdit *Text4 = nullptr;   // the last file added, or the last chapter name of a folder

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createFields();
    void createButtons();
    void createProgressTrack();
    void createInformation();
    void createHiddenControls();
    void connectSignals();

    void browseSaveFolder();
    void addFile();
    void addFolder();
    void addDroppedPaths(const QStringList &paths);
    void addFilePath(const QString &path);
    void addFolderFiles(const QString &folder);
    void deleteSelected();
    void moveUp();
    void moveDown();
    void clearSources();
    void generateBook();
    void showProgress(const GenerationProgress &progress);
    void finishGeneration(const GenerationResult &result);
    void setBarWidth(double twips);
    void setEditingEnabled(bool enabled);
    void openHelpPage();
    void openHomePage();

    AppServices m_services;
    std::unique_ptr<SourceList> m_sources;
    BookWriter *m_writer = nullptr;
    // The worker passes its index through a scratch folder of its own: the reader window opens
    // books meanwhile through the shared one, and both use the name "Velmforge.txt".
    ScratchFolder m_scratch;
    QWidget *m_trackInside = nullptr;
};
