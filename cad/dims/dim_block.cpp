// A dimension is laid out along its line first: where the text goes and how it turns, whether
// text and arrowheads fit between the extension lines, which pieces of dimension line are drawn.
// Positions along the line are distances from where it meets the first extension line; the
// records are made last, in the dimension's plane.
#include "cad/dims/dim_block.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "cad/dims/dim_arrows.h"
#include "cad/dims/dim_text.h"
#include "cad/dims/drawing_records.h"
#include "cad/geom/coords.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

constexpr int kLineweightByLayer = -1;
// Below this a direction or a distance counts as none.
constexpr double kTiny = 1e-12;

// The dimension variables read here, looked up by name once.
struct Vars {
  size_t scale = DimStyleValues::index_of("DIMSCALE");
  size_t asz = DimStyleValues::index_of("DIMASZ");
  size_t tsz = DimStyleValues::index_of("DIMTSZ");
  size_t txt = DimStyleValues::index_of("DIMTXT");
  size_t gap = DimStyleValues::index_of("DIMGAP");
  size_t exo = DimStyleValues::index_of("DIMEXO");
  size_t exe = DimStyleValues::index_of("DIMEXE");
  size_t dle = DimStyleValues::index_of("DIMDLE");
  size_t fxl = DimStyleValues::index_of("DIMFXL");
  size_t fxlon = DimStyleValues::index_of("DIMFXLON");
  size_t tad = DimStyleValues::index_of("DIMTAD");
  size_t just = DimStyleValues::index_of("DIMJUST");
  size_t tih = DimStyleValues::index_of("DIMTIH");
  size_t toh = DimStyleValues::index_of("DIMTOH");
  size_t tvp = DimStyleValues::index_of("DIMTVP");
  size_t txsty = DimStyleValues::index_of("DIMTXSTY");
  size_t tix = DimStyleValues::index_of("DIMTIX");
  size_t soxd = DimStyleValues::index_of("DIMSOXD");
  size_t tofl = DimStyleValues::index_of("DIMTOFL");
  size_t tmove = DimStyleValues::index_of("DIMTMOVE");
  size_t atfit = DimStyleValues::index_of("DIMATFIT");
  size_t blk = DimStyleValues::index_of("DIMBLK");
  size_t blk1 = DimStyleValues::index_of("DIMBLK1");
  size_t blk2 = DimStyleValues::index_of("DIMBLK2");
  size_t sah = DimStyleValues::index_of("DIMSAH");
  size_t se1 = DimStyleValues::index_of("DIMSE1");
  size_t se2 = DimStyleValues::index_of("DIMSE2");
  size_t sd1 = DimStyleValues::index_of("DIMSD1");
  size_t sd2 = DimStyleValues::index_of("DIMSD2");
  size_t clrd = DimStyleValues::index_of("DIMCLRD");
  size_t clre = DimStyleValues::index_of("DIMCLRE");
  size_t clrt = DimStyleValues::index_of("DIMCLRT");
  size_t lwd = DimStyleValues::index_of("DIMLWD");
  size_t lwe = DimStyleValues::index_of("DIMLWE");
};

const Vars& vars() {
  static const Vars v;
  return v;
}

// Colour and lineweight of a part of the dimension.
struct Pen {
  int64_t color = kColorByLayer;
  int64_t lineweight = kLineweightByLayer;
};

// Draws into one block in the dimension's plane: 2D object coordinates in, records out.
class Painter {
 public:
  Painter(Database& db, size_t block, std::string layer, Vec3 extrusion, double elevation)
      : db_(db),
        block_(block),
        layer_(std::move(layer)),
        extrusion_(extrusion),
        elevation_(elevation),
        tilted_(normalized(extrusion) != Vec3{0, 0, 1}),
        axes_(ocs_axes(extrusion)) {}

  // As ocs_to_world, with the plane's axes found once for every point of the block.
  Vec3 world(Vec2 p) const {
    const Vec3 q = with_z(p, elevation_);
    return axes_.x * q.x + axes_.y * q.y + axes_.z * q.z;
  }

