// The progress dialog shown while a long loop blocks the event loop.
#pragma once

#include <QDialog>
#include <QWidget>

namespace ui {

// A bar gauge: a blue bar on white in a single-line border with the whole
// percentage written in the middle.
class Tfortschrittsbalken : public QWidget {
  Q_OBJECT

 public:
  explicit Tfortschrittsbalken(QWidget* parent = nullptr);

  void setrange(int minimum, int maximum);
  // Clamps to the range; repaints at once when the shown percentage changes,
  // because the caller's loop keeps the event loop from painting.
  void setvalue(int value);

  int value() const { return value_; }
  int percent() const;
  QString text() const;  // "%d%%" of percent()

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int share(int whole) const;  // (value - minimum) / (maximum - minimum) of whole
  QRect shownarea() const;

  int minimum_ = 0;
  int maximum_ = 100;
  int value_ = 0;
};

class Tfortschrittform : public QDialog {
  Q_OBJECT

 public:
  explicit Tfortschrittform(QWidget* parent = nullptr);

  // Range 0..100, value percent; shows the dialog only if it is hidden. The
  // caller closes it when its loop ends.
  void zeigefortschritt(int percent);

  Tfortschrittsbalken* fortschritt = nullptr;
};

}  // namespace ui
