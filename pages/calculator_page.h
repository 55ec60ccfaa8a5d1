// The common base of every calculator page: its building blocks, reporting bad input,
// clearing messages and results, Enter in a field, and the show step.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "forms/compute.h"
#include "pages/blind_zone_warning.h"

class QComboBox;
class QGridLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvex::pages {

class CalculatorPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDesignWidth = 472;
  static constexpr int kDesignHeight = 436;

  explicit CalculatorPage(QWidget* parent = nullptr);
  ~CalculatorPage() override;

  // SetText() writes into a control only when the text differs, so a field's change handler
  // fires only on a real change.
  static void SetText(QLineEdit* field, const QString& text);
  static void SetText(QLabel* label, const QString& text);

  // FocusFirstField() gives the keyboard focus to the first amount field, as when the page
  // is shown (after a dialog of the window has closed, say).
  void FocusFirstField();

  // How the page presents a warning box (an empty function: the real box).
  void SetWarningPresenter(WarningPresenter present) { warningPresenter_ = std::move(present); }

 protected:
  // FrameResize() is the show step: by default the first amount field takes the focus and
  // every message label is emptied. It runs each time the page is shown by the program.
  virtual void FrameResize();

  const WarningPresenter& Presenter() const { return warningPresenter_; }

  // Reject() shows `text` beside `field`, which takes the focus with its text selected.
  void Reject(QLineEdit* field, QLabel* label, const QString& text);
  // Takes the steps of `outcome` before its results: empties the messages or the results, or
  // writes a text back into one of `fields` (by forms::Field).
  void TakeSteps(const forms::Outcome& outcome, const std::array<QLineEdit*, forms::kFieldCount>& fields);
  // Shows `field` focused with its whole text selected.
  static void FocusAndSelect(QLineEdit* field);

  void ClearMessages();
  void ClearResults();

  // The threshold list (CmbPoint: "3500", "4800") and the threshold its chosen entry stands
  // for, read by the entry's position; the only way a page reads the list.
  QComboBox* MakeThresholdList();
  static double ThresholdOf(const QComboBox* list);

  // Building blocks; each control gets its objectName.
  QLineEdit* MakeEdit(const char* name);
  // A bold caption naming `buddy` for screen readers: an input field takes the caption as
  // its name; a value label stays announced by its value, with the caption as its label.
  QLabel* MakeCaption(const QString& text, QWidget* buddy = nullptr);
  QLabel* MakeMessageLabel(const char* name);
  QLabel* MakeResultLabel(const char* name);
  QPushButton* MakeButton(const char* name, const QString& text);
  QComboBox* MakeList(const char* name, const QStringList& items);
  // AddLine() puts a caption (naming `widget`, see MakeCaption) in the first column of `row`
  // and `widget` beside it, spanning `span` columns.
  void AddLine(QGridLayout* grid, int row, const QString& caption, QWidget* widget, int span = 1);
  // AddMessage() gives a message label the cell at `row`, `column` and everything right of it
  // to the page's edge, with room for a second line below, so that every message is shown
  // whole without moving a control. The label lets clicks through to what lies beneath.
  void AddMessage(QGridLayout* grid, QLabel* label, int row, int column);
  // AddButtons() puts the two buttons side by side in the field column of `row`.
  void AddButtons(QGridLayout* grid, int row, QPushButton* first, QPushButton* second);
  // Registers a result field: ClearResults() empties it.
  void AddResultField(QLineEdit* field);
  // Registers a result label: ClearResults() writes `cleared` into it.
  void AddResultLabel(QLabel* label, const QString& cleared);
  // The message colour, for a label that shows a warning among figures.
  static void MakeRed(QLabel* label);
  // The bold heading "计算结果" over a dotted rule, across the grid at `row`.
  void AddResultsHeading(QGridLayout* grid, int row);
  // Enter (key code 13) in `field` runs `onEnter`; other keys are left to the field.
  void OnEnter(QLineEdit* field, std::function<void()> onEnter);
  // The first amount field (focused by the show step, reset and a calculation).
  void SetFirstField(QLineEdit* field) { firstField_ = field; }
  QLineEdit* FirstField() const { return firstField_; }
  // A grid with the page's usual columns: caption, field, button, message.
  QGridLayout* MakeGrid();

  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<QLabel*> messageLabels_;
  std::vector<std::pair<QLabel*, QString>> resultLabels_;
  std::vector<QLineEdit*> resultFields_;
  std::vector<std::pair<QObject*, std::function<void()>>> enterHandlers_;
  std::vector<std::pair<QWidget*, QLabel*>> messageSlots_;
  QLineEdit* firstField_ = nullptr;
  WarningPresenter warningPresenter_;
};

}  // namespace quorvex::pages
