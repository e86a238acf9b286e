#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <vector>

// What Fabrio's string table and accelerator table say about each command (editor/CommandIds.h): the
// prompt shown in the status bar while a menu entry or button is under the pointer, the tooltip, and the
// keys that run it.

// The string table's entry of a command: the prompt, a line break, then the tooltip. Empty for a command
// without one.
QString CommandString(int id);
// The prompt part (before the line break) and the tooltip part (after it).
QString CommandPrompt(int id);
QString CommandToolTip(int id);

// One entry of the accelerator table.
struct Accelerator {
    QKeySequence keys;
    int command;
};
// The accelerator table, in its order: both menus (with and without a document) share it.
const std::vector<Accelerator>& AcceleratorTable();
// The keys of one command, in table order.
QList<QKeySequence> AcceleratorsOf(int id);

// The name of a key combination as the menus show it: the modifiers in the order "Alt+", "Ctrl+",
// "Shift+", then the key's name ("Del", "Ins", "Backspace", "Enter", "F1", a letter).
QString AcceleratorName(const QKeySequence& keys);
// A menu text with its accelerator part made anew from the table: the text is cut at its first tab and,
// when the command has keys, a tab and every key combination follow, separated by ", " (so Cut reads
// "Cu&t\tCtrl+X, Shift+Del").
QString MenuTextWithAccelerators(const QString& text, int id);
