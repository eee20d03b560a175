// The Qt dialogs as the engine programs reach them: a module loaded from
// beside the program, which resolves the front end from the program that
// loads it. This test program is linked as the engines are.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#include "front/EngineMain.h"
#include "front/QtFrontModule.h"
#include "front/demo/DemoRender.h"
#include "tests/front/FrontTestSupport.h"

namespace tal::front::testing {
namespace {

TQtFrontCall ProbeCall(const char* version = TAL_PROJECT_VERSION) {
    TQtFrontCall call;
    call.Version = version;
    call.ProbeOnly = true;
    return call;
}

// Runs a shell command and returns what it wrote on stderr.
std::string ErrorsOf(const std::string& command) {
    std::string text;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>&1 >/dev/null").c_str(), "r"), ::pclose);
    if (!pipe) return "cannot run " + command;
    std::array<char, 4096> chunk {};
    while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe.get())) text.append(chunk.data(), n);
    return text;
}

TEST(QtFrontModule, LoadsIntoAProgramBuiltLikeTheEnginesAndAsksTheDisplay) {
    // The program's own front end works (and is the one the module uses).
    std::istringstream in;
    std::ostringstream out, err;
    auto factory = [](const TEngineOptions&) -> std::unique_ptr<TRPRender> {
        return std::make_unique<TDemoRender>("*.pdf");
    };
    ASSERT_EQ(EngineMain(PdfEngineProfile(), factory, {"--version"}, {in, out, err}), 0);

    std::string why = "unchanged";
    const TQtFrontEntry entry = LoadQtFrontModule(TAL_QT_DIALOGS_PATH, why);
    ASSERT_NE(entry, nullptr) << why;
    EXPECT_EQ(why, "");
    {
        const TEnvironmentVariable platform("QT_QPA_PLATFORM", "offscreen");
        TQtFrontCall call = ProbeCall();
        entry(&call);
        EXPECT_TRUE(call.Reachable) << call.Why;
    }
    {
        const std::string display = UnusedXDisplay();
        const TEnvironmentVariable platform("QT_QPA_PLATFORM", std::nullopt);
        const TEnvironmentVariable wayland("WAYLAND_DISPLAY", std::nullopt);
        const TEnvironmentVariable session("XDG_SESSION_TYPE", std::nullopt);
        const TEnvironmentVariable x("DISPLAY", display);
        TQtFrontCall call = ProbeCall();
        entry(&call);
        EXPECT_FALSE(call.Reachable);
        EXPECT_EQ(call.Why, "No display answers at " + display + "; using the terminal dialogs.");
    }
}

TEST(QtFrontModule, AModuleOfAnotherBuildOrNoneAtAllLeavesTheTerminalDialogs) {
    std::string why;
    const TQtFrontEntry entry = LoadQtFrontModule(TAL_QT_DIALOGS_PATH, why);
    ASSERT_NE(entry, nullptr) << why;
    const TEnvironmentVariable platform("QT_QPA_PLATFORM", "offscreen");
    TQtFrontCall other = ProbeCall("0.0.0-other");
    entry(&other);
    EXPECT_FALSE(other.Reachable);
    EXPECT_NE(other.Why.find("another build"), std::string::npos) << other.Why;
    // A call of another layout is not read at all.
    TQtFrontCall resized = ProbeCall();
    resized.Size = sizeof(TQtFrontCall) + 8;
    entry(&resized);
    EXPECT_FALSE(resized.Reachable);
    EXPECT_EQ(resized.Why, "");

    TTempFolder folder;
    WriteFile(folder / "not-a-module.so", "plain text");
    EXPECT_EQ(LoadQtFrontModule(folder / "not-a-module.so", why), nullptr);
    EXPECT_NE(why.find("cannot be loaded"), std::string::npos) << why;
    EXPECT_EQ(LoadQtFrontModule(folder / "missing.so", why), nullptr);
    EXPECT_NE(why.find("using the terminal dialogs"), std::string::npos) << why;
}

// A conversion without a dialog must not pay for loading Qt: neither engine
// loads a Qt library (nor the module) for -o.
TEST(QtFrontModule, TheEnginesConvertWithoutLoadingQt) {
    TTempFolder folder;
    WriteFile(folder / "report.ndr", GoodReport(1));
    for (const std::string program : {TALPDF_PATH, TALRTF_PATH}) {
        const std::string loaded = ErrorsOf("env LD_DEBUG=files " + program + " -q -o " + (folder / "out") + " " +
                                            (folder / "report.ndr"));
        EXPECT_NE(loaded.find("libc.so"), std::string::npos) << program << ": no loader trace\n" << loaded;
        EXPECT_EQ(loaded.find("libQt6"), std::string::npos) << program << " loads Qt";
        EXPECT_EQ(loaded.find(QtFrontModuleFile), std::string::npos) << program << " loads the dialogs";
    }
}

}  // namespace
}  // namespace tal::front::testing
