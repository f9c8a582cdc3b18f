// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class Dialogs;
class PdfViewFactory;
class PrintJobs;
class ReadingPlaces;
class RecentDocuments;
class RecentFiles;
class ScratchFolder;
class WebOpener;

// What the windows need from outside themselves. The program passes the real ones; tests pass
// stand-ins. The reader window keeps this and hands it to the windows it opens. No object here is
// owned: each must outlive every window.
struct AppServices {
    Dialogs *dialogs = nullptr;
    WebOpener *webOpener = nullptr;
    PdfViewFactory *viewFactory = nullptr;
    // The private folder of this running copy for the two scratch files.
    ScratchFolder *scratchFolder = nullptr;
    // Where the places last read are kept between runs; nullptr keeps none.
    ReadingPlaces *readingPlaces = nullptr;
    // The books and PDFs opened lately, kept between runs, and the desktop's list of files used
    // lately; nullptr keeps none.
    RecentDocuments *recentDocuments = nullptr;
    RecentFiles *recentFiles = nullptr;
    // The quillmoor-book program the window runs for work that must not take it down.
    QString bookTool;
    // Where printed pages go as PDF jobs; nullptr prints every page as a picture.
    PrintJobs *printJobs = nullptr;
};
