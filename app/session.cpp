#include "app/session.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

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

std::string exe_folder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

// What the session keeps beside the host: the file names it may write.
struct Files {
  std::string input;   // the drawing read, or empty
  std::string output;  // -o, or empty
};

// Writes over the input drawing only when -o named it: a slip at the SAVE prompt must never cost
// the user the drawing they opened.
bool may_write(const Files& files, const std::string& path, std::string* error) {
  if (files.input.empty() || !same_file(files.input, path)) return true;
  if (!files.output.empty() && same_file(files.output, path)) return true;
  *error = "not writing over the opened drawing " + path + " (name it with -o to allow that)";
  return false;
}

bool save_as(cad::Host& host, const Files& files, const std::string& path) {
  std::string error;
  if (!may_write(files, path, &error) || !cad::save_dxf(host.db(), path, &error)) {
    host.transcript().print("\nCannot save: " + error);
    return false;
  }
  host.transcript().print("\nSaved " + path);
  return true;
}

void register_file_commands(cad::Host& host, const Files& files) {
  auto save_prompted = [&host, &files](bool ask_always) {
    std::string name = files.output.empty() ? files.input : files.output;
    if (ask_always || name.empty()) {
      std::string prompt = "\nSave drawing as";
      if (!name.empty()) prompt += " <" + name + ">";
      prompt += ": ";
      cad::Answer answer = host.prompter().get_string(prompt, true);
      if (answer.status == cad::kRtCan) throw cad::CommandCancelled{};
      if (!answer.text.empty()) name = answer.text;
    }
    if (name.empty()) {
      host.transcript().print("\nNo file name given; nothing saved.");
      return;
    }
    save_as(host, files, name);
  };
  host.commands().add({"DULK", "SAVE", "SAVE", 0, [save_prompted] { save_prompted(false); }, true});
  host.commands().add(
      {"DULK", "SAVEAS", "SAVEAS", 0, [save_prompted] { save_prompted(true); }, true});
  host.commands().add({"DULK", "QUIT", "QUIT", 0, [&host] { host.request_quit(); }, true});
}

bool write_pictures(cad::Host& host, const Options& options, std::ostream& err) {
  bool ok = true;
  std::string svg = cad::render_svg(host.db(), cad::SvgOptions{});
  auto write_text = [&](const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    file << svg;
    file.close();
    if (!file) {
      err << "dulk: cannot write " << path << "\n";
      ok = false;
    }
    return static_cast<bool>(file);
  };
  if (!options.svg.empty()) write_text(options.svg);
  if (!options.png.empty()) {
    std::string svg_path = options.svg;
    if (svg_path.empty()) {
      svg_path = options.png + ".svg";
      if (!write_text(svg_path)) return false;
    }
    std::string error;
    if (!cad::write_png(svg_path, options.png, &error)) {
      err << "dulk: " << error << "\n";
      ok = false;
    }
    if (options.svg.empty()) std::remove(svg_path.c_str());
  }
  return ok;
}

}  // namespace

int run_session(const Options& options, std::ostream& out, std::ostream& err) {
  cad::Host host;
  cad::set_current_host(&host);
  struct ResetHost {
    ~ResetHost() { cad::set_current_host(nullptr); }
  } reset_host;
  host.transcript().set_output(options.quiet ? nullptr : &out);
  cad::register_builtins(host);

  Files files{options.drawing, options.output};
  if (!options.drawing.empty()) {
    cad::ReadResult read = cad::read_dxf_file(options.drawing);
    if (!read.db) {
      err << "dulk: " << options.drawing << ": " << read.error << "\n";
      return 1;
    }
    for (const std::string& note : read.notes) host.transcript().print("\n" + note);
    host.set_db(std::move(read.db));
  }
  register_file_commands(host, files);

  if (!options.no_module) {
    std::string path = options.module.empty() ? exe_folder() + "/DulkArx.arx" : options.module;
    std::string error;
    if (!host.modules().load(path, &error)) {
      err << "dulk: " << error << "\n";
      return 1;
    }
  }

  std::unique_ptr<cad::ReplySource> source;
  if (!options.script.empty()) {
    std::string error;
    auto script = cad::ScriptSource::open(options.script, error);
    if (!script) {
      err << "dulk: " << error << "\n";
      return 1;
    }
    source = std::move(script);
  } else if (isatty(STDIN_FILENO)) {
    source = std::make_unique<cad::TerminalSource>(host.transcript());
  } else {
    std::stringstream text;
    text << std::cin.rdbuf();
    source = std::make_unique<cad::ScriptSource>(text.str(), "<stdin>");
  }
  host.set_reply_source(std::move(source));
  int failures = host.command_loop();
  host.transcript().end_line();

  bool ok = failures == 0;
  if (!options.output.empty()) {
    std::string error;
    if (!may_write(files, options.output, &error) ||
        !cad::save_dxf(host.db(), options.output, &error)) {
      err << "dulk: cannot save " << options.output << ": " << error << "\n";
      ok = false;
    }
  }
  if (!options.svg.empty() || !options.png.empty()) ok = write_pictures(host, options, err) && ok;
  host.modules().unload_all();
  if (failures > 0) err << "dulk: " << failures << " failure(s) in the script\n";
  return ok ? 0 : 1;
}

}  // namespace dulk
