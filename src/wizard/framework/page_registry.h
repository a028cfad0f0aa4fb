#pragma once

// The pages of the wizard, by number: each is one process-wide instance, created on first use
// (its Form_Load runs then) and shown and hidden by its neighbours.

#include <functional>
#include <memory>

#include "wizard/framework/wizard_page.h"

namespace wizard {

using PageFactory = std::function<std::unique_ptr<WizardPage>()>;

/// Makes page `number` known; each page's file registers itself.
void register_page(int number, PageFactory factory);

/// Page `number`, created and loaded on first use; nullptr when the program has no such page.
WizardPage* page(int number);
inline WizardPage* page(PageId id) { return page(number(id)); }

/// The page of type P (P::kNumber), created and loaded on first use.
template <class P>
P& page() {
  return static_cast<P&>(*page(P::kNumber));
}

/// Whether page `number` has been created.
bool page_exists(int number);

/// Unloads every page that exists; the next use creates it again.
void unload_pages();

/// Registers page P at start-up: `static PageRegistrar<Form4> registrar;`.
template <class P>
struct PageRegistrar {
  PageRegistrar() {
    register_page(P::kNumber, [] { return std::unique_ptr<WizardPage>(new P); });
  }
};

}  // namespace wizard
