// A message port for tests: records every message with its kind and exact
// bytes, and answers questions and input boxes from a script.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/messages.h"

namespace testsupport {

struct Message {
  enum class Kind { warning, information, question, yesnocancel, inputbox };
  Kind kind;
  std::string text;  // for input boxes: caption, "|", prompt
  bool operator==(const Message&) const = default;
};

class FakeMessages : public platform::MessagePort {
 public:
  FakeMessages() { platform::setmessageport(this); }
  ~FakeMessages() override { platform::setmessageport(nullptr); }

  void warning(const std::string& text) override { record({Message::Kind::warning, text}); }
  void information(const std::string& text) override { record({Message::Kind::information, text}); }

  bool question(const std::string& text, platform::Vorgabe vorgabe) override {
    if (vorgabe == platform::Vorgabe::nein) neinvorgaben.push_back(text);
    record({Message::Kind::question, text});
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }

  platform::Antwort yesnocancel(const std::string& text) override {
    log.push_back({Message::Kind::yesnocancel, text});
    if (threeway.empty()) return platform::Antwort::nein;
    const platform::Antwort answer = threeway.front();
    threeway.pop_front();
    return answer;
  }

  bool inputbox(const std::string& caption, const std::string& prompt, std::string& value) override {
    record({Message::Kind::inputbox, caption + "|" + prompt});
    prefills.push_back(value);
    if (inputs.empty()) return false;
    const InputAnswer answer = inputs.front();
    inputs.pop_front();
    if (answer.ok) value = answer.text;
    return answer.ok;
  }

  // Texts of all messages of one kind, in order.
  std::vector<std::string> texts(Message::Kind kind) const {
    std::vector<std::string> out;
    for (const Message& m : log)
      if (m.kind == kind) out.push_back(m.text);
    return out;
  }
  std::vector<std::string> warnings() const { return texts(Message::Kind::warning); }
  std::vector<std::string> informations() const { return texts(Message::Kind::information); }
  std::vector<std::string> questions() const { return texts(Message::Kind::question); }

  void clear() { log.clear(); }

  // Records a message; onshow runs while its box would be open.
  void record(const Message& message) {
    log.push_back(message);
    if (onshow) onshow(message);
  }

  struct InputAnswer {
    bool ok;
    std::string text;
  };

  std::vector<Message> log;
  std::deque<bool> answers;                // scripted answers to questions; none left means "No"
  std::deque<platform::Antwort> threeway;  // answers to yes/no/cancel; none left means "Nein"
  std::deque<InputAnswer> inputs;          // scripted answers to input boxes; none left means "Abbrechen"
  std::vector<std::string> prefills;       // what each input box was prefilled with
  std::vector<std::string> neinvorgaben;   // the questions whose default button is "&Nein"
  std::function<void(const Message&)> onshow;
};

}  // namespace testsupport
