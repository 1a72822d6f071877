// Undo steps of the host over the drawing's journal: every command run from the command line is
// one step, a group ("_undo" "_group" ... "_end") spans the commands between its ends as one
// step, and marks let UNDO Back stop part way. The UNDO and U commands work through this class.
//
// A step is the stretch of the journal between two marks (journal sizes). Steps that changed
// nothing are not kept, so the command that undoes (U, UNDO) never becomes a step of its own.
// What one such command undid can be redone (REDO) until the next command other than REDO.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cad {

class Host;

class UndoSteps {
 public:
  // UNDOCTL bits, the host's own.
  static constexpr int kEnabled = 1;
  static constexpr int kOneCommand = 2;
  static constexpr int kAuto = 4;
  static constexpr int kGroupOpen = 8;
  // Zoom/pan and layer changes combined; always reported, as the host does.
  static constexpr int kCombined = 16 | 32;

  explicit UndoSteps(Host& host);

  // ---- control (UNDO Control, UNDO Auto) ----
  // The value of UNDOCTL; 53 in a new session.
  int control() const;
  bool enabled() const { return enabled_; }
  bool one_command() const { return one_command_; }
  bool auto_group() const { return auto_; }
  bool group_open() const { return group_.has_value(); }
  // UNDO Control All: enabled, every step kept.
  void control_all();
  // UNDO Control None: steps dropped, no groups, nothing to undo until enabled again.
  void control_none();
  // UNDO Control One: only the newest step is kept; groups and marks are not available.
  void control_one();
  void set_auto(bool on) { auto_ = on; }

  // ---- the command runner, around a command run at depth 0 ----
  // name: as the person called the command; U names the step so.
  void begin_command(std::string_view name);
  void end_command();
  // The running command ended early and the runner rolled the drawing back to mark (where the
  // command began): it leaves no step, a group it opened is gone with it, and automatic
  // grouping is as it was when it began.
  void cancel_command(size_t mark);

  // ---- groups and marks (UNDO Group, End, Mark) ----
  // Opens a group; one already open is ended first, as the host does. A group opened inside a
  // command takes that command's changes from its start and its name; one opened at the command
  // line is named "GROUP". False when undo is off or limited to one command.
  bool begin_group();
  // Ends the open group; when ended inside a command, the rest of that command joins the group.
  // False when no group is open.
  bool end_group();
  // Places a mark after the running command (or here, at the command line). False when undo is
  // off or limited to one command.
  bool add_mark();
  bool has_mark() const;

  // ---- going back (U, UNDO Back, UNDO <n>) ----
  // Undoes the newest step (an open group counts as the newest, and is closed); returns the
  // name of the command or "GROUP" it undid, nothing when there was nothing to undo. A mark on
  // the way is removed with the step before it.
  std::optional<std::string> back_one();
  // Undoes every step after the newest mark and removes the mark; without a mark, everything.
  // Returns whether a mark was reached.
  bool back_to_mark();
  // Undoes up to count steps; returns how many were undone.
  int back(int count);
  // REDO: makes again everything the last command that undid (U, UNDO) took back, when no other
  // command came since; returns the names of the steps redone, oldest first, nothing when there
  // is nothing to redo.
  std::optional<std::vector<std::string>> redo();
  // Steps that can be undone (marks not counted).
  size_t size() const;
  // Names of the steps, oldest first (marks shown as "MARK"); for messages and tests.
  std::vector<std::string> step_names() const;
  // Forgets every step (a new drawing, a file loaded).
  void clear();

 private:
  struct Step {
    size_t mark = 0;  // journal size where the step begins
    std::string name;
    bool is_mark = false;
  };

  size_t journal() const;
  void keep(Step step);
  void rollback(size_t mark);
  // What REDO would give back is gone.
  void forget_redo();

  Host& host_;
  bool enabled_ = true;
  bool one_command_ = false;
  bool auto_ = true;
  bool auto_before_ = true;  // auto_ when the running command began
  bool command_running_ = false;
  bool mark_pending_ = false;
  std::optional<Step> open_;   // the running command's step
  std::optional<Step> group_;  // the open group
  std::vector<Step> steps_;
  // The running command undid something; REDO stays possible after it.
  bool undid_ = false;
  // Steps (and marks) the last undoing command took off, in the order it took them.
  std::vector<Step> undone_;
};

}  // namespace cad
