// What the C interface keeps between calls for one host: a block or complex entity being made
// record by record with acdbEntMake, the name an anonymous block got, table walking positions.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cad/db/record.h"

namespace cad {

struct InterfaceState {
  // BLOCK ... ENDBLK being made: the BLOCK record and the entities so far.
  struct PendingBlock {
    Record begin;
    std::vector<Record> entities;
  };
  std::optional<PendingBlock> block;
  // POLYLINE/VERTEX.../SEQEND or INSERT/ATTRIB.../SEQEND being made: the records so far.
  std::vector<Record> complex;

  // The answer acedGetInput gives after acdbEntMake answered RTKWORD (the anonymous block's
  // name); taken by the next acedGetInput, dropped by the next input call.
  std::optional<std::string> entmake_keyword;

  // acdbTblNext: index of the next entry to give, per table (upper-case table name).
  std::map<std::string, size_t> table_cursors;
};

}  // namespace cad
