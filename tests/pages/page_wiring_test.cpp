// Every page of the category list driven as a user drives it, checked against the page logic:
// what forms::Compute() says a calculation shows, the page shows, beside the right field and
// with the focus where it says. The figures and the rejections themselves are checked below
// the window (tests/forms, tests/tax); here only the wiring: focus, selection, Enter, buttons,
// the lists, change handlers, reset, tab order, captions and the room messages have.
#include <QAbstractItemView>
#include <QAccessible>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <QtTest>
#include <array>
#include <map>
#include <set>
#include <string>

#include "forms/messages.h"
#include "pages/blind_zone_warning.h"
#include "pages/service_number.h"
#include "support/modal_answerer.h"
#include "support/page_fixture.h"
#include "tax/bonus.h"
#include "tax/business.h"
#include "tax/payment.h"

using namespace quorvex::testing;
namespace forms = quorvex::forms;
namespace tax = quorvex::tax;
using forms::CategoryId;
using forms::Field;
using forms::Kind;

Q_DECLARE_METATYPE(CategoryId)

namespace {

// What a row types: the income (or bonus), the salary and the contributions, and the entry
// chosen in the page's list (-1: left as it opens).
struct Typing {
  QString income, salary = "5000", contributions = "100";
  int entry = -1;
};

// The texts typed, as the page logic reads them.
struct Typed {
  std::array<std::string, forms::kFieldCount> texts;
  forms::PageInput view;
};

// Every text a page can show in `label` (beside the income also every notice and zone).
std::set<std::string> TextsBeside(const forms::Category& c, const QString& label) {
  std::set<std::string> texts{forms::messages::kInvalidAmount, forms::messages::kReverseInvalid};
  for (const forms::InputField& f : c.inputs) {
    if (label != f.message) continue;
    texts.insert({f.rule.invalidText, f.rule.rangeText});
    if (f.field != Field::kIncome) continue;
    texts.insert({tax::kRoyaltiesNoTaxNotice, tax::kNoTaxDueNotice});
    for (const tax::BlindZone& z : tax::kBlindZones) texts.insert(z.text);
  }
  texts.insert({c.reverseRule.invalidText, c.reverseRule.rangeText});
  return texts;
}

void AddPages() {
  QTest::addColumn<CategoryId>("id");
  for (const forms::Category& c : forms::Categories()) QTest::newRow(c.page) << c.id;
}

}  // namespace

class PageWiringTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<quorvex::pages::CalculatorPage> page;
  const forms::Category* category = nullptr;
  struct Warning {
    QString title, message;
    QStringList lines;
  };
  QList<Warning> warnings;

  void Open(CategoryId id) {
    category = &forms::CategoryOf(id);
    warnings.clear();
    page = CreatePage(id);
    page->SetWarningPresenter([this](QWidget* owner, const QString& title, const QString&) {
      QCOMPARE(owner, page.get());
      QLabel* beside = MessageOf(page.get(), *category, Field::kIncome);
      warnings.append({title, beside->text(), Lines(page.get(), *category)});
    });
    page->show();
    page->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(page.get()));
  }
  QLineEdit* Edit(Field f) const { return FieldOf(page.get(), *category, f); }
  QComboBox* List() const { return page->findChild<QComboBox*>(); }

  // Types a row into the inputs (and chooses its entry) and returns it as the page logic reads it.
  Typed Fill(const Typing& t) {
    Typed typed;
    for (const forms::InputField& input : category->inputs) {
      const QString text = input.field == Field::kIncome   ? t.income
                           : input.field == Field::kSalary ? t.salary
                                                           : t.contributions;
      Type(Edit(input.field), text);
      typed.texts[forms::Index(input.field)] = text.toStdString();
    }
    if (t.entry >= 0 && List() != nullptr) List()->setCurrentIndex(t.entry);
    if (category->choice == forms::Choice::kThreshold) typed.view.threshold = tax::kThresholds[List()->currentIndex()];
    if (category->choice == forms::Choice::kMonths) typed.view.months = List()->currentIndex() + 1;
    return typed;
  }
  forms::Outcome Expected(Kind kind, Typed& typed) {
    for (std::size_t i = 0; i < forms::kFieldCount; ++i) typed.view.texts[i] = typed.texts[i];
    return forms::Compute(*category, kind, typed.view);
  }

  // The page shows `out`: its lines, the texts it writes back, its message beside its field
  // (with the other messages as `others`), the warning, and the focus (else it stays on
  // `unmoved`, nothing selected).
  void ExpectShown(const forms::Outcome& out, QWidget* unmoved, const QString& others = QString()) {
    if (out.computed) QCOMPARE(Lines(page.get(), *category), OutcomeLines(*category, out));
    // The last text written into each input field stays in it (a result field shows its line).
    std::map<Field, std::string> written;
    for (std::size_t i = 0; i < out.stepCount; ++i) {
      if (out.steps[i].what == forms::Step::What::kWrite) written[out.steps[i].field] = out.steps[i].text;
    }
    for (const auto& [field, text] : written) {
      if (category->Input(field) != nullptr) QCOMPARE(Edit(field)->text(), QString::fromStdString(text));
    }
    QLabel* beside = out.message.empty() ? nullptr : MessageOf(page.get(), *category, out.messageField);
    for (QLabel* label : MessageLabels(page.get())) {
      QCOMPARE(label->text(), label == beside
                                  ? QString::fromUtf8(out.message.data(), static_cast<qsizetype>(out.message.size()))
                                  : others);
    }
    QCOMPARE(warnings.size(), out.warning ? 1 : 0);
    if (out.warning) {
      // The box comes with the zone beside the income and the lines before it on show.
      QCOMPARE(warnings[0].title, QString("注意"));
      QCOMPARE(warnings[0].message, QString::fromUtf8(out.message.data(), static_cast<qsizetype>(out.message.size())));
      const auto before = static_cast<qsizetype>(category->linesBeforeWarning);
      QCOMPARE(warnings[0].lines.mid(0, before), OutcomeLines(*category, out).mid(0, before));
      QCOMPARE(warnings[0].lines.mid(before), ClearedLines(page.get(), *category).mid(before));
    }
    if (out.focus) {
      QVERIFY(FocusedAndSelected(Edit(out.focusField)));
    } else {
      QCOMPARE(QApplication::focusWidget(), unmoved);
      if (auto* field = qobject_cast<QLineEdit*>(unmoved)) QVERIFY(!field->hasSelectedText());
    }
  }

 private slots:
  void opensEmptyWithItsCaptionsAndFocusInTheFirstField_data() { AddPages(); }
  void opensEmptyWithItsCaptionsAndFocusInTheFirstField() {
    QFETCH(CategoryId, id);
    Open(id);
    QCOMPARE(page->objectName(), QString(category->page));
    QCOMPARE(QApplication::focusWidget(), Edit(category->inputs.front().field));
    QCOMPARE(Lines(page.get(), *category), ClearedLines(page.get(), *category));
    for (QLabel* label : MessageLabels(page.get())) QCOMPARE(label->text(), QString());
    // Each field, figure and list is named by its caption (its buddy); buttons by their text.
    auto captionOf = [this](QWidget* w) {
      for (QLabel* label : page->findChildren<QLabel*>()) {
        if (label->buddy() == w) return label->text();
      }
      return QString();
    };
    for (const forms::InputField& input : category->inputs) {
      QLineEdit* edit = Edit(input.field);
      QCOMPARE(captionOf(edit), QString(input.caption));
      QCOMPARE(QAccessible::queryAccessibleInterface(edit)->text(QAccessible::Name), QString(input.caption));
    }
    for (const forms::ResultLine& line : category->lines) {
      QCOMPARE(captionOf(Child<QWidget>(page.get(), line.control)), QString(line.caption));
      if (line.reverse != Kind::kForward)
        QCOMPARE(Child<QPushButton>(page.get(), line.button)->text(), QString("反算"));
    }
    QCOMPARE(Child<QPushButton>(page.get(), "BtnCalc")->text(), QString("开始计算"));
    QCOMPARE(Child<QPushButton>(page.get(), "BtnReset")->text(), QString("重置"));
    if (category->choice == forms::Choice::kThreshold) {
      QCOMPARE(captionOf(List()), QString("起征点"));
      QCOMPARE(List()->count(), 2);
      QCOMPARE(List()->itemText(0), QString("3500"));
      QCOMPARE(List()->itemText(1), QString("4800"));
      QCOMPARE(List()->currentIndex(), 0);
    } else if (category->choice == forms::Choice::kMonths) {
      QCOMPARE(captionOf(List()), QString("经营时间"));
      QCOMPARE(List()->count(), 12);
      QCOMPARE(List()->itemText(0), QString("1"));
      QCOMPARE(List()->currentText(), QString("12"));
    } else {
      QVERIFY(List() == nullptr);
    }
    if (List() != nullptr) QVERIFY(!List()->isEditable());
  }

  // Enter in each input field and the button run the forward calculation with every input
  // and the list's chosen entry (read when the calculation runs, not when it changes).
  void forwardCalculation_data() {
    QTest::addColumn<CategoryId>("id");
    QTest::addColumn<QString>("income");
    QTest::addColumn<QString>("contributions");
    QTest::addColumn<int>("entry");
    for (const forms::Category& c : forms::Categories()) {
      QTest::addRow("%s taxed", c.page) << c.id << "10000"
                                        << "100" << 1;
      QTest::addRow("%s 800", c.page) << c.id << " 800 "
                                      << "" << -1;
    }
    QTest::newRow("TFrmYear in a zone") << CategoryId::kYearBonus << "18000.01"
                                        << "" << -1;
    QTest::newRow("TFrmAward in a zone") << CategoryId::kSalaryAndBonus << "19500"
                                         << "4000" << -1;
    QTest::newRow("TFrmContract notice") << CategoryId::kContract << "42000"
                                         << "" << -1;
  }
  void forwardCalculation() {
    QFETCH(CategoryId, id);
    QFETCH(QString, income);
    QFETCH(QString, contributions);
    QFETCH(int, entry);
    Open(id);
    auto* calc = Child<QPushButton>(page.get(), "BtnCalc");
    for (const forms::InputField& input : category->inputs) {
      Fill({"1", "1", "1", 0});
      PressEnter(Edit(input.field));  // results on show, to see them replaced
      const QStringList before = Lines(page.get(), *category);
      Typed typed = Fill({income, "5000", contributions, entry});
      QCOMPARE(Lines(page.get(), *category), before);
      warnings.clear();
      Edit(input.field)->setFocus(Qt::OtherFocusReason);
      PressEnter(Edit(input.field));
      ExpectShown(Expected(Kind::kForward, typed), Edit(input.field));
    }
    Typed typed = Fill({income, "5000", contributions, entry});
    warnings.clear();
    QTest::mouseClick(calc, Qt::LeftButton);
    ExpectShown(Expected(Kind::kForward, typed), calc);
  }

  // Enter in a reverse field and its button run its calculation; a rejected amount is
  // reported beside the field and leaves the lines as they were.
  void reverseCalculation_data() {
    QTest::addColumn<CategoryId>("id");
    QTest::addColumn<QString>("amount");
    for (const forms::Category& c : forms::Categories()) {
      if (!c.Offers(Kind::kFromTax) && !c.Offers(Kind::kFromTakeHome) && !c.Offers(Kind::kFromAfterTax)) continue;
      for (const char* amount : {"900", "700", "abc", "0"}) QTest::addRow("%s %s", c.page, amount) << c.id << amount;
    }
  }
  void reverseCalculation() {
    QFETCH(CategoryId, id);
    QFETCH(QString, amount);
    Open(id);
    for (const forms::ResultLine& line : category->lines) {
      if (line.reverse == Kind::kForward) continue;
      const Field f = forms::Category::Typed(line.reverse);
      auto* button = Child<QPushButton>(page.get(), line.button);
      for (const bool click : {false, true}) {
        Typed typed = Fill({"30000", "5000", "", -1});
        PressEnter(Edit(Field::kIncome));
        Type(Edit(f), amount);
        typed.texts[forms::Index(f)] = amount.toStdString();
        // Messages on show, to see that only emptying the messages or the results empties them.
        for (QLabel* label : MessageLabels(page.get())) label->setText("x");
        const forms::Outcome out = Expected(line.reverse, typed);
        bool clears = false;
        for (std::size_t i = 0; i < out.stepCount; ++i) clears |= out.steps[i].what != forms::Step::What::kWrite;
        const QStringList before = Lines(page.get(), *category);
        warnings.clear();
        if (click) {
          QTest::mouseClick(button, Qt::LeftButton);
        } else {
          PressEnter(Edit(f));
        }
        ExpectShown(out, click ? static_cast<QWidget*>(button) : Edit(f), clears ? QString() : QString("x"));
        if (!out.computed) {
          const QStringList after = Lines(page.get(), *category);
          for (qsizetype i = 0; i < after.size(); ++i) {
            if (category->lines[static_cast<std::size_t>(i)].line != line.line) QCOMPARE(after[i], before[i]);
          }
        }
      }
    }
  }

  // A rejected input is reported beside its field, which takes the focus with its text
  // selected; the other messages are empty and the lines cleared.
  void rejectedInput_data() {
    QTest::addColumn<CategoryId>("id");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    for (const forms::Category& c : forms::Categories()) {
      for (const forms::InputField& input : c.inputs) {
        for (const char* text : {"abc", "-1"}) {
          QTest::addRow("%s %s %s", c.page, input.control, text) << c.id << int(forms::Index(input.field)) << text;
        }
      }
    }
  }
  void rejectedInput() {
    QFETCH(CategoryId, id);
    QFETCH(int, field);
    QFETCH(QString, text);
    Open(id);
    Fill({"30000", "5000", "100", -1});
    PressEnter(Edit(Field::kIncome));
    const auto f = static_cast<Field>(field);
    Typed typed = Fill({"30000", "5000", "100", -1});
    Type(Edit(f), text);
    typed.texts[forms::Index(f)] = text.toStdString();
    const forms::Outcome out = Expected(Kind::kForward, typed);
    QVERIFY(!out.computed);
    PressEnter(Edit(f));
    ExpectShown(out, nullptr);
    QCOMPARE(Lines(page.get(), *category), ClearedLines(page.get(), *category));
  }

  // A change of a field's text empties its own message or every message, as the table says,
  // and keeps the lines; result fields without a calculation of their own ignore Enter, and
  // so does the list.
  void changesEmptyMessagesAndResultFieldsIgnoreEnter_data() { AddPages(); }
  void changesEmptyMessagesAndResultFieldsIgnoreEnter() {
    QFETCH(CategoryId, id);
    Open(id);
    Fill({"30000", "5000", "100", -1});
    PressEnter(Edit(Field::kIncome));
    auto setMessages = [this] {
      for (QLabel* label : MessageLabels(page.get())) label->setText("x");
    };
    auto check = [&](Field f, forms::OnChange onChange) {
      setMessages();
      QStringList lines = Lines(page.get(), *category);
      QTest::keyClicks(Edit(f), "1");
      QLabel* own = MessageOf(page.get(), *category, f);
      for (QLabel* label : MessageLabels(page.get())) {
        const bool emptied =
            onChange == forms::OnChange::kAllMessages || (onChange == forms::OnChange::kOwnMessage && label == own);
        QCOMPARE(label->text(), emptied ? QString() : QString("x"));
      }
      for (qsizetype i = 0; i < lines.size(); ++i) {
        if (category->lines[static_cast<std::size_t>(i)].control == Edit(f)->objectName()) lines[i] = Edit(f)->text();
      }
      QCOMPARE(Lines(page.get(), *category), lines);
    };
    for (const forms::InputField& input : category->inputs) check(input.field, input.onChange);
    for (const forms::ResultLine& line : category->lines) {
      auto* field = page->findChild<QLineEdit*>(line.control);
      if (field == nullptr) continue;
      check(line.line == forms::Line::kTax ? Field::kTax : Field::kAfterTax, line.onChange);
      if (line.reverse != Kind::kForward) continue;
      setMessages();
      const QStringList before = Lines(page.get(), *category);
      PressEnter(field);
      QCOMPARE(Lines(page.get(), *category), before);
      for (QLabel* label : MessageLabels(page.get())) QCOMPARE(label->text(), QString("x"));
    }
    if (List() != nullptr) {
      const QStringList before = Lines(page.get(), *category);
      QTest::keyClick(List(), Qt::Key_Return);
      QCOMPARE(Lines(page.get(), *category), before);
    }
  }

  void resetClearsEverything_data() { AddPages(); }
  void resetClearsEverything() {
    QFETCH(CategoryId, id);
    Open(id);
    Fill({"30000", "5000", "100", 1});
    PressEnter(Edit(Field::kIncome));
    Type(Edit(Field::kIncome), "x");
    PressEnter(Edit(Field::kIncome));
    QTest::mouseClick(Child<QPushButton>(page.get(), "BtnReset"), Qt::LeftButton);
    for (const forms::InputField& input : category->inputs) QCOMPARE(Edit(input.field)->text(), QString());
    QCOMPARE(Lines(page.get(), *category), ClearedLines(page.get(), *category));
    for (QLabel* label : MessageLabels(page.get())) QCOMPARE(label->text(), QString());
    if (category->choice == forms::Choice::kThreshold) QCOMPARE(List()->currentText(), QString("3500"));
    if (category->choice == forms::Choice::kMonths) QCOMPARE(List()->currentText(), QString("12"));
    QCOMPARE(QApplication::focusWidget(), Edit(category->inputs.front().field));
  }

  void tabOrderFollowsThePage_data() {
    QTest::addColumn<CategoryId>("id");
    QTest::addColumn<QStringList>("order");
    const QStringList payment{"EditIncome", "BtnCalc", "BtnReset", "EditTax", "EditRealIncome"};
    QTest::newRow("TFrmSalary") << CategoryId::kSalary
                                << QStringList{"EditIncome", "EditSafe", "CmbPoint",       "BtnCalc",      "BtnReset",
                                               "EditTax",    "BtnTax",   "EditRealIncome", "BtnRealIncome"};
    QTest::newRow("TFrmYear") << CategoryId::kYearBonus << payment + QStringList{"BtnRealIncome"};
    QTest::newRow("TFrmAward") << CategoryId::kSalaryAndBonus
                               << QStringList{"EditYear", "EditSalary", "EditSafe", "CmbPoint", "BtnCalc", "BtnReset"};
    QTest::newRow("TFrmLabour") << CategoryId::kLabour << payment + QStringList{"BtnRealIncome"};
    for (const CategoryId id :
         {CategoryId::kWriting, CategoryId::kRent, CategoryId::kProperty, CategoryId::kRoyalties, CategoryId::kBusiness,
          CategoryId::kInterest, CategoryId::kChance, CategoryId::kOther}) {
      QTest::newRow(forms::CategoryOf(id).page) << id << payment;
    }
    // The month list comes last although it stands above the buttons.
    QTest::newRow("TFrmContract") << CategoryId::kContract << payment + QStringList{"CmbMonth"};
  }
  void tabOrderFollowsThePage() {
    QFETCH(CategoryId, id);
    QFETCH(QStringList, order);
    Open(id);
    QCOMPARE(QApplication::focusWidget()->objectName(), order.front());
    for (const QString& name : order.mid(1)) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget()->objectName(), name);
    }
  }

  // Each message a label can show is readable whole without covering a control.
  void everyMessageFitsItsLabelWithoutCoveringAControl_data() { AddPages(); }
  void everyMessageFitsItsLabelWithoutCoveringAControl() {
    QFETCH(CategoryId, id);
    Open(id);
    for (QLabel* label : MessageLabels(page.get())) {
      const QRect box = label->geometry();
      QVERIFY2(page->rect().contains(box), qPrintable(label->objectName()));
      for (QWidget* w : page->findChildren<QWidget*>()) {
        const bool control =
            qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w);
        if (control && w->isVisible()) {
          QVERIFY2(!box.intersects(QRect(w->mapTo(page.get(), QPoint(0, 0)), w->size())),
                   qPrintable(label->objectName() + " covers " + w->objectName()));
        }
      }
      for (const std::string& text : TextsBeside(*category, label->objectName())) {
        const QString shown = QString::fromStdString(text);
        const QRect need = label->fontMetrics().boundingRect(QRect(0, 0, box.width(), 1000), Qt::TextWordWrap, shown);
        QVERIFY2(need.width() <= box.width() && need.height() <= box.height(),
                 qPrintable(label->objectName() + ": " + shown));
      }
    }
    // The buttons, and the award page's boxes, have room between them.
    QVERIFY(Child<QPushButton>(page.get(), "BtnCalc")->geometry().right() + 2 <
            Child<QPushButton>(page.get(), "BtnReset")->geometry().left());
    if (id == CategoryId::kSalaryAndBonus) {
      QVERIFY(Child<QGroupBox>(page.get(), "GroupBox1")->geometry().right() + 2 <
              Child<QGroupBox>(page.get(), "GroupBox2")->geometry().left());
    }
  }

  void clickOnAResultFigureKeepsTheFieldFocused() {
    Open(CategoryId::kSalary);
    Fill({"9000", "", "", -1});
    PressEnter(Edit(Field::kIncome));
    QTest::mouseClick(Child<QLabel>(page.get(), "TxtTaxIncome"), Qt::LeftButton);
    QVERIFY(Edit(Field::kIncome)->hasFocus());
  }

  // The real box: modal, owned by the page, warning icon, one button reading 确定; the focus
  // is back in the bonus field after it.
  void realWarningBox() {
    Open(CategoryId::kYearBonus);
    page->SetWarningPresenter({});
    QTranslator qtTexts;
    QVERIFY(qtTexts.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QApplication::installTranslator(&qtTexts);
    int boxes = 0;
    QString title, text, button, info;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* parent = nullptr;
    QLabel* beside = MessageOf(page.get(), *category, Field::kIncome);
    ModalAnswerer answers;
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
      ++boxes;
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      parent = box->parentWidget();
      info = beside->text();
      const auto buttons = box->buttons();
      if (buttons.size() == 1) button = buttons[0]->text();
      QTest::mouseClick(buttons.value(0), Qt::LeftButton);
    });
    Fill({"114600", "", "", -1});
    PressEnter(Edit(Field::kIncome));
    QVERIFY(answers.AllAnswered());
    QCOMPARE(answers.StrayCount(), 0);
    QApplication::removeTranslator(&qtTexts);
    QCOMPARE(boxes, 1);
    QCOMPARE(title, QString("注意"));
    QCOMPARE(text, QString::fromUtf8("年终奖发放不合理，个税盲区致年终奖严重缩水。\r\n联系客服 QQ：") +
                       QString::fromUtf8(quorvex::pages::kServiceNumber) + QString::fromUtf8("，帮你筹划，为您节税。"));
    QCOMPARE(icon, QMessageBox::Warning);
    QCOMPARE(button, QString("确定"));
    QCOMPARE(parent, page.get());
    QCOMPARE(info, QString("进入奖盲区：( 108,000, 114,600 ]"));
    QCOMPARE(beside->text(), info);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    // The offscreen platform does not give the activation back to the page by itself.
    QCOMPARE(page->focusWidget(), Edit(Field::kIncome));
    QCOMPARE(Edit(Field::kIncome)->selectedText(), Edit(Field::kIncome)->text());
  }

  // The month list: every show step fills it afresh with "1" to "12" and chooses "12"; it
  // opens twelve rows high.
  void monthListIsRefilledOnEveryShowAndOpensTwelveRowsHigh() {
    QWidget area;  // a page area, so that showing the page again is the program's doing
    category = &forms::CategoryOf(CategoryId::kContract);
    page = CreatePage(CategoryId::kContract, &area);
    area.show();
    area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&area));
    QComboBox* months = List();
    for (int round = 0; round < 3; ++round) {
      months->setCurrentIndex(3);
      months->addItem("13");
      Type(Edit(Field::kIncome), "42000");
      PressEnter(Edit(Field::kIncome));
      page->hide();
      page->show();
      QCOMPARE(months->count(), 12);
      QCOMPARE(months->itemText(11), QString("12"));
      QCOMPARE(months->currentText(), QString("12"));
      QCOMPARE(MessageOf(page.get(), *category, Field::kIncome)->text(), QString());
      QVERIFY(Edit(Field::kIncome)->hasFocus());
    }
    QCOMPARE(months->maxVisibleItems(), 12);
    months->setCurrentIndex(0);
    months->showPopup();
    QAbstractItemView* view = months->view();
    QTRY_VERIFY(view->isVisible());
    const int rowHeight = view->sizeHintForRow(0);
    QVERIFY(rowHeight > 0);
    QCOMPARE(view->viewport()->height() / rowHeight, 12);
    QCOMPARE(view->indexAt(QPoint(2, view->viewport()->height() - 2)).row(), 11);
    months->hidePopup();
    page.reset();
  }
};

QTEST_MAIN(PageWiringTest)
#include "page_wiring_test.moc"
