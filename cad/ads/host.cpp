// The host object and its command runner.
#include "cad/ads/host.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <exception>
#include <iostream>
#include <utility>

#include "cad/ads/dialogs.h"
#include "cad/ads/loader.h"
#include "cad/ads/state.h"
#include "cad/ads/undo.h"
#include "cad/base/text.h"
#include "cad/dxf/new_drawing.h"
#include "cad/input/call.h"
#include "cad/input/parse.h"
#include "cad/input/prompter.h"
#include "cad/input/reply.h"
#include "cad/input/transcript.h"
#include "cad/select/selection.h"

namespace cad {

namespace {

Host* g_current_host = nullptr;

// A token a scripted command refused: the prompt would ask again, and the next token was meant
// for another question, so the command stops there.
struct TokenRefused {};

// The UCS the drawing's header holds; the world when it holds none or a broken one.
Ucs ucs_of(const Database& db) {
  if (!db.header_var("$UCSXDIR") || !db.header_var("$UCSYDIR")) return Ucs{};
  auto origin = db.get_var("UCSORG");
  auto x = db.get_var("UCSXDIR");
  auto y = db.get_var("UCSYDIR");
  if (!origin || !x || !y) return Ucs{};
  return make_ucs(origin->p, x->p, y->p).value_or(Ucs{});
}

// How a scripted command's token reads in the log.
// A number as "%g" prints it (to_chars in general form with six digits is defined so), made
// without printf: every scripted point is logged.
void append_number(std::string& out, double value) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
  out.append(buf, res.ptr);
}

void append_token(std::string& out, const Reply& r) {
  switch (r.kind) {
    case Reply::Kind::kPoint:
      append_number(out, r.point.x);
      out += ',';
      append_number(out, r.point.y);
      out += ',';
      append_number(out, r.point.z);
      return;
    case Reply::Kind::kReal:
    case Reply::Kind::kAngle:
      append_number(out, r.number);
      return;
    case Reply::Kind::kInt:
      out += std::to_string(static_cast<long long>(r.number));
      return;
    case Reply::Kind::kCancel:
      out += "^C";
      return;
    case Reply::Kind::kText:
    case Reply::Kind::kEntity:
    case Reply::Kind::kEnd:
      break;
  }
  out += reply_text(r);
}

std::string command_name_of(std::string_view name) {
  while (!name.empty() && (name.front() == '_' || name.front() == '.')) name.remove_prefix(1);
  return to_upper(name);
}

// The name a found command was called by, spelt as its definition spells it: the local name, or
// the global one where that was asked for ("_AutoDim") or matched.
std::string called_name(const CommandDef& def, std::string_view typed) {
  bool global = false;
  while (!typed.empty() && (typed.front() == '_' || typed.front() == '.')) {
    global |= typed.front() == '_';
    typed.remove_prefix(1);
  }
  return !global && iequals(typed, def.local_name) ? def.local_name : def.global_name;
}

}  // namespace

Host* current_host() { return g_current_host; }
void set_current_host(Host* host) { g_current_host = host; }

// ---------------------------------------------------------------------------------------------
// CommandStack

bool CommandStack::add(CommandDef def) {
  for (const auto& c : commands_)
    if (iequals(c->group, def.group) && iequals(c->global_name, def.global_name)) return false;
  commands_.push_back(std::make_shared<const CommandDef>(std::move(def)));
  index();
  return true;
}

bool CommandStack::remove(std::string_view group, std::string_view global_name) {
  const bool removed = std::erase_if(commands_, [&](const auto& c) {
                         return iequals(c->group, group) && iequals(c->global_name, global_name);
                       }) > 0;
  index();
  return removed;
}

int CommandStack::remove_group(std::string_view group) {
  const auto removed =
      std::erase_if(commands_, [&](const auto& c) { return iequals(c->group, group); });
  index();
  return static_cast<int>(removed);
}

void CommandStack::index() {
  by_local_.clear();
  by_global_.clear();
  for (size_t k = 0; k < commands_.size(); ++k) {
    by_local_[commands_[k]->local_name] = k;
    by_global_[commands_[k]->global_name] = k;
  }
}

