#include "pages/frm_writing.h"

#include <QLabel>
#include <QLineEdit>

#include "tax/payment.h"

namespace quorvex::pages {
namespace {

// The field's text without the characters of code 32 or less at either end.
QString Trimmed(const QString& text) {
  qsizetype start = 0;
  qsizetype end = text.size();
  while (start < end && text[start].unicode() <= 32) ++start;
  while (end > start && text[end - 1].unicode() <= 32) --end;
  return text.mid(start, end - start);
}

}  // namespace

TFrmWriting::TFrmWriting(QWidget* parent) : PaymentPage(Lines::WithAllowance, parent) { setObjectName("TFrmWriting"); }

void TFrmWriting::BtnCalcClick() {
  ClearResults();
  // This page trims the amount itself and empties its message once more before reading it.
  SetText(EditIncome, Trimmed(EditIncome->text()));
  SetText(TxtInfo, QString());
  double payment = 0;
  if (!ReadIncome(payment)) return;
  const tax::PaymentResult r = tax::CalcWritingTax(payment);
  const tax::PaymentTexts t = tax::ShowPayment(r);
  if (!r.taxed) {
    // 800 or less: no notice, the labels keep "0.00", and the focus stays where it is.
    SetText(EditTax, Text(t.tax));
    SetText(EditRealIncome, Text(t.realIncome));
    return;
  }
  ShowResults(t);
  FocusAndSelect(EditIncome);
}

}  // namespace quorvex::pages
