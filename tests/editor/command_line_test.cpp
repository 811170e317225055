// The VEKView program's command line: --version and --help print without a
// display, --smoke-test opens one file with no one there to answer and says
// by its status whether it opened cleanly. Runs the built program.
#include "support/test_files.h"
#include "vek_version.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <filesystem>

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