std::shared_ptr<const CommandDef> CommandStack::share(std::string_view name) const {
  // "." asks for the host's own command, which a module cannot redefine here anyway.
  while (!name.empty() && name.front() == '.') name.remove_prefix(1);
  bool global = !name.empty() && name.front() == '_';
  if (global) name.remove_prefix(1);
  while (!name.empty() && name.front() == '.') name.remove_prefix(1);
  if (name.empty()) return nullptr;
  // The newest definition wins, as with the host's command groups.
  if (!global) {
    if (const auto it = by_local_.find(name); it != by_local_.end()) return commands_[it->second];
  }
  const auto it = by_global_.find(name);
  return it == by_global_.end() ? nullptr : commands_[it->second];
}

// ---------------------------------------------------------------------------------------------
// Host

// The prompter's reply source: the reply stack, watched so that a token a scripted command
// refused stops that command, and so that the command loop knows the script line of a reply.
class Host::PromptSource : public ReplySource {
 public:
  explicit PromptSource(ReplyStack& stack) : stack_(stack) {}
  void watch(const Prompter* prompter) { prompter_ = prompter; }

  Reply next(bool spaces_end_reply) override {
    size_t refusals = prompter_ ? prompter_->refusals().size() : 0;
    bool refused = refusals > refusals_seen_;
    refusals_seen_ = refusals;
    if (refused && stack_.from_tokens()) throw TokenRefused{};
    Reply reply = stack_.next(spaces_end_reply);
    if (reply.line > 0) last_line_ = reply.line;
    return reply;
  }
  bool interactive() const override { return stack_.interactive(); }
  bool from_tokens() const override { return stack_.from_tokens(); }
  int last_line() const { return last_line_; }

 private:
  ReplyStack& stack_;
  const Prompter* prompter_ = nullptr;
  size_t refusals_seen_ = 0;
  int last_line_ = 0;
};

Host::Host() {
  db_ = new_drawing();
  transcript_ = std::make_unique<Transcript>(&std::cout);
  replies_ = std::make_unique<ReplyStack>();
  prompt_source_ = std::make_unique<PromptSource>(*replies_);
  prompter_ = std::make_unique<Prompter>(*prompt_source_, *transcript_);
  prompt_source_->watch(prompter_.get());
  selections_ = std::make_unique<SelectionSets>();
  undo_ = std::make_unique<UndoSteps>(*this);
  iface_ = std::make_unique<InterfaceState>();
  modules_ = std::make_unique<ModuleLoader>(*this);
  ucs_ = ucs_of(*db_);
}

Host::~Host() {
  // Modules unload while everything they may call still stands.
  modules_.reset();
  forget_dialogs(*this);
  if (g_current_host == this) g_current_host = nullptr;
}

void Host::set_db(std::unique_ptr<Database> db) {
  db_ = std::move(db);
  selections_ = std::make_unique<SelectionSets>();
  undo_->clear();
  iface_ = std::make_unique<InterfaceState>();
  ucs_ = ucs_of(*db_);
  ucs_history_.clear();
}

void Host::set_reply_source(std::unique_ptr<ReplySource> source) {
  replies_->set_base(std::move(source));
}

void Host::set_ucs(const Ucs& ucs, bool remember) {
  if (remember) {
    ucs_history_.push_back(ucs_);
    if (ucs_history_.size() > 10) ucs_history_.erase(ucs_history_.begin());
  }
  ucs_ = ucs;
  // The drawing keeps its UCS, so that undo and saving bring it along.
  db_->set_var("UCSORG", VarValue::point(ucs.origin), true);
  db_->set_var("UCSXDIR", VarValue::point(ucs.x_axis), true);
  db_->set_var("UCSYDIR", VarValue::point(ucs.y_axis), true);
}

bool Host::ucs_previous() {
  if (ucs_history_.empty()) return false;
  Ucs previous = ucs_history_.back();
  ucs_history_.pop_back();
  set_ucs(previous, false);
  return true;
}

void Host::rollback_to(size_t mark) {
  db_->rollback_to(mark);
  ucs_ = ucs_of(*db_);
}

void Host::undo_to(size_t mark) {
  db_->undo_to(mark);
  ucs_ = ucs_of(*db_);
}

bool Host::redo() {
  if (!db_->redo()) return false;
  ucs_ = ucs_of(*db_);
  return true;
}

std::optional<VarValue> Host::get_var(std::string_view name) const {
  if (iequals(name, "UNDOCTL")) return VarValue::integer(undo_->control());
  // One bit for every kind of change: the host's bit 1 (objects changed) stands for them all.
  if (iequals(name, "DBMOD")) return VarValue::integer(db_->modified() ? 1 : 0);
  return db_->get_var(name);
}

