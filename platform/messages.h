// The message-box port. Every message the table store and the catalogue show
// goes through it; the windows install the Qt boxes, tests install a fake.
// All texts are Windows-1252 bytes.
#pragma once

#include <string>

namespace platform {

// The answer to a question that can also be called off.
enum class Antwort { ja, nein, abbrechen };
// The button that Enter presses in a question: "&Nein" where "&Ja" deletes
// or discards something.
enum class Vorgabe { ja, nein };

class MessagePort {
 public:
  virtual ~MessagePort() = default;
  // Title "Warnung", button "OK".
  virtual void warning(const std::string& text) = 0;
  // Title "Information", button "OK".
  virtual void information(const std::string& text) = 0;
  // Title "Bestätigung", buttons "&Ja" and "&Nein"; true only for "&Ja".
  virtual bool question(const std::string& text, Vorgabe vorgabe) = 0;
  // Title "Bestätigung", buttons "&Ja", "&Nein" and "Abbrechen"; Escape and
  // the title-bar button count as "Abbrechen".
  virtual Antwort yesnocancel(const std::string& text) = 0;
  // A one-line field prefilled with value (at most 255 characters), buttons
  // "OK" and "Abbrechen". True and the entered text in value for "OK".
  virtual bool inputbox(const std::string& caption, const std::string& prompt, std::string& value) = 0;
};

// Installs the port that shows messages from now on; the caller keeps it alive.
// nullptr restores the fallback, which writes to standard error, answers no
// and calls off what can be called off. The calling thread is the one whose
// messages the port shows: other threads' go to the fallback.
void setmessageport(MessagePort* port);
MessagePort& messages();

// While one is alive, warnings and informations wait and are shown, in their
// order, when the outermost one ends: a box that waits for the user must not
// keep a lock on the database that another copy of the program waits for. A
// question or an input box shows what waits first, then asks at once; they
// are never asked while such a lock is held.
class HeldMessages {
 public:
  HeldMessages();
  ~HeldMessages();
  HeldMessages(const HeldMessages&) = delete;
  HeldMessages& operator=(const HeldMessages&) = delete;
};

inline void showwarning(const std::string& text) { messages().warning(text); }
inline void showinformation(const std::string& text) { messages().information(text); }
inline bool askquestion(const std::string& text, Vorgabe vorgabe = Vorgabe::ja) {
  return messages().question(text, vorgabe);
}
inline Antwort askyesnocancel(const std::string& text) { return messages().yesnocancel(text); }

}  // namespace platform