  void line(Vec2 from, Vec2 to, Pen pen) {
    Record rec = entity("LINE", pen, 2);
    rec.groups.push_back(Group::point(10, world(from)));
    rec.groups.push_back(Group::point(11, world(to)));
    db_.add_block_entity(block_, std::move(rec));
  }

  // A closed filled arrow with its tip at tip, pointing along direction.
  void arrow(Vec2 tip, Vec2 direction, double size, Pen pen) {
    const Vec2 base = tip - direction * size;
    const Vec2 half = perp(direction) * (size / 6);
    Record rec = entity("SOLID", pen, 5);
    rec.groups.push_back(Group::point(10, with_z(base + half, elevation_)));
    rec.groups.push_back(Group::point(11, with_z(base - half, elevation_)));
    rec.groups.push_back(Group::point(12, with_z(tip, elevation_)));
    rec.groups.push_back(Group::point(13, with_z(tip, elevation_)));
    if (tilted_) rec.groups.push_back(Group::point(210, extrusion_));
    db_.add_block_entity(block_, std::move(rec));
  }

  // An arrowhead block, its tip at tip and pointing along direction, scaled to size.
  void insert(const std::string& name, Vec2 tip, Vec2 direction, double size, Pen pen) {
    Record rec = entity("INSERT", pen, 7);
    rec.groups.push_back(Group::text(2, name));
    rec.groups.push_back(Group::point(10, with_z(tip, elevation_)));
    rec.groups.push_back(Group::real(41, size));
    rec.groups.push_back(Group::real(42, size));
    rec.groups.push_back(Group::real(43, size));
    rec.groups.push_back(Group::real(50, std::atan2(direction.y, direction.x)));
    if (tilted_) rec.groups.push_back(Group::point(210, extrusion_));
    db_.add_block_entity(block_, std::move(rec));
  }

  void text(Vec2 at, Vec2 direction, double height, const std::string& style,
            const std::string& content, Pen pen) {
    Record rec = entity("MTEXT", pen, 11);
    rec.groups.push_back(Group::point(10, world(at)));
    rec.groups.push_back(Group::real(40, height));
    rec.groups.push_back(Group::real(41, 0));
    rec.groups.push_back(Group::integer(71, kMtextMiddleCenter));
    rec.groups.push_back(Group::integer(72, 1));
    rec.groups.push_back(Group::text(1, content));
    rec.groups.push_back(Group::text(7, style));
    if (tilted_) rec.groups.push_back(Group::point(210, extrusion_));
    rec.groups.push_back(Group::point(11, ocs_to_world_disp(with_z(direction), extrusion_)));
    rec.groups.push_back(Group::integer(73, 1));
    rec.groups.push_back(Group::real(44, 1.0));
    db_.add_block_entity(block_, std::move(rec));
  }

  void definition_point(Vec3 p, const std::string& layer) {
    Record rec = entity_record("POINT", layer, 1);
    rec.groups.push_back(Group::point(10, p));
    db_.add_block_entity(block_, std::move(rec));
  }

 private:
  // A record with room for its pen and `groups` more groups: the drawing keeps it as made, so it
  // is allocated once.
  Record entity(const char* type, Pen pen, size_t groups) const {
    Record rec = entity_record(type, layer_, 2 + groups);
    if (pen.color != kColorByLayer) rec.groups.push_back(Group::integer(62, pen.color));
    if (pen.lineweight != kLineweightByLayer)
      rec.groups.push_back(Group::integer(370, pen.lineweight));
    return rec;
  }

  Database& db_;
  size_t block_;
  std::string layer_;
  Vec3 extrusion_;
  double elevation_;
  bool tilted_;
  Axes axes_;
};

// The direction text runs in along a line of this direction, turned so that it reads from the
// left or, on a vertical line, from below.
Vec2 reading_direction(Vec2 d) {
  if (d.x < -kTiny || (std::abs(d.x) <= kTiny && d.y < 0)) return -d;
  return d;
}

Vec2 turned(Vec2 d, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  return {d.x * c - d.y * s, d.x * s + d.y * c};
}

// Pieces of dimension line as intervals of distance along it.
struct Piece {
  double from;
  double to;
};

