// Screen-reader support for the drop-down lists. On Linux, Qt reports a
// non-editable list's current choice as its name and leaves the name to a
// label relation, which the lists without a label of their own lack. This
// interface names every list by its accessible name (its group caption or
// label), reports the choice as its value and opens the list on request.
#pragma once

namespace vesk::ui {

// Installs the interface for every QComboBox with an accessible name; safe to
// call more than once.
void InstallListAccessibility();

}  // namespace vesk::ui
