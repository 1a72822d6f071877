// The host's prompts: points, distances, angles, keywords, numbers, texts and picks, read from
// the reply source with the rules of the host's input functions (acedInitGet, acedGetPoint...).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/geom/vec.h"
#include "cad/input/keywords.h"
#include "cad/input/reply.h"
#include "cad/input/transcript.h"

namespace cad {

// Status values of the host interface.
inline constexpr int kRtNorm = 5100;
inline constexpr int kRtNone = 5000;  // Enter
inline constexpr int kRtError = -5001;
inline constexpr int kRtCan = -5002;  // Esc
inline constexpr int kRtKword = -5005;

// Flags of acedInitGet.
inline constexpr int kInitNoEmpty = 1;
inline constexpr int kInitNoZero = 2;
inline constexpr int kInitNoNegative = 4;
inline constexpr int kInitNoLimits = 8;  // a headless host checks no limits anyway
inline constexpr int kInitDashed = 32;   // rubber band look only
inline constexpr int kInit2D = 64;       // distances from two points ignore Z
inline constexpr int kInitArbitrary = 128;

struct Answer {
  int status = kRtError;
  // get_point, get_pick (a point to be picked at by the caller).
  Vec3 point;
  // get_dist, get_angle (radians), get_real.
  double real = 0;
  // get_int.
  int64_t integer = 0;
  // get_kword, get_string; the keyword after kRtKword.
  std::string text;
  // get_pick, when is_entity.
  int64_t entity[2] = {0, 0};
  bool is_entity = false;
};

// Thrown when the reply source has ended while a prompt waits: a closed script or an exhausted
// token list never answers, so the running command has to end.
struct InputEnded {
  int line = 0;            // the script's last line
  bool in_tokens = false;  // a scripted command's token list ran out, not the base source
};

// A reply a prompt could not take; the prompt printed the message and asked again.
struct Refusal {
  int line = 0;
  std::string reply;
  std::string message;
};

// What every input call does:
//   - shows its prompt, reads one reply and shows it after the prompt (the terminal shows what a
//     person types itself; replies from a token list only while the transcript's echo is on);
//   - Esc answers kRtCan; Enter answers kRtNone and last_input() is then " " (with
//     kInitNoEmpty Enter is refused);
//   - a value the prompt takes answers kRtNorm; a reply that picks an armed keyword answers
//     kRtKword and last_input() is the keyword (see KeywordList::match); with kInitArbitrary any
//     other text answers kRtKword and last_input() is the text as typed;
//   - anything else is refused: the prompt prints its message and asks again;
//   - the end of input throws InputEnded.
// Values come first: a reply that is a valid value is never taken as a keyword.
class Prompter {
 public:
  Prompter(ReplySource& source, Transcript& transcript);

  // Arms flags and keywords for the next input call only.
  void init_get(int flags, std::string_view keywords);

  // A point in the current UCS (see parse_point; a kPoint token as it is). The base point of
  // acedGetPoint only anchors a rubber band, which a headless host does not draw, so there is
  // none here. Sets last_point().
  Answer get_point(std::string_view prompt);
  // A number, or a point: the distance from base (2D with kInit2D); without a base the point is
  // the first of two and "Specify second point: " asks for the other. kReal and kInt tokens are
  // numbers. kInitNoZero and kInitNoNegative apply.
  Answer get_dist(std::string_view prompt, std::optional<Vec3> base);
  // A number of degrees (also kAngle, kReal and kInt tokens), or a point: the direction from
  // base (or from a first point, as get_dist). The answer is in radians, counter-clockwise from
  // the UCS X axis, in [0, 2 pi). The host keeps ANGBASE 0 and ANGDIR counter-clockwise, so
  // acedGetAngle and acedGetOrient measure alike and both use this.
  Answer get_angle(std::string_view prompt, std::optional<Vec3> base);
  // One of the armed keywords; kRtNorm with the keyword in text (kInitArbitrary: any text).
  Answer get_kword(std::string_view prompt);
  // Text; with allow_spaces the rest of the line, blanks included. Enter gives kRtNorm and an
  // empty text, as acedGetString does. Armed flags and keywords are used up and do not apply.
  Answer get_string(std::string_view prompt, bool allow_spaces);
  // A whole number within the host's 16-bit range.
  Answer get_int(std::string_view prompt);
  Answer get_real(std::string_view prompt);
  // An entity token (is_entity), or a point that the caller picks at.
  Answer get_pick(std::string_view prompt);

  // The keyword (or arbitrary text) after kRtKword, " " after Enter, empty otherwise.
  const std::string& last_input() const { return last_input_; }

  // The host's LASTPOINT: the base of relative points, set by every point reply.
  Vec3 last_point() const { return last_point_; }
  void set_last_point(Vec3 point) { last_point_ = point; }

  // Replies refused since the last clear, in order (a script that gives one has failed).
  const std::vector<Refusal>& refusals() const { return refusals_; }
  void clear_refusals() { refusals_.clear(); }

  ReplySource& source() { return source_; }
  Transcript& transcript() { return transcript_; }

 private:
  struct Armed {
    int flags = 0;
    // As given: taken apart only when a reply is no value, which most replies are.
    std::string keywords;
  };
  // What the prompt makes of a reply: nullopt when it is no value of its kind; a refusal
  // message set means a value the flags do not allow.
  struct Taken {
    std::optional<Answer> answer;
    std::string refusal;
  };

  Armed take_armed();
  Reply ask(std::string_view prompt, bool spaces_end_reply);
  void refuse(const Reply& reply, std::string_view message);
  template <class TakeValue>
  Answer run(std::string_view prompt, const Armed& armed, std::string_view message,
             TakeValue take_value);
  std::optional<Vec3> point_of(const Reply& reply);
  // The second of two points, after the first became the last point; nullopt on Esc.
  std::optional<Vec3> second_point();
  // The two points a distance or an angle is measured between: from the base (or the reply's
  // point) to the reply's point (or a second point asked for). Nothing when the reply is no
  // point; cancelled when Esc answered the second point.
  struct Leg {
    std::optional<std::pair<Vec3, Vec3>> ends;
    bool cancelled = false;
  };
  Leg leg_of(const Reply& reply, std::optional<Vec3> base);

  ReplySource& source_;
  Transcript& transcript_;
  Armed armed_;
  std::string last_input_;
  Vec3 last_point_;
  std::vector<Refusal> refusals_;
};

}  // namespace cad
