// Wells and reaches from GIS files: names matched to locations and new wells
// added, lines of one name made one reach, coordinates converted into the
// projected system named, longitude and latitude without one refused with a
// system to name, and what a file lacks named.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "geo/map_import.h"
#include "support/model_builder.h"
#include "support/test_files.h"

namespace {

namespace t = vek::test;
namespace g = vek::geo;

// A GeoJSON file of features, in the system `crs` (empty: none named, which
// GeoJSON takes as longitude and latitude).
std::string geojson(const std::string &crs, const std::string &features) {
    std::string s = "{\"type\":\"FeatureCollection\",";
    if (!crs.empty()) s += "\"crs\":{\"type\":\"name\",\"properties\":{\"name\":\"" + crs + "\"}},";
    return s + "\"features\":[" + features + "]}";
}

std::string line(const std::string &name, const std::string &coordinates) {
    return "{\"type\":\"Feature\",\"properties\":{\"name\":\"" + name +
           "\"},\"geometry\":{\"type\":\"LineString\",\"coordinates\":" + coordinates + "}}";
}

vek::ModelInput twoWells() {
    t::ModelBuilder b(2000, 2, 1);
    b.locations(2, "Well ");
    return b.model();
}

// Wells from CSV matched by name, one new; S, T and factors taken; lines
// sharing a name one reach of two lines; an existing reach given new lines.
TEST(MapImport, WellsAndReachesIntoTheModel) {
    const std::string dir = t::freshDir("geo_map_import");
    t::writeFile(dir + "/wells.csv", "name,x,y,S,T,sdf\nWell 1,1000,2000,0.2,20000,12.5\n"
                                     "Well 3,1500.5,2500,,,\nWell 2,3000,-100,0.1,5000,\n");
    t::writeFile(dir + "/streams.geojson",
                 geojson("urn:ogc:def:crs:EPSG::32613", line("Big River", "[[0,0],[1000,0],[2000,500]]") + "," +
                                                            line("Creek", "[[500,3000],[600,2000]]") + "," +
                                                            line("Big River", "[[2000,500],[2500,900]]")));
    vek::ModelInput m = twoWells();
    m.network.reaches.push_back({"Creek", {}});
    g::MapImportOptions o;
    o.wells = dir + "/wells.csv";
    o.streams = dir + "/streams.geojson";
    o.storativityField = "S";
    o.transmissivityField = "T";
    o.factorField = "sdf";
    g::MapImportCounts c;
    const vek::OperationResult r = g::importMap(m, o, &c);
    ASSERT_TRUE(r.ok()) << r.error->message;
    EXPECT_EQ(c.wellsPlaced, 3);
    EXPECT_EQ(c.wellsAdded, 1);
    EXPECT_EQ(c.reachesAdded, 1);
    EXPECT_EQ(c.reachesMoved, 1);
    EXPECT_EQ(m.network.crs, "EPSG:32613");
    EXPECT_EQ(m.network.unit, vek::LengthUnit::Metres);
    ASSERT_EQ(m.network.reaches.size(), 2u);
    EXPECT_EQ(m.network.reaches[0].name, "Creek");
    ASSERT_EQ(m.network.reaches[0].lines.size(), 1u);
    EXPECT_EQ(m.network.reaches[1].name, "Big River");
    ASSERT_EQ(m.network.reaches[1].lines.size(), 2u);
    EXPECT_EQ(m.network.reaches[1].lines[0][2], (vek::MapPoint{2000, 500}));
    ASSERT_EQ(m.locations.size(), 3u);
    EXPECT_EQ(m.locations[0].onMap.position, (vek::MapPoint{1000, 2000}));
    EXPECT_EQ(m.locations[0].onMap.storativity, 0.2);
    EXPECT_EQ(m.locations[0].VEK, 12.5f);
    EXPECT_EQ(m.locations[1].VEK, 0.0f); // no factor in the file: kept
    EXPECT_EQ(m.locations[2].name, "Well 3");
    EXPECT_FALSE(m.locations[2].onMap.storativity.has_value());
    EXPECT_EQ(m.locations[2].historicalCount(), 2);
    EXPECT_EQ(m.locations[2].synthesizedCount(), 1);
    // The CSV names no system: a warning says it is taken as the target's.
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].message.find("taken to be in EPSG:32613"), std::string::npos);
}

