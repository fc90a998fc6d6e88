// The Qt message boxes: titles, texts, buttons and answers, and the input
// box's conversion between the program's Windows-1252 bytes and Unicode.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "platform/codepage.h"
#include "tests/ui/modalanswer.h"
#include "ui/messageboxes.h"

using testsupport::ModalAnswer;

namespace {

struct SeenBox {
  QString title;
  QString text;
  QStringList buttons;
  QString defaultbutton;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

SeenBox look(QMessageBox* box) {
  SeenBox seen{box->windowTitle(), box->text(), {}, {}, box->icon()};
  for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
  if (box->defaultButton()) seen.defaultbutton = box->defaultButton()->text();
  return seen;
}

// Presses the button with the given text, or Escape when text is empty.
std::function<bool(QWidget*)> answerbox(SeenBox& seen, const QString& press) {
  return [&seen, press](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) return false;
    seen = look(box);
    if (press.isEmpty()) {
      QTest::keyClick(box, Qt::Key_Escape);
      return true;
    }
    for (QAbstractButton* button : box->buttons())
      if (button->text() == press) button->click();
    return true;
  };
}

}  // namespace

class MessageBoxesTest : public QObject {
  Q_OBJECT

 private slots:
  void warningAndInformationHaveTheirTitleAndOneOkButton() {
    ui::QtMessages messages;
    SeenBox warning;
    {
      ModalAnswer answer(answerbox(warning, QStringLiteral("OK")));
      messages.warning(std::string("Fehler beim Löschen der Statusdatei!"_cp));
      QVERIFY(answer.done);
    }
    QCOMPARE(warning.title, QStringLiteral("Warnung"));
    QCOMPARE(warning.text, QStringLiteral("Fehler beim Löschen der Statusdatei!"));
    QCOMPARE(warning.buttons, QStringList{QStringLiteral("OK")});
    QCOMPARE(warning.icon, QMessageBox::Warning);

    SeenBox information;
    {
      ModalAnswer answer(answerbox(information, QString()));  // Escape closes it too
      messages.information(std::string("Import wurde ausgeführt, 3 Einträge verarbeitet!"_cp));
      QVERIFY(answer.done);
    }
    QCOMPARE(information.title, QStringLiteral("Information"));
    QCOMPARE(information.text, QStringLiteral("Import wurde ausgeführt, 3 Einträge verarbeitet!"));
    QCOMPARE(information.buttons, QStringList{QStringLiteral("OK")});
  }

  void lineBreaksOfMessagesAreShownAsSingleBreaks() {
    ui::QtMessages messages;
    SeenBox seen;
    ModalAnswer answer(answerbox(seen, QStringLiteral("OK")));
    messages.warning("tdbdyngrid: db_init\n\rQuelle:c_rezepte\r\nx\ry");
    QCOMPARE(seen.text, QStringLiteral("tdbdyngrid: db_init\nQuelle:c_rezepte\nx\ny"));
  }

