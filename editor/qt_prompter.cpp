// Message boxes and choice dialogs for the document core (see qt_prompter.h).
#include "editor/qt_prompter.h"

#include "editor/choice_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace vek {

namespace {

const QString kTitle = QStringLiteral("VEKView");

QWidget *ownerOf(QWidget *parent) { return parent ? parent->window() : QApplication::activeWindow(); }

QMessageBox::StandardButton ask(QWidget *parent, const std::string &text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton def) {
    QMessageBox box(QMessageBox::Question, kTitle, QString::fromStdString(text), buttons, ownerOf(parent));
    box.setDefaultButton(def);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void QtPrompter::message(const std::string &text) {
    QMessageBox box(QMessageBox::Warning, kTitle, QString::fromStdString(text), QMessageBox::Ok, ownerOf(parent_));
    box.exec();
}

bool QtPrompter::askYesNo(const std::string &text) {
    return ask(parent_, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

Answer QtPrompter::askYesNoCancel(const std::string &text) {
    switch (ask(parent_, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool QtPrompter::askOkCancel(const std::string &text) {
    return ask(parent_, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<int> QtPrompter::chooseSynthesisMethod() {
    SynthesisMethodDialog dlg(ownerOf(parent_));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.method();
}

std::optional<std::vector<int>> QtPrompter::selectYearsToAverage(int firstYear, int lastYear) {
    AverageYearsDialog dlg(firstYear, lastYear, ownerOf(parent_));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.positions();
}

std::optional<int> QtPrompter::chooseGivenYear(int firstYear, int lastYear) {
    GivenYearDialog dlg(firstYear, lastYear, ownerOf(parent_));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.position();
}

std::optional<std::pair<int, int>> QtPrompter::chooseCycle(int firstYear, int lastYear) {
    CycleDialog dlg(firstYear, lastYear, ownerOf(parent_));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return std::make_pair(dlg.startPosition(), dlg.endPosition());
}

std::optional<std::vector<int>> QtPrompter::chooseItemsToDelete(const std::vector<std::string> &names, int selected) {
    DeleteItemsDialog dlg(names, selected, ownerOf(parent_));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.positions();
}

std::optional<std::pair<int, int>> QtPrompter::chooseImportOptions() {
    ImportOptionsDialog dlg(ownerOf(parent_));
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return std::make_pair(dlg.yearType(), dlg.units());
}

int QtPrompter::choose(const std::string &text, const std::vector<std::string> &buttons, int defaultButton,
                       int escapeButton) {
    QMessageBox box(QMessageBox::Question, kTitle, QString::fromStdString(text), QMessageBox::NoButton,
                    ownerOf(parent_));
    std::vector<QPushButton *> made;
    for (size_t i = 0; i < buttons.size(); ++i) {
        // The escape button is the rejecting one; the rest accept in their
        // own ways, in the order given.
        const auto role = static_cast<int>(i) == escapeButton ? QMessageBox::RejectRole : QMessageBox::AcceptRole;
        made.push_back(box.addButton(QString::fromStdString(buttons[i]), role));
    }
    if (defaultButton >= 0 && defaultButton < static_cast<int>(made.size()))
        box.setDefaultButton(made[static_cast<size_t>(defaultButton)]);
    if (escapeButton >= 0 && escapeButton < static_cast<int>(made.size()))
        box.setEscapeButton(made[static_cast<size_t>(escapeButton)]);
    box.exec();
    for (size_t i = 0; i < made.size(); ++i)
        if (box.clickedButton() == made[i]) return static_cast<int>(i);
    return escapeButton;
}

int QtPrompter::chooseSoilMoisture() {
    SoilMoistureDialog dlg(ownerOf(parent_));
    dlg.exec();
    return dlg.choice();
}

} // namespace vek