void Host::report_unfreed_sets(const CommandDef& def, const std::vector<int64_t>& before) {
#ifndef NDEBUG
  // The real host has few selection sets to give; a command that keeps them runs out there.
  size_t left = 0;
  for (int64_t set : selections_->live_ids())
    if (!std::binary_search(before.begin(), before.end(), set)) ++left;
  if (left == 0) return;
  transcript_->print("\n; command " + def.global_name + " left " + std::to_string(left) +
                     " selection set(s) unfreed");
  transcript_->end_line();
#endif
}

Host::Run Host::begin_run(const CommandDef& def, std::string_view called) {
  Run run{db_->journal_size(), command_depth_ == 0};
  if (run.top) {
    running_command_ = called_name(def, called);
    undo_->begin_command(running_command_);
  }
  ++command_depth_;
  return run;
}

void Host::finish_run(const Run& run, bool completed) {
  --command_depth_;
  if (run.top) running_command_.clear();
  if (completed) {
    if (run.top) undo_->end_command();
    return;
  }
  rollback_to(run.start);
  if (run.top) undo_->cancel_command(run.start);
  iface_->block.reset();
  iface_->complex.clear();
}

CommandResult Host::run_body(const CommandDef& def, const Run& run, bool scripted) {
  // Every way a body ends, for commands typed and scripted alike. What a scripted command cannot
  // end by itself (acrx_abort, a fault of the host, input that ended outside its tokens) ends
  // the command that scripted it too; a refused token ends a scripted command only.
  try {
    def.body();
    return CommandResult::kDone;
  } catch (const CommandCancelled&) {
    // An Esc at a prompt shows there already, as the reply; a scripted command's caller shows it.
    if (!scripted && !transcript_->text().ends_with("*Cancel*\n")) transcript_->print("\n*Cancel*");
    return CommandResult::kCancelled;
  } catch (const CommandFailed& failed) {
    // The host's own failure shows even with CMDECHO 0, as its error messages do.
    transcript_->print(failed.message);
    return CommandResult::kAborted;
  } catch (const InputEnded& ended) {
    // Tokens of a scripted command that ran out end that command; the end of the script or the
    // terminal ends a typed one.
    if (ended.in_tokens != scripted) {
      finish_run(run, false);
      throw;
    }
    if (!scripted) ended_line_ = ended.line;
    return CommandResult::kInputEnded;
  } catch (const TokenRefused&) {
    if (!scripted) {
      finish_run(run, false);
      throw;
    }
    return CommandResult::kAborted;
  } catch (const CommandAborted& aborted) {
    if (scripted) {
      finish_run(run, false);
      throw;
    }
    transcript_->print(aborted.message);
    return CommandResult::kAborted;
  } catch (const std::exception& e) {
    if (scripted) {
      finish_run(run, false);
      throw;
    }
    transcript_->print("\n; command " + def.global_name + " failed: " + e.what());
    return CommandResult::kAborted;
  } catch (...) {
    finish_run(run, false);
    throw;
  }
}

CommandResult Host::run_def(const CommandDef& def, std::string_view called) {
  const std::vector<int64_t> sets_before = selections_->live_ids();
  const Run run = begin_run(def, called);
  CommandResult result = run_body(def, run, false);
  // A command computes new geometry from what it was given; a number out of range (two points
  // 1e308 apart) must not reach the drawing as infinity or NaN.
  if (run.top && result == CommandResult::kDone && db_->non_finite_since(run.start) != kNoRecord) {
    transcript_->print("\nValue out of range: " + std::string(command_name_of(called)) +
                       " is undone.");
    result = CommandResult::kAborted;
  }
  finish_run(run, result == CommandResult::kDone);
  report_unfreed_sets(def, sets_before);
  return result;
}

CommandResult Host::run_command(std::string_view name) {
  // Shared: the body may change the command stack (a module unloading itself).
  const std::shared_ptr<const CommandDef> def = commands_.share(name);
  if (!def) {
    transcript_->print("\nUnknown command \"" + command_name_of(name) + "\".  Press F1 for help.");
    return CommandResult::kUnknown;
  }
  return run_def(*def, name);
}

void Host::show_alert(std::string_view text) {
  transcript_->print("\n" + std::string(text));
  transcript_->end_line();
  alerts_.emplace_back(text);
}

