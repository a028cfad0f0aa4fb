#include "core/errors.h"

#include <utility>

namespace core {

VbError::VbError(long number, std::string source, std::string description)
    : std::runtime_error(description),
      number_(number),
      source_(std::move(source)),
      description_(std::move(description)) {}

const std::string& exe_name() {
  static const std::string name = "mellix";
  return name;
}

bool ignore_errors(const std::function<void()>& statement) {
  try {
    statement();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace core
