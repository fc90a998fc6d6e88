// The Qt message boxes behind platform::messages(): modal, centred, with the
// German titles and button texts of the program.
#pragma once

#include <string>

#include "platform/messages.h"

namespace ui {

class QtMessages : public platform::MessagePort {
 public:
  void warning(const std::string& text) override;
  void information(const std::string& text) override;
  bool question(const std::string& text, platform::Vorgabe vorgabe) override;
  platform::Antwort yesnocancel(const std::string& text) override;
  bool inputbox(const std::string& caption, const std::string& prompt, std::string& value) override;
};

// The longest text the input box takes.
inline constexpr int inputboxmaxlength = 255;

}  // namespace ui
