// The input calls: one loop that shows the prompt, reads a reply and either answers or refuses
// it; each call only says which values it takes.
#include "cad/input/prompter.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "cad/input/parse.h"

namespace cad {

namespace {

constexpr std::string_view kPointRequired = "Point or option keyword required.";
constexpr std::string_view kDistanceRequired = "Requires numeric distance or two points.";
constexpr std::string_view kAngleRequired = "Requires valid numeric angle or second point.";
constexpr std::string_view kKeywordInvalid = "Invalid option keyword.";
constexpr std::string_view kIntegerRequired = "Requires an integer value.";
constexpr std::string_view kIntegerRange = "Requires an integer between -32768 and 32767.";
constexpr std::string_view kNumberRequired = "Requires numeric value.";
constexpr std::string_view kTextRequired = "Requires a text value.";
constexpr std::string_view kPointInvalid = "Invalid point.";
constexpr std::string_view kSecondPointPrompt = "\nSpecify second point: ";

constexpr double kFullTurn = 2 * std::numbers::pi;

Answer status_answer(int status) {
  Answer answer;
  answer.status = status;
  return answer;
}

Answer real_answer(double value) {
  Answer answer = status_answer(kRtNorm);
  answer.real = value;
  return answer;
}

// The message for a value kInitNoZero or kInitNoNegative forbids; empty when it is allowed.
std::string sign_refusal(int flags, double value) {
  const bool no_zero = (flags & kInitNoZero) != 0;
  const bool no_negative = (flags & kInitNoNegative) != 0;
  if (!(no_zero && value == 0) && !(no_negative && value < 0)) {
    return {};
  }
  if (no_zero && no_negative) {
    return "Value must be positive and nonzero.";
  }
  return no_zero ? "Value must be nonzero." : "Value must be positive.";
}

double normalized_angle(double radians) {
  double angle = std::fmod(radians, kFullTurn);
  if (angle < 0) {
    angle += kFullTurn;
  }
  // fmod of a tiny negative angle plus a full turn rounds up to the full turn itself.
  return angle >= kFullTurn ? 0 : angle;
}

// A number a reply holds: a number token, or text that reads as one. Angle tokens count only
// where an angle is asked for. NaN and infinity are no numbers, whichever way they come.
std::optional<double> number_of(const Reply& reply, bool angle_tokens) {
  std::optional<double> number;
  switch (reply.kind) {
    case Reply::Kind::kReal:
    case Reply::Kind::kInt:
      number = reply.number;
      break;
    case Reply::Kind::kAngle:
      if (angle_tokens) number = reply.number;
      break;
    case Reply::Kind::kText:
      number = parse_real(reply.text);
      break;
    default:
      break;
  }
  return number && std::isfinite(*number) ? number : std::nullopt;
}

}  // namespace

Prompter::Prompter(ReplySource& source, Transcript& transcript)
    : source_(source), transcript_(transcript) {}

void Prompter::init_get(int flags, std::string_view keywords) {
  armed_.flags = flags;
  armed_.keywords = keywords;
}

Prompter::Armed Prompter::take_armed() { return std::exchange(armed_, Armed{}); }

Reply Prompter::ask(std::string_view prompt, bool spaces_end_reply) {
  // CMDECHO 0 hides a scripted command's dialogue: its prompts as well as its tokens.
  const bool quiet = source_.from_tokens() && !transcript_.echo();
  if (!quiet) {
    transcript_.print(prompt);
  }
  Reply reply = source_.next(spaces_end_reply);
  if (reply.kind == Reply::Kind::kEnd) {
    throw InputEnded{reply.line, source_.from_tokens()};
  }
  if (quiet) {
    return reply;
  }
  if (reply.shown) {
    transcript_.typed(reply_text(reply));
  } else {
    transcript_.print(reply_text(reply));
    transcript_.end_line();
  }
  return reply;
}

void Prompter::refuse(const Reply& reply, std::string_view message) {
  transcript_.print("\n" + std::string(message));
  transcript_.end_line();
  refusals_.push_back({reply.line, reply_text(reply), std::string(message)});
}

template <class TakeValue>
Answer Prompter::run(std::string_view prompt, const Armed& armed, std::string_view message,
                     TakeValue take_value) {
  for (;;) {
    const Reply reply = ask(prompt, true);
    if (reply.kind == Reply::Kind::kCancel) {
      last_input_.clear();
      return status_answer(kRtCan);
    }
    if (reply.kind == Reply::Kind::kText && reply.text.empty()) {
      if ((armed.flags & kInitNoEmpty) != 0) {
        refuse(reply, message);
        continue;
      }
      last_input_ = " ";
      return status_answer(kRtNone);
    }
    const Taken taken = take_value(reply);
    if (taken.answer) {
      last_input_.clear();
      return *taken.answer;
    }
    if (!taken.refusal.empty()) {
      refuse(reply, taken.refusal);
      continue;
    }
    if (reply.kind == Reply::Kind::kText) {
      std::optional<std::string> keyword = parse_keyword_match(armed.keywords, reply.text);
      if (!keyword && (armed.flags & kInitArbitrary) != 0) {
        keyword = reply.text;
      }
      if (keyword) {
        last_input_ = *keyword;
        Answer answer = status_answer(kRtKword);
        answer.text = *keyword;
        return answer;
      }
    }
    refuse(reply, message);
  }
}

std::optional<Vec3> Prompter::point_of(const Reply& reply) {
  std::optional<Vec3> point;
  if (reply.kind == Reply::Kind::kPoint) {
    point = reply.point;
  } else if (reply.kind == Reply::Kind::kText) {
    point = parse_point(reply.text, last_point_);
  }
  // A point token may hold anything, and a relative point may run beyond the range of a double.
  if (point && !all_finite(*point)) point.reset();
  if (point) {
    last_point_ = *point;
  }
  return point;
}

std::optional<Vec3> Prompter::second_point() {
  for (;;) {
    const Reply reply = ask(kSecondPointPrompt, true);
    if (reply.kind == Reply::Kind::kCancel) {
      return std::nullopt;
    }
    if (const auto point = point_of(reply)) {
      return point;
    }
    refuse(reply, kPointInvalid);
  }
}

Answer Prompter::get_point(std::string_view prompt) {
  const Armed armed = take_armed();
  return run(prompt, armed, kPointRequired, [&](const Reply& reply) {
    Taken taken;
    if (const auto point = point_of(reply)) {
      taken.answer = status_answer(kRtNorm);
      taken.answer->point = *point;
    }
    return taken;
  });
}

Prompter::Leg Prompter::leg_of(const Reply& reply, std::optional<Vec3> base) {
  Leg leg;
  const auto point = point_of(reply);
  if (!point) return leg;
  if (base) {
    leg.ends = std::pair(*base, *point);
    return leg;
  }
  const auto second = second_point();
  if (!second) {
    leg.cancelled = true;
    return leg;
  }
  leg.ends = std::pair(*point, *second);
  return leg;
}

Answer Prompter::get_dist(std::string_view prompt, std::optional<Vec3> base) {
  const Armed armed = take_armed();
  return run(prompt, armed, kDistanceRequired, [&](const Reply& reply) {
    Taken taken;
    std::optional<double> value = number_of(reply, false);
    if (!value) {
      const Leg leg = leg_of(reply, base);
      if (leg.cancelled) taken.answer = status_answer(kRtCan);
      if (!leg.ends) return taken;
      auto [from, to] = *leg.ends;
      if ((armed.flags & kInit2D) != 0) {
        from.z = to.z;
      }
      value = distance(from, to);
      // Points far apart on both sides of the origin may lie beyond a distance's range.
      if (!std::isfinite(*value)) return taken;
    }
    taken.refusal = sign_refusal(armed.flags, *value);
    if (taken.refusal.empty()) {
      taken.answer = real_answer(*value);
    }
    return taken;
  });
}

Answer Prompter::get_angle(std::string_view prompt, std::optional<Vec3> base) {
  const Armed armed = take_armed();
  return run(prompt, armed, kAngleRequired, [&](const Reply& reply) {
    Taken taken;
    if (const auto degrees = number_of(reply, true)) {
      taken.answer = real_answer(normalized_angle(*degrees * std::numbers::pi / 180.0));
      return taken;
    }
    const Leg leg = leg_of(reply, base);
    if (leg.cancelled) taken.answer = status_answer(kRtCan);
    if (!leg.ends) return taken;
    const auto [from, to] = *leg.ends;
    taken.answer = real_answer(normalized_angle(std::atan2(to.y - from.y, to.x - from.x)));
    return taken;
  });
}

Answer Prompter::get_kword(std::string_view prompt) {
  const Armed armed = take_armed();
  Answer answer = run(prompt, armed, kKeywordInvalid, [](const Reply&) { return Taken{}; });
  if (answer.status == kRtKword) {
    answer.status = kRtNorm;
  }
  return answer;
}

Answer Prompter::get_string(std::string_view prompt, bool allow_spaces) {
  take_armed();
  for (;;) {
    const Reply reply = ask(prompt, !allow_spaces);
    if (reply.kind == Reply::Kind::kCancel) {
      last_input_.clear();
      return status_answer(kRtCan);
    }
    if (reply.kind == Reply::Kind::kEntity) {
      refuse(reply, kTextRequired);
      continue;
    }
    last_input_.clear();
    Answer answer = status_answer(kRtNorm);
    answer.text = reply_text(reply);
    return answer;
  }
}

Answer Prompter::get_int(std::string_view prompt) {
  const Armed armed = take_armed();
  return run(prompt, armed, kIntegerRequired, [&](const Reply& reply) {
    Taken taken;
    std::optional<int64_t> value;
    if (reply.kind == Reply::Kind::kText) {
      value = parse_int(reply.text);
    } else if ((reply.kind == Reply::Kind::kInt || reply.kind == Reply::Kind::kReal) &&
               std::trunc(reply.number) == reply.number && std::abs(reply.number) < 1e18) {
      value = static_cast<int64_t>(reply.number);
    }
    if (!value) {
      return taken;
    }
    if (*value < -32768 || *value > 32767) {
      taken.refusal = kIntegerRange;
      return taken;
    }
    taken.refusal = sign_refusal(armed.flags, static_cast<double>(*value));
    if (taken.refusal.empty()) {
      taken.answer = status_answer(kRtNorm);
      taken.answer->integer = *value;
    }
    return taken;
  });
}

Answer Prompter::get_real(std::string_view prompt) {
  const Armed armed = take_armed();
  return run(prompt, armed, kNumberRequired, [&](const Reply& reply) {
    Taken taken;
    const std::optional<double> value = number_of(reply, false);
    if (!value) {
      return taken;
    }
    taken.refusal = sign_refusal(armed.flags, *value);
    if (taken.refusal.empty()) {
      taken.answer = real_answer(*value);
    }
    return taken;
  });
}

Answer Prompter::get_pick(std::string_view prompt) {
  const Armed armed = take_armed();
  return run(prompt, armed, kPointRequired, [&](const Reply& reply) {
    Taken taken;
    if (reply.kind == Reply::Kind::kEntity) {
      taken.answer = status_answer(kRtNorm);
      taken.answer->entity[0] = reply.entity[0];
      taken.answer->entity[1] = reply.entity[1];
      taken.answer->is_entity = true;
    } else if (const auto point = point_of(reply)) {
      taken.answer = status_answer(kRtNorm);
      taken.answer->point = *point;
    }
    return taken;
  });
}

}  // namespace cad
