// The picture is made in two passes: entities (and the blocks they insert) become items in world
// coordinates while the drawn extents grow, then the items are written against a view box made
// from those extents.
#include "cad/render/svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "cad/base/text.h"
#include "cad/base/utf8.h"
#include "cad/db/record.h"
#include "cad/geom/arcs.h"
#include "cad/render/aci.h"
#include "cad/render/text_codes.h"
#include "cad/shapes/affine.h"
#include "cad/shapes/placement.h"
#include "cad/shapes/shapes.h"
#include "cad/types/entity_types.h"
#include "cad/types/flags.h"

namespace cad {

namespace {

// Text heights are cap heights; an SVG font size is the em, and the capitals of the common
// sans-serif faces are about 0.72 em high.
constexpr double kEmPerHeight = 1 / 0.72;
// Their characters advance about 0.6 em on average, and descenders reach about a third of the
// cap height below the baseline.
constexpr double kAdvancePerHeight = 0.6 * kEmPerHeight;
constexpr double kDescent = 1.0 / 3;
// Text is laid out at this font size and scaled to its height by its transform: the font
// machinery (FreeType under rsvg-convert) lays out glyphs at the font size before the transform
// scales them, and sizes far below one unit come out as broken glyphs or not at all.
constexpr double kLayoutEm = 100;
constexpr uint32_t kBlack = 0x000000;
constexpr double kEmptyPicturePx = 100;

bool finite(Vec2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool finite(const Path& path) {
  return std::all_of(path.points.begin(), path.points.end(),
                     [](Vec3 p) { return finite(xy(p)); }) &&
         std::all_of(path.bulges.begin(), path.bulges.end(),
                     [](double b) { return std::isfinite(b); });
}

struct Stroke {
  Path path;
  uint32_t rgb = kBlack;
  bool filled = false;
  double width = 0;  // > 0: a wide polyline, this wide in drawing units
};

struct Dot {
  Vec2 at;
  uint32_t rgb = kBlack;
};

// Text placed by a frame: text-local coordinates (x along the text, y up, drawing units) go to
// the world's XY plane through origin + x_axis * x + y_axis * y.
struct Label {
  struct Line {
    double baseline = 0;  // text-local y
    TextLine runs;
  };
  Vec2 origin;
  Vec2 x_axis{1, 0};
  Vec2 y_axis{0, 1};
  double height = 0;
  int anchor = 0;         // 0 start, 1 middle, 2 end
  double fit_length = 0;  // > 0: the text is stretched or squeezed to this length
  std::vector<Line> lines;
  uint32_t rgb = kBlack;
};

using Item = std::variant<Stroke, Dot, Label>;

// What an INSERT or a DIMENSION passes to the entities of its block.
struct Context {
  Affine map;
  bool in_block = false;
  std::string layer;            // the layer entities on layer 0 take
  uint32_t block_rgb = kBlack;  // the colour BYBLOCK entities take
  int depth = 0;
};

// Numbers as SVG takes them: fixed, locale-independent, without trailing zeros.
std::string fixed(double v, int decimals) {
  char buf[400];
  const auto [end, ec] =
      std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "0";
  std::string s(buf, end);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string hex_color(uint32_t rgb) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string s = "#";
  for (int shift = 20; shift >= 0; shift -= 4) s += kDigits[(rgb >> shift) & 0xF];
  return s;
}

// Text for XML: special characters escaped, control characters (which XML 1.0 cannot hold)
// dropped, bytes that are not UTF-8 replaced, so that a picture of any drawing parses.
void append_xml(std::string& out, std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      switch (c) {
        case '&':
          out += "&amp;";
          break;
        case '<':
          out += "&lt;";
          break;
        case '>':
          out += "&gt;";
          break;
        case '"':
          out += "&quot;";
          break;
        default:
          if (c >= 0x20 || c == '\t') out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    const Utf8Char next = decode_utf8(s, i);
    if (next.valid) {
      out.append(s.substr(i, next.size));
    } else {
      out += "\uFFFD";
    }
    i += next.size;
  }
}

class Picture {
 public:
  explicit Picture(const Database& db);
  void model_space();
  std::string svg(const SvgOptions& options);

 private:
  struct Layer {
    bool on = true;
    bool frozen = false;
    bool plotted = true;
    uint32_t rgb = kBlack;
  };

  const Layer& layer(std::string_view name) const;
  uint32_t color_of(const Record& rec, const Layer& layer, const Context& ctx) const;

  void entity(const std::vector<RecordId>& siblings, size_t index, const Context& ctx);
  void insert(const std::vector<RecordId>& siblings, size_t index, const Context& ctx,
              const Context& inner);
  void block(size_t block, const Context& inner);
  void text(const Record& rec, const Context& ctx, uint32_t rgb);
  void mtext(const Record& rec, const Context& ctx, uint32_t rgb);
  // The entity's shapes in world coordinates; the drawn extents grow by them.
  std::vector<Path> shapes(const std::vector<RecordId>& siblings, size_t index, const Context& ctx);
  void add_label(Label label);

  // Writing.
  std::string coord(double v) const { return fixed(v, decimals_); }
  std::string point(Vec2 p) const { return coord(p.x) + ' ' + coord(-p.y); }
  void write_path(std::string& out, const Stroke& stroke) const;
  void write_label(std::string& out, const Label& label) const;

  const Database& db_;
  ShapeCache cache_;
  std::map<std::string, Layer> layers_;  // by upper-case name
  std::vector<size_t> drawing_;          // blocks being drawn, outermost first
  std::vector<Item> items_;
  Box2 box_;
  // Set when writing starts.
  int decimals_ = 6;
  double dot_radius_ = 0;
};

Picture::Picture(const Database& db) : db_(db) {
  for (RecordId id : db.table_entries("LAYER")) {
    const Record& rec = db.record(id);
    Layer layer;
    layer.on = !layer_off(rec);
    layer.frozen = layer_frozen(rec);
    // A picture is what the host plots: never layer DEFPOINTS, nor a layer set not to plot.
    layer.plotted = rec.integer(290, 1) != 0 && !iequals(rec.text(2), "DEFPOINTS");
    layer.rgb = rec.has(420) ? static_cast<uint32_t>(rec.integer(420)) & 0xFFFFFF
                             : aci_on_white(std::abs(rec.integer(62, 7)));
    layers_.emplace(to_upper(rec.text(2)), layer);
  }
}

const Picture::Layer& Picture::layer(std::string_view name) const {
  static const Layer kUnknown;
  const auto it = layers_.find(to_upper(name));
  return it == layers_.end() ? kUnknown : it->second;
}

uint32_t Picture::color_of(const Record& rec, const Layer& layer, const Context& ctx) const {
  if (rec.has(420)) return static_cast<uint32_t>(rec.integer(420)) & 0xFFFFFF;
  const int64_t color = rec.integer(62, kColorByLayer);
  if (color == kColorByLayer) return layer.rgb;
  if (color == kColorByBlock) return ctx.block_rgb;
  return aci_on_white(std::abs(color));
}

void Picture::model_space() {
  const std::vector<RecordId>& entities = db_.entities();
  const Context top;
  for (size_t k = 0; k < entities.size(); ++k) {
    const RecordId id = entities[k];
    if (!db_.valid(id) || db_.erased(id)) continue;
    const Record& rec = db_.record(id);
    if (is_entity_part(rec.type) || rec.integer(67) == 1) continue;
    entity(entities, k, top);
  }
}

void Picture::entity(const std::vector<RecordId>& siblings, size_t index, const Context& ctx) {
  const Record& rec = db_.record(siblings[index]);
  std::string layer_name(rec.text(8, "0"));
  if (ctx.in_block && layer_name == "0") layer_name = ctx.layer;
  const Layer& on_layer = layer(layer_name);
  const EntityKind kind = entity_kind(rec.type);
  const bool is_insert = kind == EntityKind::kInsert;
  // The parts of a block on other layers stay visible when the INSERT's layer is off.
  if (on_layer.frozen || ((!on_layer.on || !on_layer.plotted) && !is_insert)) return;
  const uint32_t rgb = color_of(rec, on_layer, ctx);
  Context inner;
  inner.map = ctx.map;
  inner.in_block = true;
  inner.layer = layer_name;
  inner.block_rgb = rgb;
  inner.depth = ctx.depth + 1;
  if (is_insert) {
    insert(siblings, index, ctx, inner);
    return;
  }
  if (kind == EntityKind::kDimension) {
    // Dimension blocks hold their graphics in world coordinates.
    if (const size_t found = cache_.find_block(db_, rec.text(2)); found != Database::npos) {
      block(found, inner);
      return;
    }
  }
  std::vector<Path> paths = shapes(siblings, index, ctx);
  if (kind == EntityKind::kText) {
    text(rec, ctx, rgb);
  } else if (kind == EntityKind::kMtext) {
    mtext(rec, ctx, rgb);
  } else if (kind == EntityKind::kPoint) {
    for (const Path& path : paths) items_.push_back(Dot{xy(path.points.front()), rgb});
  } else {
    const bool filled = kind == EntityKind::kSolid;
    // A polyline of constant width draws as wide as it is (a donut as a disc), scaled as the
    // block that holds it.
    double width = 0;
    if (kind == EntityKind::kLwpolyline && rec.real(43) > 0) {
      const Vec3 x = ctx.map.linear({1, 0, 0});
      const Vec3 y = ctx.map.linear({0, 1, 0});
      width = rec.real(43) * std::sqrt(std::abs(x.x * y.y - x.y * y.x));
    }
    for (Path& path : paths) items_.push_back(Stroke{std::move(path), rgb, filled, width});
  }
}

std::vector<Path> Picture::shapes(const std::vector<RecordId>& siblings, size_t index,
                                  const Context& ctx) {
  std::vector<Path> out;
  for (Path& path : entity_paths_at(db_, siblings, index, cache_)) {
    Path world = ctx.in_block ? transformed(std::move(path), ctx.map) : std::move(path);
    if (world.points.empty() || !finite(world)) continue;
    box_.extend(path_box(world));
    out.push_back(std::move(world));
  }
  return out;
}

void Picture::insert(const std::vector<RecordId>& siblings, size_t index, const Context& ctx,
                     const Context& inner) {
  const Record& rec = db_.record(siblings[index]);
  // On a layer that is off, the block is walked all the same: its parts on layer 0 take that
  // layer and stay hidden, the others show.
  if (const size_t found = cache_.find_block(db_, rec.text(2)); found != Database::npos) {
    Context copy = inner;
    for (const Affine& map : insert_maps(db_, rec, found, ctx.map)) {
      copy.map = map;
      block(found, copy);
    }
  }
  const size_t end = attributes_end(db_, siblings, index);
  for (size_t k = index + 1; k < end; ++k) {
    if (!db_.erased(siblings[k])) entity(siblings, k, ctx);
  }
}

void Picture::block(size_t block, const Context& inner) {
  if (inner.depth > kMaxBlockNesting ||
      std::find(drawing_.begin(), drawing_.end(), block) != drawing_.end())
    return;
  drawing_.push_back(block);
  const std::vector<RecordId>& entities = db_.blocks()[block].entities;
  for (size_t k = 0; k < entities.size(); ++k) {
    const RecordId id = entities[k];
    if (db_.valid(id) && !db_.erased(id) && draws_in_block(db_.record(id).type))
      entity(entities, k, inner);
  }
  drawing_.pop_back();
}

void Picture::text(const Record& rec, const Context& ctx, uint32_t rgb) {
  const std::optional<TextPlacement> place = place_text(rec);
  if (!place) return;
  std::string content = decode_text(place->text);
  if (content.empty()) return;
  Label label;
  label.anchor = place->alignment;
  label.fit_length = place->fit_length;
  const double c = std::cos(place->rotation);
  const double s = std::sin(place->rotation);
  const double slant = std::tan(rec.real(51));
  Vec3 x_axis{c * place->width_factor, s * place->width_factor, 0};
  Vec3 y_axis{c * slant - s, s * slant + c, 0};
  if (place->backwards) x_axis = -x_axis;
  if (place->upside_down) y_axis = -y_axis;
  const Affine full = ctx.map.after(ocs_map(extrusion_of(rec)));
  label.origin = xy(full.apply(place->anchor));
  label.x_axis = xy(full.linear(x_axis));
  label.y_axis = xy(full.linear(y_axis));
  label.height = place->height;
  label.rgb = rgb;
  label.lines.push_back(
      {place->baseline, {TextRun{std::move(content), place->height, RunAlignment::kBottom}}});
  add_label(std::move(label));
}

void Picture::mtext(const Record& rec, const Context& ctx, uint32_t rgb) {
  const std::optional<MtextPlacement> place = place_mtext(rec);
  if (!place) return;
  std::vector<TextLine> lines = parse_mtext(place->contents, place->height);
  const double top = place->total_height(lines.size()) * place->row / 2;
  Label label;
  label.anchor = place->column;
  for (size_t k = 0; k < lines.size(); ++k) {
    if (lines[k].empty()) continue;
    label.lines.push_back(
        {top - place->height - static_cast<double>(k) * place->line_pitch, std::move(lines[k])});
  }
  label.origin = xy(ctx.map.apply(place->insertion));
  label.x_axis = xy(ctx.map.linear(place->x_dir));
  label.y_axis = xy(ctx.map.linear(place->y_dir));
  label.height = place->height;
  label.rgb = rgb;
  add_label(std::move(label));
}

void Picture::add_label(Label label) {
  // Text seen edge-on (its plane upright to the XY plane) shows nothing.
  const double area = std::abs(cross(label.x_axis, label.y_axis));
  if (label.lines.empty() || !(area > 1e-12 * dot(label.x_axis, label.x_axis)) ||
      !finite(label.origin))
    return;
  // The glyphs of the face drawn run wider than the boxes of shapes.h, so the extents take an
  // estimate of their own: an average advance per character, descenders below the baseline.
  for (const Label::Line& line : label.lines) {
    double width = 0;
    double height = 0;
    for (const TextRun& run : line.runs) {
      const auto chars = std::count_if(run.text.begin(), run.text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      });
      width += static_cast<double>(chars) * kAdvancePerHeight * run.height;
      height = std::max(height, run.height);
    }
    if (label.fit_length > 0) width = label.fit_length;
    const double x0 = -width * label.anchor / 2;
    for (const Vec2 corner :
         {Vec2{x0, line.baseline - kDescent * height},
          Vec2{x0 + width, line.baseline - kDescent * height}, Vec2{x0, line.baseline + height},
          Vec2{x0 + width, line.baseline + height}}) {
      box_.extend(label.origin + label.x_axis * corner.x + label.y_axis * corner.y);
    }
  }
  items_.push_back(std::move(label));
}

void Picture::write_path(std::string& out, const Stroke& stroke) const {
  const Path& path = stroke.path;
  const size_t n = path.points.size();
  out += "<path d=\"M";
  out += point(xy(path.points[0]));
  if (n == 1) {
    // A path of one point: a segment of no length, which a round cap draws as a dot.
    out += 'L';
    out += point(xy(path.points[0]));
  }
  const size_t count = path.closed ? n : n - 1;
  for (size_t k = 0; k < count; ++k) {
    const Vec2 a = xy(path.points[k]);
    const Vec2 b = xy(path.points[(k + 1) % n]);
    const double bulge = path.bulges.empty() ? 0 : path.bulges[k];
    if (k + 1 == n && bulge == 0) break;  // the closing segment, which Z draws
    if (bulge != 0 && a != b) {
      // The y axis is flipped, so an arc counter-clockwise in the drawing (positive bulge)
      // runs the SVG's negative-angle way.
      const double radius = distance(a, b) * (1 + bulge * bulge) / (4 * std::abs(bulge));
      out += 'A';
      out += coord(radius) + ' ' + coord(radius) + " 0 ";
      out += std::abs(bulge) > 1 ? "1 " : "0 ";
      out += bulge > 0 ? "0 " : "1 ";
    } else {
      out += 'L';
    }
    out += point(b);
  }
  if (path.closed) out += 'Z';
  out += '"';
  const std::string color = hex_color(stroke.rgb);
  if (stroke.filled) out += " fill=\"" + color + '"';
  if (stroke.width > 0) out += " stroke-width=\"" + coord(stroke.width) + '"';
  out += " stroke=\"" + color + "\"/>\n";
}

void Picture::write_label(std::string& out, const Label& label) const {
  // Text-local coordinates with y down (SVG's) to the picture's, where y is negated too, and
  // the layout size to the text's height. The frame's factors keep nine digits of the largest,
  // so that rounding noise (the cosine of a right angle) writes as 0.
  const double k = label.height * kEmPerHeight / kLayoutEm;
  const Vec2 x_axis = label.x_axis * k;
  const Vec2 y_axis = label.y_axis * k;
  const double largest =
      std::max({std::abs(x_axis.x), std::abs(x_axis.y), std::abs(y_axis.x), std::abs(y_axis.y)});
  const int factor_decimals =
      std::clamp(9 - static_cast<int>(std::ceil(std::log10(largest))), 0, 15);
  auto factor = [&](double v) { return fixed(v, factor_decimals); };
  // Lengths inside the text, in layout units.
  auto local = [&](double v) { return fixed(v / k, 3); };
  out += "<text transform=\"matrix(";
  out += factor(x_axis.x) + ' ' + factor(-x_axis.y) + ' ' + factor(-y_axis.x) + ' ' +
         factor(y_axis.y) + ' ' + coord(label.origin.x) + ' ' + coord(-label.origin.y);
  out += ")\" font-size=\"" + fixed(kLayoutEm, 0);
  out += "\" fill=\"" + hex_color(label.rgb) + '"';
  if (label.anchor == 1) out += " text-anchor=\"middle\"";
  if (label.anchor == 2) out += " text-anchor=\"end\"";
  if (label.fit_length > 0) {
    out += " textLength=\"" + local(label.fit_length) + "\" lengthAdjust=\"spacingAndGlyphs\"";
  }
  out += " xml:space=\"preserve\">";
  for (const Label::Line& line : label.lines) {
    double line_height = 0;
    for (const TextRun& run : line.runs) line_height = std::max(line_height, run.height);
    // Runs lower than their line sit at its bottom, middle or top; dy moves from one to the next.
    double shift = 0;
    bool first = true;
    for (const TextRun& run : line.runs) {
      double raise = 0;
      if (run.alignment == RunAlignment::kTop) raise = line_height - run.height;
      if (run.alignment == RunAlignment::kCenter) raise = (line_height - run.height) / 2;
      out += "<tspan";
      if (first) {
        out += " x=\"0\" y=\"" + local(-(line.baseline + raise)) + '"';
      } else if (raise != shift) {
        out += " dy=\"" + local(shift - raise) + '"';
      }
      if (run.height != label.height)
        out += " font-size=\"" + local(run.height * kEmPerHeight) + '"';
      out += '>';
      append_xml(out, run.text);
      out += "</tspan>";
      shift = raise;
      first = false;
    }
  }
  out += "</text>\n";
}

std::string Picture::svg(const SvgOptions& options) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\"";
  if (options.window && !options.window->empty()) box_ = *options.window;
  if (box_.empty()) {
    const std::string side = fixed(kEmptyPicturePx, 0);
    out += " width=\"" + side + "\" height=\"" + side + "\" viewBox=\"0 0 " + side + ' ' + side +
           "\">\n<rect width=\"" + side + "\" height=\"" + side + "\" fill=\"#ffffff\"/>\n</svg>\n";
    return out;
  }
  double width = box_.max.x - box_.min.x;
  double height = box_.max.y - box_.min.y;
  double side = std::max(width, height);
  if (!(side > 0)) side = 1;  // a single point
  const double margin = options.window ? 0.0 : side * std::max(0.0, options.margin);
  // A straight line along an axis still gets a picture with some height.
  const double least = side / 100;
  const Vec2 center = (box_.min + box_.max) / 2;
  width = std::max(width + 2 * margin, least);
  height = std::max(height + 2 * margin, least);
  decimals_ = std::clamp(6 - static_cast<int>(std::ceil(std::log10(side))), 0, 12);
  double width_px = std::max(1.0, options.width_px);
  double height_px = width_px * height / width;
  if (height_px > options.max_height_px && options.max_height_px >= 1) {
    height_px = options.max_height_px;
    width_px = height_px * width / height;
  }
  width_px = std::max(1.0, std::round(width_px));
  height_px = std::max(1.0, std::round(height_px));
  // Line widths and dots are given in drawing units for this picture's size, not through
  // vector-effect="non-scaling-stroke": rsvg-convert (librsvg 2.54) ignores that property, and
  // a width in pixels would then be read as drawing units.
  const double units_per_px = std::max(width / width_px, height / height_px);
  dot_radius_ = options.point_px * units_per_px;
  const std::string x0 = coord(center.x - width / 2);
  const std::string y0 = coord(-(center.y + height / 2));
  const std::string w = coord(width);
  const std::string h = coord(height);
  out += " width=\"" + fixed(width_px, 0) + "\" height=\"" + fixed(height_px, 0) + "\" viewBox=\"" +
         x0 + ' ' + y0 + ' ' + w + ' ' + h + "\">\n";
  out += "<rect x=\"" + x0 + "\" y=\"" + y0 + "\" width=\"" + w + "\" height=\"" + h +
         "\" fill=\"#ffffff\"/>\n";
  out += "<g fill=\"none\" stroke-width=\"" +
         fixed(options.stroke_px * units_per_px, decimals_ + 3) +
         "\" stroke-linecap=\"round\" stroke-linejoin=\"round\" font-family=\"";
  append_xml(out, options.font_family);
  out += "\">\n";
  for (const Item& item : items_) {
    if (const auto* stroke = std::get_if<Stroke>(&item)) {
      write_path(out, *stroke);
    } else if (const auto* dot = std::get_if<Dot>(&item)) {
      out += "<circle cx=\"" + coord(dot->at.x) + "\" cy=\"" + coord(-dot->at.y) + "\" r=\"" +
             fixed(dot_radius_, decimals_ + 2) + "\" fill=\"" + hex_color(dot->rgb) + "\"/>\n";
    } else {
      write_label(out, std::get<Label>(item));
    }
  }
  out += "</g>\n</svg>\n";
  return out;
}

}  // namespace

std::string render_svg(const Database& db, const SvgOptions& options) {
  Picture picture(db);
  picture.model_space();
  return picture.svg(options);
}

}  // namespace cad