// Removes [from, to] from every piece.
void cut(std::vector<Piece>& pieces, double from, double to) {
  std::vector<Piece> out;
  for (const Piece& p : pieces) {
    if (p.to <= from || p.from >= to) {
      out.push_back(p);
      continue;
    }
    if (p.from < from) out.push_back({p.from, from});
    if (p.to > to) out.push_back({to, p.to});
  }
  pieces = std::move(out);
}

// Where the text goes and what it takes, in the dimension's frame.
struct TextPlace {
  Vec2 direction;        // of reading
  double along = 0;      // extent of its box along the dimension line
  double across = 0;     // and across it
  double offset = 0;     // of its middle from the line, towards `up`
  bool on_line = false;  // centred on the line, which is broken for it
};

// Everything the layout reads, in the plane of the dimension.
struct Frame {
  Vec2 origin[2];   // extension line origins
  Vec2 foot[2];     // where the extension lines meet the dimension line
  Vec2 u;           // along the line, from the first extension line to the second
  Vec2 up;          // the side text sits on when it is "above" the line
  Vec2 horizontal;  // the X axis of the dimension's UCS
  Vec2 line_point;  // the dimension line's group 10
  double length = 0;
};

class Layout {
 public:
  Layout(Database& db, const Record& dim, const DimStyleValues& values, Frame frame);

  void build(Painter& paint, const std::string& content);
  Vec2 text_middle() const { return text_middle_; }
  Vec2 second_foot() const { return f_.foot[1]; }

 private:
  const VarValue& var(size_t index) const { return values_.at(index); }
  double length(size_t index) const { return values_.at(index).r * scale_; }
  bool flag(size_t index) const { return values_.at(index).i != 0; }

  TextPlace place(Vec2 direction) const;
  Vec2 text_direction(bool inside) const;
  void fit(bool has_text);
  void place_text();
  void user_text(Vec2 at);
  void draw_extension_lines(Painter& paint);
  void draw_dimension_line(Painter& paint);
  void draw_arrow(Painter& paint, int end, Vec2 direction);
  void draw_text(Painter& paint, const std::string& content);

  Database& db_;
  const Record& dim_;
  const DimStyleValues& values_;
  Frame f_;
  double scale_ = 1;
  double text_height_ = 0;
  std::string text_style_;
  TextSize size_;
  double arrow_ = 0;  // arrowhead size: DIMTSZ for ticks, DIMASZ otherwise
  double gap_ = 0;
  bool ticks_ = false;
  Arrowhead heads_[2];

  bool text_inside_ = true;
  bool arrows_inside_ = true;
  bool arrows_suppressed_ = false;
  // Text moved out of the extension lines sits beside this one (0 or 1), on the line or over it.
  int text_side_ = 1;
  bool text_over_ = false;
  bool leader_ = false;
  int just_ = 0;
  TextPlace text_;
  double text_at_ = 0;  // distance of its middle along the line
  Vec2 text_middle_;
};

Layout::Layout(Database& db, const Record& dim, const DimStyleValues& values, Frame frame)
    : db_(db), dim_(dim), values_(values), f_(frame) {
  const Vars& v = vars();
  scale_ = var(v.scale).r > 0 ? var(v.scale).r : 1;
  gap_ = std::abs(length(v.gap));
  ticks_ = var(v.tsz).r > 0;
  arrow_ = ticks_ ? length(v.tsz) : length(v.asz);
  just_ = static_cast<int>(std::clamp<int64_t>(var(v.just).i, 0, 4));
  if (!ticks_) {
    const bool separate = flag(v.sah);
    heads_[0] = arrowhead(db_, var(separate ? v.blk1 : v.blk).s);
    heads_[1] = arrowhead(db_, var(separate ? v.blk2 : v.blk).s);
  }
}

