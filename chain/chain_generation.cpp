// Chain generation: sorting and merging the points, the side of the dimension line, the
// scripted "_dim1" and "_continue" commands, and the handle list that ties the chain together.
#include "chain/chain_generation.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <new>

#include "chain/chain_data.h"
#include "frame/command_env.h"
#include "frame/owners.h"
#include "frame/rb_tools.h"
#include "settings/dim_settings.h"

ChainRequestState ChainRequest = {};

namespace {

// Room for the hexadecimal text of any 64-bit handle and its terminator.
constexpr size_t kHandleLength = 17;

constexpr const ACHAR* kNothingMade = L"\n Keine neue Bemassung generiert !";
constexpr const ACHAR* kFirstNotMade = L"\nErste Bemassung wurde nicht erzeugt, keine Masskette !";
constexpr const ACHAR* kNextNotMade = L"\nFolgebemassung wurde nicht erzeugt, keine Masskette !";
constexpr const ACHAR* kNotTagged = L"Fehler bei Erzeugen der EED in connect_dim";
constexpr const ACHAR* kChainGivenUp = L"\nMasskette abgebrochen !";
constexpr const ACHAR* kTextOutOfRange =
    L"\nMasszahl zu gross fuer Rundung oder Laengenfaktor, keine Masskette !";

// The text of the next dimension into ChainRequest.text_buffer. A measurement the settings take
// out of the range of numbers has no text to show, and a chain with a gap is none: the command
// ends, and the host takes back what it made.
void dimension_text(ads_real distance) {
  if (format_dim_text(distance, DimSettings.rounding) != RTNORM) acrx_abort(kTextOutOfRange);
}

// While chain generation runs no object snap may move the points handed to the scripted
// commands, and the working array lives only as long as one generation. Both are put back on
// every way out, an abort of the command included.
class GenerationScope {
 public:
  GenerationScope() {
    osmode_read_ = acedGetVar(L"OSMODE", osmode_.fill()) == RTNORM;
    // Without the old value it could not be put back, so it is left as it is.
    if (osmode_read_) {
      resbuf off{};
      off.restype = RTSHORT;
      off.resval.rint = 0;
      acedSetVar(L"OSMODE", &off);
    }
  }
  ~GenerationScope() {
    if (osmode_read_) acedSetVar(L"OSMODE", &osmode_.get());
    ChainRequest.points.clear();
    ChainRequest.points.shrink_to_fit();
  }
  GenerationScope(const GenerationScope&) = delete;
  GenerationScope& operator=(const GenerationScope&) = delete;

 private:
  RbValue osmode_;
  bool osmode_read_ = false;
};

bool in_window(ads_real angle, ads_real centre) {
  return centre - kAngleTolerance < angle && angle < centre + kAngleTolerance;
}

// A node of the handle list. The first dimension's node and the later ones report a lack of
// memory with their own messages. A chain without a member in its list would be tagged in
// part, so the command ends there and the host takes back what it made.
resbuf* handle_node(const ACHAR* handle, bool first) {
  resbuf* node = acutNewRb(RTSTR);
  if (node == nullptr) {
    acrx_abort(first ? L"Fehler: Kein Speicher für Handle dim_main"
                     : L"\nFehler: Kein Speicher für Handle dim_main");
  }
  const auto length = static_cast<Adesk::Int32>(std::wcslen(handle) + 1);
  if (acutNewString(node->resval.rstring, length) != Acad::eOk) {
    acutRelRb(node);
    acrx_abort(first ? L"Fehler: Kein Speicher für String dim_main"
                     : L"\nFehler: Kein Speicher für String dim_main");
  }
  std::wcscpy(node->resval.rstring, handle);
  return node;
}

// The newest entity, when it is a DIMENSION other than the entity that was newest before.
bool take_new_dimension(bool had_last, const ads_name before, ads_name dim_new) {
  if (acdbEntLast(dim_new) != RTNORM) return false;
  if (had_last && dim_new[0] == before[0] && dim_new[1] == before[1]) return false;
  RbList data(acdbEntGet(dim_new));
  // A new entity the host cannot read is as good as none, and it must not stay behind.
  if (!data) acrx_abort(kFirstNotMade);
  const resbuf* type = rb_assoc(data.get(), 0);
  return type != nullptr && type->resval.rstring != nullptr &&
         std::wcscmp(type->resval.rstring, L"DIMENSION") == 0;
}

void restore_style(const RbValue& dimstyle) {
  if (dimstyle.text() == nullptr) return;
  acedCommandS(RTSTR, L"_dim1", RTSTR, L"_restore", RTSTR, dimstyle.text(), RTNONE);
}

void to_ads_point(const ChainPoint& point, ads_point out) {
  out[X] = point[0];
  out[Y] = point[1];
  out[Z] = 0.0;
}

}  // namespace

