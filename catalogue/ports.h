// What the catalogue needs of the windows, as small interfaces the windows
// implement and tests fake. Messages go through platform/messages.h.
#pragma once

#include <optional>
#include <string>

namespace catalogue {

// The splash window during the start-up sequence.
class SplashPort {
 public:
  virtual ~SplashPort() = default;
  virtual void show() = 0;  // without waiting, repainted at once
  virtual void close() = 0;
};

// The application and its start-up timer.
class ApplicationPort {
 public:
  virtual ~ApplicationPort() = default;
  virtual void endapplication() = 0;  // the event loop stops after the current event
  virtual void armstarttimer() = 0;   // Starttimer fires again in 100 ms
};

// The open-file dialog of the import; the chosen path, or nothing on cancel.
class ImportFilePort {
 public:
  virtual ~ImportFilePort() = default;
  virtual std::optional<std::string> chooseimportfile() = 0;
};

// The dialogs of the export and the backup; the chosen path, or nothing on cancel.
class ExportPort {
 public:
  virtual ~ExportPort() = default;
  virtual std::optional<std::string> chooseexportfile() = 0;
  virtual std::optional<std::string> choosebackupfolder() = 0;  // ends with "/"
};

// The progress dialog of the search and of the ingredient editor.
class ProgressPort {
 public:
  virtual ~ProgressPort() = default;
  virtual void zeigefortschritt(int percent) = 0;  // shows the dialog if hidden
  virtual void close() = 0;
};

// The rating dialog: true and the chosen rating 1..5 when "OK" was pressed.
class RatingPort {
 public:
  virtual ~RatingPort() = default;
  virtual bool anzeigen(int& rating) = 0;
};

}  // namespace catalogue
