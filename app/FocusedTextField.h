#pragma once

namespace tavero {

// The edit commands as the text field with the keyboard focus takes them. A
// line field, a text box or the inline label editor that has the focus in
// the active window takes copy, paste, undo and redo before the picture
// does, and alone takes cut and select all. Main thread.
namespace FocusedTextField {

enum class Edit { cut, copy, paste, undo, redo, selectAll };

// Performs `edit` in the focused text field; false when no text field has
// the focus, and the command is the picture's.
bool perform(Edit edit);
// Whether a focused text field can perform `edit` now: cut needs selected
// text in an editable field.
bool canPerform(Edit edit);

}  // namespace FocusedTextField
}  // namespace tavero
