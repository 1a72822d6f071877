// The R13+ form of one record: subclass markers (100) and the owner (330), which records the host
// builds from entity lists lack, and their removal for R12, which knows neither.
#pragma once

#include <string_view>

#include "cad/db/record.h"

namespace cad {

// Inserts the subclass markers of a record that has none (before its extended data): AcDbEntity
// and the type's subclasses for LINE, POINT, CIRCLE, ARC, TEXT, MTEXT, SOLID, INSERT, LWPOLYLINE,
// POLYLINE, VERTEX, SEQEND, DIMENSION, BLOCK and ENDBLK; AcDbSymbolTableRecord and the table's
// record class for entries of the nine tables; AcDbSymbolTable for TABLE heads. Groups are sorted
// into the subclass they belong to, keeping their order within it. False when the record already
// has markers or is of another type (it is left as it is).
bool add_subclass_markers(Record& rec);
// Whether add_subclass_markers would change the record.
bool needs_subclass_markers(const Record& rec);

// The owner handle: the 330 group among the groups that lead the record (handle, application
// groups), or empty when there is none.
std::string_view owner_of(const Record& rec);
// Puts the owner where R13+ files keep it, after the handle and the application groups, unless
// the record names one already; an owner group that names none (empty) is given it. True when it
// was added.
bool add_owner(Record& rec, std::string_view owner);

// The record class of one of the nine tables (AcDbLayerTableRecord for LAYER, ...), named as
// files name them; empty for any other name.
std::string_view table_record_class(std::string_view table);

// Removes what R12 does not know, before the extended data: subclass markers (100), owners (330),
// extension dictionaries (360) and application groups (102); the groups later versions added to
// entities (lineweight, true colour, ...) and to DIMENSION (attachment, measurement, ...); in
// table records, every group R12's form of the table lacks. True when anything was removed.
bool strip_to_r12(Record& rec);
// Whether R12's records of this table hold groups of this code (2 and 70 in every table). Later
// versions added plot flags, lineweights, plot styles, complex linetypes, the dimension variables
// of R13 on, and more.
bool r12_table_group(std::string_view table, int code);
// Whether strip_to_r12 would change the record.
bool has_r13_groups(const Record& rec);

}  // namespace cad
