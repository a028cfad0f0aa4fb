#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace core {

/// A run-time error with the number, source and description that the program raises
/// and a page turns into a message box.
class VbError : public std::runtime_error {
 public:
  VbError(long number, std::string source, std::string description);

  long number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }

 private:
  long number_;
  std::string source_;
  std::string description_;
};

/// The executable's name, which prefixes the source of every raised error ("mellix").
const std::string& exe_name();

/// Runs one statement "with errors ignored": a VbError or std::exception it throws is
/// swallowed. Returns true when the statement ran without an error.
bool ignore_errors(const std::function<void()>& statement);

}  // namespace core
