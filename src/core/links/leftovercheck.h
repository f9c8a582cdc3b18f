// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookgenerator.h"

#include <optional>

namespace Module1
{

// Run by the book-making window and the command line before a book is written, ahead of the
// check of the fields: an earlier, interrupted update may have left an executable named after
// the book. It is recognised by its probe file, bookName + probe suffix, a visible regular file
// in `request.programFolder`; then bookName + ".exe" beside it is deleted, never
// `request.runningProgram` itself (also through a link). A name with a separator, "." or ".."
// and a blank program folder are left alone.
//
// Nothing when there was nothing to delete or it was deleted; otherwise the failed generation:
// step LeftoverCheck, the leftover as `file`, cause "cannot be deleted".
std::optional<GenerationResult> RemoveLeftoverExecutable(const GenerationRequest &request);

} // namespace Module1
