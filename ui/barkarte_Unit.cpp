#include "ui/barkarte_Unit.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <memory>

#include "catalogue/anzeigetexte.h"
#include "catalogue/rezeptformat.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/messages.h"
#include "ui/qtext.h"

namespace ui {

namespace {

constexpr int pdfaufloesung = 300;      // dots per inch
constexpr std::size_t langekarte = 50;  // a card of more recipes shows the progress dialog
constexpr qreal zollmm = 25.4;

QPageLayout a4() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 15, 18, 12),
                     QPageLayout::Millimeter);
}

// Readable on paper: a sans serif of 10 points for the lines, larger for
// names and the title.
struct Schriften {
  QFont titel, kopf, name, zeile, zubereitung, fuss;
};

Schriften schriften() {
  const auto schrift = [](qreal punkte, bool fett, bool kursiv) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(punkte);
    font.setBold(fett);
    font.setItalic(kursiv);
    // Any letter spacing keeps "ff" and "fi" apart, so that the PDF's text
    // reads and searches as written.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.1);
    return font;
  };
  return {schrift(24, true, false),  schrift(11, false, false), schrift(13, true, false),
          schrift(10, false, false), schrift(10, false, true),  schrift(8, false, false)};
}

// Paragraphs one under the other, each laid out in lines of the width.
class Block {
 public:
  Block(QPaintDevice& geraet, qreal breite) : geraet_(&geraet), breite_(breite) {}

  void add(const std::string& text, const QFont& font, qreal einzug, qreal davor) {
    auto layout = std::make_unique<QTextLayout>(toqt(text), font, geraet_);
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
      line.setLineWidth(breite_ - einzug);
      line.setPosition(QPointF(einzug, y));
      y += line.height();
    }
    layout->endLayout();
    oben_.push_back(hoehe_ + davor);
    absaetze_.push_back(std::move(layout));
    hoehe_ += davor + y;
  }

  qreal hoehe() const { return hoehe_; }

  void malen(QPainter& painter) const {
    for (std::size_t i = 0; i < absaetze_.size(); ++i) absaetze_[i]->draw(&painter, QPointF(0, oben_[i]));
  }

 private:
  QPaintDevice* geraet_;
  qreal breite_;
  std::vector<std::unique_ptr<QTextLayout>> absaetze_;
  std::vector<qreal> oben_;
  qreal hoehe_ = 0;
};

Block kopfblock(QPaintDevice& geraet, const std::vector<std::string>& kopf, const Schriften& s, qreal mm) {
  Block block(geraet, geraet.width());
  for (std::size_t i = 0; i < kopf.size(); ++i) block.add(kopf[i], i == 0 ? s.titel : s.kopf, 0, i == 0 ? 0 : mm);
  return block;
}

Block rezeptblock(QPaintDevice& geraet, const catalogue::Kartenrezept& rezept, const Schriften& s, qreal mm) {
  Block block(geraet, geraet.width());
  block.add(rezept.name, s.name, 0, 0);
  for (std::size_t i = 0; i < rezept.zutaten.size(); ++i)
    block.add(rezept.zutaten[i], s.zeile, 5 * mm, i == 0 ? mm : 0);
  // Each line of the preparation a paragraph of its own.
  const std::vector<std::string_view> zeilen = catalogue::zubereitungszeilen(rezept.zubereitung);
  for (std::size_t i = 0; i < zeilen.size(); ++i)
    block.add(std::string(zeilen[i]), s.zubereitung, 5 * mm, i == 0 ? 1.5 * mm : 0);
  return block;
}

void fussmalen(QPainter& painter, const QPaintDevice& geraet, const QFont& font, qreal hoehe, int32_t seite,
               int32_t seiten) {
  painter.setFont(font);
  painter.drawText(QRectF(0, geraet.height() - hoehe, geraet.width(), hoehe), Qt::AlignHCenter | Qt::AlignBottom,
                   toqt(catalogue::seitenfuss(seite, seiten)));
}

// The head with a rule under it.
void kopfmalen(QPainter& painter, const Block& kopf, qreal breite, qreal mm) {
  kopf.malen(painter);
  painter.setPen(QPen(Qt::gray, mm / 4));
  painter.drawLine(QPointF(0, kopf.hoehe() + mm), QPointF(breite, kopf.hoehe() + mm));
  painter.setPen(Qt::black);
}

// A recipe where the page break put it, shrunk when it is taller than a page.
void blockmalen(QPainter& painter, const Block& block, const catalogue::Kartenplatz& platz) {
  painter.save();
  painter.translate(0, platz.oben);
  painter.scale(platz.mass, platz.mass);
  block.malen(painter);
  painter.restore();
}

}  // namespace

