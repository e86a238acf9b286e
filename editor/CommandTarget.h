#pragma once

// Something that handles commands by identifier (editor/CommandIds.h). The main frame asks the active
// child's targets in turn (its card view, then the document's editing commands, then itself) and the first
// that knows a command decides whether it is enabled and runs it, the way the menus and toolbars of a
// document program route their commands.
class CommandTarget {
  public:
    struct State {
        bool enabled = false;
        bool checked = false;
    };

    virtual ~CommandTarget() = default;
    // True when this target handles `id`; then `state` says whether it can run now and is checked.
    virtual bool CommandState(int id, State& state) = 0;
    // Runs `id`; true when this target handles it (even when it had nothing to do).
    virtual bool RunCommand(int id) = 0;
};