std::vector<std::vector<std::string>> Host::scripted_log() const {
  std::vector<std::vector<std::string>> log;
  log.reserve(scripted_ends_.size());
  size_t at = 0;
  for (size_t end : scripted_ends_) {
    std::vector<std::string>& tokens = log.emplace_back();
    for (; at < end; ++at) {
      const size_t nul = scripted_tokens_.find('\0', at);
      tokens.push_back(scripted_tokens_.substr(at, nul - at));
      at = nul;
    }
  }
  return log;
}

int Host::run_scripted(std::vector<Reply> tokens) {
  for (const Reply& r : tokens) {
    append_token(scripted_tokens_, r);
    scripted_tokens_ += '\0';
  }
  scripted_ends_.push_back(scripted_tokens_.size());
  if (tokens.empty()) return kRtNorm;
  if (tokens.front().kind != Reply::Kind::kText) return kRtError;
  const std::shared_ptr<const CommandDef> found = commands_.share(tokens.front().text);
  if (!found) {
    transcript_->print("\nUnknown command \"" + command_name_of(tokens.front().text) +
                       "\".  Press F1 for help.");
    return kRtError;
  }
  const CommandDef& def = *found;
  static const SysVarInfo& cmdecho = *sysvar_info("CMDECHO");
  const bool echo_before = transcript_->echo();
  transcript_->set_echo(db_->get_var(cmdecho).i == 1);
  if (transcript_->echo()) {
    transcript_->print("\nCommand: " + tokens.front().text);
    transcript_->end_line();
  }
  const std::string called = std::move(tokens.front().text);
  tokens.erase(tokens.begin());
  ReplyStack::Scope scope(*replies_, std::move(tokens));
  const Run run = begin_run(def, called);
  CommandResult result = CommandResult::kDone;
  try {
    result = run_body(def, run, true);
  } catch (...) {
    transcript_->set_echo(echo_before);
    throw;
  }
  const int status = result == CommandResult::kDone        ? kRtNorm
                     : result == CommandResult::kCancelled ? kRtCan
                                                           : kRtError;
  scope.close();
  transcript_->set_echo(echo_before);
  if (status != kRtNorm && echo_before) transcript_->print("\n*Cancel*");
  finish_run(run, status == kRtNorm);
  return status;
}

std::optional<std::pair<std::string, std::vector<Reply>>> Host::read_call(std::string& text) {
  // The rest of the call comes as further replies, as blanks end replies at the command prompt.
  while (!call_complete(text)) {
    Reply more = prompt_source_->next(true);
    if (more.kind != Reply::Kind::kText) return std::nullopt;
    if (more.shown) {
      transcript_->typed(more.text);
    } else {
      transcript_->print(more.text);
      transcript_->end_line();
    }
    text += " " + more.text;
  }
  return parse_call(text);
}

int Host::command_loop() {
  int failures = 0;
  quit_requested_ = false;
  // A script's failures are reported with its line; a person at the terminal has seen the
  // prompt's or the host's own message already, and lines of typing have no numbers to show.
  const bool person = prompt_source_->interactive();
  auto fail = [&](int line, const std::string& what) {
    ++failures;
    if (!person) transcript_->print("\nline " + std::to_string(line) + ": " + what);
  };
  for (;;) {
    if (quit_requested_) return failures;
    prompter_->clear_refusals();
    Answer answer;
    try {
      answer = prompter_->get_string("\nCommand: ", false);
    } catch (const InputEnded&) {
      return failures;
    }
    if (answer.status != kRtNorm) continue;
    const int line = prompt_source_->last_line();
    std::string name = answer.text;
    command_args_.clear();
    if (name.starts_with('(')) {
      auto call = read_call(name);
      if (!call) {
        if (person) transcript_->print("\nCannot read the call " + name);
        fail(line, "cannot read the call " + name);
        continue;
      }
      name = call->first;
      command_args_ = std::move(call->second);
    } else if (name.empty()) {
      if (last_command_.empty()) continue;
      name = last_command_;
    }
    std::vector<Reply> args = std::move(command_args_);
    const CommandDef* def = commands_.find(name);
    if (!def) {
      run_command(name);
      fail(line, "unknown command \"" + name + "\"");
      continue;
    }
    last_command_ = name;
    command_args_ = std::move(args);
    CommandResult result = run_command(name);
    command_args_.clear();
    for (const Refusal& r : prompter_->refusals())
      fail(r.line, "reply \"" + r.reply + "\" refused: " + r.message);
    if (result == CommandResult::kInputEnded) {
      if (person) transcript_->print("\n*Cancel*");
      fail(ended_line_, "the script ended inside command " + command_name_of(name));
      return failures;
    }
  }
}

}  // namespace cad
