// A small drawing builder shared by the selection and shapes tests: a database with a LAYER
// table and one call per entity type the tests draw.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "cad/db/database.h"
#include "cad/geom/arcs.h"

namespace cad::testing {

inline Group text(int code, std::string value) { return Group::text(code, std::move(value)); }
inline Group real(int code, double value) { return Group::real(code, value); }
inline Group integer(int code, int64_t value) { return Group::integer(code, value); }
inline Group point(int code, Vec3 p) { return Group::point(code, p); }

class Drawing {
 public:
  Drawing() {
    layers_ = db.add_table(Record{"TABLE", {text(2, "LAYER")}});
    add_layer("0");
  }

  // color below 0: the layer is off; flags bit 1: frozen.
  RecordId add_layer(const std::string& name, int color = 7, int flags = 0) {
    return db.add_table_entry(layers_, Record{"LAYER",
                                              {text(2, name), integer(70, flags),
                                               integer(62, color), text(6, "CONTINUOUS")}});
  }

  RecordId add(std::string type, std::vector<Group> groups) {
    return db.add_entity(Record{std::move(type), std::move(groups)});
  }

  RecordId line(Vec3 a, Vec3 b, const std::string& layer = "0") {
    return add("LINE", {text(8, layer), point(10, a), point(11, b)});
  }

  RecordId circle(Vec3 center, double radius, Vec3 extrusion = {0, 0, 1}) {
    return add("CIRCLE",
               {text(8, "0"), point(10, center), real(40, radius), point(210, extrusion)});
  }

  RecordId lwpolyline(const std::vector<Vec2>& points, const std::vector<double>& bulges,
                      bool closed, Vec3 extrusion = {0, 0, 1}) {
    std::vector<Group> groups = {text(8, "0"), integer(90, static_cast<int64_t>(points.size())),
                                 integer(70, closed ? 1 : 0)};
    for (size_t k = 0; k < points.size(); ++k) {
      groups.push_back(Group::point(10, with_z(points[k]), 2));
      if (k < bulges.size() && bulges[k] != 0) groups.push_back(real(42, bulges[k]));
    }
    groups.push_back(point(210, extrusion));
    return add("LWPOLYLINE", std::move(groups));
  }

  RecordId text_entity(Vec3 at, double height, const std::string& contents) {
    return add("TEXT", {text(8, "0"), point(10, at), real(40, height), text(1, contents)});
  }

  size_t block(const std::string& name, Vec3 base = {}) {
    return db.add_block(
        Record{"BLOCK", {text(8, "0"), text(2, name), integer(70, 0), point(10, base)}},
        Record{"ENDBLK", {text(8, "0")}});
  }

  Database db;

 private:
  size_t layers_ = 0;
};

inline ::testing::AssertionResult box_near(const Box2& box, Vec2 min, Vec2 max,
                                           double tolerance = 1e-9) {
  if (!box.empty() && distance(box.min, min) <= tolerance && distance(box.max, max) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "box (" << box.min.x << ", " << box.min.y << ") - (" << box.max.x << ", " << box.max.y
         << ") is not (" << min.x << ", " << min.y << ") - (" << max.x << ", " << max.y << ")";
}

}  // namespace cad::testing