  void onlyJaCountsAsConsent() {
    ui::QtMessages messages;
    SeenBox seen;
    bool yes = false;
    {
      ModalAnswer answer(answerbox(seen, QStringLiteral("&Ja")));
      yes = messages.question("Sind Sie sicher?", platform::Vorgabe::ja);
    }
    QVERIFY(yes);
    QCOMPARE(seen.title, QStringLiteral("Bestätigung"));
    QCOMPARE(seen.text, QStringLiteral("Sind Sie sicher?"));
    QCOMPARE(seen.buttons, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein")}));
    QCOMPARE(seen.defaultbutton, QStringLiteral("&Ja"));

    {
      ModalAnswer answer(answerbox(seen, QStringLiteral("&Nein")));
      yes = messages.question("Sind Sie sicher?", platform::Vorgabe::ja);
    }
    QVERIFY(!yes);
    {
      ModalAnswer answer(answerbox(seen, QString()));
      yes = messages.question("Sind Sie sicher?", platform::Vorgabe::ja);
      QVERIFY(answer.done);
    }
    QVERIFY(!yes);
    // A question whose "Ja" deletes: Enter answers "Nein".
    {
      ModalAnswer answer(answerbox(seen, QStringLiteral("&Nein")));
      yes = messages.question("Sind Sie sicher?", platform::Vorgabe::nein);
    }
    QCOMPARE(seen.defaultbutton, QStringLiteral("&Nein"));
  }

  void threeWayQuestionTellsWhichButtonWasPressed() {
    ui::QtMessages messages;
    const std::pair<QString, platform::Antwort> cases[] = {{QStringLiteral("&Ja"), platform::Antwort::ja},
                                                           {QStringLiteral("&Nein"), platform::Antwort::nein},
                                                           {QStringLiteral("Abbrechen"), platform::Antwort::abbrechen},
                                                           {QString(), platform::Antwort::abbrechen}};
    for (const auto& [press, expected] : cases) {
      SeenBox seen;
      ModalAnswer answer(answerbox(seen, press));
      QCOMPARE(messages.yesnocancel(std::string("Änderungen speichern?"_cp)), expected);
      QCOMPARE(seen.title, QStringLiteral("Bestätigung"));
      QCOMPARE(seen.text, QStringLiteral("Änderungen speichern?"));
      seen.buttons.sort();  // the box orders them by role
      QCOMPARE(seen.buttons,
               (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("Abbrechen")}));
      QCOMPARE(seen.defaultbutton, QStringLiteral("&Ja"));
    }
  }

  void inputBoxReturnsTheTypedTextInWindows1252() {
    ui::QtMessages messages;
    QString title, label, prefill, buttons;
    int maxlength = 0;
    ModalAnswer answer([&](QWidget* modal) {
      auto* box = qobject_cast<QInputDialog*>(modal);
      if (box == nullptr) return false;
      auto* field = box->findChild<QLineEdit*>();
      title = box->windowTitle();
      label = box->labelText();
      prefill = field->text();
      maxlength = field->maxLength();
      for (QAbstractButton* button : box->findChild<QDialogButtonBox*>()->buttons()) buttons += button->text() + "|";
      // An umlaut has a code; the euro sign too (0x80); a Greek letter has none.
      field->setText(QStringLiteral("Kräuterlikör € α"));
      box->accept();
      return true;
    });
    std::string value = "Kr\xE4uter";
    QVERIFY(messages.inputbox("umbenennen", "Bitte Namen eingeben:", value));
    QCOMPARE(title, QStringLiteral("umbenennen"));
    QCOMPARE(label, QStringLiteral("Bitte Namen eingeben:"));
    QCOMPARE(prefill, QStringLiteral("Kräuter"));
    QCOMPARE(maxlength, 255);
    QVERIFY(buttons.contains("OK|") && buttons.contains("Abbrechen|"));
    QCOMPARE(value, std::string("Kr\xE4uterlik\xF6r \x80 ?"));
  }

  void cancelledInputBoxLeavesTheValue() {
    ui::QtMessages messages;
    ModalAnswer answer([](QWidget* modal) {
      auto* box = qobject_cast<QInputDialog*>(modal);
      if (box == nullptr) return false;
      box->findChild<QLineEdit*>()->setText(QStringLiteral("anders"));
      box->reject();
      return true;
    });
    std::string value = "Rum";
    QVERIFY(!messages.inputbox("umbenennen", "Bitte Namen eingeben:", value));
    QCOMPARE(value, std::string("Rum"));
  }

  void inputBoxTakesAtMost255Characters() {
    ui::QtMessages messages;
    ModalAnswer answer([](QWidget* modal) {
      auto* box = qobject_cast<QInputDialog*>(modal);
      if (box == nullptr) return false;
      auto* field = box->findChild<QLineEdit*>();
      field->end(false);  // the prefilled text starts selected
      QTest::keyClicks(field, QString(10, QLatin1Char('y')));
      box->accept();
      return true;
    });
    std::string value(300, 'x');
    QVERIFY(messages.inputbox("umbenennen", "Bitte Namen eingeben:", value));
    QCOMPARE(value, std::string(255, 'x'));
  }
};

QTEST_MAIN(MessageBoxesTest)
#include "messageboxes_test.moc"
