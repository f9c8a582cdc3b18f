// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/readingplace.h"

#include <QColor>
#include <QImage>

// The colours pages are read in, applied to pages as they are drawn for the screen; printing and
// copying take the document as it is.
namespace PageColouring
{

// Night: every pixel's lightness (HSL) inverted, its hue and saturation kept, so white paper
// turns black, black text white, and a dark red heading light red. Warm: every channel scaled
// towards the warm paper colour, so white turns warm and black stays black. `image` is changed
// in place; any format is taken, and comes back 32 bits a pixel.
void apply(QImage &image, PageColours colours);

// The colour of a page not yet drawn.
QColor paper(PageColours colours);

} // namespace PageColouring
