// The one way tests build a model: a historical and a synthesized period,
// locations whose tables have the periods' lengths (values 0.0, days on
// 1.0), and, when asked, values that differ in every cell so that a row or
// column out of place shows. Compare whole models with ==.
#pragma once

#include "model/model_document.h"
#include "model/model_input.h"

#include <functional>
#include <string>

namespace vek::test {

class ModelBuilder {
  public:
    // n historical years from firstYear, k synthesized years after them.
    ModelBuilder(int firstYear, int n, int k = 0) : n_(n), k_(k) {
        m_.inputStartYear = firstYear;
        m_.inputEndYear = firstYear + n - 1;
        m_.synthStartYear = m_.inputEndYear + 1;
        m_.synthEndYear = m_.inputEndYear + k;
    }

    // `count` more locations named namePrefix + 1, 2, ... (counting all).
    ModelBuilder &locations(int count, const std::string &namePrefix = "Location ") {
        for (int i = 0; i < count; ++i) {
            Location loc;
            loc.name = namePrefix + std::to_string(m_.locations.size() + 1);
            for (int m = 0; m < 12; ++m) {
                loc.historicalData[m].assign(static_cast<size_t>(n_), 0.0f);
                loc.pumpingFlow[m].assign(static_cast<size_t>(n_), 0.0f);
                loc.daysOn[m].assign(static_cast<size_t>(n_), 1.0f);
                loc.synthesizedData[m].assign(static_cast<size_t>(k_), 0.0f);
            }
            m_.locations.push_back(std::move(loc));
        }
        return *this;
    }
    // Location i (0-based) as `f` changes it (name, factor, type, values).
    ModelBuilder &location(int i, const std::function<void(Location &)> &f) {
        f(m_.locations.at(static_cast<size_t>(i)));
        return *this;
    }
    // Historical cell (location i, year offset k, column m) = f(i, k, m).
    ModelBuilder &historical(const std::function<float(int, int, int)> &f) {
        return fill(&Location::historicalData, f);
    }
    ModelBuilder &synthesized(const std::function<float(int, int, int)> &f) {
        return fill(&Location::synthesizedData, f);
    }
    // Distinct historical values: 1000 * (i + 1) + 20 * k + m + 0.25.
    ModelBuilder &distinctHistorical() { return historical(distinct); }
    static float distinct(int i, int k, int m) { return static_cast<float>(1000 * (i + 1) + 20 * k + m) + 0.25f; }

    ModelBuilder &yearMode(int mode) {
        m_.yearMode = mode;
        return *this;
    }
    ModelBuilder &unitMode(int mode) {
        m_.unitMode = mode;
        return *this;
    }
    // The settings of `other` (year type, units, days rule, output format,
    // synthesis method and years), not its periods or locations.
    ModelBuilder &settingsOf(const ModelInput &other) {
        m_.yearMode = other.yearMode;
        m_.unitMode = other.unitMode;
        m_.useAvgDaysPerMonth = other.useAvgDaysPerMonth;
        m_.outputFormat = other.outputFormat;
        m_.synthesizeFormat = other.synthesizeFormat;
        m_.projYearStart = other.projYearStart;
        m_.projYearEnd = other.projYearEnd;
        return *this;
    }
    // The run covers the historical years.
    ModelBuilder &runOverHistorical() {
        m_.outputStartYear = m_.inputStartYear;
        m_.outputEndYear = m_.inputEndYear;
        return *this;
    }

    const ModelInput &model() const { return m_; }
    // Puts the model into a document, which counts as unmodified.
    void into(ModelDocument &doc) const {
        doc.model = m_;
        doc.setModified(false);
    }

  private:
    ModelBuilder &fill(MonthColumns Location::*table, const std::function<float(int, int, int)> &f) {
        for (size_t i = 0; i < m_.locations.size(); ++i)
            for (int m = 0; m < 12; ++m) {
                auto &column = (m_.locations[i].*table)[m];
                for (size_t k = 0; k < column.size(); ++k)
                    column[k] = f(static_cast<int>(i), static_cast<int>(k), m);
            }
        return *this;
    }

    int n_, k_;
    ModelInput m_;
};

} // namespace vek::test
