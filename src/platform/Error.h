#pragma once
// The one error type of the program. Its message is the text the person sees, exactly
// as the program words it ("Unable to write to " + file name, "Unable to open file '...'").
// Operations throw it when they cannot go on; windows and the command line show or log it.

#include <stdexcept>
#include <string>

namespace cz {

class CartozenError : public std::runtime_error {
 public:
  explicit CartozenError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace cz
