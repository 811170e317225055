// Printing a text report: a fixed-width font sized so the widest line fits
// the page, tabs expanded to columns, and on every page a header with the
// model name and the page number ("Page 2 of 7").
#pragma once

#include <QString>
#include <QStringList>

class QPrinter;

namespace vek {

class ReportPrinter {
  public:
    // header: the model name shown at the top left of every page.
    ReportPrinter(const QString &text, const QString &header);

    // Prints every page on printer; returns the number of pages, 0 when the
    // printer could not be started.
    int print(QPrinter *printer) const;

    // Lines as printed: tabs expanded to stops every tabColumns characters.
    const QStringList &lines() const { return lines_; }
    static constexpr int tabColumns = 10;

  private:
    QStringList lines_;
    QString header_;
    int widest_ = 1;
};

} // namespace vek
