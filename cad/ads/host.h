// The stand-in host: one object that holds a session's drawing, coordinate system, reply source,
// transcript, command stack, selection sets and undo steps, and runs commands. The C interface
// (host/*.h, implemented in this folder) acts on the current host; tests make a fresh host per
// case.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cad/ads/faults.h"
#include "cad/db/database.h"
#include "cad/geom/coords.h"

namespace cad {

class Transcript;
class Prompter;
class ReplySource;
class ReplyStack;
class SelectionSets;
class UndoSteps;
class ModuleLoader;
struct InterfaceState;
struct Reply;

// Ways a command ends early. Thrown inside a command, caught by the command runner, which rolls
// back every change the command made and keeps the host running.
struct CommandCancelled {};  // Esc
struct CommandAborted {      // acrx_abort
  std::string message;
};
// A host command could not do its work (the host could not create what it makes); it ends as a
// failed command, rolled back, with the message. Run through acedCommandS it answers RTERROR.
struct CommandFailed {
  std::string message;
};

struct CommandDef {
  std::string group;
  std::string global_name;  // without the leading "_"
  std::string local_name;
  int32_t flags = 0;
  std::function<void()> body;
  bool builtin = false;
  // What HELP says of it: the first line what it does, the lines after it the prompts it asks.
  std::string help;
  // Who added it, for HELP: the file name of a module, or the program that runs the host; empty
  // for the host's own commands.
  std::string origin;
};

class CommandStack {
 public:
  // False when a command of that global name exists already in the group.
  bool add(CommandDef def);
  bool remove(std::string_view group, std::string_view global_name);
  int remove_group(std::string_view group);
  // Finds by local name, or by global name when written with a leading "_" (or without, when no
  // local name matches); case does not matter.
  const CommandDef* find(std::string_view name) const { return share(name).get(); }
  // The same, shared with the stack: it stays whole while its command runs, even when the
  // command takes it off the stack (a module unloading itself).
  std::shared_ptr<const CommandDef> share(std::string_view name) const;
  const std::vector<std::shared_ptr<const CommandDef>>& commands() const { return commands_; }

 private:
  // Finds the newest command of each name again after a change.
  void index();

  std::vector<std::shared_ptr<const CommandDef>> commands_;
  // Every scripted command is looked up: the newest command of each local and each global name,
  // by place in commands_.
  std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> by_local_;
  std::unordered_map<std::string, size_t, NoCaseHash, NoCaseEqual> by_global_;
};

// Result of running a command.
enum class CommandResult { kDone, kCancelled, kAborted, kInputEnded, kUnknown };

class Host {
 public:
  Host();
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  Database& db() { return *db_; }
  // Replaces the drawing (after reading a file, or a new drawing); selection sets and undo
  // steps of the old drawing are dropped.
  void set_db(std::unique_ptr<Database> db);

  Transcript& transcript() { return *transcript_; }
  // An alert (acedAlert): a headless host has no message box, so the text stands on a line of
  // its own in the transcript.
  void show_alert(std::string_view text);
  Prompter& prompter() { return *prompter_; }
  ReplyStack& replies() { return *replies_; }
  // The source of replies below any scripted command (terminal or script).
  void set_reply_source(std::unique_ptr<ReplySource> source);

  CommandStack& commands() { return commands_; }
  SelectionSets& selections() { return *selections_; }
  UndoSteps& undo() { return *undo_; }
  ModuleLoader& modules() { return *modules_; }

  // Rolls the drawing back to a journal mark; what the host keeps beside the drawing (the UCS)
  // follows it.
  void rollback_to(size_t mark);
  // The same as U does it, so that redo() can make the changes again (Database::undo_to).
  void undo_to(size_t mark);
  bool redo();

  // System variables as the host reports them: the drawing's, and those the host keeps itself
  // (UNDOCTL from the undo steps, DBMOD from the drawing's journal). std::nullopt for an unknown
  // name.
  std::optional<VarValue> get_var(std::string_view name) const;

  // Current UCS and the history that "_ucs" "_previous" steps back through (at most 10).
  const Ucs& ucs() const { return ucs_; }
  void set_ucs(const Ucs& ucs, bool remember = true);
  bool ucs_previous();

