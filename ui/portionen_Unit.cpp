#include "ui/portionen_Unit.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>

#include "platform/codepage.h"
#include "ui/qtext.h"

namespace ui {

namespace {

QLabel* beschriftung(const char* name, const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromUtf8(name));
  label->setBuddy(buddy);
  return label;
}

}  // namespace

Portionenwahl::Portionenwahl(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Portionenwahl"));
  e_glaeser = new QSpinBox(this);
  e_glaeser->setObjectName(QStringLiteral("e_glaeser"));
  e_glaeser->setRange(catalogue::minglaeser, catalogue::maxglaeser);
  c_einheit = new QComboBox(this);
  c_einheit->setObjectName(QStringLiteral("c_einheit"));
  for (const catalogue::Masseinheit einheit :
       {catalogue::Masseinheit::cl, catalogue::Masseinheit::ml, catalogue::Masseinheit::oz})
    c_einheit->addItem(toqt(catalogue::einheitwahl(einheit)), static_cast<int>(einheit));
  b_rezeptdrucken = new QPushButton(toqt("Rezept &drucken…"_cp), this);
  b_rezeptdrucken->setObjectName(QStringLiteral("b_rezeptdrucken"));
  b_rezeptdrucken->setAutoDefault(false);
  Label_glaeser = beschriftung("Label_glaeser", toqt("&Gläser:"_cp), e_glaeser, this);
  Label_einheit = beschriftung("Label_einheit", QStringLiteral("Ein&heit:"), c_einheit, this);

  auto* zeile = new QHBoxLayout(this);
  zeile->setContentsMargins(0, 0, 0, 2);
  for (QWidget* control : {static_cast<QWidget*>(Label_glaeser), static_cast<QWidget*>(e_glaeser),
                           static_cast<QWidget*>(Label_einheit), static_cast<QWidget*>(c_einheit)})
    zeile->addWidget(control);
  zeile->addStretch();
  zeile->addWidget(b_rezeptdrucken);

  connect(e_glaeser, &QSpinBox::valueChanged, this, &Portionenwahl::geaendert);
  connect(c_einheit, &QComboBox::currentIndexChanged, this, &Portionenwahl::geaendert);
  connect(b_rezeptdrucken, &QPushButton::clicked, this, &Portionenwahl::drucken);
}

catalogue::Portionen Portionenwahl::portionen() const {
  return {e_glaeser->value(), static_cast<catalogue::Masseinheit>(c_einheit->currentData().toInt())};
}

void Portionenwahl::neuesrezept() {
  const QSignalBlocker still(e_glaeser);  // the recipe is about to be shown anyway
  e_glaeser->setValue(catalogue::minglaeser);
}

}  // namespace ui