// The extent of the text's box along and across the line when it reads in `direction`, and how
// far from the line its middle sits.
TextPlace Layout::place(Vec2 direction) const {
  const Vars& v = vars();
  TextPlace t;
  t.direction = direction;
  const Vec2 n = perp(direction);
  t.along = std::abs(size_.width * dot(direction, f_.u)) + std::abs(size_.height * dot(n, f_.u));
  t.across = std::abs(size_.width * dot(direction, f_.up)) + std::abs(size_.height * dot(n, f_.up));
  const double beside = gap_ + t.across / 2;
  const bool aligned = std::abs(cross(direction, f_.u)) <= 1e-9;
  switch (var(v.tad).i) {
    case 0: {
      const double vertical = var(v.tvp).r;
      t.offset = vertical * text_height_;
      t.on_line = std::abs(vertical) < 0.7;
      break;
    }
    case 2: {
      // The side away from the points measured.
      const Vec2 middle = (f_.origin[0] + f_.origin[1]) / 2;
      t.offset = dot(f_.line_point - middle, f_.up) < 0 ? -beside : beside;
      break;
    }
    case 4:
      t.offset = -beside;
      break;
    default:
      // Above, except for text kept horizontal on a line that is not.
      t.on_line = !aligned;
      t.offset = aligned ? beside : 0;
      break;
  }
  return t;
}

Vec2 Layout::text_direction(bool inside) const {
  const Vars& v = vars();
  const Vec2 along = reading_direction(f_.u);
  if (dim_.has(53)) {
    const double rotation = dim_.real(53);
    if (rotation != 0) return turned(along, rotation);
  }
  return flag(inside ? v.tih : v.toh) ? f_.horizontal : along;
}

// DIMATFIT, DIMTIX and DIMSOXD: what stays between the extension lines.
void Layout::fit(bool has_text) {
  const Vars& v = vars();
  const double room = f_.length;
  const bool beside_extension = just_ >= 3;
  const double text_need = has_text && !beside_extension ? text_.along + 2 * gap_ : 0;
  const bool arrows_alone = 2 * arrow_ + gap_ <= room;
  const bool text_alone = text_need <= room;
  const bool both =
      text_.on_line && text_need > 0 ? text_need + 2 * arrow_ <= room : text_alone && arrows_alone;
  if (both) return;
  if (flag(v.tix) || text_need == 0) {
    arrows_inside_ = false;
    arrows_suppressed_ = flag(v.tix) && flag(v.soxd);
    return;
  }
  switch (var(v.atfit).i) {
    case 0:
      text_inside_ = arrows_inside_ = false;
      break;
    case 1:
      arrows_inside_ = false;
      text_inside_ = text_alone;
      break;
    case 2:
      text_inside_ = false;
      arrows_inside_ = arrows_alone;
      break;
    default:
      text_inside_ = text_alone;
      arrows_inside_ = !text_alone && arrows_alone;
      break;
  }
}

void Layout::place_text() {
  const Vars& v = vars();
  const double span = f_.length;
  if (text_inside_) {
    switch (just_) {
      case 1:
        text_at_ = arrow_ + gap_ + text_.along / 2;
        break;
      case 2:
        text_at_ = span - arrow_ - gap_ - text_.along / 2;
        break;
      default:
        text_at_ = span / 2;
        break;
    }
    text_middle_ = f_.foot[0] + f_.u * text_at_ + f_.up * text_.offset;
    if (just_ >= 3) {
      // Along the extension line, past the dimension line.
      const int k = just_ - 3;
      const Vec2 run = f_.foot[k] - f_.origin[k];
      const Vec2 e = cad::length(run) > kTiny ? normalized(run) : f_.up;
      text_.direction = reading_direction(e);
      text_.on_line = false;
      text_middle_ = f_.foot[k] + e * (length(v.exe) + size_.width / 2) +
                     perp(text_.direction) * (gap_ + size_.height / 2);
    }
    return;
  }
  text_side_ = just_ == 1 || just_ == 3 ? 0 : 1;
  const double outward = text_side_ == 0 ? -1 : 1;
  const double beyond = 2 * arrow_ + text_.along / 2;
  text_at_ = text_side_ == 0 ? -beyond : span + beyond;
  double offset = text_.offset;
  if (var(v.tmove).i != 0) {
    // Over the line: a text that was on it now just clears it; one that was above or below it
    // goes one text height and a gap further out.
    text_over_ = true;
    offset = text_.on_line ? gap_ + text_.across / 2
                           : offset + (offset < 0 ? -1 : 1) * (size_.height + gap_);
    text_.on_line = false;
    leader_ = var(v.tmove).i == 1;
  }
  text_middle_ = f_.foot[text_side_] + f_.u * (outward * beyond) + f_.up * offset;
}

