// Imports into a model input document: well output files of the outside
// consumptive-use model, tab-delimited text files and old-format files.
#include "model/imports.h"
#include "common/utf8_path.h"

#include "model/import_scan.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "model/well_file_reader.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <limits>

namespace vek {

namespace {

void show(const ModelDocument &doc, const std::string &text) {
    if (Prompter *p = doc.prompter()) p->message(text);
}

std::string trimmed(std::string_view s) { return std::string(trim(s)); }

// A location holding `years` zero entries in every historical, pumping-flow
// and days-on column and no synthesized years.
Location importedLocation(int years) {
    Location loc;
    for (int m = 0; m < 12; ++m) {
        loc.historicalData[m].assign(static_cast<std::size_t>(years), 0.0f);
        loc.pumpingFlow[m].assign(static_cast<std::size_t>(years), 0.0f);
        loc.daysOn[m].assign(static_cast<std::size_t>(years), 0.0f);
    }
    return loc;
}

std::string tooManyYears(const std::string &path, int first, int last) {
    return "The years of " + path + " run from " + std::to_string(first) + " to " + std::to_string(last) +
           "; at most " + std::to_string(kMaxImportYears) + " years can be imported.";
}

// Opens a file for reading; a directory counts as a file that cannot be opened.
bool openForReading(std::ifstream &in, const std::string &path) {
    std::error_code ec;
    if (std::filesystem::is_directory(pathFromUtf8(path), ec)) return false;
    in.open(path, std::ios::binary);
    return in.is_open();
}

// Appends one location per well of the sub-area. Line w*years + k holds year
// k of well w. A sub-area holding fewer lines is read only as far as it
// goes: the missing years stay 0.0 and wells without any line are left out.
// Returns a warning when the line count does not fit the well count.
std::string addSubAreaWells(ModelInput &model, const SubArea &area, int years) {
    const std::size_t perWell = static_cast<std::size_t>(years);
    const std::size_t expected = static_cast<std::size_t>(area.wellCount) * perWell;
    const std::size_t have = area.lines.size();
    for (std::size_t w = 0; w < static_cast<std::size_t>(area.wellCount); ++w) {
        std::size_t firstLine = w * perWell;
        if (firstLine >= have) break;
        Location loc = importedLocation(years);
        loc.name = std::to_string(area.lines[firstLine].wellId) + " (" + area.name + ")";
        loc.VEK = area.lines.front().values[0];
        for (std::size_t k = 0; k < perWell && firstLine + k < have; ++k) {
            const WellYearLine &line = area.lines[firstLine + k];
            for (int m = 0; m < 12; ++m)
                loc.historicalData[m][k] = line.values[m + 1];
        }
        model.locations.push_back(std::move(loc));
    }
    if (have == expected) return {};
    std::string text = "SubArea " + area.name + ": " + std::to_string(have) + " data lines for " +
                       std::to_string(area.wellCount) + " wells of " + std::to_string(years) + " years (" +
                       std::to_string(expected) + " expected).";
    if (have < expected)
        text += " The missing years are set to 0; wells without any data line are left out.";
    else
        text += " The lines after line " + std::to_string(expected) + " are not imported.";
    return text;
}

} // namespace

bool importWendraFile(ModelDocument &doc, const std::string &path) {
    ModelInput &model = doc.model;
    model.locations.clear();
    doc.setModified(true);

    int choice = doc.prompter() ? doc.prompter()->chooseSoilMoisture() : 0;
    if (choice != 1 && choice != 2) return false;

    WellFileReader reader(doc.prompter());
    bool ok = reader.read(path, choice == 1);
    if (ok) {
        const int first = reader.firstYear();
        const int last = reader.lastYear();
        const long long span = static_cast<long long>(last) - first + 1;
        // The synthesized period starts the year after the last: it must exist.
        if (span > kMaxImportYears || last == std::numeric_limits<int>::max()) {
            show(doc, tooManyYears(path, first, last));
            ok = false;
        } else {
            const int years = static_cast<int>(span);
            model.inputStartYear = model.outputStartYear = first;
            model.inputEndYear = model.outputEndYear = last;
            model.synthStartYear = last + 1;
            model.synthEndYear = last;
            std::vector<std::string> warnings;
            for (const SubArea &area : reader.subAreas()) {
                std::string w = addSubAreaWells(model, area, years);
                if (!w.empty()) warnings.push_back(std::move(w));
            }
            for (const std::string &w : warnings)
                show(doc, w);
        }
    }
    // The outside model always writes Calendar months in monthly acre-feet.
    model.yearMode = 0;
    model.unitMode = 1;
    return ok;
}

bool importWendraFileIntoOpenDocument(ModelDocument &doc, const std::string &path) {
    ModelDocument scratch(doc.prompter());
    scratch.programDirectory = doc.programDirectory;
    if (!importWendraFile(scratch, path)) return false;
    if (scratch.model.locations.empty()) {
        show(doc, path + " holds no well data; the model is left as it was.");
        return false;
    }
    doc.replaceModel(std::move(scratch.model));
    doc.updateAllViews(0);
    return true;
}

namespace {

// Reads the tab-delimited stream into the model; `where` names the file in
// messages.
class TabDelimitedReader {
  public:
    TabDelimitedReader(ModelDocument &doc, std::istream &in, const std::string &path)
        : doc_(doc), in_(in), path_(path) {}