// Longitude and latitude: refused without a target, with the UTM zone that
// holds the wells to name; with one, converted (on the zone's central
// meridian at the equator a point is at 500000, 0).
TEST(MapImport, LongitudeAndLatitudeNeedAProjectedSystem) {
    const std::string dir = t::freshDir("geo_map_import_geographic");
    t::writeFile(dir + "/wells.geojson",
                 geojson("", "{\"type\":\"Feature\",\"properties\":{\"name\":\"Well 1\"},"
                             "\"geometry\":{\"type\":\"Point\",\"coordinates\":[-105,0]}},"
                             "{\"type\":\"Feature\",\"properties\":{\"name\":\"Well 2\"},"
                             "\"geometry\":{\"type\":\"Point\",\"coordinates\":[-105.5,0.5]}}"));
    vek::ModelInput m = twoWells();
    const vek::ModelInput before = m;
    g::MapImportOptions o;
    o.wells = dir + "/wells.geojson";
    vek::OperationResult r = g::importMap(m, o);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->kind, vek::OperationError::Kind::NoProjectedSystem);
    EXPECT_NE(r.error->message.find("are in longitude and latitude (EPSG:4326)"), std::string::npos)
        << r.error->message;
    EXPECT_NE(r.error->message.find("EPSG:32613 (WGS 84 / UTM zone 13N"), std::string::npos) << r.error->message;
    EXPECT_EQ(m, before);

    o.crs = "EPSG:4326";
    r = g::importMap(m, o);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error->message.find("is not a projected coordinate system"), std::string::npos);

    o.crs = "EPSG:32613";
    r = g::importMap(m, o);
    ASSERT_TRUE(r.ok()) << r.error->message;
    EXPECT_NEAR(m.locations[0].onMap.position->x, 500000.0, 1e-6);
    EXPECT_NEAR(m.locations[0].onMap.position->y, 0.0, 1e-6);
    EXPECT_LT(m.locations[1].onMap.position->x, 500000.0);
    EXPECT_GT(m.locations[1].onMap.position->y, 55000.0);
    EXPECT_EQ(m.network.crs, "EPSG:32613");

    // The model's map is in that system now: another is refused.
    o.crs = "EPSG:32614";
    r = g::importMap(m, o);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error->message.find("The model's map is in EPSG:32613"), std::string::npos);
}

// What a file lacks: a field named, names, the file itself.
TEST(MapImport, MissingFieldsAndFiles) {
    const std::string dir = t::freshDir("geo_map_import_missing");
    t::writeFile(dir + "/wells.csv", "name,x,y\nWell 1,1,2\n");
    t::writeFile(dir + "/unnamed.csv", "x,y,depth\n1,2,30\n");
    vek::ModelInput m = twoWells();
    const struct {
        std::string wells, field;
        vek::OperationError::Kind kind;
        std::string message;
    } rows[] = {
        {dir + "/wells.csv", "S", vek::OperationError::Kind::MissingField, "have no field \"S\""},
        {dir + "/unnamed.csv", "", vek::OperationError::Kind::MissingField, "have no text field to name them by"},
        {dir + "/none.csv", "", vek::OperationError::Kind::CannotOpen, "Unable to open the wells file"},
    };
    for (const auto &row : rows) {
        g::MapImportOptions o;
        o.wells = row.wells;
        o.storativityField = row.field;
        const vek::OperationResult r = g::importMap(m, o);
        ASSERT_FALSE(r.ok()) << row.wells;
        EXPECT_EQ(r.error->kind, row.kind) << row.wells;
        EXPECT_NE(r.error->message.find(row.message), std::string::npos) << r.error->message;
    }
}

} // namespace