// A text the user placed (group 11): DIMTMOVE 0 brings the dimension line to it, 1 and 2 leave
// the line where it is, 1 with a leader unless the text touches the line.
void Layout::user_text(Vec2 at) {
  const Vars& v = vars();
  text_at_ = dot(at - f_.foot[0], f_.u);
  text_inside_ = text_at_ >= 0 && text_at_ <= f_.length;
  text_ = place(text_direction(text_inside_));
  text_side_ = text_at_ < f_.length / 2 ? 0 : 1;
  text_middle_ = at;
  if (var(v.tmove).i == 0) {
    const Vec2 shift = f_.up * (dot(at - f_.foot[0], f_.up) - text_.offset);
    for (Vec2& p : f_.foot) p = p + shift;
    return;
  }
  text_over_ = true;
  const double distance = std::abs(dot(at - f_.foot[0], f_.up));
  text_.on_line = false;
  leader_ = var(v.tmove).i == 1 && distance - text_.across / 2 > gap_;
}

void Layout::draw_extension_lines(Painter& paint) {
  const Vars& v = vars();
  const Pen pen{var(v.clre).i, var(v.lwe).i};
  const size_t suppress[2] = {v.se1, v.se2};
  for (int k = 0; k < 2; ++k) {
    const Vec2 run = f_.foot[k] - f_.origin[k];
    if (flag(suppress[k]) || cad::length(run) < kTiny) continue;
    const Vec2 e = normalized(run);
    const Vec2 from =
        flag(v.fxlon) ? f_.foot[k] - e * length(v.fxl) : f_.origin[k] + e * length(v.exo);
    double past = length(v.exe);
    if (just_ == 3 + k && text_inside_) past += size_.width;
    paint.line(from, f_.foot[k] + e * past, pen);
  }
}

void Layout::draw_arrow(Painter& paint, int end, Vec2 direction) {
  const Vars& v = vars();
  const Pen pen{var(v.clrd).i, var(v.lwd).i};
  const Vec2 tip = f_.foot[end];
  if (ticks_) {
    const Vec2 stroke = (f_.u + perp(f_.u)) * (arrow_ / 2);
    paint.line(tip - stroke, tip + stroke, pen);
    return;
  }
  const Arrowhead& head = heads_[end];
  switch (head.kind) {
    case Arrowhead::Kind::kClosedFilled:
      if (arrow_ > 0) paint.arrow(tip, direction, arrow_, pen);
      break;
    case Arrowhead::Kind::kBlock:
      paint.insert(head.block, tip, direction, arrow_, pen);
      break;
    case Arrowhead::Kind::kNone:
      break;
  }
}

