// diff_records, which other tests rely on to prove drawings equal: it must see every kind of
// difference and name the first.
#include "cad/dxf/compare.h"

#include <gtest/gtest.h>

#include "cad/dxf/new_drawing.h"

namespace cad {
namespace {

Record point(double x) {
  Record rec;
  rec.type = "POINT";
  rec.groups = {Group::text(8, "0"), Group::point(10, {x, 0, 0})};
  return rec;
}

TEST(DiffRecords, NamesTheFirstDifferentGroup) {
  auto a = new_drawing();
  auto b = new_drawing();
  RecordId id = a->add_entity(point(1));
  b->add_entity(point(1.5));
  std::string h = handle_text(a->record(id).handle());
  EXPECT_EQ(diff_records(*a, *b),
            "entities[0] (POINT " + h + "): group 2: 10 (1,0,0) vs 10 (1.5,0,0)");
}

TEST(DiffRecords, SeesHandlesCountsHeaderAndPointForms) {
  auto a = new_drawing();
  auto b = new_drawing();
  a->add_entity(point(1));
  b->take_handle();
  b->add_entity(point(1));
  EXPECT_NE(diff_records(*a, *b), "");  // the same point under another handle

  auto c = new_drawing();
  c->add_entity(point(1));
  c->add_entity(point(2));
  EXPECT_EQ(diff_records(*a, *c), "entities: 1 records vs 2");

  auto d = new_drawing();
  d->set_var("LUPREC", VarValue::integer(4));
  EXPECT_EQ(diff_records(*new_drawing(), *d), "header $LUPREC: group 0: 70 3 vs 70 4");

  auto e = new_drawing();
  auto f = new_drawing();
  Record flat = point(1);
  flat.groups[1].dims = 2;
  e->add_entity(point(1));
  f->add_entity(flat);
  EXPECT_NE(diff_records(*e, *f), "");
}

TEST(DiffRecords, EqualDrawingsAndErasedRecordsGiveNothing) {
  auto a = new_drawing();
  auto b = new_drawing();
  a->add_entity(point(1));
  b->add_entity(point(1));
  a->set_erased(a->add_entity(point(7)), true);
  EXPECT_EQ(diff_records(*a, *b), "");
}

}  // namespace
}  // namespace cad