bool barkartemalen(QPagedPaintDevice& geraet, const std::vector<std::string>& kopf,
                   const std::vector<catalogue::Kartenrezept>& rezepte, catalogue::ProgressPort* fortschritt,
                   bool keepsize) {
  if (!keepsize) geraet.setPageLayout(a4());
  QPainter painter;
  if (!painter.begin(&geraet)) return false;
  const Schriften s = schriften();
  const qreal mm = geraet.logicalDpiY() / zollmm;
  const Block kopfsatz = kopfblock(geraet, kopf, s, mm);
  std::vector<Block> bloecke;
  std::vector<int32_t> hoehen;
  for (const catalogue::Kartenrezept& rezept : rezepte) {
    bloecke.push_back(rezeptblock(geraet, rezept, s, mm));
    hoehen.push_back(static_cast<int32_t>(std::ceil(bloecke.back().hoehe())));
  }
  const qreal fuss = QFontMetricsF(s.fuss, &geraet).height() * 2;
  const catalogue::Seitenmasse masse{static_cast<int32_t>(geraet.height() - fuss),
                                     static_cast<int32_t>(std::ceil(kopfsatz.hoehe() + 2 * mm)),
                                     static_cast<int32_t>(6 * mm)};
  const std::vector<catalogue::Kartenplatz> plaetze = catalogue::seitenumbruch(hoehen, masse);
  const int32_t seiten = plaetze.empty() ? 1 : plaetze.back().seite + 1;
  kopfmalen(painter, kopfsatz, geraet.width(), mm);
  int32_t seite = 0;
  for (std::size_t i = 0; i < bloecke.size(); ++i) {
    for (; seite < plaetze[i].seite; ++seite) {
      fussmalen(painter, geraet, s.fuss, fuss, seite + 1, seiten);
      geraet.newPage();
    }
    blockmalen(painter, bloecke[i], plaetze[i]);
    if (fortschritt) fortschritt->zeigefortschritt(catalogue::fortschrittprozent(i + 1, bloecke.size()));
  }
  fussmalen(painter, geraet, s.fuss, fuss, seite + 1, seiten);
  if (fortschritt) fortschritt->close();
  return painter.end();
}

bool barkartepdf(const QString& path, const std::vector<std::string>& kopf,
                 const std::vector<catalogue::Kartenrezept>& rezepte, catalogue::ProgressPort* fortschritt) {
  QPdfWriter writer(path);
  writer.setResolution(pdfaufloesung);
  writer.setTitle(QStringLiteral("Barkarte"));
  writer.setCreator(QStringLiteral("Mixolino"));
  return barkartemalen(writer, kopf, rezepte, fortschritt);
}

Tbarkarteform::Tbarkarteform(const catalogue::Catalogue& catalogue, catalogue::ProgressPort& progress, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), progress_(progress) {
  setObjectName(QStringLiteral("barkarteform"));
  Label_frage = new QLabel(QStringLiteral("Als PDF-Datei speichern oder drucken?"), this);
  Label_frage->setObjectName(QStringLiteral("Label_frage"));
  const auto knopf = [this](const char* name, const QString& text, int wahl) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromUtf8(name));
    connect(button, &QPushButton::clicked, this, [this, wahl] { done(wahl); });
    return button;
  };
  b_pdf = knopf("b_pdf", toqt("Als &PDF speichern…"_cp), pdf);
  b_drucken = knopf("b_drucken", toqt("&Drucken…"_cp), drucker);
  b_abbrechen = knopf("b_abbrechen", QStringLiteral("Abbrechen"), abgebrochen);
  b_pdf->setDefault(true);
  auto* knoepfe = new QHBoxLayout;
  for (QPushButton* button : {b_pdf, b_drucken, b_abbrechen}) knoepfe->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label_frage);
  layout->addLayout(knoepfe);

  SaveDialogpdf = new QFileDialog(this);
  SaveDialogpdf->setObjectName(QStringLiteral("SaveDialogpdf"));
  SaveDialogpdf->setOption(QFileDialog::DontUseNativeDialog);
  SaveDialogpdf->setFileMode(QFileDialog::AnyFile);
  SaveDialogpdf->setAcceptMode(QFileDialog::AcceptSave);
  SaveDialogpdf->setNameFilter(QStringLiteral("PDF-Dateien (*.pdf)"));
  SaveDialogpdf->setDefaultSuffix(QStringLiteral("pdf"));
  SaveDialogpdf->setDirectory(QDir::homePath());
}

void Tbarkarteform::ausgeben(const std::vector<std::string>& ids, const catalogue::Portionen& portionen) {
  setWindowTitle(ids.size() == 1 ? QStringLiteral("Rezept drucken") : QStringLiteral("Barkarte"));
  const int wahl = exec();
  if (wahl == abgebrochen) return;
  const std::vector<catalogue::Kartenrezept> rezepte = catalogue::kartenrezepte(catalogue_, ids, portionen);
  const std::string datum = platform::formatdatetime(platform::now()).substr(0, 10);
  const std::vector<std::string> kopf = catalogue::kartenkopf(datum, rezepte.size(), portionen);
  // One recipe is saved under its name, a slash in it made a hyphen.
  const QString dateiname = rezepte.size() == 1 && ids.size() == 1
                                ? toqt(rezepte.front().name).replace(QLatin1Char('/'), QLatin1Char('-')) + ".pdf"
                                : QStringLiteral("Barkarte.pdf");
  if (wahl == pdf)
    speichern(kopf, rezepte, dateiname);
  else
    drucken(kopf, rezepte);
}

void Tbarkarteform::speichern(const std::vector<std::string>& kopf, const std::vector<catalogue::Kartenrezept>& rezepte,
                              const QString& dateiname) {
  SaveDialogpdf->selectFile(dateiname);
  if (SaveDialogpdf->exec() != QDialog::Accepted || SaveDialogpdf->selectedFiles().isEmpty()) return;
  if (!barkartepdf(SaveDialogpdf->selectedFiles().first(), kopf, rezepte, fortschritt(rezepte.size())))
    platform::showwarning("Die PDF-Datei konnte nicht geschrieben werden.");
}

void Tbarkarteform::drucken(const std::vector<std::string>& kopf, const std::vector<catalogue::Kartenrezept>& rezepte) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(a4());
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  if (!barkartemalen(printer, kopf, rezepte, fortschritt(rezepte.size()), true))
    platform::showwarning("Die Barkarte konnte nicht gedruckt werden.");
}

catalogue::ProgressPort* Tbarkarteform::fortschritt(std::size_t anzahl) {
  return anzahl > langekarte ? &progress_ : nullptr;
}

}  // namespace ui
