// What the link and the features above it need from the user interface: modal message boxes
// with one OK button, a yes/no question before a step that cannot be undone, and the standard
// beep. The GUI shows real boxes; tests record; the CLI
// writes to stderr. Texts are UTF-8. `detail` is an optional plain-words reason shown beside
// the system's own text (for example why a port would not open); it may be empty.
#pragma once

#include <string>

namespace keldaro {

class Notifier {
 public:
  virtual ~Notifier() = default;
  virtual void Error(const std::string& title, const std::string& text,
                     const std::string& detail) = 0;
  // True when the person answers "yes" to `text`.
  virtual bool Confirm(const std::string& title, const std::string& text) = 0;
  virtual void Beep() = 0;
};

}  // namespace keldaro
