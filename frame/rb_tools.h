// Small helpers over the host's result-buffer lists and wide texts that every part of the
// module needs: making text nodes, finding a group, the last node, joining lists, and comparing
// names the way the host compares them (without regard to case).
#pragma once

#include <cstddef>

#include "host/arxHeaders.h"

// A new node of the given type holding a copy of text; null when the host has no memory.
resbuf* new_text_node(int type, const ACHAR* text);

// The first node of list with the type code (group code), or null.
resbuf* rb_assoc(resbuf* list, short code);

// The node before node in list; with a null node the last node. Null when node is the first
// node or not in the list, and for an empty list.
resbuf* rb_prev(resbuf* list, const resbuf* node);

// The last node of list, or null.
resbuf* rb_last(resbuf* list);

// Links second behind the last node of first and returns first; second when first is empty.
resbuf* rb_append(resbuf* first, resbuf* second);

// True when the two texts are equal without regard to case.
bool same_text_nocase(const ACHAR* a, const ACHAR* b);

// Copies src into dest (capacity characters, terminator included), cutting it if it is longer.
void copy_text(ACHAR* dest, size_t capacity, const ACHAR* src);
