#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPdfDocument;
class QPdfView;
class QToolBar;

// The reader window's PDF view: pages scroll continuously below a toolbar that holds the
// page-number box (a QLineEdit showing the current page, one-based), previous/next page and
// zoom. It offers the operations the reader window performs on its view, and its place in the
// window in twips, each value read back exactly as written.
//
// A file is opened lazily and stays open while it is shown, so the file may be deleted as soon
// as LoadFile returns. Every load reads the file afresh, so a path rewritten since the last load
// shows its new contents.
class PdfView : public QWidget
{
    Q_OBJECT

public:
    explicit PdfView(QWidget *parent = nullptr);
    ~PdfView() override;

    // Shows the PDF at `path` from its first page. A file that cannot be displayed leaves the
    // view empty, without a message. True when the file could be displayed.
    virtual bool LoadFile(const QString &path);
    void setShowToolbar(bool show);
    // Shows page `page`, counted from 1 as the page box counts. A number outside the document
    // is ignored: the view itself would not check it.
    void setCurrentPage(int page);

    // The place in the parent, in twips.
    void setTwipsGeometry(int left, int top, int width, int height);
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void setLeft(int twips);
    void setWidth(int twips);
    void setHeight(int twips);

    // The page the page box shows, counted from 1; 0 without a document.
    int currentPage() const;
    int pageCount() const;
    bool isToolbarShown() const;

private:
    void createToolbar();
    void addButton(const char *art, const QString &text, const char *name,
                   void (PdfView::*command)());
    QPdfDocument *openDocument(const QString &path);
    void applyGeometry();
    void showPageNumber();
    void goToTypedPage();
    void goToPreviousPage();
    void goToNextPage();
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void zoomBy(double step);
    double shownScale() const;
    bool eventFilter(QObject *watched, QEvent *event) override;

    QToolBar *m_toolbar = nullptr;
    QLineEdit *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    QPdfView *m_view = nullptr;
    QPdfDocument *m_document = nullptr;
    // The document shown before the current one. Rendering runs on a thread of its own, so a
    // replaced document is kept until the next load rather than deleted while a page of it may
    // still be drawn.
    QPdfDocument *m_replaced = nullptr;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
};
