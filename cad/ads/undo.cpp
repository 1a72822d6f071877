// Undo steps over the journal marks of the current drawing.
#include "cad/ads/undo.h"

#include <algorithm>

#include "cad/ads/host.h"

namespace cad {

UndoSteps::UndoSteps(Host& host) : host_(host) {}

size_t UndoSteps::journal() const { return host_.db().journal_size(); }

void UndoSteps::rollback(size_t mark) {
  // The first undo of a command replaces what an earlier one left to redo.
  if (!undid_) forget_redo();
  undid_ = true;
  host_.undo_to(mark);
  // The running command (U, UNDO) began after what was just undone; its own step starts here.
  if (open_ && open_->mark > mark) open_->mark = mark;
}

void UndoSteps::forget_redo() {
  undone_.clear();
  host_.db().forget_redo();
}

int UndoSteps::control() const {
  int value = kCombined;
  if (enabled_) value |= kEnabled;
  if (one_command_) value |= kOneCommand;
  if (auto_) value |= kAuto;
  if (group_) value |= kGroupOpen;
  return value;
}

void UndoSteps::control_all() {
  enabled_ = true;
  one_command_ = false;
}

void UndoSteps::control_none() {
  forget_redo();
  enabled_ = false;
  one_command_ = false;
  group_.reset();
  mark_pending_ = false;
  steps_.clear();
}

void UndoSteps::control_one() {
  enabled_ = true;
  one_command_ = true;
  group_.reset();
  mark_pending_ = false;
  std::erase_if(steps_, [](const Step& s) { return s.is_mark; });
  if (steps_.size() > 1) steps_.erase(steps_.begin(), steps_.end() - 1);
}

void UndoSteps::keep(Step step) {
  if (!enabled_) return;
  if (!step.is_mark && step.mark >= journal()) return;
  if (one_command_) steps_.clear();
  steps_.push_back(std::move(step));
}

void UndoSteps::begin_command(std::string_view name) {
  command_running_ = true;
  undid_ = false;
  auto_before_ = auto_;
  if (!group_) open_ = Step{journal(), std::string(name), false};
}

void UndoSteps::end_command() {
  command_running_ = false;
  if (!undid_) forget_redo();
  if (open_) keep(std::move(*open_));
  open_.reset();
  if (mark_pending_) keep(Step{journal(), "MARK", true});
  mark_pending_ = false;
}

void UndoSteps::cancel_command(size_t mark) {
  command_running_ = false;
  forget_redo();
  // A command that switched automatic grouping off for its own group and then failed must not
  // leave it off. What UNDO Control dropped cannot come back, so that stays as it is.
  auto_ = auto_before_;
  open_.reset();
  mark_pending_ = false;
  if (group_ && group_->mark >= mark) group_.reset();
  while (!steps_.empty() && steps_.back().mark > mark) steps_.pop_back();
}

bool UndoSteps::begin_group() {
  if (!enabled_ || one_command_) return false;
  if (group_) end_group();
  size_t start = open_ ? open_->mark : journal();
  // Opened by a command the running one scripted, the group is that command's work and bears
  // its name; UNDO BEgin typed at the command line opens a group of its own.
  const bool scripted = open_ && host_.command_depth() > 1;
  group_ = Step{start, scripted ? open_->name : "GROUP", false};
  open_.reset();
  return true;
}

bool UndoSteps::end_group() {
  if (!group_) return false;
  if (command_running_)
    open_ = std::move(*group_);
  else
    keep(std::move(*group_));
  group_.reset();
  return true;
}

bool UndoSteps::add_mark() {
  if (!enabled_ || one_command_) return false;
  if (command_running_)
    mark_pending_ = true;
  else
    keep(Step{journal(), "MARK", true});
  return true;
}

bool UndoSteps::has_mark() const {
  return std::any_of(steps_.begin(), steps_.end(), [](const Step& s) { return s.is_mark; });
}

std::optional<std::string> UndoSteps::back_one() {
  if (group_) {
    // Whatever the open group holds, the running command's own changes included; redone, it is
    // a closed step.
    Step group = std::move(*group_);
    group_.reset();
    rollback(group.mark);
    undone_.push_back(group);
    return group.name;
  }
  // A mark just before the newest step goes with it.
  std::vector<Step> marks;
  while (!steps_.empty() && steps_.back().is_mark) {
    marks.push_back(std::move(steps_.back()));
    steps_.pop_back();
  }
  if (steps_.empty()) return std::nullopt;
  Step step = std::move(steps_.back());
  steps_.pop_back();
  rollback(step.mark);
  undone_.insert(undone_.end(), std::make_move_iterator(marks.begin()),
                 std::make_move_iterator(marks.end()));
  undone_.push_back(step);
  return step.name;
}

bool UndoSteps::back_to_mark() {
  if (group_) {
    Step group = std::move(*group_);
    group_.reset();
    rollback(group.mark);
    undone_.push_back(std::move(group));
  }
  while (!steps_.empty()) {
    Step step = std::move(steps_.back());
    steps_.pop_back();
    if (step.is_mark) {
      if (!undid_) forget_redo();
      undid_ = true;
      undone_.push_back(std::move(step));
      return true;
    }
    rollback(step.mark);
    undone_.push_back(std::move(step));
  }
  return false;
}

std::optional<std::vector<std::string>> UndoSteps::redo() {
  if (undone_.empty() || !host_.redo()) return std::nullopt;
  std::vector<std::string> names;
  for (auto it = undone_.rbegin(); it != undone_.rend(); ++it) {
    if (!it->is_mark) names.push_back(it->name);
    keep(std::move(*it));
  }
  undone_.clear();
  // REDO began before what it made again; it is no step of its own.
  if (open_) open_->mark = journal();
  return names;
}

int UndoSteps::back(int count) {
  int done = 0;
  while (done < count && back_one()) ++done;
  return done;
}

size_t UndoSteps::size() const {
  return static_cast<size_t>(
      std::count_if(steps_.begin(), steps_.end(), [](const Step& s) { return !s.is_mark; }));
}

std::vector<std::string> UndoSteps::step_names() const {
  std::vector<std::string> names;
  for (const Step& s : steps_) names.push_back(s.name);
  return names;
}

void UndoSteps::clear() {
  steps_.clear();
  group_.reset();
  open_.reset();
  mark_pending_ = false;
}

}  // namespace cad
