// The CD's modules are taken out of their cabinets once per run: the load
// checks of one run (on "次へ >", in the summary, of the finished tree)
// share what the first read, the same cabinet copied into another folder
// is the same module, and a cabinet whose bytes changed is read again.

#include "check/CdModules.h"
#include "check/DriverLoadSources.h"
#include "source/Medium.h"
#include "support/CommandRun.h"
#include "support/Samples.h"
#include "support/StandIns.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

// Starts every child as the system does and counts those of the cabinet
// tool.
class CountingStarter : public ProcessStarter {
public:
    explicit CountingStarter(ProcessStarter& system) : system_(system) {}

    ChildEnd run(const ChildStart& child, const OutputCallback& output, const IdleCallback& idle,
                 const StopCheck& stop) override {
        extracts += fs::path(child.program).filename() == "extract" ? 1 : 0;
        return system_.run(child, output, idle, stop);
    }

    int extracts = 0;

private:
    ProcessStarter& system_;
};

TEST(CdModulesTest, each_module_of_a_run_is_taken_out_of_its_cabinet_once) {
    ORNIBE_REQUIRE_STAND_INS();
    TempDir dir;
    const std::string kernel = slurp(standIn("X86/cd/NTOSKRNL.EXE"));
    makeStandInCd(dir, "cd", kernel);
    auto counter = std::make_shared<CountingStarter>(
        toolSearch(ORNIBE_BUILD_TOOL_DIR, dir.path()).processStarter());
    const ToolSearch tools =
        toolSearch(ORNIBE_BUILD_TOOL_DIR, dir.path()).withProcessStarter(counter);
    const std::vector<LoadCheckDriver> drivers{{standIn("X86/ORCLEAN.SYS"), true},
                                               {standIn("X86/ORNEWK.SYS"), true}};
    auto findings = [&](const std::string& cd, CdModules* modules) {
        std::string text;
        for (const DriverLoadFinding& finding :
             checkDriverLoadsIn(Medium::open(cd), tools, drivers, modules)) {
            text += finding.summaryLine() + "\n";
        }
        return text;
    };

    // A check alone reads the modules it needs in one run of the tool.
    const std::string alone = findings(dir / "cd", nullptr);
    EXPECT_EQ(counter->extracts, 1);
    EXPECT_NE(alone.find("ORCLEAN.SYS: 読み込める"), std::string::npos) << alone;
    EXPECT_NE(alone.find("KeQueryActiveProcessorCountEx"), std::string::npos) << alone;

    // The checks of one run: the first reads, the later ones, of the same
    // tree or of its copy, read nothing again and say the same.
    CdModules modules;
    EXPECT_EQ(findings(dir / "cd", &modules), alone);
    EXPECT_EQ(counter->extracts, 2);
    fs::copy(dir / "cd", dir / "copy", fs::copy_options::recursive);
    EXPECT_EQ(findings(dir / "cd", &modules), alone);
    EXPECT_EQ(findings(dir / "copy", &modules), alone);
    EXPECT_EQ(counter->extracts, 2);

    // A kernel replaced by other bytes is read again: one that lacks the
    // function the clean driver imports now refuses it.
    makeStandInCd(dir, "other", slurp(standIn("X86/cd/HAL.DLL")));
    const std::string other = findings(dir / "other", &modules);
    EXPECT_EQ(counter->extracts, 3);
    EXPECT_EQ(other.find("ORCLEAN.SYS: 読み込める"), std::string::npos) << other;
}

} // namespace
} // namespace ornibe::test
