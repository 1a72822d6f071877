// Reply values, their echo text, token lists and the stack that lays them over the base source.
#include "cad/input/reply.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <iterator>
#include <utility>

namespace cad {

Reply text_reply(std::string text, int line) {
  Reply reply;
  reply.text = std::move(text);
  reply.line = line;
  return reply;
}

Reply point_reply(Vec3 point) {
  Reply reply;
  reply.kind = Reply::Kind::kPoint;
  reply.point = point;
  return reply;
}

Reply real_reply(double value) {
  Reply reply;
  reply.kind = Reply::Kind::kReal;
  reply.number = value;
  return reply;
}

Reply int_reply(int64_t value) {
  Reply reply;
  reply.kind = Reply::Kind::kInt;
  reply.number = static_cast<double>(value);
  return reply;
}

Reply angle_reply(double degrees) {
  Reply reply;
  reply.kind = Reply::Kind::kAngle;
  reply.number = degrees;
  return reply;
}

Reply entity_reply(int64_t first, int64_t second) {
  Reply reply;
  reply.kind = Reply::Kind::kEntity;
  reply.entity[0] = first;
  reply.entity[1] = second;
  return reply;
}

Reply cancel_reply(int line) {
  Reply reply;
  reply.kind = Reply::Kind::kCancel;
  reply.line = line;
  return reply;
}

Reply end_reply(int line) {
  Reply reply;
  reply.kind = Reply::Kind::kEnd;
  reply.line = line;
  return reply;
}

std::string format_number(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string reply_text(const Reply& reply) {
  switch (reply.kind) {
    case Reply::Kind::kText:
      return reply.text;
    case Reply::Kind::kPoint: {
      std::string text = format_number(reply.point.x) + "," + format_number(reply.point.y);
      if (reply.point.z != 0) {
        text += "," + format_number(reply.point.z);
      }
      return text;
    }
    case Reply::Kind::kReal:
    case Reply::Kind::kInt:
    case Reply::Kind::kAngle:
      return format_number(reply.number);
    case Reply::Kind::kEntity: {
      char buffer[48];
      std::snprintf(buffer, sizeof buffer, "<Entity name: %" PRIx64 ">",
                    static_cast<uint64_t>(reply.entity[0]));
      return buffer;
    }
    case Reply::Kind::kCancel:
      return "*Cancel*";
    case Reply::Kind::kEnd:
      break;
  }
  return {};
}

TokenQueue::TokenQueue(std::vector<Reply> tokens) : tokens_(std::move(tokens)) {}

void TokenQueue::push(Reply reply) { tokens_.push_back(std::move(reply)); }

Reply TokenQueue::next(bool) {
  if (empty()) {
    return end_reply();
  }
  return std::move(tokens_[next_++]);
}

std::vector<Reply> TokenQueue::take_rest() {
  std::vector<Reply> rest(
      std::make_move_iterator(tokens_.begin() + static_cast<std::ptrdiff_t>(next_)),
      std::make_move_iterator(tokens_.end()));
  tokens_.clear();
  next_ = 0;
  return rest;
}

ReplyStack::ReplyStack(std::unique_ptr<ReplySource> base) : base_(std::move(base)) {}

void ReplyStack::set_base(std::unique_ptr<ReplySource> base) { base_ = std::move(base); }

void ReplyStack::push(std::vector<Reply> tokens) { queues_.emplace_back(std::move(tokens)); }

std::vector<Reply> ReplyStack::pop() {
  if (queues_.empty()) {
    return {};
  }
  std::vector<Reply> rest = queues_.back().take_rest();
  queues_.pop_back();
  return rest;
}

Reply ReplyStack::next(bool spaces_end_reply) {
  if (!queues_.empty()) {
    return queues_.back().next(spaces_end_reply);
  }
  if (!base_) {
    return end_reply();
  }
  return base_->next(spaces_end_reply);
}

bool ReplyStack::interactive() const { return queues_.empty() && base_ && base_->interactive(); }

ReplyStack::Scope::Scope(ReplyStack& stack, std::vector<Reply> tokens) : stack_(stack) {
  stack_.push(std::move(tokens));
}

ReplyStack::Scope::~Scope() { close(); }

std::vector<Reply> ReplyStack::Scope::close() {
  if (!open_) {
    return {};
  }
  open_ = false;
  return stack_.pop();
}

}  // namespace cad
