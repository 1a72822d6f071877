// One run of dulk: reading the drawing, loading the module, the commands dulk adds to the host
// (SAVE, QSAVE, SAVEAS, QUIT, ARX), the command loop over a script or the terminal, and what a run
// writes at its end, with the batch contract's exit status.
#include "app/session.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/ads/host.h"
#include "cad/ads/loader.h"
#include "cad/base/text.h"
#include "cad/builtins/builtins.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
#include "cad/files/save.h"
#include "cad/input/prompter.h"
#include "cad/input/reply.h"
#include "cad/input/script_source.h"
#include "cad/input/terminal_source.h"
#include "cad/input/transcript.h"
#include "cad/render/png.h"
#include "cad/render/svg.h"

namespace dulk {

namespace {

namespace fs = std::filesystem;

// The group of the commands dulk adds to the host's own.
constexpr const char* kGroup = "DULK";

bool read_text(const std::string& path, std::string* text, std::string* error) {
  if (std::string why = unreadable(path); !why.empty()) {
    *error = "cannot read " + path + ": " + why;
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream content;
  content << file.rdbuf();
  if (file.bad()) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  *text = content.str();
  return true;
}

std::string capitalized(std::string text) {
  if (!text.empty()) text[0] = cad::ascii_upper(text[0]);
  return text;
}

// The base reply source, watched for the line of the last reply it gave, so that dulk's own
// commands can say where a script went wrong, as the host does for its failures.
class LineWatch : public cad::ReplySource {
 public:
  explicit LineWatch(std::unique_ptr<cad::ReplySource> source) : source_(std::move(source)) {}

  cad::Reply next(bool spaces_end_reply) override {
    cad::Reply reply = source_->next(spaces_end_reply);
    if (reply.line > 0) line_ = reply.line;
    return reply;
  }
  bool interactive() const override { return source_->interactive(); }
  int line() const { return line_; }

 private:
  std::unique_ptr<cad::ReplySource> source_;
  int line_ = 0;
};

// The name the host gives a drawing that has none yet, shown where it asks about saving it.
constexpr const char* kNewDrawingName = "Drawing1.dxf";

// What dulk keeps beside the host while it runs.
struct Session {
  cad::Host& host;
  // The drawing's file, where SAVE writes: the drawing read, until SAVEAS names another; empty
  // for a new drawing. -o is no part of it: that is the run's own output, written at its end.
  std::string name;
  // The form the drawing's file is in: the drawing read's, until SAVEAS chooses another.
  cad::DxfForm form = cad::DxfForm::kAscii;
  bool batch = false;
  const LineWatch* lines = nullptr;
  int failures = 0;  // of dulk's own commands; the host counts its own
};

std::string shown_name(const Session& session) {
  return session.name.empty() ? kNewDrawingName : session.name;
}

// A command of dulk's could not do what it was asked. In a script that is a failure with the
// script's line, reported the way the host reports its own; a person just reads why.
void fail(Session& session, const std::string& what) {
  if (!session.batch) {
    session.host.transcript().print("\n" + capitalized(what));
    return;
  }
  const int line = session.lines ? session.lines->line() : 0;
  session.host.transcript().print("\nline " + std::to_string(line) + ": " + what);
  ++session.failures;
}

// Saves the drawing at path, the file there kept as its backup, as the host's saving commands
// do; the drawing is then unchanged (DBMOD 0).
bool save_as(Session& session, const std::string& path) {
  std::string error;
  std::vector<std::string> notes;
  if (!cad::save_dxf(session.host.db(), path, &error, {.backup = true}, &notes, session.form)) {
    fail(session, error);
    return false;
  }
  session.host.db().mark_saved();
  for (const std::string& note : notes) session.host.transcript().print("\n" + note);
  session.host.transcript().print("\nSaved " + path);
  return true;
}

// The file formats SAVEAS offers, as the words that choose them.
bool is_form_word(const std::string& text, std::string_view word) {
  std::string_view t = text;
  if (!t.empty() && t.front() == '_') t.remove_prefix(1);
  return cad::iequals(t, word);
}

// SAVE and QSAVE write the drawing's file in its form and ask for a name only when it has none;
// SAVEAS (ask_always) asks with the present name as the default, and "Binary" or "Ascii" there
// chooses the form of the file, which stays the drawing's. True when the drawing was saved.
bool save_command(Session& session, bool ask_always) {
  std::string name = session.name;
  cad::DxfForm form = session.form;
  if (ask_always || name.empty()) {
    for (;;) {
      std::string prompt = ask_always ? "\nSave drawing as or [Binary/Ascii]" : "\nSave drawing as";
      if (!name.empty()) prompt += " <" + name + ">";
      prompt += ": ";
      cad::Answer answer = session.host.prompter().get_string(prompt, true);
      if (answer.status == cad::kRtCan) throw cad::CommandCancelled{};
      if (ask_always &&
          (is_form_word(answer.text, "Binary") || is_form_word(answer.text, "Ascii"))) {
        form = is_form_word(answer.text, "Binary") ? cad::DxfForm::kBinary : cad::DxfForm::kAscii;
        session.host.transcript().print(form == cad::DxfForm::kBinary ? "\nFormat: binary DXF"
                                                                      : "\nFormat: ASCII DXF");
        continue;
      }
      if (!answer.text.empty()) name = answer.text;
      break;
    }
  }
  if (name.empty()) {
    fail(session, "no file name given; nothing saved");
    return false;
  }
  const cad::DxfForm before = session.form;
  session.form = form;
  if (!save_as(session, name)) {
    session.form = before;
    return false;
  }
  session.name = name;
  return true;
}

// Whether the drawing may be left: it has no unsaved changes, or the question about them was
// answered Yes (and the save succeeded) or No. A script answers it with its next line.
bool may_leave_drawing(Session& session) {
  cad::Host& host = session.host;
  if (host.db().modified()) {
    cad::Prompter& prompter = host.prompter();
    prompter.init_get(0, "Yes No Cancel _Yes No Cancel");
    cad::Answer answer;
    try {
      answer = prompter.get_kword("\nSave changes to " + shown_name(session) +
                                  "? [Yes/No/Cancel] <Yes>: ");
    } catch (const cad::InputEnded& ended) {
      // Ctrl-D at the question is taken as Esc: the person stays with the drawing. A script or a
      // command's tokens that end here end inside the command, as anywhere else.
      if (ended.in_tokens || session.batch) throw;
      throw cad::CommandCancelled{};
    }
    if (answer.status == cad::kRtCan) throw cad::CommandCancelled{};
    if (answer.text == "Cancel") return false;
    // Yes, or Enter for the default.
    if (answer.text != "No" && !save_command(session, false)) return false;
  }
  return true;
}

// QUIT: leaves after the running command, once the drawing may be left.
void quit_command(Session& session) {
  if (may_leave_drawing(session)) session.host.request_quit();
}

// Reads a drawing as RECOVER does, the report of what was mended or left out on the transcript
// in the real host's manner; without a drawing, error says why.
cad::ReadResult read_recovered(cad::Host& host, const std::string& path) {
  cad::ReadResult read;
  if (std::string why = unreadable(path); !why.empty()) {
    read.error = "cannot read " + path + ": " + why;
    return read;
  }
  read = cad::read_dxf_file(path, {.recover = true});
  if (!read.db) return read;
  cad::Transcript& transcript = host.transcript();
  transcript.print("\nDrawing recovery.");
  for (const std::string& note : read.notes) transcript.print("\n" + note);
  for (const std::string& line : read.recovered.lines()) transcript.print("\n" + line);
  const std::string total = std::to_string(read.recovered.total());
  transcript.print("\nTotal errors found " + total + " fixed " + total);
  return read;
}

// RECOVER: opens a drawing recovered as the current drawing, once the present one may be left.
void recover_command(Session& session) {
  cad::Answer file =
      session.host.prompter().get_string("\nEnter name of drawing to recover: ", true);
  if (file.status == cad::kRtCan) throw cad::CommandCancelled{};
  if (file.text.empty() || !may_leave_drawing(session)) return;
  cad::ReadResult read = read_recovered(session.host, file.text);
  if (!read.db) {
    fail(session, read.error);
    return;
  }
  session.name = file.text;
  session.form = read.form;
  session.host.set_db(std::move(read.db));
}

std::string module_name(const std::string& path) { return fs::path(path).filename().string(); }

// ARX: lists, loads and unloads modules at the command line, as the real host's command does.
void arx_command(Session& session) {
  cad::Host& host = session.host;
  cad::Prompter& prompter = host.prompter();
  prompter.init_get(0, "? Load Unload _? Load Unload");
  cad::Answer option = prompter.get_kword("\nEnter an option [?/Load/Unload]: ");
  if (option.status == cad::kRtCan) throw cad::CommandCancelled{};
  if (option.status != cad::kRtNorm) return;

  if (option.text == "?") {
    const std::vector<std::string> loaded = host.modules().loaded();
    if (loaded.empty()) {
      host.transcript().print("\nNo modules loaded.");
      return;
    }
    host.transcript().print("\nLoaded modules:");
    for (const std::string& path : loaded) host.transcript().print("\n  " + path);
    return;
  }

  const bool load = option.text == "Load";
  cad::Answer file = prompter.get_string(
      load ? "\nEnter ARX/DBX file name to load: " : "\nEnter ARX/DBX file name to unload: ", true);
  if (file.status == cad::kRtCan) throw cad::CommandCancelled{};
  if (file.text.empty()) return;
  std::string error;
  if (load) {
    if (!host.modules().load(file.text, &error)) {
      fail(session, error);
      return;
    }
    host.transcript().print("\n" + module_name(file.text) + " loaded.");
    return;
  }
  // A module's code must not go away under one of its commands still on the stack.
  if (host.command_depth() > 1) {
    fail(session, "cannot unload " + file.text + " from inside another command");
    return;
  }
  if (!host.modules().unload(file.text, &error)) {
    fail(session, error);
    return;
  }
  host.transcript().print("\n" + module_name(file.text) + " unloaded.");
}

void register_commands(Session& session) {
  cad::CommandStack& commands = session.host.commands();
  // help: what HELP says of the command (what it does, then the prompts it asks).
  auto add = [&](const char* name, const char* help, std::function<void()> body) {
    commands.add({kGroup, name, name, 0, std::move(body), true, help, "dulk"});
  };
  const char* save_help =
      "Saves the drawing to its file, keeping the previous file as NAME.bak; asks for a name when\n"
      "the drawing has none.\n"
      "Save drawing as:";
  add("SAVE", save_help, [&session] { save_command(session, false); });
  add("QSAVE", save_help, [&session] { save_command(session, false); });
  add("SAVEAS",
      "Saves the drawing under a name, which SAVE then uses, as ASCII or binary DXF (Binary or\n"
      "Ascii at the prompt chooses; the form of the drawing's file otherwise).\n"
      "Save drawing as or [Binary/Ascii] <name>:",
      [&session] { save_command(session, true); });
  add("QUIT",
      "Ends dulk, asking first whether to save the drawing when it changed.\n"
      "Save changes to <name>? [Yes/No/Cancel] <Yes>:",
      [&session] { quit_command(session); });
  add("RECOVER",
      "Opens a damaged drawing as the current drawing: what can be read of it, saying what was\n"
      "mended or left out; asks first whether to save the present drawing when it changed.\n"
      "Enter name of drawing to recover:",
      [&session] { recover_command(session); });
  add("ARX",
      "Lists, loads and unloads modules.\n"
      "Enter an option [?/Load/Unload]:\n"
      "Enter ARX/DBX file name to load:\n"
      "Enter ARX/DBX file name to unload:",
      [&session] { arx_command(session); });
}

// The replies: the script named, else the terminal, else standard input read as a script.
// The terminal's line editor draws on terminal_out.
std::unique_ptr<cad::ReplySource> open_replies(cad::Host& host, const Options& options,
                                               bool interactive, FILE* terminal_out,
                                               std::string* error) {
  if (!options.script.empty()) {
    std::string text;
    if (!read_text(options.script, &text, error)) return nullptr;
    return std::make_unique<cad::ScriptSource>(text, options.script);
  }
  if (interactive) {
    auto terminal = std::make_unique<cad::TerminalSource>(host.transcript(), terminal_out);
    // F1: the running command's help, or the list of commands at the command prompt.
    terminal->set_help([&host] { cad::print_help(host, host.running_command()); });
    return terminal;
  }
  std::ostringstream text;
  text << std::cin.rdbuf();
  return std::make_unique<cad::ScriptSource>(text.str(), "<stdin>");
}

// The host reports every failure of a script as a line "line N: what" of the transcript, and so
// does fail() above.
std::vector<std::string> failure_lines(std::string_view transcript) {
  std::vector<std::string> found;
  while (!transcript.empty()) {
    const size_t end = transcript.find('\n');
    std::string_view line = transcript.substr(0, end);
    transcript = end == std::string_view::npos ? std::string_view{} : transcript.substr(end + 1);
    if (!line.starts_with("line ")) continue;
    size_t k = 5;
    while (k < line.size() && std::isdigit(static_cast<unsigned char>(line[k]))) ++k;
    if (k > 5 && line.substr(k).starts_with(": ")) found.emplace_back(line);
  }
  return found;
}

// Writes one picture at path or to standard output; false with the reason in *error. A file that
// SAVEAS made the drawing's own since the run began is no place for it either.
bool write_picture(const Session& session, const std::string& path, const std::string& svg,
                   bool png, std::string* error) {
  if (path == kStandardOutput) {
    if (png) return cad::write_png(svg, STDOUT_FILENO, "standard output", error);
    if (cad::write_all(STDOUT_FILENO, svg)) return true;
    *error = "cannot write the SVG picture to standard output: " + cad::errno_text(errno);
    return false;
  }
  if (!session.name.empty() && cad::same_file(path, session.name)) {
    *error = "cannot save " + path + ": it is the drawing's file " + session.name +
             "; a picture never replaces a drawing";
    return false;
  }
  return png ? cad::save_png(svg, path, error) : cad::save_file(path, svg, {}, error);
}

bool write_pictures(const Session& session, const Options& options, std::ostream& err) {
  cad::SvgOptions svg_options;
  if (options.view) {
    const auto& v = *options.view;
    svg_options.window = cad::Box2({v[0], v[1]}, {v[2], v[3]});
  }
  const std::string svg = cad::render_svg(session.host.db(), svg_options);
  bool ok = true;
  for (const auto& [path, png] : {std::pair{&options.svg, false}, std::pair{&options.png, true}}) {
    std::string error;
    if (path->empty() || write_picture(session, *path, svg, png, &error)) continue;
    err << "dulk: " << error << "\n";
    ok = false;
  }
  return ok;
}

// The drawing as DXF on standard output (-o -), where nothing else goes then.
bool write_to_standard_output(const cad::Database& db, cad::DxfForm form, std::string* error,
                              std::vector<std::string>* notes) {
  if (cad::write_all(STDOUT_FILENO, cad::write_dxf(db, notes, form))) return true;
  *error = "cannot write the drawing to standard output: " + cad::errno_text(errno);
  return false;
}

}  // namespace

std::string module_path(const Options& options) {
  if (!options.module.empty()) return options.module;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return (ec ? std::string(".") : exe.parent_path().string()) + "/DulkArx.arx";
}

std::string unreadable(const std::string& path) {
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) return "no such file or directory";
  if (status.type() == fs::file_type::directory) return "is a folder, not a file";
  return {};
}

int run_session(const Options& options, std::ostream& out, std::ostream& err) {
  // Destroyed last of all, so that modules unload while it is still the current host.
  cad::Host host;
  cad::set_current_host(&host);
  const bool interactive = options.script.empty() && isatty(STDIN_FILENO);
  // With -o - (or a picture written there) standard output holds the drawing alone; the
  // transcript goes with the messages.
  const bool drawing_to_out = options.output == kStandardOutput;
  const bool output_to_out =
      drawing_to_out || options.svg == kStandardOutput || options.png == kStandardOutput;
  std::ostream& transcript_out = output_to_out ? err : out;
  // A person needs the prompts, quiet or not.
  host.transcript().set_output(options.quiet && !interactive ? nullptr : &transcript_out);
  cad::register_builtins(host);

  Session session{.host = host, .name = options.drawing, .batch = !interactive};
  if (!options.drawing.empty()) {
    if (std::string why = unreadable(options.drawing); !why.empty()) {
      err << "dulk: cannot read " << options.drawing << ": " << why << "\n";
      return 1;
    }
    cad::ReadResult read = options.recover ? read_recovered(host, options.drawing)
                                           : cad::read_dxf_file(options.drawing);
    if (!read.db) {
      err << "dulk: " << options.drawing << ": " << read.error << "\n";
      return 1;
    }
    if (!options.recover)
      for (const std::string& note : read.notes) host.transcript().print("\n" + note);
    session.form = read.form;
    host.set_db(std::move(read.db));
  }
  register_commands(session);

  if (!options.no_module) {
    std::string error;
    if (!host.modules().load(module_path(options), &error)) {
      err << "dulk: " << error << "\n";
      if (options.module.empty()) err << "dulk: --no-module runs the host without it\n";
      return 1;
    }
  }

  std::string error;
  std::unique_ptr<cad::ReplySource> source =
      open_replies(host, options, interactive, output_to_out ? stderr : stdout, &error);
  if (!source) {
    err << "dulk: " << error << "\n";
    return 1;
  }
  const auto* terminal = dynamic_cast<const cad::TerminalSource*>(source.get());
  auto watch = std::make_unique<LineWatch>(std::move(source));
  session.lines = watch.get();
  host.set_reply_source(std::move(watch));
  if (interactive) {
    host.transcript().print("dulk " DULK_VERSION
                            ": HELP or F1 lists the commands, Esc cancels one, QUIT or Ctrl-D "
                            "leaves.");
    host.transcript().end_line();
  }

  if (options.fault) host.faults().arm(*options.fault);
  int host_failures = 0;
  for (;;) {
    host_failures += host.command_loop();
    if (!terminal || host.quit_requested() || terminal->ended()) break;
    // Ctrl-D at the terminal leaves as QUIT does, asking first about unsaved changes.
    host.run_command("_QUIT");
    if (host.quit_requested()) break;
  }
  host.transcript().end_line();
  transcript_out.flush();
  // The terminal is gone with the changes unsaved: nobody could be asked.
  const bool lost = terminal && !host.quit_requested() && host.db().modified();
  if (lost) {
    err << "dulk: the input ended; the changes to " << shown_name(session) << " were not saved\n";
  }
  if (options.fault && !host.faults().fired()) {
    err << "dulk: --fail " << cad::fault_kind_name(options.fault->kind) << ":" << options.fault->nth
        << ": it never happened; the commands made " << host.faults().count(options.fault->kind)
        << " such events\n";
  }

  // A person's typing mistakes were answered at the prompt; only a script fails by them.
  const bool failed = session.batch && host_failures + session.failures > 0;
  if (failed) {
    const std::string name = options.script.empty() ? "<stdin>" : options.script;
    for (const std::string& line : failure_lines(host.transcript().text()))
      err << "dulk: " << name << ": " << line << "\n";
    // Half-done results are not written, lest they be taken for finished ones (or written over
    // the opened drawing when -o names it).
    if (!options.output.empty() || !options.svg.empty() || !options.png.empty())
      err << "dulk: the script failed; nothing written\n";
    return 1;
  }
  bool ok = !lost;
  if (!options.output.empty()) {
    std::string why;
    std::vector<std::string> notes;
    const cad::DxfForm form = options.output_form.value_or(session.form);
    const bool written = drawing_to_out
                             ? write_to_standard_output(host.db(), form, &why, &notes)
                             : cad::save_dxf(host.db(), options.output, &why, {}, &notes, form);
    if (!written) {
      err << "dulk: " << why << "\n";
      ok = false;
    }
    for (const std::string& note : notes) err << "dulk: " << options.output << ": " << note << "\n";
  }
  if (!options.svg.empty() || !options.png.empty())
    ok = write_pictures(session, options, err) && ok;
  return ok ? 0 : 1;
}

}  // namespace dulk
