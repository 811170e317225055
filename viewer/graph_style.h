// The look of a graph window (colours, line styles, markers, legend place),
// kept in a small "<graphName>.gsp" text file of "key = value" lines that the
// window loads when it exists and writes from its menu.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <vector>

namespace vek {

// Unknown keys are ignored on read so that older programs can open newer
// files.
struct GraphStyleSettings {
    QColor background;                // invalid: the desktop palette's (light or dark)
    QString legendPosition{"bottom"}; // one of legendPlaces()
    bool markers = false;             // a dot on every point
    int lineWidth = 2;
    bool antialiasing = true;
    struct Series {
        QColor color; // invalid: the theme's colour
        Qt::PenStyle style = Qt::SolidLine;
    };
    std::vector<Series> series;

    // Reads "key = value" lines; false (with a reason) when the file cannot be
    // read. Bad values are skipped with a note in warnings, never fatal.
    bool load(const QString &path, QString *error = nullptr, QStringList *warnings = nullptr);
    bool save(const QString &path, QString *error = nullptr) const;

    // "top", "bottom", "left", "right", "none".
    static const QStringList &legendPlaces();
};

} // namespace vek