  // Runs a command by the name a person types; at depth 0 one undo step. A command that ends
  // early (Esc: CommandCancelled, acrx_abort: CommandAborted, the reply source ended:
  // InputEnded, or a C++ exception) is rolled back to where it began and the host goes on.
  // Prints the host's message for an unknown name.
  CommandResult run_command(std::string_view name);
  // Runs a command from typed tokens (the host interface's acedCommandS/acedCmdS) to completion;
  // the first token names it. RTNORM when it completed (tokens it left unread are dropped);
  // RTERROR for an unknown command, a token the command refused, or a list that ended inside
  // it; RTCAN on Esc. A command that did not complete is rolled back. Run inside another
  // command, its changes belong to that command's undo step; at depth 0 it is a step of its own.
  // Prompts and tokens show in the transcript only while CMDECHO is 1.
  int run_scripted(std::vector<Reply> tokens);
  // Depth of running commands (0 at the command line).
  int command_depth() const { return command_depth_; }
  // The command running at depth 0, by the name it was called ("AutoBem", "LINE"); empty at the
  // command line.
  const std::string& running_command() const { return running_command_; }
  // Reads commands from the reply source until it ends; returns the number of failures (unknown
  // commands, refused replies, a source that ended inside a command), each reported with the
  // script line in the transcript (from a person at the terminal, without: the prompt or the
  // host has said what was wrong). At the command prompt Enter repeats the last command, and
  // "(Name arg ...)" runs a command with arguments (whole numbers, reals, "texts") that it reads
  // through acedGetArgs.
  int command_loop();
  // Ends command_loop after the running command (QUIT).
  void request_quit() { quit_requested_ = true; }
  // Whether the last command_loop ended by request_quit (rather than by the end of input).
  bool quit_requested() const { return quit_requested_; }

  // Vectors drawn with acedGrDraw; gone at the next REDRAW.
  struct TempVector {
    Vec3 from, to;
    int color;
  };
  std::vector<TempVector>& temp_vectors() { return temp_vectors_; }

  // Arguments of the running command when it was called as "(Name arg ...)".
  std::vector<Reply>& command_args() { return command_args_; }

  // What the C interface keeps between calls (entities being made, table positions).
  InterfaceState& iface() { return *iface_; }

  // Faults armed for the interface's allocations, creations and changes (cad/ads/faults.h).
  FaultInjector& faults() { return faults_; }

  // ---- testing hooks: for tests only; neither the host nor the module calls them ----

  // Every scripted command run so far (acedCommandS, acedCmdS), as its tokens in text: the
  // command name, texts as given, points "x,y,z", reals and angles as %g, whole numbers.
  std::vector<std::vector<std::string>> scripted_log() const;
  // Every alert shown so far, in order.
  const std::vector<std::string>& alerts() const { return alerts_; }

 private:
  std::unique_ptr<Database> db_;
  std::unique_ptr<Transcript> transcript_;
  std::unique_ptr<ReplyStack> replies_;
  std::unique_ptr<Prompter> prompter_;
  CommandStack commands_;
  std::unique_ptr<SelectionSets> selections_;
  std::unique_ptr<UndoSteps> undo_;
  std::unique_ptr<ModuleLoader> modules_;
  Ucs ucs_;
  std::vector<Ucs> ucs_history_;
  int command_depth_ = 0;
  std::string running_command_;
  std::vector<TempVector> temp_vectors_;
  std::vector<Reply> command_args_;
  std::unique_ptr<InterfaceState> iface_;
  FaultInjector faults_;

  class PromptSource;
  // A command running: where the journal stood when it began, and whether it runs at depth 0.
  struct Run {
    size_t start;
    bool top;
  };
  Run begin_run(const CommandDef& def, std::string_view called);
  // Ends the run: a completed command becomes (part of) an undo step, any other is rolled back.
  void finish_run(const Run& run, bool completed);
  // Runs the body of a begun command and says how it ended: the one path of commands typed
  // (run_def) and scripted (run_scripted). What ends the command that scripted this one too is
  // thrown on, after the run is rolled back.
  CommandResult run_body(const CommandDef& def, const Run& run, bool scripted);
  CommandResult run_def(const CommandDef& def, std::string_view called);
  // Debug builds name commands that leave selection sets unfreed.
  void report_unfreed_sets(const CommandDef& def, const std::vector<int64_t>& before);
  std::optional<std::pair<std::string, std::vector<Reply>>> read_call(std::string& text);
  std::unique_ptr<PromptSource> prompt_source_;
  std::string last_command_;
  int ended_line_ = 0;
  bool quit_requested_ = false;
  // The scripted log as one text, every token ended by a NUL (no token holds one), and where
  // each command's tokens end in it: a module scripts a command for every dimension it draws,
  // and a list of strings for each would cost more than the dimension's own records.
  std::string scripted_tokens_;
  std::vector<size_t> scripted_ends_;
  std::vector<std::string> alerts_;
};

// The host the C interface acts on (set by whoever owns the host: dulk, a test).
Host* current_host();
void set_current_host(Host* host);

// Tells modules' document reactors that the current drawing is about to be destroyed (Host calls
// it before replacing its drawing and when it ends).
void notify_document_destroyed();

// Testing hooks: how many document reactors are registered with the document manager.
size_t document_reactor_count();

}  // namespace cad
