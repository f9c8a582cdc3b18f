// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/readingplace.h"

#include <QColor>
#include <QImage>

// The colours pages are read in, applied to pages as they are drawn for the screen; printing and
// copying take the document as it is.
namespace PageColouring
{

// Night: every pixel's perceptual lightness inverted (CIELAB L* becomes 100 - L*), its hue kept,
// and its chroma as far as sRGB holds it at the new lightness, so white paper turns the night
// paper, black text white, a dark red heading light red, and greys keep their order, reversed. A
// coloured pixel is never darker than its chroma, nor than L* 50 from chroma 50 on (4.5:1 against
// the night paper), so pure blue, red and green stay readable. Warm: every channel scaled towards
// the warm paper colour, so white turns warm and black stays black. `image` is changed in place;
// any format is taken, and comes back 32 bits a pixel. Safe on any thread.
void apply(QImage &image, PageColours colours);

// The colour of a page not yet drawn.
QColor paper(PageColours colours);

} // namespace PageColouring