void Layout::draw_dimension_line(Painter& paint) {
  const Vars& v = vars();
  const Pen pen{var(v.clrd).i, var(v.lwd).i};
  const double span = f_.length;
  // How far from its tip the line meets each arrowhead.
  double back[2];
  for (int k = 0; k < 2; ++k) back[k] = ticks_ || heads_[k].joins_at_tip ? 0 : arrow_;
  const bool draw_arrows = !arrows_suppressed_;
  // Text beside an extension line on the dimension line: the line runs on past the extension
  // line under the text, or up to a gap before it when the text is on the line; an arrowhead
  // outside on that side has its tail in that piece.
  const bool beside = !text_inside_ && !text_over_ && text_.along > 0;
  std::vector<Piece> pieces;
  if (arrows_inside_) {
    const double extend = length(v.dle);
    const double from = back[0] > 0 ? back[0] : -extend;
    const double to = back[1] > 0 ? span - back[1] : span + extend;
    pieces.push_back({from, to});
  } else {
    if (flag(v.tofl)) pieces.push_back({0, span});
    if (draw_arrows && !(beside && text_side_ == 0))
      pieces.push_back({-back[0] - arrow_, -back[0]});
    if (draw_arrows && !(beside && text_side_ == 1))
      pieces.push_back({span + back[1], span + back[1] + arrow_});
  }
  if (beside) {
    const int k = text_side_;
    // Distances past the extension line.
    const double middle = k == 1 ? text_at_ - span : -text_at_;
    const bool tail = !arrows_inside_ && draw_arrows;
    const double start = tail ? back[k] : 0;
    const double end = text_.on_line
                           ? middle - text_.along / 2 - gap_
                           : std::max(middle + text_.along / 2, tail ? back[k] + arrow_ : 0);
    if (end > start)
      pieces.push_back(k == 1 ? Piece{span + start, span + end} : Piece{-end, -start});
  }
  if (text_.on_line && text_.along > 0 && !text_over_)
    cut(pieces, text_at_ - text_.along / 2 - gap_, text_at_ + text_.along / 2 + gap_);
  // DIMSD1 and DIMSD2 leave out the line on their side of the text, or of the middle.
  const double split = text_inside_ && !text_over_ ? text_at_ : span / 2;
  const bool suppressed[2] = {flag(v.sd1), flag(v.sd2)};
  if (suppressed[0]) cut(pieces, -HUGE_VAL, split);
  if (suppressed[1]) cut(pieces, split, HUGE_VAL);
  for (const Piece& p : pieces) {
    if (p.to - p.from > kTiny)
      paint.line(f_.foot[0] + f_.u * p.from, f_.foot[0] + f_.u * p.to, pen);
  }
  if (draw_arrows) {
    const Vec2 outward[2] = {-f_.u, f_.u};
    for (int k = 0; k < 2; ++k) {
      if (!suppressed[k]) draw_arrow(paint, k, arrows_inside_ ? outward[k] : -outward[k]);
    }
  }
  if (leader_) {
    // From the middle of the line to the side of the text's box nearest to it.
    const Vec2 from = f_.foot[0] + f_.u * (span / 2);
    const Vec2 t = text_.direction;
    const Vec2 n = perp(t);
    const double half_w = size_.width / 2 + gap_;
    const double half_h = size_.height / 2 + gap_;
    Vec2 best = text_middle_;
    double nearest = HUGE_VAL;
    for (const Vec2 side : {t * half_w, t * -half_w, n * half_h, n * -half_h}) {
      const double d = distance(text_middle_ + side, from);
      if (d < nearest) {
        nearest = d;
        best = text_middle_ + side;
      }
    }
    paint.line(from, best, pen);
  }
}

void Layout::draw_text(Painter& paint, const std::string& content) {
  const Vars& v = vars();
  const Pen pen{var(v.clrt).i, var(v.lwd).i};
  paint.text(text_middle_, text_.direction, text_height_, text_style_, content, pen);
  if (values_.at(v.gap).r >= 0) return;
  // A negative DIMGAP frames the text.
  const Vec2 t = text_.direction * (size_.width / 2 + gap_);
  const Vec2 n = perp(text_.direction) * (size_.height / 2 + gap_);
  const Vec2 corners[4] = {text_middle_ - t - n, text_middle_ + t - n, text_middle_ + t + n,
                           text_middle_ - t + n};
  for (int k = 0; k < 4; ++k) paint.line(corners[k], corners[(k + 1) % 4], pen);
}

