#include "cad/builtins/command_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cad/ads/bridge.h"
#include "cad/base/text.h"
#include "cad/base/utf8.h"
#include "cad/dims/drawing_records.h"
#include "cad/input/transcript.h"
#include "cad/select/selection.h"

namespace cad {

Answer checked(const Answer& answer) {
  if (answer.status == kRtCan) throw CommandCancelled{};
  return answer;
}

void say(Host& host, std::string_view text) {
  // CMDECHO 0 hides a scripted command's dialogue, its messages as well as its prompts.
  if (host.prompter().source().from_tokens() && !host.transcript().echo()) return;
  host.transcript().print(text);
}

Record model_entity(const Database& db, std::string type) {
  // Every entity a command draws reads these: found once.
  static const SysVarInfo& clayer = *sysvar_info("CLAYER");
  static const SysVarInfo& cecolor = *sysvar_info("CECOLOR");
  static const SysVarInfo& celtype = *sysvar_info("CELTYPE");
  Record rec = entity_record(std::move(type), db.get_var(clayer).s);
  const int64_t color = db.get_var(cecolor).i;
  if (color != 256) rec.groups.push_back(Group::integer(62, color));
  const VarValue ltype = db.get_var(celtype);
  if (!iequals(ltype.s, "BYLAYER")) rec.groups.push_back(Group::text(6, ltype.s));
  return rec;
}

RecordId picked_entity(Host& host, const Answer& pick) {
  const Database& db = host.db();
  if (pick.is_entity) {
    RecordId id = name_record(db, pick.entity);
    return id != kNoRecord && !db.erased(id) && db.area(id) == Area::kEntities ? id : kNoRecord;
  }
  return cad::pick(db, host.ucs().to_world(pick.point), default_pick_tolerance(db));
}

std::string format_length(const Database& db, double value) {
  std::optional<VarValue> prec = db.get_var("LUPREC");
  const int decimals = prec ? static_cast<int>(std::clamp<int64_t>(prec->i, 0, 8)) : 4;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::abs(value) < 1e-12 ? 0.0 : value);
  return buf;
}

std::string format_point(const Database& db, Vec3 p) {
  return "X=" + format_length(db, p.x) + "  Y=" + format_length(db, p.y) +
         "  Z=" + format_length(db, p.z);
}

std::string shown_name(std::string_view name) {
  constexpr size_t kShown = 40;
  std::string out;
  size_t characters = 0;
  for (size_t k = 0; k < name.size(); ++characters) {
    if (characters == kShown) return out + "...";
    size_t length = 1;
    while (length < 4 && k + length < name.size() &&
           (static_cast<unsigned char>(name[k + length]) & 0xC0) == 0x80)
      ++length;
    const std::string_view character = name.substr(k, length);
    out += valid_utf8(character) ? std::string(character) : std::string("\uFFFD");
    k += length;
  }
  return out;
}

PersonSelection select_objects_in_areas(Host& host) {
  PersonSelection chosen;
  if (select_by_person(host, CompiledFilter(), chosen) == kRtCan) throw CommandCancelled{};
  return chosen;
}

std::vector<RecordId> select_objects(Host& host) { return select_objects_in_areas(host).ids; }

}  // namespace cad
