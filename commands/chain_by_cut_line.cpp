// Chain by cut line: dimensions the crossings of a cut line with lines and polylines.
#include <cwchar>
#include <vector>

#include "chain/chain_generation.h"
#include "chain/chain_request.h"
#include "commands/commands.h"
#include "commands/coordinates.h"
#include "commands/entity_segments.h"
#include "commands/input_routines.h"
#include "frame/command_env.h"
#include "frame/owners.h"
#include "frame/rb_tools.h"
#include "host/arxHeaders.h"
#include "settings/dimstyle.h"

namespace {

constexpr size_t kAnswerLength = 512;
constexpr const ACHAR* kNextPointPrompt = L"\nSchnittlinienpunkt eingeben:";
constexpr const ACHAR* kNoCutLine = L"\nKeine Schnittlinie gezeichnet!";
constexpr const ACHAR* kNotErased = L"\nSchnittlinie konnte nicht geloescht werden!";
// POLYLINE flags of polygon meshes (16) and polyface meshes (64).
constexpr int kMeshFlags = 16 | 64;

// Lines and polylines, and with_mline multilines too. Meshes are POLYLINEs but surfaces, not
// paths: they are no cut line and nothing to dimension.
RbList path_filter(bool with_mline) {
  resbuf* filter =
      acutBuildList(-4, L"<or", RTDXF0, L"LINE", -4, L"<and", RTDXF0, L"POLYLINE", -4, L"<not", -4,
                    L"&", 70, kMeshFlags, -4, L"not>", -4, L"and>", RTDXF0, L"LWPOLYLINE", RTNONE);
  if (filter == nullptr) acrx_abort(L"\nNicht genügend Speicher fuer Filter !!");
  resbuf* tail = with_mline ? acutBuildList(RTDXF0, L"MLINE", -4, L"or>", RTNONE)
                            : acutBuildList(-4, L"or>", RTNONE);
  if (tail == nullptr) {
    acutRelRb(filter);
    acrx_abort(L"\nNicht genügend Speicher fuer Filter !!");
  }
  return RbList(rb_append(filter, tail));
}

// Brings the points of list into the plane of the current UCS. Crossings are looked for as the
// user sees the drawing, and chain generation takes UCS points; a line at another elevation
// would otherwise never meet the cut line in space.
void to_user_plane(resbuf* list) {
  const resbuf bks_world = coordinate_system(kBksWorld);
  const resbuf bks_user = coordinate_system(kBksUser);
  for (; list != nullptr; list = list->rbnext) {
    acedTrans(list->resval.rpoint, &bks_world, &bks_user, 0, list->resval.rpoint);
    list->resval.rpoint[Z] = 0.0;
  }
}

// The arcs of an object's bulged segments in the plane of the current UCS, as its points are.
void to_user_plane(std::vector<SegmentArc>& arcs) {
  const resbuf bks_world = coordinate_system(kBksWorld);
  const resbuf bks_user = coordinate_system(kBksUser);
  for (SegmentArc& arc : arcs) {
    acedTrans(arc.centre, &bks_world, &bks_user, 0, arc.centre);
    acedTrans(arc.u, &bks_world, &bks_user, 1, arc.u);
    acedTrans(arc.v, &bks_world, &bks_user, 1, arc.v);
    arc.centre[Z] = 0.0;
    arc.u[Z] = 0.0;
    arc.v[Z] = 0.0;
  }
}

// The first object the user selects; only it counts.
int choose_cut_line(const resbuf* filter, ads_name Pline) {
  SsName ss;
  int32_t len = 0;
  if (ss_get(nullptr, nullptr, nullptr, filter, ss) != RTNORM ||
      acedSSLength(ss.name(), &len) != RTNORM || len < 1) {
    return RTERROR;
  }
  return acedSSName(ss.name(), 0, Pline) == RTNORM ? RTNORM : RTERROR;
}

// Hands one record of the cut line to the host. A record it has no memory for or refuses would
// leave a line other than the one drawn (or none), so the command ends there.
void make_record(resbuf* list) {
  const RbList record(list);
  if (!record || acdbEntMake(record.get()) != RTNORM) acrx_abort(kNoCutLine);
}

// The cut line is drawn in the plane of the current UCS, as the host's own polylines are: the
// picked points are UCS points, and stored as world points they would put the line elsewhere
// than where the user drew it.
class CutLineMaker {
 public:
  explicit CutLineMaker(const ads_point first) {
    ads_point normal = {0.0, 0.0, 1.0};
    acedTrans(normal, &bks_user_, &bks_world_, 1, normal);
    ocs_ = extrusion_system(normal);
    ads_point start;
    acedTrans(first, &bks_user_, &ocs_, 0, start);
    const ads_point elevation = {0.0, 0.0, start[Z]};
    make_record(acutBuildList(RTDXF0, L"POLYLINE", 10, elevation, 66, 1, 210, normal, RTNONE));
    vertex(first);
  }

