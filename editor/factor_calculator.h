// FactorCalculator: the response method dialog's calculator. The stream
// depletion factor sdf = a²S/T from the distance a to the stream, the
// storage coefficient S and the transmissivity T (in feet and square feet a
// day, or metres and square metres a day), and back: any one of a, S and T
// from the factor and the other two. Also the alluvial aquifer's a/W from the
// distance W to the boundary, and the streambed's λ′ = λa/T from its
// conductance λ. The results go to the dialog's own fields by signals.
#pragma once

#include "model/depletion_factor.h"

#include <QGroupBox>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vek {

// A typed number: the whole text (blanks around it allowed) read with a
// point for the decimal mark in every locale; nothing for empty text, text
// that is not one number, or a value that is not finite.
std::optional<double> typedNumber(const QString &text);
// A number as the dialogs show it ("%g", six significant digits).
QString shownNumber(double value);
// A problem as the model core's checks word it ("the storage coefficient S
// is 2; ..."), as a sentence of its own: capital first letter, `end` after.
QString problemSentence(std::string problem, const QString &end = QStringLiteral("."));

class FactorCalculator : public QGroupBox {
    Q_OBJECT
  public:
    explicit FactorCalculator(QWidget *parent = nullptr);

    // The factor the results are solved back from (the dialog's sdf field);
    // nothing when it holds no number.
    std::function<std::optional<double>()> currentFactor;

    QRadioButton *feetRadio() const { return feet_; }
    QRadioButton *metresRadio() const { return metres_; }
    QLineEdit *distanceEdit() const { return a_; }
    QLineEdit *storativityEdit() const { return s_; }
    QLineEdit *transmissivityEdit() const { return t_; }
    QLineEdit *boundaryEdit() const { return w_; }
    QLineEdit *conductanceEdit() const { return lambda_; }
    QPushButton *toFactorButton() const { return toFactor_; }
    // Which of a, S and T "from sdf" solves for: 0 a, 1 S, 2 T.
    QComboBox *solveList() const { return solve_; }
    QPushButton *fromFactorButton() const { return fromFactor_; }
    QPushButton *ratioButton() const { return ratio_; }
    QPushButton *lambdaButton() const { return lambdaPrime_; }
    // The last result, or what kept the calculator from giving one.
    QLabel *resultLabel() const { return result_; }

    LengthUnit unit() const;
    // Only the parts a method uses are offered: a/W for the alluvial aquifer,
    // λ′ for streambed resistance.
    void showRatio(bool on);
    void showLambda(bool on);

    // The buttons.
    void computeFactor();
    void solveFromFactor();
    void computeRatio();
    void computeLambda();

  signals:
    void factorComputed(double sdf);
    void ratioComputed(double aOverW);
    void lambdaComputed(double lambdaPrime);

  private:
    // a, S and T as typed; `need` names those that must be there (the one
    // being solved for is not read). False, with the result label saying
    // why, when one of them is missing or unusable.
    bool readProperties(AquiferProperties &p, bool needA, bool needS, bool needT);
    void changeUnit();
    void fail(const QString &why);
    void done(const QString &what);
    void labelUnits();

    LengthUnit shownUnit_ = LengthUnit::Feet;
    QRadioButton *feet_;
    QRadioButton *metres_;
    QLineEdit *a_;
    QLineEdit *s_;
    QLineEdit *t_;
    QLineEdit *w_;
    QLineEdit *lambda_;
    QLabel *aUnit_;
    QLabel *tUnit_;
    QLabel *wUnit_;
    QLabel *lambdaUnit_;
    QPushButton *toFactor_;
    QComboBox *solve_;
    QPushButton *fromFactor_;
    QPushButton *ratio_;
    QPushButton *lambdaPrime_;
    QWidget *ratioRow_;
    QWidget *lambdaRow_;
    QLabel *result_;
};

} // namespace vek
