// The picked keys of the selected envelope changed together, each change one undo step: deleted,
// copied, pasted at the current time, stretched or squeezed about it; and the row of buttons that
// does so under the curve.
#pragma once

#include "edit/workbench.h"
#include "overlay/panels.h"

namespace quor::overlay {

// The picked keys of the selected channel that it still has (`key` among them).
edit::key_set picked(const selection& selected, std::size_t key_count);

// Each says on the status line what it did or why not.
void delete_picked(edit::workbench& bench, selection& selected);
void copy_picked(edit::workbench& bench, selection& selected);
void paste_here(edit::workbench& bench, selection& selected);
void stretch_picked(edit::workbench& bench, selection& selected, double factor);

// The new keys of the selected channel as one undo step (`continues`: folded into the last), the
// picked ones following them.
bool put_keys(edit::workbench& bench, selection& selected, const edit::moved_keys& moved, bool continues = false);

void draw_key_tools(edit::workbench& bench, selection& selected);

} // namespace quor::overlay
