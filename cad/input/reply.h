// Replies: what reaches the host from a person, a script or a command's token list, one at a
// time, and the sources that hand them out. Every input call of the host reads from one source.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cad/geom/vec.h"

namespace cad {

struct Reply {
  enum class Kind { kText, kPoint, kReal, kInt, kAngle, kEntity, kCancel, kEnd };

  Kind kind = Kind::kText;
  // kText: what was typed; the empty text is Enter.
  std::string text;
  // kPoint.
  Vec3 point;
  // kReal, kInt (a whole number), kAngle (degrees, as the host's scripted commands hand
  // RTANG values: "_ucs" "_z" gets the angle in degrees).
  double number = 0;
  // kEntity: an entity name.
  int64_t entity[2] = {0, 0};
  // The script or terminal line the reply came from (1 = first); 0 for tokens.
  int line = 0;
  // The terminal shows it already: the person typed it right after the prompt.
  bool shown = false;
};

Reply text_reply(std::string text, int line = 0);
Reply point_reply(Vec3 point);
Reply real_reply(double value);
Reply int_reply(int64_t value);
Reply angle_reply(double degrees);
Reply entity_reply(int64_t first, int64_t second);
Reply cancel_reply(int line = 0);
Reply end_reply(int line = 0);

// A reply as the command line shows it after a prompt: the text as typed, numbers in their
// shortest exact form, points as "x,y" (z only when not 0), Enter as nothing, Esc as "*Cancel*".
std::string reply_text(const Reply& reply);

// Shortest text that reads back as the same double ("0.1", "2", "1e+21").
std::string format_number(double value);

class ReplySource {
 public:
  virtual ~ReplySource() = default;
  // The next reply. With spaces_end_reply false a blank is part of the reply (text prompts take
  // the rest of the line). A source that has ended answers kEnd on every further call.
  virtual Reply next(bool spaces_end_reply) = 0;
  // A person answers (as opposed to a script or a token list).
  virtual bool interactive() const { return false; }
  // The replies come from a command's token list, whose echo CMDECHO governs.
  virtual bool from_tokens() const { return false; }
};

// Typed replies a scripted command was given (acedCommandS: RTSTR as kText, RTPOINT as kPoint,
// RTREAL as kReal, RTSHORT as kInt, RTANG as kAngle, RTENAME as kEntity).
class TokenQueue : public ReplySource {
 public:
  TokenQueue() = default;
  explicit TokenQueue(std::vector<Reply> tokens);

  void push(Reply reply);
  // The tokens in order; kEnd once they are used up.
  Reply next(bool spaces_end_reply) override;
  bool from_tokens() const override { return true; }
  bool empty() const { return next_ == tokens_.size(); }
  std::vector<Reply> take_rest();

 private:
  // Tokens before next_ are used; a scripted command's few tokens need no deque.
  std::vector<Reply> tokens_;
  size_t next_ = 0;
};

// The host's reply source: the base source (terminal or script), with the token lists of running
// scripted commands laid over it. While a list is laid over, replies come from it alone, and an
// exhausted list answers kEnd (the list ended inside its command) instead of reading the base.
class ReplyStack : public ReplySource {
 public:
  ReplyStack() = default;
  explicit ReplyStack(std::unique_ptr<ReplySource> base);

  // Without a base source every reply is kEnd.
  void set_base(std::unique_ptr<ReplySource> base);
  ReplySource* base() const { return base_.get(); }

  void push(std::vector<Reply> tokens);
  // Removes the top list; returns the tokens its command left unread.
  std::vector<Reply> pop();
  size_t depth() const { return queues_.size(); }

  Reply next(bool spaces_end_reply) override;
  bool interactive() const override;
  bool from_tokens() const override { return !queues_.empty(); }

  // Lays a token list over the replies for the time of one scripted command, and takes it away
  // again however the command ends (an exception unwinding it included).
  class Scope {
   public:
    Scope(ReplyStack& stack, std::vector<Reply> tokens);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    // Takes the list away now; returns the tokens left unread.
    std::vector<Reply> close();

   private:
    ReplyStack& stack_;
    bool open_ = true;
  };

 private:
  std::unique_ptr<ReplySource> base_;
  std::vector<TokenQueue> queues_;
};

}  // namespace cad
