// The form and its dialogs as assistive technology meets them: the
// accessibility tree holds each of the form's controls by name, every
// control the keyboard reaches has a name and a description, and Tab walks
// the form in reading order, through the tables and out of them.
#include "editor/pumping_record_dialog.h"
#include "editor/response_tables_dialog.h"
#include "editor/vekview_view.h"
#include "editor_test_support.h"
#include "grid/spreadsheet_view.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace vek;

namespace {

// Names of the accessibility tree under an object, tables and lists
// without their cells. A combo box's name on this platform is its current
// text; its label names it, through the labelled-by relation.
void collectNames(QAccessibleInterface *node, QStringList &names, int depth = 0) {
    if (!node || depth > 30) return;
    names << node->text(QAccessible::Name);
    if (node->role() == QAccessible::ComboBox)
        for (const auto &[label, relation] : node->relations(QAccessible::Label))
            names << "labelled " + label->text(QAccessible::Name);
    if (node->role() == QAccessible::Table || node->role() == QAccessible::List) return;
    for (int i = 0; i < node->childCount(); ++i)
        collectNames(node->child(i), names, depth + 1);
}

// Inside a table or an editable box: parts of a control, not controls.
bool isPart(const QWidget *w, const QWidget *root) {
    for (const QWidget *p = w->parentWidget(); p && p != root; p = p->parentWidget())
        if (qobject_cast<const QAbstractScrollArea *>(p) || qobject_cast<const QComboBox *>(p) ||
            qobject_cast<const QAbstractSpinBox *>(p))
            return true;
    return false;
}

// Controls the keyboard reaches that assistive technology cannot name or
// describe.
QStringList unnamedControls(QWidget *root) {
    QStringList out;
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(root) || !(w->focusPolicy() & Qt::TabFocus) || isPart(w, root)) continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty() ||
            a->text(QAccessible::Description).trimmed().isEmpty())
            out << QStringLiteral("%1 %2 \"%3\"")
                       .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
                            a ? a->text(QAccessible::Name) : QString());
    }
    return out;
}

using Accessibility = test::FormFixture;

} // namespace

TEST_F(Accessibility, TheTreeHoldsEveryControlOfTheFormByName) {
    QStringList names;
    collectNames(QAccessible::queryAccessibleInterface(view.get()), names);
    for (const char *name :
         {"Historical start year", "Historical end year", "Locations", "New locations", "Number of locations to add",
          "Delete locations", "Pumping record", "Historical values", "Historical table", "Synthesized start year",
          "Years of synthesized data", "Recalculate", "Synthesized values", "Synthesized table",
          "labelled Run Start Year:", "Run end year", "labelled with Output Type"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
    const QStringList missing = unnamedControls(view.get());
    EXPECT_TRUE(missing.isEmpty()) << missing.join("; ").toStdString();
}

TEST_F(Accessibility, TabWalksTheFormInReadingOrderThroughTheTables) {
    view->inputStartEdit()->setFocus();
    QStringList walked;
    for (int i = 0; i < 14; ++i) {
        QWidget *f = QApplication::focusWidget();
        ASSERT_NE(f, nullptr);
        walked << f->accessibleName();
        // In a table Tab goes from cell to cell: from the last one it leaves.
        if (auto *t = qobject_cast<QTableView *>(f); t && t->model()->rowCount() > 0)
            t->setCurrentIndex(t->model()->index(t->model()->rowCount() - 1, t->model()->columnCount() - 1));
        QTest::keyClick(f, Qt::Key_Tab);
    }
    EXPECT_EQ(walked, QStringList({"Historical start year", "Historical end year", "Locations", "New locations",
                                   "Number of locations to add", "Delete locations", "Pumping record",
                                   "Historical table", "Years of synthesized data", "Recalculate", "Synthesized table",
                                   "Run start year", "Run end year", "Output type"}));
    EXPECT_EQ(m().inputStartYear, 1990) << "walking past the fields changes nothing";
    EXPECT_FALSE(doc->isModified());
}

TEST_F(Accessibility, TheDialogsControlsAreNamedAndDescribed) {
    PumpingRecordDialog record(doc.get(), 0);
    record.show();
    QStringList missing = unnamedControls(&record);
    EXPECT_TRUE(missing.isEmpty()) << "pumping record: " << missing.join("; ").toStdString();
    ResponseTablesDialog tables(doc.get());
    tables.show();
    missing = unnamedControls(&tables);
    EXPECT_TRUE(missing.isEmpty()) << "response tables: " << missing.join("; ").toStdString();
}
