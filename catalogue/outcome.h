// What a catalogue step that can fail answers: done, or failed with its
// reason in the words the user reads (a message text, or the text of the
// failed file operation). A failure the table store has already shown in its
// own warning, with nothing to add, has no reason. The command the window
// called decides how the reason is shown. A look-up that finds nothing or a
// dialog the user cancels is no failure: those answer with std::optional.
#pragma once

#include <string>
#include <utility>

#include "platform/file.h"
#include "platform/messages.h"

namespace catalogue {

struct [[nodiscard]] Outcome {
  bool done = false;
  std::string failure;

  explicit operator bool() const { return done; }
  static Outcome ok() { return {true, {}}; }
  static Outcome failed(std::string failure = {}) { return {false, std::move(failure)}; }
  // Failed, with the text of the last failed file operation.
  static Outcome ioerror() { return failed(platform::errortext(platform::lasterror())); }

  // Whether it was done; when not, its reason, if it has one, is shown as a warning.
  bool orwarn() const {
    if (!done && !failure.empty()) platform::showwarning(failure);
    return done;
  }
};

}  // namespace catalogue
