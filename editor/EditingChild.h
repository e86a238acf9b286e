#pragma once

#include "editor/ChildFrame.h"

class EditorClipboard;

// The child factory of the running editor: each child window shows its document in the editing card view
// (CFichaViewHost), and the editing commands of that document work on it with the editor's one clipboard
// and the Qt dialogs. `clipboard` is the application's and outlives every child.
ChildFactory MakeEditingChildFactory(EditorClipboard& clipboard);
