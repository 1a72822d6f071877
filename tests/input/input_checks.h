// Shared helpers of the input tests: a prompter over a script with a quiet transcript, and the
// replies a source gives, written out one per element for readable comparisons.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/input/prompter.h"
#include "cad/input/reply.h"
#include "cad/input/script_source.h"
#include "cad/input/transcript.h"

namespace cad::testing {

// A host's input layer in small: the script is the base source under a reply stack, as the host
// has it, so token lists can be laid over it.
struct Session {
  explicit Session(std::string_view script)
      : replies(std::make_unique<ScriptSource>(script, "test.scr")),
        transcript(nullptr),
        prompter(replies, transcript) {}

  ReplyStack replies;
  Transcript transcript;
  Prompter prompter;
};

// Each reply as one string: text replies as themselves in brackets, Enter as "[]", Esc as
// "^C", the end as "END"; stops after the first end.
inline std::vector<std::string> drain(ReplySource& source, bool spaces_end_reply = true) {
  std::vector<std::string> replies;
  for (;;) {
    const Reply reply = source.next(spaces_end_reply);
    switch (reply.kind) {
      case Reply::Kind::kEnd:
        replies.push_back("END");
        return replies;
      case Reply::Kind::kCancel:
        replies.push_back("^C");
        break;
      default:
        replies.push_back("[" + reply_text(reply) + "]");
    }
  }
}

}  // namespace cad::testing
