// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "services/viewfactory.h"

// The view of this program; none when its worker program is missing or cannot be run.
class StandardViewFactory : public PdfViewFactory
{
public:
    PdfView *createView(QWidget *parent) override;
};
