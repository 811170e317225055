// The small modal dialogs through which the user picks a synthesis method and
// its years, the locations to delete, the options of a tab-delimited import
// and the basis of an imported consumptive use. Each only collects a choice;
// its caller does the work. Also the dialog-unit helper the editor's windows
// use to place controls at the sizes their layouts give in dialog units.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

class QListWidget;
class QPushButton;
class QWidget;

namespace vek {

// Dialog units: a quarter of the font's average character width across, an
// eighth of its height down.
class DialogUnits {
  public:
    explicit DialogUnits(const QWidget *widget);
    int x(int dlu) const;
    int y(int dlu) const;
    QRect rect(int x, int y, int w, int h) const;
    QSize size(int w, int h) const;

  private:
    int baseX_;
    int baseY_;
};

// A drop-down list that reports when its list closes (whether or not the
// choice changed): the cycle dialog refills its end years when the start
// year's list closes, not on every change of the choice.
class CloseUpComboBox : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void hidePopup() override;
  signals:
    void closedUp();

  protected:
    // The box hides its list when it is hidden itself, also while its dialog
    // is being destroyed: that is no choice closing up, and the owner's slots
    // may already be gone.
    void hideEvent(QHideEvent *e) override;

  private:
    bool hiding_ = false;
};

// Typed text read by its leading numeric part ("%g" / "%d" style), 0 when
// there is none. Text that reads as infinite or not-a-number counts as 0, so
// no such value ever reaches a table; integers are clamped to the int range.
float leadingNumber(const QString &text);
int leadingInteger(const QString &text);

// Fills a list with the years first..last in "%d" form, one per item.
QStringList yearItems(int firstYear, int lastYear);

// Base of the choice dialogs: F1 opens the help topic that belongs to them.
class ChoiceDialog : public QDialog {
    Q_OBJECT
  public:
    ChoiceDialog(const QString &caption, const QString &helpTopic, QWidget *parent);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    QString helpTopic_;
};

// "Choose a method for synthesizing the data:" (0 Average Years, 1 Use Given
// Year, 2 Use Historical Cycle).
class SynthesisMethodDialog : public ChoiceDialog {
    Q_OBJECT
  public:
    explicit SynthesisMethodDialog(QWidget *parent = nullptr);
    int method() const { return method_; }
    QComboBox *methodList() const { return list_; }
    void accept() override;

  private:
    QComboBox *list_;
    int method_ = 0;
};

// "Select Years to Average": every selected year's position, ascending.
class AverageYearsDialog : public ChoiceDialog {
    Q_OBJECT
  public:
    AverageYearsDialog(int firstYear, int lastYear, QWidget *parent = nullptr);
    const std::vector<int> &positions() const { return positions_; }
    QListWidget *yearList() const { return list_; }
    void accept() override;

  private:
    QListWidget *list_;
    std::vector<int> positions_;
};

// "Synthesize Using Given Year": position of the chosen year (-1 before the
// dialog has run).
class GivenYearDialog : public ChoiceDialog {
    Q_OBJECT
  public:
    GivenYearDialog(int firstYear, int lastYear, QWidget *parent = nullptr);
    int position() const { return position_; }
    QComboBox *yearList() const { return list_; }
    void accept() override;

  private:
    QComboBox *list_;
    int position_ = -1;
};

// "Synthesize Using Historical Cycle": the start position in the year list
// and the end position counted from the start year.
class CycleDialog : public ChoiceDialog {
    Q_OBJECT
  public:
    CycleDialog(int firstYear, int lastYear, QWidget *parent = nullptr);
    int startPosition() const { return start_; }
    int endPosition() const { return end_; }
    CloseUpComboBox *startList() const { return startList_; }
    QComboBox *endList() const { return endList_; }
    // Refills "until year" from the chosen start year and selects its first.
    void OnCloseupStartYear();
    void accept() override;

  private:
    int firstYear_;
    int lastYear_;
    CloseUpComboBox *startList_;
    QComboBox *endList_;
    int start_ = -1;
    int end_ = -1;
};

// "Choose Items to Delete": the selected positions, descending, so the caller
// can delete one after the other without shifting those still to come. The
// item at `selected` (the location selected in the form) starts selected.
class DeleteItemsDialog : public ChoiceDialog {
    Q_OBJECT
  public:
    DeleteItemsDialog(const std::vector<std::string> &names, int selected, QWidget *parent = nullptr);
    const std::vector<int> &positions() const { return positions_; }
    QListWidget *itemList() const { return list_; }
    void accept() override;

  private:
    QListWidget *list_;
    std::vector<int> positions_;
};

// "Set Import Options": year type 0..2 (initially Calendar) and units 0..1
// (initially Monthly Ac-Ft) of the file's values.
class ImportOptionsDialog : public ChoiceDialog {
    Q_OBJECT
  public:
    explicit ImportOptionsDialog(QWidget *parent = nullptr);
    int yearType() const { return yearType_; }
    int units() const { return units_; }
    void accept() override;

  private:
    QComboBox *yearTypeList_;
    QComboBox *unitsList_;
    int yearType_ = 0;
    int units_ = 1;
};

// "Use Computed CU of GW Based on:": 1 no soil moisture, 2 with soil
// moisture, 0 when dismissed.
class SoilMoistureDialog : public ChoiceDialog {
    Q_OBJECT
  public:
    explicit SoilMoistureDialog(QWidget *parent = nullptr);
    int choice() const { return choice_; }
    void reject() override;
    QPushButton *withSoilMoistureButton() const { return with_; }

  private:
    int choice_ = 0;
    QPushButton *without_ = nullptr;
    QPushButton *with_ = nullptr;
};

} // namespace vek