namespace {

// The x and y of every point of the list into ChainRequest.points, point_count their number.
void take_points(const resbuf* point_list) {
  int count = 0;
  for (const resbuf* node = point_list != nullptr ? point_list->rbnext : nullptr; node != nullptr;
       node = node->rbnext) {
    ++count;
  }
  // Sized from the list itself rather than from the input counter, so that a counter out of
  // step with the list can never let the copy run past the array.
  try {
    ChainRequest.points.reserve(count);
  } catch (const std::bad_alloc&) {
    acrx_abort(L"\nNicht genügend Speicher fuer area !!");
  }
  for (const resbuf* node = point_list != nullptr ? point_list->rbnext : nullptr; node != nullptr;
       node = node->rbnext) {
    ChainRequest.points.push_back({node->resval.rpoint[X], node->resval.rpoint[Y]});
  }
  ChainRequest.point_count = count;
}

// A chain in any other direction is drawn horizontal in a UCS turned to it, its points and its
// line point turned into that UCS, which is left again afterwards.
int turned_chain() {
  if (3.0 * kPi / 4.0 < ChainRequest.angle && ChainRequest.angle < 7.0 * kPi / 4.0) {
    ChainRequest.angle += kPi;
    // Turning the chain direction by half a turn turns the cross axis of the rotated UCS
    // too, so a side chosen before (from a reference dimension) now points the other way.
    ChainRequest.side = -ChainRequest.side;
  }
  // Without the turned UCS the points below would be drawn in the wrong frame, and stepping
  // back afterwards would take away a UCS of the user's.
  if (acedCommandS(RTSTR, L"_ucs", RTSTR, L"_z", RTANG, ChainRequest.angle * 180.0 / kPi, RTNONE) !=
      RTNORM) {
    acutPrintf(kNothingMade);
    return RTNORM;
  }
  const ads_real t = kTwoPi - ChainRequest.angle;
  const ads_real c = std::cos(t);
  const ads_real s = std::sin(t);
  for (ChainPoint& point : ChainRequest.points) {
    point = {point[0] * c + point[1] * (s * -1.0), point[0] * s + point[1] * c};
  }
  ads_point& line = ChainRequest.line_point;
  const ads_real line_x = line[X];
  line[X] = line_x * c + line[Y] * (s * -1.0);
  line[Y] = line_x * s + line[Y] * c;
  const int made = dim_main(L"_hori", 1, 0, cmp_x);
  acedCommandS(RTSTR, L"_ucs", RTSTR, L"_previous", RTNONE);
  return made;
}

}  // namespace

int create_chain(const resbuf* point_list) {
  const CommandEnd end;
  GenerationScope scope;
  take_points(point_list);
  if (ChainRequest.point_count < 2) {
    acutPrintf(kNothingMade);
    return RTNORM;
  }
  const ads_real angle = ChainRequest.angle;
  if ((-kAngleTolerance < angle && angle < kAngleTolerance) || in_window(angle, kPi))
    return dim_main(L"_hori", 1, 0, cmp_x);
  if (in_window(angle, kPi / 2.0) || in_window(angle, 3.0 * kPi / 2.0))
    return dim_main(L"_ver", 0, 1, cmp_y);
  return turned_chain();
}

