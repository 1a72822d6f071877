// Linked into the programs that allocate with mimalloc (DULK_MIMALLOC). Memory that a closed
// drawing's records give back stays mapped for the next drawing, where mimalloc would return it
// to the system after a few milliseconds: reading a drawing after another, or again after UNDO
// freed one, then reuses pages that are already there instead of faulting each one in anew
// (a tenth of the reading time). What a process holds at its peak does not change; what it holds
// after closing a drawing is kept until it exits, as glibc's allocator keeps most of it too.
#include <mimalloc.h>

namespace {

const bool kFreedMemoryKept = [] {
  mi_option_disable(mi_option_allow_decommit);
  return true;
}();

}  // namespace
