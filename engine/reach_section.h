// The stream-reach section of the model input file: the reaches of the
// model's streams with their lines on the map, where the locations stand,
// how each location's depletion is apportioned among the reaches, and the
// resolved shares that the engine uses. It comes after the pumping records
// (and the uncertainty ranges) and before the response methods, a part of
// the file that every reader before it skips, so such a model still runs
// there as one stream:
//
//   Stream reaches 1
//   map units=feet crs="EPSG:2232" depletion=apportioned
//   apportion web power=2 max-distance=20000 min-fraction=0.01
//   reach 1 name="Cottonwood Creek"
//   line points=3
//   1000 2000 1500 2500 2000 2600
//   reach 2 name="Big River"
//   location 1 x=1200 y=2400 S=0.2 T=20000 factor=map
//   location 2 x=1800 y=900 apportion=inverse power=1
//   typed 3 reach=1 fraction=0.6
//   share 1 reach=1 fraction=0.75 distance=100 factor=1.2
//   end
//
// Reaches and locations are numbered from 1 (locations in file order, as the
// pumping records are matched). `share` lines are what the model's program
// resolved from the rest; the engine reads only the map line, the reach
// names and the shares. Statements are those of the response methods
// (section_statement.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/real.h"
#include "engine/section_statement.h"

namespace vek::engine {

inline constexpr std::string_view kReachSectionTitle = "Stream reaches";
inline constexpr int kReachSectionLayout = 1;

// How a location's depletion is split among the reaches.
enum class Apportionment : std::uint8_t { Nearest, Inverse, Web, Polygon, Shares };

// "nearest", "inverse", "web", "polygon", "shares", and back.
const char *apportionmentKeyword(Apportionment method);
bool apportionmentFromKeyword(std::string_view word, Apportionment &method);

struct ApportionRule {
    Apportionment method = Apportionment::Web;
    int power = 2;            // inverse and web: 1 or 2
    double maxDistance = 0.0; // a reach farther than this takes nothing; 0: no limit
    double minFraction = 0.0; // a share below this goes to the others in proportion
    double spacing = 0.0;     // polygon: points along the reaches this far apart; 0: chosen from the network

    bool operator==(const ApportionRule &) const = default;
};

// The rule as the report and the programs name it: "web squared",
// "inverse distance", "nearest reach", "Thiessen polygons", "typed shares".
std::string apportionmentName(const ApportionRule &rule);

// A reach's depletion: the location's own depletion apportioned (the total
// over the reaches is the location's), or computed per reach from that
// reach's distance (a factor d^2 S / T of its own) and then apportioned.
enum class ReachDepletion : std::uint8_t { Apportioned, ByDistance };

struct MapXY {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const MapXY &) const = default;
};

struct SectionReach {
    std::string name;
    std::vector<std::vector<MapXY>> lines; // none: a reach without geometry
    long long line = 0;
};

struct SectionPlace {
    long long location = 0; // 1-based
    bool placed = false;
    MapXY at;
    bool hasStorativity = false, hasTransmissivity = false;
    double storativity = 0.0, transmissivity = 0.0;
    bool factorFromMap = false;
    bool ownRule = false;
    ApportionRule rule;
    long long line = 0;
};

// One location's share of one reach: typed by the user, or resolved.
struct SectionShare {
    long long location = 0; // 1-based
    long long reach = 0;    // 1-based
    double fraction = 0.0;
    double distance = -1.0; // below 0: not known
    bool hasFactor = false; // resolved shares of the by-distance depletion
    Real factor = 0.0f;     // days, d^2 S / T
    long long line = 0;
};

struct ReachSection {
    bool present = false;
    long long line = 0; // its first line in the file
    bool metres = false;
    std::string crs;
    ReachDepletion depletion = ReachDepletion::Apportioned;
    ApportionRule rule;
    std::vector<SectionReach> reaches; // reach n at index n - 1
    std::vector<SectionPlace> places;  // in the order written
    std::vector<SectionShare> typed;
    std::vector<SectionShare> shares;
};

// True for the section's first line: "Stream reaches" and a layout number.
bool isReachSectionStart(std::string_view line, int *layout = nullptr);

// Parses the section from its lines (line ends removed), its first line
// first, `firstLine` being its number in the file. Lines after its end line
// must be blank. Checks the grammar, the layout, that reaches are numbered
// in order with distinct names, that a location, or a location's share of a
// reach, is given at most once and names an existing reach, and that every
// number is in its range. Throws SectionError.
ReachSection parseReachSection(const std::vector<std::string_view> &lines, long long firstLine);

// What makes the resolved shares unusable for a run, or empty: each
// location's fractions add up to 1 (to 1e-6), and with the by-distance
// depletion every share has its factor (finite, >= 0).
std::string reachSharesProblem(const ReachSection &section, long long *line);

} // namespace vek::engine