namespace {

// Steps of dim_main, in its order.

// The points sorted along the chain and freed of those that coincide along it; the least and
// the greatest cross coordinate of those kept.
void sort_and_merge(ChainPointCompare cmp, int along, int across, ads_real& maximum,
                    ads_real& minimum) {
  std::vector<ChainPoint>& points = ChainRequest.points;
  std::sort(points.begin(), points.end(),
            [cmp](const ChainPoint& a, const ChainPoint& b) { return cmp(a, b) < 0; });
  ChainRequest.point_count =
      clean_points(points.data(), static_cast<int>(points.size()), along, maximum, minimum, across);
  points.resize(ChainRequest.point_count);
}

// The side of the dimension line, unless it is known: away from the points when they all lie on
// one side of the base line, else where the user points (into picked, of which only the point
// counts; Esc gives the chain up with false, anything else asks again).
bool choose_side(int across, ads_real maximum, ads_real minimum, ads_point picked) {
  const ads_real line = ChainRequest.line_point[across];
  if (ChainRequest.side != 0) return true;
  if (maximum > line && minimum > line) {
    ChainRequest.side = -1;
  } else if (line > maximum && line > minimum) {
    ChainRequest.side = 1;
  } else {
    int status;
    while ((status = acedGetPoint(ChainRequest.line_point, L"\nMasslinie auf Seite:", picked)) !=
           RTNORM) {
      if (status == RTCAN) return false;
    }
    ChainRequest.side = picked[across] > line ? 1 : -1;
  }
  return true;
}

// The outer extension lines start on the base line, the inner ones the extension length before
// the dimension line; the dimension line lies at its distance from the base line, on the side.
void place_extension_lines(int across, ads_point dimline) {
  std::vector<ChainPoint>& points = ChainRequest.points;
  const ads_real line = ChainRequest.line_point[across];
  const int last = ChainRequest.point_count - 1;
  const ads_real inner =
      line + (DimSettings.dimline_distance - DimSettings.ext_length) * ChainRequest.side;
  points[0][across] = line;
  points[last][across] = line;
  for (int i = 1; i < last; ++i) points[i][across] = inner;
  dimline[across] = line + ChainRequest.side * DimSettings.dimline_distance;
}

// The first dimension, from the first point to the second with the dimension line through
// dimline, as the head of the handle list; null when the host completed the command without
// making it.
RbList first_dimension(const ACHAR* dir_keyword, int along, const ads_point dimline) {
  const std::vector<ChainPoint>& points = ChainRequest.points;
  dimension_text(points[1][along] - points[0][along]);
  ads_name before;
  const bool had_last = acdbEntLast(before) == RTNORM;
  ads_point first;
  ads_point second;
  to_ads_point(points[0], first);
  to_ads_point(points[1], second);
  const int made =
      acedCommandS(RTSTR, L"_dim1", RTSTR, dir_keyword, RTPOINT, first, RTPOINT, second, RT3DPOINT,
                   dimline, RTSTR, ChainRequest.text_buffer, RTNONE);
  // A dimensioning command that failed has taken back what it made; what the chain's command
  // did before (a style saved, a carrier made) goes with it.
  if (made != RTNORM) acrx_abort(kFirstNotMade);
  // The chain is named after its first dimension: if the host made none, the newest entity is
  // someone else's, and tagging it would make a stranger the head of the chain.
  ads_name dim_new;
  if (!take_new_dimension(had_last, before, dim_new)) return RbList();
  AcDbObjectId dimObjId;
  const Acad::ErrorStatus es = acdbGetObjectId(dimObjId, dim_new);
  if (es != Acad::eOk) acutPrintf(L"\nARX_ERROR: %s", acadErrorStatusText(es));
  // Room for the whole handle: a cut handle would name the chain after another entity.
  ACHAR handle_text[kHandleLength] = {};
  dimObjId.handle().getIntoAsciiBuffer(handle_text, kHandleLength);
  return RbList(handle_node(handle_text, true));
}

// The dimensions to the third point and on, each continuing the one before, their handles
// appended to handle_list. Every later dimension belongs to the chain as much as the first: a
// chain with a gap, or with a member left untagged, is no chain the other commands could keep up
// to date, so a failure of the host ends the command and takes the chain back whole.
void continued_dimensions(int along, resbuf* handle_list) {
  const std::vector<ChainPoint>& points = ChainRequest.points;
  resbuf* tail = handle_list;
  for (int k = 2; k < ChainRequest.point_count; ++k) {
    dimension_text(points[k][along] - points[k - 1][along]);
    ads_point next;
    to_ads_point(points[k], next);
    if (acedCommandS(RTSTR, L"_dim1", RTSTR, L"_continue", RTPOINT, next, RTSTR,
                     ChainRequest.text_buffer, RTNONE) != RTNORM) {
      acrx_abort(kNextNotMade);
    }
    ads_name dim_act = {0, 0};
    RbList data(acdbEntLast(dim_act) == RTNORM ? acdbEntGet(dim_act) : nullptr);
    const resbuf* handle = rb_assoc(data.get(), 5);
    if (handle == nullptr || handle->resval.rstring == nullptr) {
      acrx_abort(L"\nFehler: Kein Handle gefunden !! dim_main");
    }
    tail->rbnext = handle_node(handle->resval.rstring, false);
    tail = tail->rbnext;
  }
}

}  // namespace

