// Every amount field of every page fed hostile text: very long texts, control characters,
// digits and blanks from outside the amount grammar (full-width, Arabic-Indic, ideographic
// and no-break spaces), and values at the edges of the double range. Each gets the field's
// own message with focus and selection in the right field, or is accepted with every result
// a finite figure; nothing crashes and no box opens.
#include <QRegularExpression>
#include <QtTest>
#include <memory>

#include "support/modal_answerer.h"
#include "support/page_fixture.h"

using namespace quorvex::testing;

namespace {

const char kInvalid[] = "无效的金额，请重新输入";
const char kNotPositive[] = "收入金额需大于零，请重新输入";
const char kContributions[] = "五险一金需大于零，请重新输入";
const char kSalaryNegative[] = "收入不能小于0，请重新输入";
const char kReverseInvalid[] = "金额无效，请重新输入";
const char kReverseNotPositive[] = "应纳税额应大于0。";

// How a field reads its amount. A reverse field computes an income from it; the year-end
// bonus page writes that income with two decimals, so a tiny amount comes back as 0.00.
enum class Kind { Positive, NonNegative, Reverse, BonusReverse };

struct Field {
  int row;  // of the category list
  const char* page;
  const char* name;
  const char* label;
  Kind kind;
  const char* invalid;
  const char* range;
  QList<QPair<const char*, const char*>> others;  // other fields a calculation needs
};

const QList<Field>& Fields() {
  static const QList<Field> fields{
      {0, "TFrmSalary", "EditIncome", "TxtInfo_1", Kind::Positive, kInvalid, kNotPositive, {}},
      {0, "TFrmSalary", "EditSafe", "TxtInfo_2", Kind::NonNegative, kInvalid, kContributions, {{"EditIncome", "5000"}}},
      {0, "TFrmSalary", "EditTax", "TxtInfo_3", Kind::Reverse, kReverseInvalid, kReverseNotPositive, {}},
      {0, "TFrmSalary", "EditRealIncome", "TxtInfo_4", Kind::Reverse, kReverseInvalid, kReverseNotPositive, {}},
      {1, "TFrmYear", "EditIncome", "TxtInfo_1", Kind::Positive, kInvalid, kNotPositive, {}},
      {1, "TFrmYear", "EditRealIncome", "TxtInfo_2", Kind::BonusReverse, kInvalid, kNotPositive, {}},
      {2, "TFrmAward", "EditYear", "TxtInfo_1", Kind::Positive, kInvalid, kNotPositive, {{"EditSalary", "5000"}}},
      {2, "TFrmAward", "EditSalary", "TxtInfo_2", Kind::NonNegative, kInvalid, kSalaryNegative, {{"EditYear", "5000"}}},
      {2,
       "TFrmAward",
       "EditSafe",
       "TxtInfo_3",
       Kind::NonNegative,
       kInvalid,
       kContributions,
       {{"EditYear", "5000"}, {"EditSalary", "5000"}}},
      {4, "TFrmLabour", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
      {4, "TFrmLabour", "EditRealIncome", "TxtInfo_2", Kind::Reverse, kReverseInvalid, kReverseNotPositive, {}},
      {5, "TFrmWriting", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
      {6, "TFrmRent", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
      {7, "TFrmProperty", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
      {9, "TFrmLicence", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
      {10, "TFrmCompany", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
      {11, "TFrmContract", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
      {13, "TFrmInterest", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
      {14, "TFrmChance", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
      {15, "TFrmOther", "EditIncome", "TxtInfo", Kind::Positive, kInvalid, kNotPositive, {}},
  };
  return fields;
}

// What a text is, as far as the amount grammar goes.
enum class Text {
  Unparsable,  // every field: its invalid text
  Negative,    // every field: its range text
  Zero,        // parses as 0: refused where the rule is Positive
  Plain,       // an ordinary amount once trimmed
  Largest,     // the largest double: a reverse calculation leaves the double range
  Tiny,        // the smallest positive double
};

struct Case {
  const char* name;
  QString text;
  Text what;
};

QList<Case> Cases() {
  return {
      {"40000 nines", QString(40000, QLatin1Char('9')), Text::Unparsable},
      {"32000 zeros after the point", "0." + QString(32000, QLatin1Char('0')) + "1", Text::Zero},
      {"amount inside 20000 blanks", QString(10000, QLatin1Char(' ')) + "5000" + QString(10000, QLatin1Char(' ')),
       Text::Plain},
      {"control characters around", QString::fromLatin1("\x01\t5000\x1f\n"), Text::Plain},
      {"control character inside", QString("50") + QChar(1) + "00", Text::Unparsable},
      {"DEL before", QChar(0x7f) + QString("5000"), Text::Unparsable},
      {"NUL inside", QString("50") + QChar(0) + "00", Text::Unparsable},
      {"full-width digits", QString::fromUtf8("５０００"), Text::Unparsable},
      {"full-width point", QString::fromUtf8("50．5"), Text::Unparsable},
      {"full-width minus", QString::fromUtf8("－5"), Text::Unparsable},
      {"Arabic-Indic digits", QString::fromUtf8("٥٠٠٠"), Text::Unparsable},
      {"ideographic space after", QString::fromUtf8("5000　"), Text::Unparsable},
      {"no-break space before", QString::fromUtf8("\u00a05000"), Text::Unparsable},
      {"largest double", "1.7976931348623157e308", Text::Largest},
      {"just beyond the largest double", "1.7976931348623159e308", Text::Unparsable},
      {"exponent of 24 digits", "1e999999999999999999999", Text::Unparsable},
      {"most negative double", "-1.7976931348623157e308", Text::Negative},
      {"smallest subnormal", "4.9e-324", Text::Tiny},
      {"below the subnormals", "1e-400", Text::Zero},
  };
}

// The expected outcome: for a refused amount the label, its text and the field that takes the
// focus; all empty for an accepted one.
struct Outcome {
  QString label;
  QString message;
  QString focus;
};

Outcome Expect(const Field& f, Text what) {
  Outcome invalid{f.label, QString::fromUtf8(f.invalid), f.name};
  Outcome range{f.label, QString::fromUtf8(f.range), f.name};
  const bool reverse = f.kind == Kind::Reverse || f.kind == Kind::BonusReverse;
  switch (what) {
    case Text::Unparsable:
      return invalid;
    case Text::Negative:
      return range;
    case Text::Zero:
      return f.kind == Kind::NonNegative ? Outcome{} : range;
    case Text::Plain:
      return {};
    case Text::Largest:
      return reverse ? invalid : Outcome{};
    case Text::Tiny:
      // 4.9e-324 of bonus after tax is a bonus of 0.00, which the forward step refuses.
      if (f.kind == Kind::BonusReverse) return {"TxtInfo_1", QString::fromUtf8(kNotPositive), "EditIncome"};
      return {};
  }
  return {};
}

bool IsErrorText(const QString& text) {
  for (const char* error :
       {kInvalid, kNotPositive, kContributions, kSalaryNegative, kReverseInvalid, kReverseNotPositive}) {
    if (text == QString::fromUtf8(error)) return true;
  }
  return false;
}

const char* const kResultNames[] = {"TxtAverage",       "TxtDeduct", "TxtTaxIncome",   "TxtRate",        "TxtQuick",
                                    "TxtTax1",          "TxtTax2",   "TxtRealIncome1", "TxtRealIncome2", "TxtTaxTotal",
                                    "TxtRealIncomeAll", "EditTax",   "EditRealIncome"};

}  // namespace

Q_DECLARE_METATYPE(Text)

class RobustnessTest : public QObject {
  Q_OBJECT

 private slots:
  void hostileText_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Text>("what");
    for (qsizetype i = 0; i < Fields().size(); ++i) {
      const Field& f = Fields()[i];
      for (const Case& c : Cases()) {
        QTest::addRow("%s %s: %s", f.page, f.name, c.name) << static_cast<int>(i) << c.text << c.what;
      }
    }
  }

  void hostileText() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(Text, what);
    const Field& f = Fields()[field];
    ModalAnswerer guard;
    std::unique_ptr<QWidget> page;
    for (const quorvex::forms::Category& c : quorvex::forms::Categories()) {
      if (QString(c.page) == f.page) page = CreatePage(c.id);
    }
    QVERIFY(page != nullptr);
    page->show();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
    for (const auto& [name, value] : f.others) Child<QLineEdit>(page.get(), name)->setText(value);
    auto* edit = Child<QLineEdit>(page.get(), f.name);
    edit->setFocus(Qt::OtherFocusReason);
    edit->setText(text);
    PressEnter(edit);

    const Outcome expected = Expect(f, what);
    const bool accepted = expected.label.isEmpty();
    for (QLabel* label : page->findChildren<QLabel*>(QRegularExpression("^TxtInfo"))) {
      if (label->objectName() == expected.label) {
        QCOMPARE(label->text(), expected.message);
      } else {
        QVERIFY2(!IsErrorText(label->text()), qPrintable(label->objectName() + " shows " + label->text()));
      }
    }
    if (!accepted) QVERIFY(FocusedAndSelected(Child<QLineEdit>(page.get(), qPrintable(expected.focus))));
    // Whatever happened, every result shows a finite figure; after an accepted amount none is
    // empty. (A refused reverse field keeps the text it was given.)
    static const QRegularExpression figure("^(-?[0-9]+(\\.[0-9]+)?%?)?$");
    for (const char* name : kResultNames) {
      QString shown;
      if (auto* label = page->findChild<QLabel*>(name)) {
        shown = label->text();
      } else if (auto* result = page->findChild<QLineEdit*>(name); result != nullptr && (accepted || result != edit)) {
        shown = result->text();
        if (accepted) QVERIFY2(!shown.isEmpty(), name);
      }
      QVERIFY2(figure.match(shown).hasMatch(), qPrintable(QString(name) + " shows " + shown.left(40)));
    }
    QCOMPARE(guard.StrayCount(), 0);
  }
};

QTEST_MAIN(RobustnessTest)
#include "robustness_test.moc"
