// ReportPrinter: pages of a text report for a printer or a PDF file.
#include "viewer/report_printer.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace vek {

namespace {

QString expandTabs(const QString &line, int stop) {
    QString out;
    out.reserve(line.size() + 16);
    for (QChar c : line) {
        if (c == '\t') {
            const int n = stop - static_cast<int>(out.size()) % stop;
            out += QString(n, ' ');
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

} // namespace

ReportPrinter::ReportPrinter(const QString &text, const QString &header) : header_(header) {
    QString t = text;
    t.replace("\r\n", "\n");
    lines_ = t.split('\n');
    // The box's last line break leaves no line to print.
    while (!lines_.isEmpty() && lines_.back().isEmpty())
        lines_.pop_back();
    for (QString &l : lines_) {
        l = expandTabs(l, tabColumns);
        widest_ = std::max(widest_, static_cast<int>(l.size()));
    }
}

int ReportPrinter::print(QPrinter *printer) const {
    QPainter p;
    if (!p.begin(printer)) return 0;
    const QRectF page(0, 0, printer->width(), printer->height());

    // The largest size from 10 points down to 5 at which the widest line fits.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    double points = 10.0;
    for (; points > 5.0; points -= 0.5) {
        font.setPointSizeF(points);
        if (QFontMetricsF(font, printer).horizontalAdvance(QString(widest_, '0')) <= page.width()) break;
    }
    font.setPointSizeF(points);
    p.setFont(font);
    const QFontMetricsF fm(font, printer);
    const double lineHeight = fm.lineSpacing();
    const double headerHeight = lineHeight * 2.5;
    const int perPage = std::max(1, static_cast<int>((page.height() - headerHeight) / lineHeight));
    const int pages = std::max(1, static_cast<int>((lines_.size() + perPage - 1) / perPage));

    for (int n = 0; n < pages; ++n) {
        if (n > 0 && !printer->newPage()) {
            p.end();
            return n;
        }
        const QString pageText = QString("Page %1 of %2").arg(n + 1).arg(pages);
        p.drawText(QPointF(0, fm.ascent()), header_);
        p.drawText(QPointF(page.width() - fm.horizontalAdvance(pageText), fm.ascent()), pageText);
        const double ruleY = lineHeight * 1.4;
        p.drawLine(QPointF(0, ruleY), QPointF(page.width(), ruleY));
        double y = headerHeight + fm.ascent();
        for (int i = n * perPage; i < std::min<int>(static_cast<int>(lines_.size()), (n + 1) * perPage); ++i) {
            p.drawText(QPointF(0, y), lines_[i]);
            y += lineHeight;
        }
    }
    p.end();
    return pages;
}

} // namespace vek
