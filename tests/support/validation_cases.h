// Small model input files that the engine would refuse or would read
// otherwise than the editor shows them, each made from one runnable file by
// one change. vektool's tests and the desktop's Run test share the table.
#pragma once

#include <string>
#include <vector>

namespace vek::test {

// Two historical years (2000, 2001), one synthesized year copied from 2001,
// a well and a recharge site, a run of 2000 to 2003 in Irrigation years.
inline const std::string kRunnableModel =
    "Version 1.12\n"
    "2000 2001 1 2000 2003 2 0 2 1 0 1 1 0 # inputStartYear inputEndYear noOfSimulationYears outputStartYear "
    "outputEndYear nwells outputFormat synthesizeFormat projYearStart projYearEnd yearMode unitMode "
    "useAvgDaysPerMonth\n"
    "10 -1 1 # VEK LocationType UseInOutput\n"
    "Well A\n"
    "1 2 3 4 5 6 7 8 9 10 11 12\n"
    "2 3 4 5 6 7 8 9 10 11 12 13\n"
    "2 3 4 5 6 7 8 9 10 11 12 13\n"
    "2.5 1 1 # VEK LocationType UseInOutput\n"
    "Site B\n"
    "21 22 23 24 25 26 27 28 29 30 31 32\n"
    "41 42 43 44 45 46 47 48 49 50 51 52\n"
    "41 42 43 44 45 46 47 48 49 50 51 52\n"
    "Well A\n"
    "0 1 # UsePumpingRecord Units\n"
    "1 1 1 1 1 1 1 1 1 1 1 1\n"
    "0 0 0 0 0 0 0 0 0 0 0 0\n"
    "0 0 0 0 0 0 0 0 0 0 0 0\n"
    "Site B\n"
    "0 1 # UsePumpingRecord Units\n"
    "1 1 1 1 1 1 1 1 1 1 1 1\n"
    "0 0 0 0 0 0 0 0 0 0 0 0\n"
    "0 0 0 0 0 0 0 0 0 0 0 0\n";

struct ValidationCase {
    const char *file;    // the file's name (its length matters to the engine)
    const char *replace; // text of kRunnableModel to replace ("" for none)
    const char *with;
    bool refused;       // the engine would refuse it; else warned (or clean when field is "")
    int location;       // the problem's location, -1 for the model's settings
    const char *field;  // the problem's field; "" when there is none
    const char *option; // the vektool convert option a refusal names ("" for none)

    std::string text() const {
        std::string t = kRunnableModel;
        if (*replace) t.replace(t.find(replace), std::string(replace).size(), with);
        return t;
    }
};

inline const std::vector<ValidationCase> &validationCases() {
    static const std::vector<ValidationCase> cases = {
        // What the engine refuses, or would run wrongly.
        {"calendar.vek", "0 1 1 0 #", "0 0 1 0 #", true, -1, "yearMode", "--year-type 1"},
        {"no_years.vek", "2000 2003 2", "2000 1999 2", true, -1, "outputEndYear", "--run-start 2000 --run-end 2002"},
        {"years401.vek", "2000 2003 2", "2000 2400 2", true, -1, "outputEndYear", "--run-end 2399"},
        {"early_start.vek", "2000 2003 2", "1999 2003 2", true, -1, "outputStartYear", "--run-start 2000"},
        {"late_start.vek", "2000 2003 2", "2003 2003 2", true, -1, "outputStartYear", "--run-start 2000"},
        {"negative_factor.vek", "10 -1 1 #", "-10 -1 1 #", true, 0, "VEK", "--factor 1:DAYS or --use 1:no"},
        {"model_file_name_one_longer_than_the_engine.vek", "", "", true, -1, "file name", ""},
        {"methods.vek", "", "", true, 0, "a/W", "--method 1:METHOD"},
        // What the engine runs, but reads otherwise than the editor shows.
        {"type2.vek", "2.5 1 1 #", "2.5 2 1 #", false, 1, "LocationType", ""},
        {"type0.vek", "2.5 1 1 #", "2.5 0 1 #", false, 1, "LocationType", ""},
        {"days_rule.vek", "1 1 0 #", "1 1 2 #", false, -1, "useAvgDaysPerMonth", ""},
        {"stale.vek", "2 3 4 5 6 7 8 9 10 11 12 13\n2 3", "9 3 4 5 6 7 8 9 10 11 12 13\n2 3", false, 0,
         "synthesizedData", ""},
        {"long_name.vek", "Site B\n21", "Site B in the lower valley, below the county road bridge, east\n21", false, 1,
         "name", ""},
        // One byte more than the report's 60.
        {"name61.vek", "Site B\n21", "Recharge ponds of the Alamosa irrigation district, north end.\n21", false, 1,
         "name", ""},
        // 59 letters and an e with an acute accent: the report's 60 bytes end
        // inside it.
        {"cut_name.vek", "Site B\n21", "Recharge pond of the Alamosa irrigation district, north end\xC3\xA9\n21", false,
         1, "name", ""},
        // Clean at the limits: 400 years, a 45-character file name, a
        // negative factor or a type of a location the engine skips, a name
        // of the report's 60 bytes.
        {"years400.vek", "2000 2003 2", "2000 2399 2", false, -1, "", ""},
        {"model_file_name_as_long_as_the_engine_rea.vek", "", "", false, -1, "", ""},
        {"unused.vek", "10 -1 1 #", "-10 -1 0 #", false, -1, "", ""},
        {"name60.vek", "Site B\n21", "Recharge ponds of the Alamosa irrigation district, north end\n21", false, -1, "",
         ""},
        {"unused_type2.vek", "2.5 1 1 #", "2.5 2 0 #", false, -1, "", ""},
    };
    return cases;
}

// The refused response method of "methods.vek": appended to the file.
inline const char *kRefusedMethodSection = "Response methods 1\nlocation 1 alluvial a/W=1.5\nend\n";

// The file of one case.
inline std::string validationCaseText(const ValidationCase &c) {
    std::string t = c.text();
    if (std::string(c.file) == "methods.vek") t += kRefusedMethodSection;
    return t;
}

} // namespace vek::test
