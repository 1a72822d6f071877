// The terminal through libedit. Ctrl-C is read as a key rather than a signal: the line editor
// leaves signal generation off while it edits, and the key is bound to accept the line as Esc.
// A SIGINT handler would not do: libedit retries a read that a signal interrupts.
#include "cad/input/terminal_source.h"

#include <histedit.h>
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <utility>

#include "cad/input/line_split.h"

namespace cad {

namespace {

constexpr int kHistorySize = 500;

TerminalSource* owner(EditLine* editor) {
  void* data = nullptr;
  el_get(editor, EL_CLIENTDATA, &data);
  return static_cast<TerminalSource*>(data);
}

}  // namespace

TerminalSource::TerminalSource(Transcript& transcript, FILE* out) : transcript_(transcript) {
  std::setlocale(LC_CTYPE, "");
  if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
  }
  transcript_.set_hold_open_line(true);
  history_ = history_init();
  HistEvent event;
  history(history_, &event, H_SETSIZE, kHistorySize);
  editor_ = el_init("dulk", stdin, out, stderr);
  el_set(editor_, EL_CLIENTDATA, this);
  el_set(editor_, EL_EDITOR, "emacs");
  el_set(editor_, EL_SIGNAL, 1);
  el_set(editor_, EL_PROMPT, &TerminalSource::prompt_of);
  el_set(editor_, EL_HIST, history, history_);
  el_set(editor_, EL_SETTY, "-d", "-isig", nullptr);
  // The wide form: libedit's narrow EL_ADDFN keeps a converted copy of the names it never frees.
  el_wset(editor_, EL_ADDFN, L"dulk-cancel", L"Cancel the prompt (Esc)",
          &TerminalSource::cancel_key);
  el_set(editor_, EL_BIND, "^C", "dulk-cancel", nullptr);
  el_wset(editor_, EL_ADDFN, L"dulk-end", L"Leave on an empty line, else delete a character",
          &TerminalSource::end_key);
  el_set(editor_, EL_BIND, "^D", "dulk-end", nullptr);
}

TerminalSource::~TerminalSource() {
  el_end(editor_);
  history_end(history_);
  transcript_.set_hold_open_line(false);
}

char* TerminalSource::prompt_of(EditLine* editor) { return owner(editor)->prompt_.data(); }

unsigned char TerminalSource::cancel_key(EditLine* editor, int) {
  owner(editor)->cancelled_ = true;
  return CC_NEWLINE;
}

// Ctrl-D as the emacs binding has it (the end on an empty line, else the character under the
// cursor deleted), with the key told apart from the end of the terminal's input.
unsigned char TerminalSource::end_key(EditLine* editor, int) {
  const LineInfo* line = el_line(editor);
  if (line->buffer == line->lastchar) {
    owner(editor)->end_pressed_ = true;
    return CC_EOF;
  }
  if (line->cursor == line->lastchar) return CC_ERROR;
  el_cursor(editor, 1);
  el_deletestr(editor, 1);
  return CC_REFRESH;
}

Reply TerminalSource::next(bool spaces_end_reply) {
  bool fresh = false;
  while (!line_ || pos_ > line_->size()) {
    if (ended_) {
      return end_reply(line_number_);
    }
    prompt_ = transcript_.take_open_line();
    cancelled_ = false;
    end_pressed_ = false;
    int count = 0;
    const char* text = el_gets(editor_, &count);
    ++line_number_;
    if (cancelled_) {
      line_.reset();
      return cancel_reply(line_number_);
    }
    if (text == nullptr || count <= 0) {
      ended_ = !end_pressed_;
      line_.reset();
      return end_reply(line_number_);
    }
    std::string line(text, static_cast<size_t>(count));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
      line.pop_back();
    }
    if (!line.empty()) {
      HistEvent event;
      history(history_, &event, H_ENTER, line.c_str());
    }
    line_ = std::move(line);
    pos_ = 0;
    fresh = true;
  }
  std::string text = take_reply(*line_, pos_, spaces_end_reply);
  if (text == "^C") {
    return cancel_reply(line_number_);
  }
  Reply reply = text_reply(std::move(text), line_number_);
  reply.shown = fresh;
  return reply;
}

}  // namespace cad
