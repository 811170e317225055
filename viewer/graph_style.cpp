// GraphStyleSettings: reading and writing a graph's ".gsp" look file.
#include "viewer/graph_style.h"

#include <functional>

#include "common/safe_save.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "facts/message_text.h"

namespace vek {

namespace {

const std::pair<const char *, Qt::PenStyle> kPenStyles[] = {
    {"solid", Qt::SolidLine},           {"dash", Qt::DashLine}, {"dot", Qt::DotLine}, {"dashdot", Qt::DashDotLine},
    {"dashdotdot", Qt::DashDotDotLine},
};

QString penStyleName(Qt::PenStyle s) {
    for (const auto &[name, style] : kPenStyles)
        if (style == s) return name;
    return "solid";
}

bool parsePenStyle(const QString &text, Qt::PenStyle *out) {
    for (const auto &[name, style] : kPenStyles)
        if (text.compare(name, Qt::CaseInsensitive) == 0) {
            *out = style;
            return true;
        }
    return false;
}

bool parseBool(const QString &v, bool *out) {
    const QString t = v.toLower();
    if (t == "1" || t == "yes" || t == "true" || t == "on")
        *out = true;
    else if (t == "0" || t == "no" || t == "false" || t == "off")
        *out = false;
    else
        return false;
    return true;
}

using Warn = std::function<void(const QString &)>;

// One "seriesN.what = value" line, N counted from 1 as users see them.
void applySeriesSetting(GraphStyleSettings &s, const QString &key, const QString &value, const Warn &warn) {
    const int dot = key.indexOf('.');
    bool ok = false;
    const int n = dot > 6 ? key.mid(6, dot - 6).toInt(&ok) : 0;
    if (!ok || n < 1 || n > 1000) {
        warn("bad series key " + key);
        return;
    }
    if (static_cast<int>(s.series.size()) < n) s.series.resize(n);
    const QString what = key.mid(dot + 1);
    if (what == "color" || what == "colour") {
        QColor c = QColor::fromString(value);
        if (c.isValid())
            s.series[n - 1].color = c;
        else
            warn("bad colour " + value);
    } else if (what == "style") {
        if (!parsePenStyle(value, &s.series[n - 1].style)) warn("bad line style " + value);
    } else {
        warn("unknown key " + key);
    }
}

// One "key = value" line of a graph settings file; a bad line is said and skipped.
void applySetting(GraphStyleSettings &s, const QString &key, const QString &value, const Warn &warn) {
    if (key == "background") {
        QColor c = QColor::fromString(value);
        if (c.isValid())
            s.background = c;
        else
            warn("bad colour " + value);
    } else if (key == "legend") {
        if (GraphStyleSettings::legendPlaces().contains(value.toLower()))
            s.legendPosition = value.toLower();
        else
            warn("bad legend place " + value);
    } else if (key == "markers") {
        if (!parseBool(value, &s.markers)) warn("bad markers value " + value);
    } else if (key == "antialiasing") {
        if (!parseBool(value, &s.antialiasing)) warn("bad antialiasing value " + value);
    } else if (key == "linewidth") {
        bool ok = false;
        const int w = value.toInt(&ok);
        if (ok && w >= 1 && w <= 20)
            s.lineWidth = w;
        else
            warn("bad line width " + value);
    } else if (key.startsWith("series")) {
        applySeriesSetting(s, key, value, warn);
    } else {
        warn("unknown key " + key);
    }
}

} // namespace

bool GraphStyleSettings::load(const QString &path, QString *error, QStringList *warnings) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error) *error = QString("Unable to open %1 for reading.").arg(path);
        return false;
    }
    // Larger files are not graph settings; refuse rather than read them
    // whole. A device tells no size (/dev/zero), so at most the limit is read.
    const QByteArray bytes = f.read(static_cast<qint64>(kMaxLineBytes) + 1);
    if (bytes.size() > static_cast<qsizetype>(kMaxLineBytes)) {
        if (error) *error = QString("%1 is too large to be a graph settings file.").arg(path);
        return false;
    }
    GraphStyleSettings s;
    QTextStream in(bytes);
    int lineNo = 0;
    auto warn = [&](const QString &w) {
        if (warnings)
            warnings->append(QString("%1 line %2: %3")
                                 .arg(QFileInfo(path).fileName())
                                 .arg(lineNo)
                                 .arg(QString::fromStdString(messageText(w.toStdString()))));
    };
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith('#')) continue;
        const int eq = line.indexOf('=');
        if (eq < 0) {
            warn("no '=' in line");
            continue;
        }
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        applySetting(s, key, value, warn);
    }
    *this = s;
    return true;
}

bool GraphStyleSettings::save(const QString &path, QString *error) const {
    // Through the safe save, so a failed write never spoils the old file.
    QString text;
    QTextStream out(&text);
    out << "# VEKView graph settings\n";
    if (background.isValid()) out << "background = " << background.name() << "\n";
    out << "legend = " << legendPosition << "\n";
    out << "markers = " << (markers ? "yes" : "no") << "\n";
    out << "linewidth = " << lineWidth << "\n";
    out << "antialiasing = " << (antialiasing ? "yes" : "no") << "\n";
    for (size_t i = 0; i < series.size(); ++i) {
        if (series[i].color.isValid()) out << "series" << i + 1 << ".color = " << series[i].color.name() << "\n";
        out << "series" << i + 1 << ".style = " << penStyleName(series[i].style) << "\n";
    }
    out.flush();
    const QByteArray bytes = text.toUtf8();
    std::string why;
    if (!saveFile(path.toStdString(), std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &why)) {
        if (error) *error = QString::fromStdString(why);
        return false;
    }
    return true;
}

const QStringList &GraphStyleSettings::legendPlaces() {
    static const QStringList places{"top", "bottom", "left", "right", "none"};
    return places;
}

} // namespace vek
