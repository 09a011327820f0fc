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

// A long job stopped because the person asked it to ("Tile creation cancelled", "Map building
// cancelled"). It ends the job like an error: what was finished stays, nothing half-made is
// left, and a command-line run logs the text and exits 1.
class OperationCancelled : public CartozenError {
 public:
  using CartozenError::CartozenError;
};

}  // namespace cz
