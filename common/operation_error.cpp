// Names of the operations' error kinds and families (see operation_error.h).
#include "common/operation_error.h"

namespace vek {

OperationError::Family OperationError::family() const {
    switch (kind) {
    case Kind::NoSynthesizedYears:
    case Kind::NoHistoricalYears:
    case Kind::NotAHistoricalYear:
    case Kind::NoYearsChosen:
    case Kind::CycleTooShort:
        return Family::Synthesis;
    case Kind::UnknownYearType:
    case Kind::UnknownUnits:
    case Kind::PeriodFull:
        return Family::Conversion;
    default:
        return Family::File;
    }
}

const char *kindName(OperationError::Kind kind) {
    using K = OperationError::Kind;
    switch (kind) {
    case K::NoSynthesizedYears:
        return "NoSynthesizedYears";
    case K::NoHistoricalYears:
        return "NoHistoricalYears";
    case K::NotAHistoricalYear:
        return "NotAHistoricalYear";
    case K::NoYearsChosen:
        return "NoYearsChosen";
    case K::CycleTooShort:
        return "CycleTooShort";
    case K::UnknownYearType:
        return "UnknownYearType";
    case K::UnknownUnits:
        return "UnknownUnits";
    case K::PeriodFull:
        return "PeriodFull";
    case K::CannotOpen:
        return "CannotOpen";
    case K::UnexpectedEnd:
        return "UnexpectedEnd";
    case K::Unreadable:
        return "Unreadable";
    case K::WrongYear:
        return "WrongYear";
    case K::TooManyYears:
        return "TooManyYears";
    case K::UnevenWells:
        return "UnevenWells";
    case K::NoWells:
        return "NoWells";
    case K::UnreadText:
        return "UnreadText";
    case K::NoProjectedSystem:
        return "NoProjectedSystem";
    case K::MissingField:
        return "MissingField";
    case K::NoMapSupport:
        return "NoMapSupport";
    }
    return "Unknown";
}

const char *familyName(OperationError::Family family) {
    switch (family) {
    case OperationError::Family::Synthesis:
        return "synthesis";
    case OperationError::Family::Conversion:
        return "conversion";
    case OperationError::Family::File:
        return "file";
    }
    return "unknown";
}

} // namespace vek
