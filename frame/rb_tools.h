// Small helpers over the host's result-buffer lists and wide texts that every part of the
// module needs: making text nodes, finding a group, joining lists, and comparing
// names the way the host compares them (without regard to case).
#pragma once

#include <cstddef>

#include "host/arxHeaders.h"

// A new node of the given type holding a copy of text; null when the host has no memory.
resbuf* new_text_node(int type, const ACHAR* text);

// The first node of list with the given type (group code), or null.
resbuf* find_group(resbuf* list, int type);

// The last node of list, or null for an empty list.
resbuf* last_node(resbuf* list);

// Links tail behind the last node of list; returns the joined list.
resbuf* append_list(resbuf* list, resbuf* tail);

// True when the two texts are equal without regard to case.
bool same_text_nocase(const ACHAR* a, const ACHAR* b);

// Copies src into dest (capacity characters, terminator included), cutting it if it is longer.
void copy_text(ACHAR* dest, size_t capacity, const ACHAR* src);
