#include "platform/messages.h"

#include <cstdio>

#include "platform/codepage.h"

namespace platform {

namespace {

// Used before the windows exist and by command-line tools.
class StderrMessages : public MessagePort {
 public:
  void warning(const std::string& text) override { print("Warnung", text); }
  void information(const std::string& text) override { print("Information", text); }
  bool question(const std::string& text) override {
    print("Frage", text);
    return false;
  }
  Antwort yesnocancel(const std::string& text) override {
    print("Frage", text);
    return Antwort::abbrechen;
  }
  bool inputbox(const std::string&, const std::string& prompt, std::string&) override {
    print("Eingabe", prompt);
    return false;
  }

 private:
  static void print(const char* kind, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kind, cp1252_to_utf8(text).c_str());
  }
};

StderrMessages fallback;
MessagePort* current = &fallback;

}  // namespace

void setmessageport(MessagePort* port) { current = port != nullptr ? port : &fallback; }

MessagePort& messages() { return *current; }

}  // namespace platform
