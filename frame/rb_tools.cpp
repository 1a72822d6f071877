// Helpers over result-buffer lists and wide texts.
#include "frame/rb_tools.h"

#include <cwctype>

resbuf* new_text_node(int type, const ACHAR* text) {
  resbuf* node = acutNewRb(type);
  if (node == nullptr) return nullptr;
  if (acutUpdString(text, node->resval.rstring) != RTNORM) {
    acutRelRb(node);
    return nullptr;
  }
  return node;
}

resbuf* find_group(resbuf* list, int type) {
  for (resbuf* node = list; node != nullptr; node = node->rbnext) {
    if (node->restype == type) return node;
  }
  return nullptr;
}

resbuf* last_node(resbuf* list) {
  if (list == nullptr) return nullptr;
  while (list->rbnext != nullptr) list = list->rbnext;
  return list;
}

resbuf* append_list(resbuf* list, resbuf* tail) {
  if (list == nullptr) return tail;
  last_node(list)->rbnext = tail;
  return list;
}

bool same_text_nocase(const ACHAR* a, const ACHAR* b) {
  if (a == nullptr || b == nullptr) return a == b;
  for (; *a != L'\0' && *b != L'\0'; ++a, ++b) {
    if (std::towupper(static_cast<wint_t>(*a)) != std::towupper(static_cast<wint_t>(*b))) {
      return false;
    }
  }
  return *a == *b;
}

void copy_text(ACHAR* dest, size_t capacity, const ACHAR* src) {
  if (capacity == 0) return;
  size_t i = 0;
  for (; src != nullptr && src[i] != L'\0' && i + 1 < capacity; ++i) dest[i] = src[i];
  dest[i] = L'\0';
}
