#include "wizard/framework/page_registry.h"

#include <map>

namespace wizard {

namespace {

struct Entry {
  PageFactory factory;
  std::unique_ptr<WizardPage> instance;
};

std::map<int, Entry>& registry() {
  static std::map<int, Entry> pages;
  return pages;
}

}  // namespace

void register_page(int number, PageFactory factory) { registry()[number].factory = std::move(factory); }

WizardPage* page(int number) {
  auto found = registry().find(number);
  if (found == registry().end() || !found->second.factory) return nullptr;
  Entry& entry = found->second;
  if (!entry.instance) {
    entry.instance = entry.factory();
    // Kept before loading: a handler that the loading routine lets run finds the page.
    WizardPage* created = entry.instance.get();
    created->load();
    return created;
  }
  return entry.instance.get();
}

bool page_exists(int number) {
  auto found = registry().find(number);
  return found != registry().end() && found->second.instance != nullptr;
}

void unload_pages() {
  for (auto& [number, entry] : registry()) entry.instance.reset();
}

}  // namespace wizard
