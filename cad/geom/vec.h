// Points and vectors of the host: plain values with the few operations the geometry code needs.
#pragma once

#include <cmath>

namespace cad {

struct Vec2 {
  double x = 0;
  double y = 0;

  bool operator==(const Vec2&) const = default;
};

struct Vec3 {
  double x = 0;
  double y = 0;
  double z = 0;

  bool operator==(const Vec3&) const = default;
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator-(Vec2 a) { return {-a.x, -a.y}; }
inline Vec2 operator*(Vec2 a, double s) { return {a.x * s, a.y * s}; }
inline Vec2 operator*(double s, Vec2 a) { return a * s; }
inline Vec2 operator/(Vec2 a, double s) { return {a.x / s, a.y / s}; }
inline double dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
// The z component of the 3D cross product: positive when b lies counter-clockwise of a.
inline double cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
inline double length(Vec2 a) { return std::hypot(a.x, a.y); }
inline double distance(Vec2 a, Vec2 b) { return length(b - a); }
// A zero vector has no direction and stays zero.
inline Vec2 normalized(Vec2 a) {
  const double len = length(a);
  return len > 0 ? a / len : Vec2{};
}
// The vector turned a quarter turn counter-clockwise.
inline Vec2 perp(Vec2 a) { return {-a.y, a.x}; }

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(Vec3 a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(double s, Vec3 a) { return a * s; }
inline Vec3 operator/(Vec3 a, double s) { return {a.x / s, a.y / s, a.z / s}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a) { return std::sqrt(dot(a, a)); }
inline double distance(Vec3 a, Vec3 b) { return length(b - a); }
// A zero vector has no direction and stays zero.
inline Vec3 normalized(Vec3 a) {
  const double len = length(a);
  return len > 0 ? a / len : Vec3{};
}

// Whether every coordinate is a number, neither NaN nor infinite.
inline bool all_finite(Vec3 p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}
inline Vec2 xy(Vec3 p) { return {p.x, p.y}; }
inline Vec3 with_z(Vec2 p, double z = 0) { return {p.x, p.y, z}; }

}  // namespace cad
