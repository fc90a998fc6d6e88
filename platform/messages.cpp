#include "platform/messages.h"

#include <cstdio>
#include <thread>
#include <vector>

#include "platform/codepage.h"

namespace platform {

namespace {

// Used before the windows exist and by command-line tools.
class StderrMessages : public MessagePort {
 public:
  void warning(const std::string& text) override { print("Warnung", text); }
  void information(const std::string& text) override { print("Information", text); }
  bool question(const std::string& text, Vorgabe) override {
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
    std::fprintf(stderr, "%s: %s\n", kind, cp1252toutf8(text).c_str());
  }
};

StderrMessages fallback;
MessagePort* current = &fallback;

// The port while messages are held: it queues the two kinds of box that only
// report, and hands on what needs an answer.
class Holding : public MessagePort {
 public:
  void warning(const std::string& text) override { held_.push_back({true, text}); }
  void information(const std::string& text) override { held_.push_back({false, text}); }
  bool question(const std::string& text, Vorgabe vorgabe) override {
    showheld();
    return current->question(text, vorgabe);
  }
  Antwort yesnocancel(const std::string& text) override {
    showheld();
    return current->yesnocancel(text);
  }
  bool inputbox(const std::string& caption, const std::string& prompt, std::string& value) override {
    showheld();
    return current->inputbox(caption, prompt, value);
  }
  void showheld() {
    std::vector<Held> shown;
    shown.swap(held_);
    for (const Held& message : shown) {
      if (message.warning)
        current->warning(message.text);
      else
        current->information(message.text);
    }
  }

 private:
  struct Held {
    bool warning;
    std::string text;
  };
  std::vector<Held> held_;
};

Holding holding;
int holders = 0;
// The thread that installed the port: the one that shows boxes.
std::thread::id portthread = std::this_thread::get_id();

}  // namespace

void setmessageport(MessagePort* port) {
  current = port != nullptr ? port : &fallback;
  portthread = std::this_thread::get_id();
}

// A box can only be shown by the thread that shows the windows, and the
// held ones wait in a list of that thread's: a message from another thread
// goes to standard error.
MessagePort& messages() {
  if (std::this_thread::get_id() != portthread) return fallback;
  return holders > 0 ? holding : *current;
}

HeldMessages::HeldMessages() { ++holders; }

HeldMessages::~HeldMessages() {
  if (--holders == 0) holding.showheld();
}

}  // namespace platform
