#include "report/page_model.h"

namespace vx {

void PageModel::Clear() {
  count = 0;
  for (PageControl& c : controls) {
    c.id = 0;
    c.hasText = false;
    c.enabled = false;
    c.text.Clear();
  }
}

PageControl* PageModel::Find(int id) {
  for (int i = 0; i < count; ++i)
    if (controls[i].id == id) return &controls[i];
  return nullptr;
}

const PageControl* PageModel::Find(int id) const {
  for (int i = 0; i < count; ++i)
    if (controls[i].id == id) return &controls[i];
  return nullptr;
}

PageControl* PageModel::FindOrAdd(int id) {
  PageControl* c = Find(id);
  if (c != nullptr) return c;
  if (count >= kMaxPageControls) return nullptr;  // no page has this many controls
  c = &controls[count++];
  c->id = id;
  c->hasText = false;
  c->enabled = false;
  c->text.Clear();
  return c;
}

void PageModel::SetText(int id, const char* text) {
  PageControl* c = FindOrAdd(id);
  if (c == nullptr) return;
  c->text.Set(text);
  c->hasText = true;
}

void PageModel::SetTextFormat(int id, const char* fmt, ...) {
  PageControl* c = FindOrAdd(id);
  if (c == nullptr) return;
  va_list ap;
  va_start(ap, fmt);
  TextFormatV(c->text.s, c->text.kCapacity, fmt, ap);
  va_end(ap);
  c->hasText = true;
}

const char* PageModel::GetText(int id) const {
  const PageControl* c = Find(id);
  return c != nullptr && c->hasText ? c->text.c_str() : "";
}

bool PageModel::HasText(int id) const {
  const PageControl* c = Find(id);
  return c != nullptr && c->hasText;
}

void PageModel::Enable(int id) {
  PageControl* c = FindOrAdd(id);
  if (c != nullptr) c->enabled = true;
}

bool PageModel::IsEnabled(int id) const {
  const PageControl* c = Find(id);
  return c != nullptr && c->enabled;
}

}  // namespace vx
