// The form on a large model: milliseconds to open a 150-location, 400-year
// model into the form, to type a value (with the marks of what a run would
// refuse brought up to date), to undo it and to show another location.
// Medians of 15 repetitions; run on the offscreen platform by default.
#include "bench/model_generator.h"
#include "common/prompter.h"
#include "editor/location_list_model.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "grid/spreadsheet_view.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <vector>

namespace {

double millis(const std::function<void()> &f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    QCoreApplication::processEvents();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    vek::bench::ModelShape shape;
    shape.locations = 150;
    const std::string path = QDir(dir.path()).filePath("large.vek").toStdString();
    std::ofstream(path, std::ios::binary) << vek::bench::generateModel(shape);

    vek::SilentPrompter prompter; // the generated model's stale synthesis is told on open
    vek::CVEKViewDoc doc(&prompter);
    std::unique_ptr<vek::CVEKViewView> view;
    const double open = millis([&] {
        if (!doc.open(QString::fromStdString(path))) std::exit(1);
        view = std::make_unique<vek::CVEKViewView>(&doc);
        view->resize(1400, 900);
        view->show();
    });
    vek::SpreadsheetView *hist = view->historicalTable();
    vek::SpreadsheetView *list = view->locationTable();
    std::vector<double> type, undo, select;
    for (int i = 0; i < 15; ++i) {
        type.push_back(millis([&] {
            const QModelIndex cell = hist->model()->index(i, 4);
            hist->setCurrentIndex(cell);
            hist->edit(cell);
            hist->cellEditor()->setText(QString::number(10 + i));
            hist->endEdit(true);
        }));
        undo.push_back(millis([&] { doc.undo(); }));
        select.push_back(millis([&] {
            const QModelIndex row = list->model()->index(1 + i % 2 * 5, vek::LocationListModel::Name);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
        }));
    }
    std::printf("form, %d locations x %d years: open %.0f ms; type a value %.1f ms; undo %.1f ms; "
                "another location %.1f ms (medians of 15)\n",
                shape.locations, shape.historicalYears + shape.synthesizedYears, open, median(type), median(undo),
                median(select));
    return 0;
}
