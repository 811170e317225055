// At a display scale of 1, 1.5 and 2 every text of the form, the report
// window and the location list's method column shows whole: the layouts
// size to their texts. The check runs in a child process per scale, since
// the scale is fixed when the application starts.
#include "editor/main_frame.h"
#include "editor/vekview_view.h"
#include "grid/spreadsheet_view.h"
#include "shell_test_support.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

using namespace vek;
using namespace vek::test;

namespace {

// The texts of `root` that do not fit the room they have, each with its
// text and its size against the size it asks for.
QStringList cutTexts(QWidget *root) {
    QStringList cut;
    const auto note = [&cut](QWidget *w, const QString &text, QSize need) {
        if (w->width() < need.width() || w->height() < need.height())
            cut << QString("%1 \"%2\": %3x%4 < %5x%6")
                       .arg(w->metaObject()->className(), text)
                       .arg(w->width())
                       .arg(w->height())
                       .arg(need.width())
                       .arg(need.height());
    };
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(root) || w->width() == 0) continue;
        if (auto *l = qobject_cast<QLabel *>(w); l && !l->text().isEmpty() && !l->wordWrap())
            note(l, l->text(), l->minimumSizeHint());
        else if (auto *b = qobject_cast<QAbstractButton *>(w); b && !b->text().isEmpty())
            note(b, b->text(), b->sizeHint());
        else if (auto *g = qobject_cast<QGroupBox *>(w)) {
            const QString whole = g->property("caption").toString();
            if (!whole.isEmpty() && g->title() != whole)
                cut << "group box \"" + whole + "\" shows \"" + g->title() + "\"";
            note(g, g->title(), QSize(g->fontMetrics().horizontalAdvance(g->title()) + 24, 0));
        }
    }
    return cut;
}

// The columns of a table narrower than the texts of their cells.
QStringList cutColumns(QTableView *table) {
    // sizeHintForColumn is public on the base class.
    const QAbstractItemView *t = table;
    QStringList cut;
    for (int c = 0; c < t->model()->columnCount(); ++c) {
        if (table->isColumnHidden(c)) continue;
        if (table->columnWidth(c) < t->sizeHintForColumn(c))
            cut << QString("column %1 \"%2\": %3 < %4")
                       .arg(c)
                       .arg(t->model()->headerData(c, Qt::Horizontal).toString())
                       .arg(table->columnWidth(c))
                       .arg(t->sizeHintForColumn(c));
    }
    return cut;
}

} // namespace

// Runs at the scale the process was started with (QT_SCALE_FACTOR).
TEST_F(ShellTest, NoTextIsCutAtThisScale) {
    ASSERT_TRUE(shell->startUp({}, true));
    CMainFrame *f = shell->mainFrame();
    f->resize(1024, 720);
    auto *doc = qobject_cast<CVEKViewDoc *>(shell->openDocumentFile(fixture("examples/river_valley.vek", "m.vek")));
    ASSERT_NE(doc, nullptr);
    auto *form = qobject_cast<CVEKViewView *>(shell->frameOf(doc)->view());
    ASSERT_NE(form, nullptr);
    // The pond answers through a table with a long name.
    ModelInput &m = doc->document().model;
    m.responseTables.push_back({"Cottonwood pond (basin measured by the district in 1998)", {0.2f, 0.3f}, true});
    m.locations.back().response.method = ResponseMethod::ResponseTable;
    m.locations.back().response.table = m.responseTables.back().name;
    form->onUpdate(ViewHint::EverythingButMonthHeaders);
    QTest::qWait(50);
    EXPECT_EQ(cutTexts(form).join("\n").toStdString(), "") << "form";
    EXPECT_EQ(cutColumns(form->locationTable()).join("\n").toStdString(), "") << "location list";

    QObject *report = shell->openDocumentFile(fixture("viewer/two_locations.out", "report.out"));
    ASSERT_NE(outputView(report), nullptr);
    QTest::qWait(50);
    EXPECT_EQ(cutTexts(outputView(report)).join("\n").toStdString(), "") << "report window";
    shell->closeAllDocuments();
}

TEST(ScaledLayout, NoTextIsCutAtOneOneAndAHalfAndTwo) {
    if (!qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) return; // a child run
    app();
    for (const char *scale : {"1", "1.5", "2"}) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_SCALE_FACTOR", scale);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=ShellTest.NoTextIsCutAtThisScale"});
        ASSERT_TRUE(child.waitForFinished(120000));
        EXPECT_EQ(child.exitCode(), 0) << "at scale " << scale << ":\n" << child.readAll().toStdString();
    }
}
