// vektool import-map: wells and stream reaches from GIS files into a model
// input file, their coordinates converted into one projected system; then
// every location's shares of the reaches resolved and the model written
// (in place unless -o names another file).
#include "geo/map_import.h"
#include "model/input_file.h"
#include "model/model_document.h"
#include "vektool/command.h"
#include "vektool/convert_map_options.h"
#include "vektool/messages.h"

#include <cstdio>
#include <string>

namespace {

const char *kUsage = "usage: vektool import-map [--wells FILE] [--streams FILE] [options] MODEL.vek\n\n"
                     "Reads well points and stream lines (GeoPackage, Shapefile, GeoJSON, or CSV\n"
                     "with x and y columns) into MODEL.vek: wells are matched to the model's\n"
                     "locations by name (a well the model lacks is added as an irrigation well\n"
                     "without values), lines sharing a name form one reach. Coordinates are\n"
                     "converted into one projected system; files in longitude and latitude need\n"
                     "--crs. Then every location's shares of the reaches are resolved and the\n"
                     "model is written.\n\n"
                     "  --wells FILE           well points\n"
                     "  --streams FILE         stream lines\n"
                     "  --name-field NAME      field naming wells and reaches (default: a field\n"
                     "                         called name, else the first text field)\n"
                     "  --s-field NAME         field of each well's S (storage coefficient)\n"
                     "  --t-field NAME         field of each well's T (transmissivity, in the square\n"
                     "                         of the map's unit a day)\n"
                     "  --factor-field NAME    field of each well's depletion factor (days)\n"
                     "  --crs SYSTEM           projected system to convert into: EPSG:CODE, WKT or a\n"
                     "                         PROJ string (default: the model's, else the files' own)\n"
                     "  -o OUT.vek             write OUT.vek instead of MODEL.vek\n"
                     "and the stream-reach options of vektool convert (--apportion, --reach-shares,\n"
                     "--reach-depletion, --factor-from-map).\n\n"
                     "Exit status: 0 written, 1 not read, refused or not written, 2 bad options.\n";

int runImportMap(const vektool::Args &args) {
    vek::geo::MapImportOptions o;
    vektool::MapOptions map;
    std::string model, out;
    const std::pair<const char *, std::string *> fields[] = {
        {"--wells", &o.wells},
        {"--streams", &o.streams},
        {"--name-field", &o.nameField},
        {"--s-field", &o.storativityField},
        {"--t-field", &o.transmissivityField},
        {"--factor-field", &o.factorField},
        {"--crs", &o.crs},
        {"-o", &out},
    };
    std::string err;
    for (std::size_t i = 0; i < args.size() && err.empty(); ++i) {
        std::string *slot = nullptr;
        for (const auto &[name, s] : fields)
            if (args[i] == name) slot = s;
        if (slot) {
            if (i + 1 >= args.size())
                err = args[i] + " needs a value";
            else
                *slot = args[++i];
        } else if (!vektool::parseMapOption(args, i, map, err)) {
            if (args[i].size() > 1 && args[i][0] == '-')
                err = "unknown option " + args[i];
            else if (!model.empty())
                err = "expected one MODEL.vek";
            else
                model = args[i];
        }
    }
    if (err.empty() && model.empty()) err = "expected MODEL.vek";
    if (err.empty() && o.wells.empty() && o.streams.empty()) err = "give --wells FILE, --streams FILE or both";
    if (!err.empty()) {
        std::fprintf(stderr, "vektool import-map: %s\n\n%s", err.c_str(), kUsage);
        return 2;
    }
    vek::ModelDocument doc;
    if (!vektool::report(vek::readModelInput(doc.model, model))) return 1;
    vek::geo::MapImportCounts counts;
    if (!vektool::report(vek::geo::importMap(doc.model, o, &counts))) return 1;
    vektool::say("vektool import-map: " + std::to_string(counts.wellsPlaced) + " wells placed (" +
                 std::to_string(counts.wellsAdded) + " of them new locations), " + std::to_string(counts.reachesAdded) +
                 " reaches added, " + std::to_string(counts.reachesMoved) + " reaches given new lines");
    if (!vektool::applyMapOptions(doc.model, map, "import-map")) return 1;
    return vek::SaveInput(doc, vektool::messages(), out.empty() ? model : out) ? 0 : 1;
}

} // namespace

VEKTOOL_COMMAND("import-map", "read wells and stream reaches from GIS files into a model", kUsage, runImportMap);