    bool read() {
        ModelInput &model = doc_.model;
        model.locations.clear();
        skipByteOrderMark();
        int start = 0, end = 0;
        if (!nextInt(start) || !nextInt(end)) {
            show(doc_, "Unable to read the first and last year at the start of " + path_ + ".");
            return false;
        }
        model.inputStartYear = start;
        model.inputEndYear = end;
        model.synthStartYear =
            static_cast<int>(std::min<long long>(static_cast<long long>(end) + 1, std::numeric_limits<int>::max()));
        model.synthEndYear = end;
        const int years = periodYears(start, end);
        if (years > kMaxImportYears || end == std::numeric_limits<int>::max()) {
            show(doc_, tooManyYears(path_, start, end));
            return false;
        }
        while (skipBlanks()) {
            Location loc = importedLocation(years);
            if (!readHeader(loc)) return false;
            for (int k = 0; k < years; ++k)
                if (!readYear(loc, k, start + k)) return false;
            model.locations.push_back(std::move(loc));
        }
        return true;
    }

  private:
    // Spreadsheets and editors on Windows often start a UTF-8 text file with
    // a byte-order mark; it is not part of the first year.
    void skipByteOrderMark() {
        const char bom[] = "\xEF\xBB\xBF";
        char got[3] = {};
        in_.read(got, 3);
        if (in_.gcount() == 3 && std::equal(got, got + 3, bom)) return;
        in_.clear();
        in_.seekg(0);
    }

    // Skips white space; false at end of data.
    bool skipBlanks() {
        int c;
        while ((c = in_.peek()) != std::char_traits<char>::eof() && isBlank(static_cast<char>(c)))
            in_.get();
        return c != std::char_traits<char>::eof();
    }

    // The next white-space separated word; empty at end of data.
    std::string nextWord() {
        std::string w;
        if (!skipBlanks()) return w;
        int c;
        while ((c = in_.peek()) != std::char_traits<char>::eof() && !isBlank(static_cast<char>(c))) {
            w += static_cast<char>(c);
            in_.get();
        }
        return w;
    }

    // A word that is a whole integer.
    bool nextInt(int &out) {
        std::string w = nextWord();
        const char *p = w.c_str();
        return !w.empty() && scan::scanInt(p, out) && *p == '\0';
    }

    bool nextReal(float &out) {
        std::string w = nextWord();
        const char *p = w.c_str();
        return !w.empty() && scan::scanReal(p, out) && *p == '\0';
    }

    // name<TAB>factor<TAB>type: type empty or starting with 0 is a well.
    bool readHeader(Location &loc) {
        std::string header;
        std::getline(in_, header);
        std::size_t tab = header.find('\t');
        loc.name = trimmed(std::string_view(header).substr(0, tab));
        const char *p = tab == std::string::npos ? "" : header.c_str() + tab + 1;
        float factor = 0.0f;
        if (tab == std::string::npos || !scan::scanReal(p, factor)) {
            show(doc_, "Unable to read the depletion factor in the header line " + trimmed(header) + " of " + path_ +
                           ". Expected: name, tab, factor, tab, type.");
            return false;
        }
        loc.VEK = factor;
        std::string rest(p);
        std::size_t typeAt = rest.find('\t');
        std::string type = typeAt == std::string::npos ? std::string() : rest.substr(typeAt + 1);
        type = type.substr(0, type.find('\t'));
        std::size_t b = 0;
        while (b < type.size() && isBlank(type[b]))
            ++b;
        loc.LocationType = (b == type.size() || type[b] == '0') ? IrrigationWell : RechargeSite;
        return true;
    }

    bool readYear(Location &loc, int k, int expectedYear) {
        int year = 0;
        if (!nextInt(year)) {
            show(doc_, "Unable to read the year of row " + std::to_string(k + 1) + " for well " + loc.name + " in " +
                           path_ + "; should be year " + std::to_string(expectedYear) + ".");
            return false;
        }
        if (year != expectedYear) {
            show(doc_, "Read pump year " + std::to_string(year) + " for well " + loc.name + "; should be year " +
                           std::to_string(expectedYear));
            return false;
        }
        for (int m = 0; m < 12; ++m) {
            if (!nextReal(loc.historicalData[m][static_cast<std::size_t>(k)])) {
                show(doc_, "Unable to read value " + std::to_string(m + 1) + " of year " + std::to_string(year) +
                               " for well " + loc.name + " in " + path_ + ": 12 numbers are expected after the year.");
                return false;
            }
        }
        return true;
    }

    ModelDocument &doc_;
    std::istream &in_;
    std::string path_;
};

} // namespace

bool importTabDelimited(ModelDocument &doc, const std::string &path) {
    std::ifstream in;
    if (!openForReading(in, path)) {
        show(doc, "Unable to open " + path + " for reading.");
        return false;
    }
    return TabDelimitedReader(doc, in, path).read();
}

bool importTabDelimitedWithOptions(ModelDocument &doc, const std::string &path, int yearMode, int unitMode) {
    bool ok = importTabDelimited(doc, path);
    doc.model.yearMode = yearMode;
    doc.model.unitMode = unitMode;
    doc.setModified(true);
    doc.updateAllViews(0);
    return ok;
}

bool importTabDelimitedAsking(ModelDocument &doc, const std::string &path) {
    if (!doc.prompter()) return false;
    auto options = doc.prompter()->chooseImportOptions();
    if (!options) return false;
    return importTabDelimitedWithOptions(doc, path, options->first, options->second);
}

bool importOldFormat(ModelDocument &doc, const std::string &path) {
    bool ok = ReadInput(doc, path, true);
    doc.setModified(true);
    doc.updateAllViews(1);
    return ok;
}

} // namespace vek
