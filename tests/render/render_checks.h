// Shared helpers for the picture tests: drawings built record by record, and a small reader of
// the SVG the renderer writes (elements by name, their attributes and their text).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/database.h"

namespace cad::testing {

inline Record layer_record(std::string name, int64_t color, int64_t flags = 0) {
  return Record{
      "LAYER",
      {Group::text(2, std::move(name)), Group::integer(70, flags), Group::integer(62, color)}};
}

// A drawing with a LAYER table holding these layers (layer 0, colour 7, first).
inline void add_layers(Database& db, const std::vector<Record>& layers) {
  const size_t table = db.add_table(Record{"TABLE", {Group::text(2, "LAYER")}});
  db.add_table_entry(table, layer_record("0", 7));
  for (const Record& layer : layers) db.add_table_entry(table, layer);
}

inline Record line_record(std::string layer, Vec3 from, Vec3 to) {
  return Record{"LINE",
                {Group::text(8, std::move(layer)), Group::point(10, from), Group::point(11, to)}};
}

// The record with these groups set.
template <class... Groups>
Record with(Record rec, const Groups&... groups) {
  (rec.set(groups), ...);
  return rec;
}

// Each number within 1e-6 of the one expected.
inline void expect_near(const std::vector<double>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t k = 0; k < actual.size(); ++k) EXPECT_NEAR(actual[k], expected[k], 1e-6) << k;
}

struct Element {
  std::map<std::string, std::string> attributes;
  std::string text;  // what follows the start tag up to the next tag

  std::string at(const std::string& name) const {
    const auto it = attributes.find(name);
    return it == attributes.end() ? std::string() : it->second;
  }
  double number(const std::string& name) const { return std::stod(at(name)); }
};

// Every element with this name, in document order.
inline std::vector<Element> elements(std::string_view svg, std::string_view name) {
  const std::regex tag("<" + std::string(name) + R"re(((?:\s+[\w:-]+="[^"]*")*)\s*(/?)>([^<]*))re");
  const std::regex attribute(R"re(([\w:-]+)="([^"]*)")re");
  const std::string text(svg);
  std::vector<Element> out;
  for (std::sregex_iterator it(text.begin(), text.end(), tag), end; it != end; ++it) {
    Element& e = out.emplace_back();
    const std::string attributes = (*it)[1];
    for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a)
      e.attributes[(*a)[1]] = (*a)[2];
    if ((*it)[2].length() == 0) e.text = (*it)[3];
  }
  return out;
}

// Text is laid out at font size 100 and scaled to its height (a cap height, 0.72 em) by its
// transform. A text element's transform with that scale taken out (axes of unit length for text
// that is not scaled), and lengths inside a text element (tspan y, dy) in drawing units.
inline constexpr double kLayoutUnitsPerHeight = 100 * 0.72;
inline std::vector<double> text_frame(const Element& text, double height) {
  std::vector<double> m(6);
  EXPECT_EQ(text.at("font-size"), "100");
  EXPECT_EQ(std::sscanf(text.at("transform").c_str(), "matrix(%lf %lf %lf %lf %lf %lf)", &m[0],
                        &m[1], &m[2], &m[3], &m[4], &m[5]),
            6);
  for (int k = 0; k < 4; ++k) m[k] *= kLayoutUnitsPerHeight / height;
  return m;
}
inline double text_length(double local, double height) {
  return local * height / kLayoutUnitsPerHeight;
}

// The view box's world extents (SVG's y runs down: its y is the negated top).
struct Extents {
  double left = 0, right = 0, bottom = 0, top = 0;
  std::vector<double> all() const { return {left, right, bottom, top}; }
};

inline Extents extents(std::string_view svg) {
  const std::vector<Element> roots = elements(svg, "svg");
  EXPECT_EQ(roots.size(), 1u);
  double x = 0, y = 0, width = 0, height = 0;
  if (!roots.empty()) std::istringstream(roots[0].at("viewBox")) >> x >> y >> width >> height;
  return {x, x + width, -(y + height), -y};
}

}  // namespace cad::testing
