// What a DXF version needs that a drawing may lack, added to the drawing: the reader applies it
// after loading (so that writing the drawing back changes nothing) and the writer to a copy of
// the drawing it writes (so that records the host made are complete).
//
// Every version: $ACADVER first (AC1027 when the drawing names none), $DWGCODEPAGE next up to
// AC1018, $HANDSEED above every handle.
// R13 and later: CLASSES; the nine tables with VPORT *Active, LTYPE ByBlock/ByLayer/Continuous,
// LAYER 0, STYLE Standard, APPID ACAD, DIMSTYLE Standard; blocks *Model_Space and *Paper_Space
// and a BLOCK_RECORD for every block; subclass markers and owners; OBJECTS with a root
// dictionary holding ACAD_GROUP.
// R12: $HANDLING 1 (records keep their handles); the eight tables with their standard entries;
// no subclass markers, owners or application groups; no CLASSES or OBJECTS.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/db/database.h"

namespace cad {

// The $ACADVER of a drawing; "AC1027" (R2013, as a new drawing) when it names none.
std::string drawing_version(const Database& db);
// 1009 for "AC1009"; 0 when the text is no version of that form.
int version_number(std::string_view acadver);
// Versions before R13 are written in the R12 form.
bool r12_form(std::string_view acadver);

// Adds what the drawing's version needs. Records that have what they need stay as they are, so a
// second call changes nothing. When notes is given, one line says what was added.
void complete_drawing(Database& db, std::vector<std::string>* notes = nullptr);

// A new database with the live records of db (erased records and the sub-entities of an erased
// owner left out), its header, raw sections, section order and handle seed.
std::unique_ptr<Database> copy_drawing(const Database& db);

}  // namespace cad
