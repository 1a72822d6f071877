// Helpers over result-buffer lists and wide texts.
#include "frame/rb_tools.h"

#include <cwctype>

resbuf* new_text_node(int type, const ACHAR* text) {
  resbuf* node = acutNewRb(type);
  if (node == nullptr) return nullptr;
  if (acutUpdString(text, node->resval.rstring) != Acad::eOk) {
    acutRelRb(node);
    return nullptr;
  }
  return node;
}

resbuf* rb_assoc(resbuf* list, short code) {
  for (; list != nullptr; list = list->rbnext) {
    if (list->restype == code) return list;
  }
  return nullptr;
}

resbuf* rb_prev(resbuf* list, const resbuf* node) {
  for (; list != nullptr; list = list->rbnext) {
    if (list->rbnext == node) return list;
  }
  return nullptr;
}

resbuf* rb_last(resbuf* list) { return rb_prev(list, nullptr); }

resbuf* rb_append(resbuf* first, resbuf* second) {
  if (first == nullptr) return second;
  rb_last(first)->rbnext = second;
  return first;
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