void Layout::build(Painter& paint, const std::string& content) {
  const Vars& v = vars();
  const bool has_text = !content.empty();
  // The text style's fixed height wins over DIMTXT, as with any text of that style.
  double width_factor = 1;
  text_height_ = length(v.txt);
  // A style the drawing lacks, or none (other programs' dimension styles often name none), is
  // STANDARD, so that the text names a style the drawing holds.
  RecordId style = var(v.txsty).s.empty() ? kNoRecord : db_.table_entry("STYLE", var(v.txsty).s);
  if (style == kNoRecord) style = db_.table_entry("STYLE", "STANDARD");
  text_style_ = style == kNoRecord ? "STANDARD" : std::string(db_.record(style).text(2));
  if (style != kNoRecord) {
    const Record& rec = db_.record(style);
    if (rec.real(40) > 0) text_height_ = rec.real(40);
    if (rec.real(41, 1) > 0) width_factor = rec.real(41, 1);
  }
  if (has_text) size_ = dimension_text_size(content, text_height_, width_factor);

  const bool user_placed = (dim_.integer(70) & kDimensionUserTextPosition) != 0 && dim_.has(11);
  if (user_placed) {
    user_text(xy(dim_.point(11)));
    const double text_need = just_ >= 3 ? 0 : text_.along + 2 * gap_;
    const double room = f_.length;
    const bool both =
        text_.on_line && text_inside_ ? text_need + 2 * arrow_ <= room : 2 * arrow_ + gap_ <= room;
    if (!both) {
      arrows_inside_ = false;
      arrows_suppressed_ = flag(v.tix) && flag(v.soxd);
    }
  } else {
    text_ = place(text_direction(true));
    fit(has_text);
    if (!text_inside_) text_ = place(text_direction(false));
    place_text();
  }
  draw_extension_lines(paint);
  draw_dimension_line(paint);
  if (has_text) draw_text(paint, content);
}

}  // namespace

double linear_measurement(Vec3 origin1, Vec3 origin2, double rotation, Vec3 extrusion) {
  const Vec3 along = world_to_ocs_disp(origin2 - origin1, extrusion);
  return std::abs(along.x * std::cos(rotation) + along.y * std::sin(rotation));
}

size_t build_dimension_block(Database& db, Record& dim, const DimStyleValues& style) {
  // Most dimensions have no overrides of their own, and the set is not copied for them.
  std::optional<DimStyleValues> overridden;
  if (dim.has_xdata("ACAD")) {
    overridden = style;
    overridden->apply_overrides(db, dim);
  }
  const DimStyleValues& values = overridden ? *overridden : style;
  Vec3 extrusion = dim.point(210, {0, 0, 1});
  if (length(extrusion) < kTiny) extrusion = {0, 0, 1};
  const Vec3 line_ocs = world_to_ocs(dim.point(10), extrusion);
  const Vec2 p1 = xy(world_to_ocs(dim.point(13), extrusion));
  const Vec2 p2 = xy(world_to_ocs(dim.point(14), extrusion));
  const Vec2 q = xy(line_ocs);
  const double rotation = dim.real(50);
  const Vec2 d{std::cos(rotation), std::sin(rotation)};

  Frame frame;
  frame.origin[0] = p1;
  frame.origin[1] = p2;
  frame.foot[0] = q + d * dot(p1 - q, d);
  frame.foot[1] = q + d * dot(p2 - q, d);
  frame.line_point = q;
  frame.length = linear_measurement(dim.point(13), dim.point(14), rotation, extrusion);
  // The line runs from the first extension line to the second; arrows point outwards along it.
  frame.u = frame.length > kTiny ? normalized(frame.foot[1] - frame.foot[0]) : d;
  frame.up = perp(reading_direction(frame.u));
  // Group 51 is the negative of the UCS X axis's angle in the object system.
  frame.horizontal = {std::cos(dim.real(51)), -std::sin(dim.real(51))};

  const std::string layer(dim.text(8, "0"));
  const std::string defpoints(db.record(ensure_layer(db, "Defpoints")).text(2));
  const std::string name = next_anonymous_name(db, "*D");
  const size_t block = add_block_with_record(db, name, 1);
  Painter paint(db, block, layer, extrusion, line_ocs.z);
  const std::string content = dimension_text(dim.text(1), frame.length, values);
  Layout layout(db, dim, values, frame);
  layout.build(paint, content);

  dim.set(Group::point(10, paint.world(layout.second_foot())));
  dim.set(Group::point(11, with_z(layout.text_middle(), line_ocs.z)));
  dim.set(Group::real(42, frame.length));
  dim.set(Group::text(2, name));
  for (Vec3 p : {dim.point(13), dim.point(14), dim.point(10)}) paint.definition_point(p, defpoints);
  return block;
}

}  // namespace cad
