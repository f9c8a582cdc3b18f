// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

class PdfView;
class QWidget;

// Makes the reader window's PDF view. The window cannot be made without one: start-up tells
// the user where a viewer can be had when the factory gives none.
class PdfViewFactory
{
public:
    virtual ~PdfViewFactory() = default;
    // A new view with parent `parent`, or nullptr when none can be made.
    virtual PdfView *createView(QWidget *parent) = 0;
};
