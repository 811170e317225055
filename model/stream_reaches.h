// The model's stream reaches and where its locations stand on the map: plain
// values, copied with the model (undo snapshots take them along). Each
// location's depletion is apportioned among the reaches by a rule (the
// model's, or one of its own); the shares resolved from the geometry are
// kept with the location, so the file carries them and the engine only
// reads numbers. The geometry itself is worked on by the map core (geo/).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/reach_section.h"
#include "model/depletion_factor.h"

namespace vek {

using engine::Apportionment;
using engine::ApportionRule;
using engine::ReachDepletion;
using MapPoint = engine::MapXY;
using MapLine = std::vector<MapPoint>;

struct StreamReach {
    std::string name;
    std::vector<MapLine> lines; // none: a reach without geometry, which only typed shares reach

    bool hasGeometry() const { return !lines.empty(); }
    bool operator==(const StreamReach &) const = default;
};

// A location's share of one reach (0-based).
struct ReachShare {
    int reach = 0;
    double fraction = 0.0;
    double distance = -1.0; // shortest distance from the location to the reach; below 0: not known
    bool hasFactor = false; // by reach distance: the reach's own factor d^2 S / T
    float factor = 0.0f;

    bool operator==(const ReachShare &) const = default;
};

struct LocationMap {
    std::optional<MapPoint> position;
    std::optional<double> storativity;    // S, no unit
    std::optional<double> transmissivity; // T, in the square of the map's unit a day
    // The location's factor comes from its distance to the nearest reach and
    // its S and T (sdf = a^2 S / T), set again whenever the shares are.
    bool factorFromMap = false;
    std::optional<ApportionRule> rule; // its own apportionment instead of the model's
    std::vector<ReachShare> typed;     // the typed-shares rule: its fractions, by reach
    std::vector<ReachShare> shares;    // resolved: what the engine uses

    bool empty() const {
        return !position && !storativity && !transmissivity && !factorFromMap && !rule && typed.empty() &&
               shares.empty();
    }
    bool operator==(const LocationMap &) const = default;
};

struct ReachNetwork {
    std::vector<StreamReach> reaches;
    LengthUnit unit = LengthUnit::Feet; // of the coordinates, distances and T
    std::string crs;                    // the projected system the coordinates are in, e.g. "EPSG:2232"
    ApportionRule rule;                 // every location's unless it has its own
    ReachDepletion depletion = ReachDepletion::Apportioned;

    bool operator==(const ReachNetwork &) const = default;
};

struct ModelInput;
struct Location;

// The rule that apportions `location`: its own, or the model's.
const ApportionRule &ruleOf(const ModelInput &model, const Location &location);

// The reach of that name (0-based), or -1.
int findReach(const ModelInput &model, const std::string &name);

// Operations on the reaches; each keeps every location's typed and resolved
// shares pointing at the same reaches.
// Appends a reach; false when the name is empty or taken.
bool addReach(ModelInput &model, StreamReach reach);
// False when there is no reach `index`, or `name` is empty or another's.
bool renameReach(ModelInput &model, int index, const std::string &name);
// Removes the reach and every share of it. False when there is no such reach.
bool removeReach(ModelInput &model, int index);

// Whether the model's file needs the section: it has reaches or a location
// has anything on the map. A model without either is written as it always
// was.
bool needsReachSection(const ModelInput &model);

// What the resolved shares follow from: the network and each location's
// place, properties and rule. When it changes, the shares must be resolved
// again (the desktop does so at the end of the edit that changed it).
struct MapInputs {
    struct Place {
        std::optional<MapPoint> position;
        std::optional<double> storativity, transmissivity;
        bool factorFromMap = false;
        std::optional<ApportionRule> rule;
        std::vector<ReachShare> typed;
        bool operator==(const Place &) const = default;
    };
    ReachNetwork network;
    std::vector<Place> places; // one per location, in order
    bool operator==(const MapInputs &) const = default;
};
MapInputs mapInputsOf(const ModelInput &model);

// What is wrong with a location's typed shares (each reach at most once and
// existing, fractions from 0 to 1 adding up to 1 within 1e-6), or empty.
std::string typedSharesProblem(const ModelInput &model, const Location &location);

} // namespace vek
