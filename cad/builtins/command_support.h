// What the host's own commands share: prompts whose Esc ends the command, new entities in model
// space with the current layer, colour and linetype, the messages of the command line, and
// entity names from picks and tokens. Used inside cad/builtins only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/ads/host.h"
#include "cad/ads/selecting.h"
#include "cad/input/prompter.h"

namespace cad {

// The answer, or the command ends (CommandCancelled) when the person pressed Esc.
Answer checked(const Answer& answer);

// Prints a message on the host's command line (as acutPrintf: "\n" starts a line), unless the
// command runs from a token list while the echo (CMDECHO) is off.
void say(Host& host, std::string_view text);

// A new entity on the current layer (CLAYER), with the current colour (CECOLOR) and linetype
// (CELTYPE) where they are not by layer.
Record model_entity(const Database& db, std::string type);

// The entity a pick answer names: an entity token as it is, a point (in the current UCS) the
// entity drawn nearest to it within the pick box. kNoRecord when there is none.
RecordId picked_entity(Host& host, const Answer& pick);

// A number as the command line shows lengths and coordinates (LUPREC decimals).
std::string format_length(const Database& db, double value);
std::string format_point(const Database& db, Vec3 p);

// A name as a message shows it: bytes that are no UTF-8 as U+FFFD, and no more than the first 40
// characters of a long one, followed by "...". (Whether the host takes a name for a new layer or
// style: valid_table_name.)
std::string shown_name(std::string_view name);

// The host's "Select objects: " (select_by_person, cad/ads/selecting.h) until Enter; the objects
// in the order given, each once, and the crossing areas that found them. Esc ends the command.
PersonSelection select_objects_in_areas(Host& host);
std::vector<RecordId> select_objects(Host& host);

}  // namespace cad
