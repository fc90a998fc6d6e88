// The printed card of recipes, and one recipe printed alike: a small dialog
// asks whether to save a PDF file or to print, then the card is laid out on
// A4 portrait pages and painted.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "catalogue/barkarte.h"
#include "catalogue/catalogue.h"
#include "catalogue/mengen.h"
#include "catalogue/ports.h"

class QFileDialog;
class QLabel;
class QPagedPaintDevice;
class QPushButton;

namespace ui {

// Paints the head and the recipes on the device's pages, which it sets to A4
// portrait unless keepsize; progress, when given, once per recipe. False when
// the device cannot be painted on.
bool barkartemalen(QPagedPaintDevice& geraet, const std::vector<std::string>& kopf,
                   const std::vector<catalogue::Kartenrezept>& rezepte, catalogue::ProgressPort* fortschritt,
                   bool keepsize = false);

// Writes the card as a PDF file at path; false when the file cannot be written.
bool barkartepdf(const QString& path, const std::vector<std::string>& kopf,
                 const std::vector<catalogue::Kartenrezept>& rezepte, catalogue::ProgressPort* fortschritt);

class Tbarkarteform : public QDialog {
  Q_OBJECT

 public:
  Tbarkarteform(const catalogue::Catalogue& catalogue, catalogue::ProgressPort& progress, QWidget* parent = nullptr);

  // Asks how to give the recipes out, then saves or prints them.
  void ausgeben(const std::vector<std::string>& ids, const catalogue::Portionen& portionen);

  QLabel* Label_frage = nullptr;
  QPushButton* b_pdf = nullptr;
  QPushButton* b_drucken = nullptr;
  QPushButton* b_abbrechen = nullptr;
  QFileDialog* SaveDialogpdf = nullptr;

 private:
  enum Wahl { abgebrochen, pdf, drucker };
  void speichern(const std::vector<std::string>& kopf, const std::vector<catalogue::Kartenrezept>& rezepte,
                 const QString& dateiname);
  void drucken(const std::vector<std::string>& kopf, const std::vector<catalogue::Kartenrezept>& rezepte);
  catalogue::ProgressPort* fortschritt(std::size_t anzahl);

  const catalogue::Catalogue& catalogue_;
  catalogue::ProgressPort& progress_;
};

}  // namespace ui
