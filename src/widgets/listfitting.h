// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

class TextList;
class SideList;

namespace Module1
{

// The width in pixels the widest line of `list` needs in the list's own font, plus 8 for the
// margins the lines are drawn with; 0 for an empty list. Measured as TextWidths measures, so a
// list of a million lines is fitted at once.
int MeasureListWidth(const TextList &list);

// Measures `list` and makes the result its horizontal extent, so that exactly the lines wider
// than the list can be scrolled into view.
void FitList(SideList &list);

} // namespace Module1