int dim_main(const ACHAR* dir_keyword, int across, int along, ChainPointCompare cmp) {
  ads_point pt1 = {0.0, 0.0, 0.0};
  ads_real maximum = 0.0;
  ads_real minimum = 0.0;
  sort_and_merge(cmp, along, across, maximum, minimum);
  // When every point lies at one place along the chain a single point is left: a dimension
  // from it to itself would measure nothing, so this is the case of too few points.
  if (ChainRequest.point_count < 2) {
    acutPrintf(kNothingMade);
    return RTNORM;
  }
  if (!choose_side(across, maximum, minimum, pt1)) return RTCAN;
  place_extension_lines(across, pt1);

  // The style is put back after the dimensioning commands; a host that cannot say which it is
  // ends the command rather than leave another style current.
  RbValue dimstyle;
  if (acedGetVar(L"DIMSTYLE", dimstyle.fill()) != RTNORM) acrx_abort(L"\n Fehler dimstyle");
  RbList handle_list = first_dimension(dir_keyword, along, pt1);
  if (!handle_list) {
    acutPrintf(kFirstNotMade);
  } else {
    continued_dimensions(along, handle_list.get());
    // The failure is the user's to see at once, as an alert; the chain, tagged in part, goes.
    if (connect_dim(handle_list.get()) != RTNORM) {
      acedAlert(kNotTagged);
      acrx_abort(kChainGivenUp);
    }
  }
  restore_style(dimstyle);
  return RTNORM;
}

int clean_points(ChainPoint* points, int count, int along, ads_real& maximum, ads_real& minimum,
                 int across) {
  if (count < 1) {
    maximum = minimum = 0.0;
    return 0;
  }
  minimum = maximum = points[0][across];
  int i = 0;
  while (i + 1 < count) {
    const ads_real here = points[i][along];
    const ads_real next = points[i + 1][along];
    if (here - kPointTolerance < next && next < here + kPointTolerance) {
      std::copy(points + i + 1, points + count, points + i);
      --count;
      continue;
    }
    minimum = std::min(minimum, points[i][across]);
    maximum = std::max(maximum, points[i][across]);
    ++i;
  }
  minimum = std::min(minimum, points[count - 1][across]);
  maximum = std::max(maximum, points[count - 1][across]);
  return count;
}

int cmp_x(const ChainPoint& a, const ChainPoint& b) {
  if (b[0] > a[0]) return -1;
  if (a[0] > b[0]) return 1;
  return 0;
}

int cmp_y(const ChainPoint& a, const ChainPoint& b) {
  if (b[1] > a[1]) return -1;
  if (a[1] > b[1]) return 1;
  return 0;
}

int add_point(const ads_point point, resbuf* point_list, int32_t& counter) {
  if (point_list == nullptr) return RTERROR;
  resbuf* node = acutNewRb(RT3DPOINT);
  if (node == nullptr) {
    acdbFail(L"\nFehler: Kein Speicher fuer Handle correct");
    return RTCAN;
  }
  node->resval.rpoint[X] = point[X];
  node->resval.rpoint[Y] = point[Y];
  node->resval.rpoint[Z] = point[Z];
  rb_last(point_list)->rbnext = node;
  ++counter;
  return RTNORM;
}

int remove_last_point(resbuf* point_list, int32_t& counter) {
  if (counter < 1 || point_list == nullptr || point_list->rbnext == nullptr) return RTNORM;
  resbuf* before_last = point_list;
  while (before_last->rbnext->rbnext != nullptr) before_last = before_last->rbnext;
  acutRelRb(before_last->rbnext);
  before_last->rbnext = nullptr;
  --counter;
  return RTNORM;
}
