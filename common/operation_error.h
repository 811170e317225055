// What an operation on a model reports when it cannot do what it was asked,
// and where: the file, location, year, month and field concerned. The
// operations themselves (synthesis, year types and units, imports) never ask
// and never show anything; the document layer shows `message` word for word,
// vektool prints it, and a script reads the fields.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vek {

struct OperationError {
    // The families of operations; each kind below belongs to one.
    enum class Family { Synthesis, Conversion, File };

    enum class Kind {
        // Synthesis: projecting historical years into the synthesized ones.
        NoSynthesizedYears, // the model has no synthesized years to fill
        NoHistoricalYears,  // ... or no historical years to fill them from
        NotAHistoricalYear, // a year named is not one of the historical years
        NoYearsChosen,      // an average of no years
        CycleTooShort,      // a cycle of less than one year
        // Conversion: year types and units.
        UnknownYearType,
        UnknownUnits,
        PeriodFull, // the historical period cannot take the year a change needs
        // File: imports and the model input file.
        CannotOpen,    // the file cannot be opened for reading
        UnexpectedEnd, // the file ends before a record it must hold
        Unreadable,    // a record does not hold what it must
        WrongYear,     // a year row names another year than expected
        TooManyYears,  // the file spans more years than can be imported
        UnevenWells,   // a sub-area's lines do not fit its well count
        NoWells,       // an import that found nothing to import
        UnreadText,    // text a reader passed over unread (a warning)
        // Maps: wells and stream reaches read with their coordinates.
        NoProjectedSystem, // coordinates in longitude and latitude, and no projected system named to convert them into
        MissingField,      // a field named for names or values that the layer does not have
        NoMapSupport,      // a program built without the map libraries
    };

    Kind kind = Kind::Unreadable;
    // One or more sentences that read well on their own: what the program
    // shows or prints.
    std::string message;
    // Where, as far as it is known: the file read, the location (position
    // from 0, and name), the year (its label), the month column (0..11) and
    // the field or value concerned. Empty, -1 or nullopt when not known.
    std::string file;
    int location = -1;
    std::string locationName;
    std::optional<int> year;
    int month = -1;
    std::string field;

    Family family() const;
};

// "NoSynthesizedYears", "UnknownYearType", ...: the kind's name as written
// above, for scripts and logs.
const char *kindName(OperationError::Kind kind);
// "synthesis", "conversion", "file".
const char *familyName(OperationError::Family family);

// The outcome of an operation: an error when it was refused or failed (the
// operation says what then became of the model), warnings when it went on
// past something the user should know, and whether the model changed (the
// document then counts as modified).
struct OperationResult {
    std::optional<OperationError> error;
    std::vector<OperationError> warnings;
    bool changed = false;

    bool ok() const { return !error; }
    static OperationResult failure(OperationError e) {
        OperationResult r;
        r.error = std::move(e);
        return r;
    }
};

} // namespace vek
