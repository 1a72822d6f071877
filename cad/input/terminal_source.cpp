// The terminal through libedit. Ctrl-C is read as a key rather than a signal: the line editor
// leaves signal generation off while it edits, and the key is bound to accept the line as Esc.
// A SIGINT handler would not do: libedit retries a read that a signal interrupts.
//
// libedit takes Esc for the start of a key's sequence (or a meta prefix) and waits for the next
// key, which it then swallows. Keys are therefore read here: an Esc followed at once by "[" or
// "O" begins a sequence (terminals send a key's sequence in one piece); any other Esc is handed
// on as Ctrl-C, the cancel key.
#include "cad/input/terminal_source.h"

#include <histedit.h>
#include <langinfo.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <utility>

#include "cad/input/line_split.h"

namespace cad {

namespace {

constexpr int kHistorySize = 500;
constexpr int kEsc = 0x1b;
constexpr wchar_t kCancelKey = 0x03;
// How long the rest of a key's sequence may take to follow its Esc.
constexpr int kSequencePauseMs = 50;

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
  el_wset(editor_, EL_ADDFN, L"dulk-help", L"Show help (F1)", &TerminalSource::help_key);
  // F1 as xterm, rxvt and the Linux console send it.
  for (const char* f1 : {"\033OP", "\033[11~", "\033[[A"})
    el_set(editor_, EL_BIND, f1, "dulk-help", nullptr);
  input_fd_ = fileno(stdin);
  el_wset(editor_, EL_GETCFN, &TerminalSource::read_key);
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

unsigned char TerminalSource::help_key(EditLine* editor, int) {
  owner(editor)->helped_ = true;
  // The line editor leaves the cursor behind what was typed; the help begins on a line of its own.
  FILE* out = nullptr;
  if (el_get(editor, EL_GETFP, 1, &out) == 0 && out) {
    std::fputc('\n', out);
    std::fflush(out);
  }
  return CC_NEWLINE;
}

int TerminalSource::next_byte(int pause_ms) {
  if (pending_ >= 0) return std::exchange(pending_, -1);
  if (pause_ms >= 0) {
    pollfd ready{input_fd_, POLLIN, 0};
    if (poll(&ready, 1, pause_ms) <= 0) return -1;
  }
  unsigned char byte = 0;
  for (;;) {
    const ssize_t n = read(input_fd_, &byte, 1);
    if (n == 1) return byte;
    if (n < 0 && errno == EINTR) continue;
    return -1;
  }
}

int TerminalSource::read_key(EditLine* editor, wchar_t* key) {
  TerminalSource* self = owner(editor);
  *key = 0;
  for (;;) {
    const int first = self->next_byte();
    if (first < 0) return 0;
    if (first == kEsc) {
      const int next = self->next_byte(kSequencePauseMs);
      self->pending_ = next;
      *key = next == '[' || next == 'O' ? kEsc : kCancelKey;
      return 1;
    }
    // UTF-8: the bytes of one character come together; a broken one is dropped, as libedit does.
    char bytes[MB_LEN_MAX];
    size_t count = 0;
    bytes[count++] = static_cast<char>(first);
    std::mbstate_t state{};
    for (;;) {
      const size_t got = std::mbrtowc(key, bytes, count, &state);
      if (got == static_cast<size_t>(-2) && count < sizeof bytes) {
        const int more = self->next_byte();
        if (more < 0) return 0;
        bytes[count++] = static_cast<char>(more);
        state = {};
        continue;
      }
      if (got == static_cast<size_t>(-1) || got == static_cast<size_t>(-2)) break;
      return 1;
    }
  }
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
    helped_ = false;
    int count = 0;
    const char* text = el_gets(editor_, &count);
    if (helped_) {
      // The help, then the same prompt with what was typed so far.
      std::string typed(text ? text : "", text ? static_cast<size_t>(count) : 0);
      while (!typed.empty() && (typed.back() == '\n' || typed.back() == '\r')) typed.pop_back();
      transcript_.typed(typed);
      if (help_) help_();
      transcript_.end_line();
      transcript_.print(prompt_);
      if (!typed.empty()) el_push(editor_, typed.c_str());
      continue;
    }
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
