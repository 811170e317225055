// The VEKView program's command line: --version and --help print without a
// display, --smoke-test opens one file with no one there to answer and says
// by its status whether it opened cleanly. Runs the built program.
#include "support/test_files.h"
#include "vek_version.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <algorithm>
#include <filesystem>
#include <set>

namespace {

struct Outcome {
    int status = -1;
    QString out, err;
};

Outcome vekview(const QStringList &args, bool withDisplay = true) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Settings of a test run never reach the real home folder.
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(vek::test::freshDir("command_line_config")));
    if (withDisplay) {
        env.insert("QT_QPA_PLATFORM", "offscreen");
    } else {
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
    }
    p.setProcessEnvironment(env);
    p.start(QString::fromStdString(vek::test::binDir() + "/VEKView"), args);
    Outcome r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = "VEKView did not finish";
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(QString::fromStdString(vek::test::binDir() + "/VEKView")).isExecutable())
            << "VEKView is not built in " << vek::test::binDir();
    }
};

QString example() {
    return QString::fromStdString(
        (std::filesystem::path(vek::test::dataDir()) / ".." / ".." / "examples" / "river_valley.vek").string());
}

} // namespace

TEST_F(CommandLine, VersionAndHelpPrintWithoutADisplay) {
    Outcome v = vekview({"--version"}, false);
    EXPECT_EQ(v.status, 0) << v.err.toStdString();
    EXPECT_EQ(v.out, QString("VEKView " VEK_VERSION "\n"));

    Outcome h = vekview({"--help"}, false);
    EXPECT_EQ(h.status, 0) << h.err.toStdString();
    EXPECT_TRUE(h.out.contains("--smoke-test <FILE>")) << h.out.toStdString();
    EXPECT_TRUE(h.out.contains("--version")) << h.out.toStdString();

    Outcome bad = vekview({"--no-such-option"});
    EXPECT_NE(bad.status, 0);
    EXPECT_TRUE(bad.err.contains("no-such-option")) << bad.err.toStdString();
}

TEST_F(CommandLine, SmokeTestOpensTheExample) {
    Outcome r = vekview({"--smoke-test", example()});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith("VEKView " VEK_VERSION ": opened model input ")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("(4 locations)")) << r.out.toStdString();
}

// A run that cannot open its file, or opens it only with a message, fails:
// the smoke test never passes on a document it did not read.
TEST_F(CommandLine, SmokeTestFailsOnAMissingOrBrokenFile) {
    const std::string dir = vek::test::freshDir("command_line_smoke");
    Outcome missing = vekview({"--smoke-test", QString::fromStdString(dir + "/none.vek")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("none.vek was not found.")) << missing.err.toStdString();

    const std::string text = vek::test::readFile(vek::test::dataPath("model/two_locations.vek"));
    vek::test::writeFile(dir + "/cut.vek", text.substr(0, text.find("Site B\n0 1")));
    Outcome cut = vekview({"--smoke-test", QString::fromStdString(dir + "/cut.vek")});
    EXPECT_EQ(cut.status, 1);
    EXPECT_TRUE(cut.err.contains("Unexpected EOF")) << cut.err.toStdString();
    EXPECT_TRUE(cut.err.contains("did not open cleanly")) << cut.err.toStdString();
}

namespace {

QString twoLocations() { return QString::fromStdString(vek::test::dataPath("results/two_locations.out")); }

// The colours the series lines are drawn in: the strokes of the SVG's
// two-pixel groups (the axes and grid are one pixel wide).
std::set<std::string> seriesColours(const std::string &svg) {
    std::set<std::string> out;
    for (std::size_t at = 0; (at = svg.find("<g ", at)) != std::string::npos; ++at) {
        const std::string tag = svg.substr(at, svg.find('>', at) - at);
        const std::size_t stroke = tag.find("stroke=\"#");
        if (stroke != std::string::npos && tag.find("stroke-width=\"2\"") != std::string::npos &&
            svg.compare(svg.find('>', at) + 1, 10, "\n<polyline") == 0)
            out.insert(tag.substr(stroke + 8, 7));
    }
    return out;
}

// Pixels of a colour (not white, grey or black) inside the image's middle.
int colouredPixels(const QImage &image) {
    int n = 0;
    for (int y = image.height() / 10; y < image.height() * 8 / 10; ++y)
        for (int x = image.width() / 10; x < image.width() * 9 / 10; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 60) ++n;
        }
    return n;
}

} // namespace

// VEKView --plot draws the graphs of a selection into an image file with no
// display at all, in each format it names, and says nothing on the way.
TEST_F(CommandLine, PlotWritesEveryFormatWithoutADisplay) {
    const std::string dir = vek::test::freshDir("command_line_plot");
    const auto plot = [&](const QString &file, QStringList more) {
        return vekview(QStringList{"--plot", twoLocations(), "-o", QString::fromStdString(dir) + "/" + file} + more,
                       false);
    };
    Outcome png = plot("stream.png", {"--locations", "0,1,4", "--no-diversion", "--size", "900x500"});
    ASSERT_EQ(png.status, 0) << png.err.toStdString();
    EXPECT_EQ(png.err, "");
    const QImage image(QString::fromStdString(dir + "/stream.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(900, 500));
    EXPECT_GT(colouredPixels(image), 1000);
    Outcome empty = plot("empty.png", {"--locations", "0", "--years", "avg", "--no-diversion", "--size", "900x500"});
    ASSERT_EQ(empty.status, 0) << empty.err.toStdString();
    EXPECT_LT(colouredPixels(QImage(QString::fromStdString(dir + "/empty.png"))), colouredPixels(image) / 2);

    // One series path (and colour) per location drawn: three in the stream
    // graph, one when one location is chosen; both graphs one above the other.
    ASSERT_EQ(plot("three.svg", {"--locations", "0,1,4", "--no-diversion"}).status, 0);
    const std::string three = vek::test::readFile(dir + "/three.svg");
    EXPECT_EQ(seriesColours(three).size(), 3u) << three.substr(0, 2000);
    ASSERT_EQ(plot("one.svg", {"--locations", "1", "--yearly", "--units", "m3"}).status, 0);
    const std::string one = vek::test::readFile(dir + "/one.svg");
    EXPECT_EQ(seriesColours(one).size(), 1u);
    EXPECT_NE(one.find("cubic metres"), std::string::npos);
    EXPECT_NE(one.find("Diversion/Recharge Data"), std::string::npos);
    EXPECT_NE(one.find("Stream Depletion/Accretion Data"), std::string::npos);

    ASSERT_EQ(plot("both.pdf", {"--year-type", "0"}).status, 0);
    const std::string pdf = vek::test::readFile(dir + "/both.pdf");
    EXPECT_EQ(pdf.rfind("%PDF-1.", 0), 0u);
    EXPECT_NE(pdf.find("%%EOF", pdf.size() - 16), std::string::npos);
    EXPECT_NE(pdf.find("/Type /Page\n"), std::string::npos);
    EXPECT_EQ(pdf.find("/Type /Page\n"), pdf.rfind("/Type /Page\n")); // one page

    // What cannot be drawn or named says so in one line, and writes nothing.
    Outcome gif = plot("x.gif", {});
    EXPECT_EQ(gif.status, 1);
    EXPECT_TRUE(gif.err.contains("png, svg, pdf")) << gif.err.toStdString();
    Outcome year = plot("x.png", {"--years", "1850"});
    EXPECT_EQ(year.status, 2);
    EXPECT_TRUE(year.err.contains("no year '1850'")) << year.err.toStdString();
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.png"));
}