  void vertex(const ads_point point) {
    ads_point at;
    acedTrans(point, &bks_user_, &ocs_, 0, at);
    make_record(acutBuildList(RTDXF0, L"VERTEX", 10, at, RTNONE));
  }

 private:
  const resbuf bks_world_ = coordinate_system(kBksWorld);
  const resbuf bks_user_ = coordinate_system(kBksUser);
  resbuf ocs_{};
};

// Lets the user draw the cut line or choose an existing one; its name goes into Pline.
int get_cut_line(ads_name Pline) {
  RbList filter = path_filter(false);
  ads_point p1;
  ads_point p2;
  ACHAR answer[kAnswerLength] = {};
  for (;;) {
    acedInitGet(0, L"Wahl");
    const int status =
        acedGetPoint(nullptr, L"\nSchnittlinien<Wahl>\\Schnittlinienpunkt eingeben:", p1);
    if (status == RTNORM) break;
    if (status == RTCAN) return RTCAN;
    // Enter takes the default the prompt offers.
    if (status == RTNONE) return choose_cut_line(filter.get(), Pline);
    if (status != RTKWORD) continue;
    if (acedGetInput(answer, kAnswerLength) != RTNORM) answer[0] = L'\0';
    if (std::wcscmp(answer, L"Wahl") == 0 || std::wcscmp(answer, L" ") == 0) {
      return choose_cut_line(filter.get(), Pline);
    }
  }
  filter.reset();

  CutLineMaker maker(p1);
  p2[X] = p1[X];
  p2[Y] = p1[Y];
  p2[Z] = p1[Z];
  // A cut line needs a second point: Enter asks again, Esc gives the line up unfinished (the
  // host never enters a polyline without its end record).
  int status;
  while ((status = acedGetPoint(p2, kNextPointPrompt, p1)) != RTNORM) {
    if (status == RTCAN) return RTCAN;
  }
  do {
    acedGrDraw(p2, p1, -1, 0);
    p2[X] = p1[X];
    p2[Y] = p1[Y];
    p2[Z] = p1[Z];
    maker.vertex(p1);
  } while (acedGetPoint(p2, kNextPointPrompt, p1) == RTNORM);

  make_record(acutBuildList(RTDXF0, L"SEQEND", RTNONE));
  return acdbEntLast(Pline);
}

int count_points(const resbuf* point_list) {
  int count = 0;
  if (point_list != nullptr) {
    for (const resbuf* node = point_list->rbnext; node != nullptr; node = node->rbnext) ++count;
  }
  return count;
}

void redraw() { acedCommandS(RTSTR, L"_redraw", RTNONE); }

// The objects the cut line crosses, in ss, the cut line itself taken out, and their number.
// False, with the message said, when there are none: a fence that failed leaves the cut line
// where it is, a fence that found only the cut line erases it.
bool crossed_objects(const ads_name Pline, const resbuf* cut_list, SsName& ss, int32_t& length) {
  RbList filter = path_filter(true);
  const int fenced = ss_get(L"_F", cut_list, nullptr, filter.get(), ss);
  // RTERROR: the fence found nothing; any other failure is the host's, and the cut line drawn
  // for this command must not stay behind.
  if (fenced != RTNORM && fenced != RTERROR) acrx_abort(L"\nKonnte keine Bemassung generieren!");
  if (fenced != RTNORM) {
    acutPrintf(
        L"\nKonnte keine Bemassung generieren!\nAlle geschnittenen Objekte muessen "
        L"sichtbar sein");
    return false;
  }
  filter.reset();
  acedSSDel(Pline, ss.name());
  if (acedSSLength(ss.name(), &length) != RTNORM) length = 0;
  if (length >= 1) return true;
  acutPrintf(L"\nEs wurden keine zu vermassenden Objekte (Linien/Polylinien) geschnitten!");
  if (acdbEntDel(Pline) != RTNORM) acrx_abort(kNotErased);
  redraw();
  return false;
}

// The crossings of the cut line with each of the length objects of ss, in the order of the set,
// said with the number of objects and of crossings.
RbList crossings_of(const resbuf* cut_list, const SsName& ss, int32_t length) {
  acutPrintf(L"\nEs wurden %d Objekte und", length);
  RbList crossings;
  ads_name Object;
  for (int32_t i = 0; i < length; ++i) {
    if (acedSSName(ss.name(), i, Object) != RTNORM) continue;
    std::vector<SegmentArc> arcs;
    RbList vertices = entity_points(Object, &arcs);
    if (!vertices) acrx_abort(L"Fehler 13");
    to_user_plane(vertices.get());
    to_user_plane(arcs);
    crossings = intersect_lists(cut_list, vertices.get(), std::move(crossings), &arcs);
  }
  acutPrintf(L" %d Schnittpunkte gefunden !", count_points(crossings.get()));
  return crossings;
}

// The position of the dimension line and, unless a reference dimension gave it, the direction
// of the chain; false when the user cancelled either.
bool chain_placed() {
  const int position = position_prompt();
  return position != RTCAN && (position == RTKWORD || direction_prompt() != RTCAN);
}

// Erases the cut line unless the user keeps it, and clears what was drawn for it.
void erase_cut_line_unless_kept(const ads_name Pline) {
  ACHAR answer[kAnswerLength] = {};
  acedInitGet(0, L"Yes Nein No Ja ");
  if (acedGetKword(L"\nSchnittlinie loeschen <J> ?", answer, kAnswerLength) != RTNORM) {
    answer[0] = L'\0';
  }
  // A cut line the host does not erase would stay where the user asked it gone.
  if (std::wcscmp(answer, L"Nein") != 0 && std::wcscmp(answer, L"No") != 0 &&
      acdbEntDel(Pline) != RTNORM) {
    acrx_abort(kNotErased);
  }
  redraw();
}

}  // namespace

void AutoBem() {
  const CommandEnd end;
  dim_prepare();
  ads_name Pline;
  if (get_cut_line(Pline) != RTNORM) {
    acutPrintf(kNoCutLine);
    return;
  }
  RbList cut_list = entity_points(Pline);
  if (!cut_list) acrx_abort(L"Fehler 1 8-(");
  to_user_plane(cut_list.get());
  SsName ss;
  int32_t length = 0;
  if (!crossed_objects(Pline, cut_list.get(), ss, length)) return;
  RbList crossings = crossings_of(cut_list.get(), ss, length);
  if (!chain_placed()) return;

  RbValue rb_dimstyle;
  current_dimstyle(rb_dimstyle);
  get_dimstyle(rb_dimstyle.text());
  RbValue undoctl;
  undo_begin(undoctl.fill());
  const int made = crossings ? create_chain(crossings.get()) : RTNORM;
  undo_end(&undoctl.get());
  crossings.reset();
  cut_list.reset();
  ss.reset();
  // Esc at the side of the dimension line leaves the cut line, as Esc at the position does.
  if (made == RTCAN) return;
  erase_cut_line_unless_kept(Pline);
}
