// One run of dulk: reading the drawing, loading the module, the commands dulk adds to the host
// (SAVE, SAVEAS, QUIT, ARX), the command loop over a script or the terminal, and what a run
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
#include "cad/builtins/builtins.h"
#include "cad/dxf/reader.h"
#include "cad/dxf/writer.h"
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

std::string exe_folder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

// Why path cannot be read as a file, or empty when it can be tried. The readers open a folder
// without complaint and then fail in ways that do not say what was wrong.
std::string unreadable(const std::string& path) {
  std::error_code ec;
  fs::file_status status = fs::status(path, ec);
  if (status.type() == fs::file_type::not_found) return "no such file or directory";
  if (status.type() == fs::file_type::directory) return "is a folder, not a file";
  return {};
}

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

bool write_text(const std::string& path, std::string_view text, std::string* error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (file) file.close();
  if (!file) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

std::string capitalized(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
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

// What dulk keeps beside the host while it runs.
struct Session {
  cad::Host& host;
  std::string input;    // the drawing read, or empty
  std::string output;   // -o, or empty
  std::string current;  // where SAVE writes: -o or the drawing read, until SAVEAS names another
  bool batch = false;
  const LineWatch* lines = nullptr;
  int failures = 0;  // of dulk's own commands; the host counts its own
};

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

// Writes over the input drawing only when -o named it: a slip at the SAVE prompt must never cost
// the user the drawing they opened.
bool may_write(const Session& session, const std::string& path, std::string* error) {
  if (session.input.empty() || !same_file(session.input, path)) return true;
  if (!session.output.empty() && same_file(session.output, path)) return true;
  *error = "not writing over the opened drawing " + path + " (name it with -o to allow that)";
  return false;
}

bool save_as(Session& session, const std::string& path) {
  std::string error;
  if (!may_write(session, path, &error)) {
    fail(session, "cannot save: " + error);
    return false;
  }
  std::vector<std::string> notes;
  if (!cad::save_dxf(session.host.db(), path, &error, &notes)) {
    fail(session, error);
    return false;
  }
  for (const std::string& note : notes) session.host.transcript().print("\n" + note);
  session.host.transcript().print("\nSaved " + path);
  return true;
}

void save_command(Session& session, bool ask_always) {
  std::string name = session.current;
  if (ask_always || name.empty()) {
    std::string prompt = "\nSave drawing as";
    if (!name.empty()) prompt += " <" + name + ">";
    prompt += ": ";
    cad::Answer answer = session.host.prompter().get_string(prompt, true);
    if (answer.status == cad::kRtCan) throw cad::CommandCancelled{};
    if (!answer.text.empty()) name = answer.text;
  }
  if (name.empty()) {
    fail(session, "no file name given; nothing saved");
    return;
  }
  if (save_as(session, name)) session.current = name;
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
  auto add = [&](const char* name, std::function<void()> body) {
    commands.add({kGroup, name, name, 0, std::move(body), true});
  };
  add("SAVE", [&session] { save_command(session, false); });
  add("SAVEAS", [&session] { save_command(session, true); });
  add("QUIT", [&session] { session.host.request_quit(); });
  add("ARX", [&session] { arx_command(session); });
}

// The replies: the script named, else the terminal, else standard input read as a script.
std::unique_ptr<cad::ReplySource> open_replies(cad::Host& host, const Options& options,
                                               bool interactive, std::string* error) {
  if (!options.script.empty()) {
    std::string text;
    if (!read_text(options.script, &text, error)) return nullptr;
    return std::make_unique<cad::ScriptSource>(text, options.script);
  }
  if (interactive) return std::make_unique<cad::TerminalSource>(host.transcript());
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

bool write_pictures(cad::Host& host, const Options& options, std::ostream& err) {
  cad::SvgOptions svg_options;
  if (options.view) {
    const auto& v = *options.view;
    svg_options.window = cad::Box2({v[0], v[1]}, {v[2], v[3]});
  }
  const std::string svg = cad::render_svg(host.db(), svg_options);
  std::string error;
  bool ok = true;
  if (!options.svg.empty() && !write_text(options.svg, svg, &error)) {
    err << "dulk: " << error << "\n";
    ok = false;
  }
  if (options.png.empty()) return ok;
  std::string svg_path = options.svg;
  if (svg_path.empty() || !ok) {
    // The converter reads a file; a private one, so that no file of the user's is touched.
    std::string pattern = (fs::temp_directory_path() / "dulk-XXXXXX.svg").string();
    const int fd = mkstemps(pattern.data(), 4);
    if (fd < 0) {
      err << "dulk: cannot make a temporary file: " << std::strerror(errno) << "\n";
      return false;
    }
    close(fd);
    svg_path = pattern;
    if (!write_text(svg_path, svg, &error)) {
      err << "dulk: " << error << "\n";
      std::remove(svg_path.c_str());
      return false;
    }
  }
  if (!cad::write_png(svg_path, options.png, &error)) {
    err << "dulk: " << error << "\n";
    ok = false;
  }
  if (svg_path != options.svg) std::remove(svg_path.c_str());
  return ok;
}

}  // namespace

int run_session(const Options& options, std::ostream& out, std::ostream& err) {
  // Destroyed last of all, so that modules unload while it is still the current host.
  cad::Host host;
  cad::set_current_host(&host);
  const bool interactive = options.script.empty() && isatty(STDIN_FILENO);
  // A person needs the prompts, quiet or not.
  host.transcript().set_output(options.quiet && !interactive ? nullptr : &out);
  cad::register_builtins(host);

  Session session{.host = host,
                  .input = options.drawing,
                  .output = options.output,
                  .current = options.output.empty() ? options.drawing : options.output,
                  .batch = !interactive};
  if (!options.drawing.empty()) {
    if (std::string why = unreadable(options.drawing); !why.empty()) {
      err << "dulk: cannot read " << options.drawing << ": " << why << "\n";
      return 1;
    }
    cad::ReadResult read = cad::read_dxf_file(options.drawing);
    if (!read.db) {
      err << "dulk: " << options.drawing << ": " << read.error << "\n";
      return 1;
    }
    for (const std::string& note : read.notes) host.transcript().print("\n" + note);
    host.set_db(std::move(read.db));
  }
  register_commands(session);

  if (!options.no_module) {
    const std::string path =
        options.module.empty() ? exe_folder() + "/DulkArx.arx" : options.module;
    std::string error;
    if (!host.modules().load(path, &error)) {
      err << "dulk: " << error << "\n";
      if (options.module.empty()) err << "dulk: --no-module runs the host without it\n";
      return 1;
    }
  }

  std::string error;
  std::unique_ptr<cad::ReplySource> source = open_replies(host, options, interactive, &error);
  if (!source) {
    err << "dulk: " << error << "\n";
    return 1;
  }
  auto watch = std::make_unique<LineWatch>(std::move(source));
  session.lines = watch.get();
  host.set_reply_source(std::move(watch));
  if (interactive) {
    host.transcript().print("dulk " DULK_VERSION ": type QUIT or press Ctrl-D to leave.");
    host.transcript().end_line();
  }

  if (options.fault) host.faults().arm(*options.fault);
  const int host_failures = host.command_loop();
  host.transcript().end_line();
  out.flush();
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
  bool ok = true;
  if (!options.output.empty()) {
    std::string why;
    std::vector<std::string> notes;
    if (!cad::save_dxf(host.db(), options.output, &why, &notes)) {
      err << "dulk: " << why << "\n";
      ok = false;
    }
    for (const std::string& note : notes) err << "dulk: " << options.output << ": " << note << "\n";
  }
  if (!options.svg.empty() || !options.png.empty()) ok = write_pictures(host, options, err) && ok;
  return ok ? 0 : 1;
}

}  // namespace dulk
