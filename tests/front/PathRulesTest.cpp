// Folder parts and document paths, by the rules of each platform.
#include <gtest/gtest.h>

#include <filesystem>

#include "front/FrontText.h"
#include "front/PathRules.h"
#include "tests/front/FrontTestSupport.h"

namespace tal::front {
namespace {

using testing::TCurrentFolder;
using testing::TTempFolder;

TEST(PathRules, WindowsDirectoryPart) {
    const auto dir = [](const std::string& p) { return DirectoryPart(p, TPathStyle::Windows); };
    EXPECT_EQ(dir("C:\\Data\\Set1\\report.ndr"), "C:\\Data\\Set1");
    EXPECT_EQ(dir("C:\\report.ndr"), "C:\\");
    EXPECT_EQ(dir("C:report.ndr"), "C:");
    EXPECT_EQ(dir("report.ndr"), "");
    EXPECT_EQ(dir("\\report.ndr"), "\\");
    EXPECT_EQ(dir(std::string("ab\0cd", 5)), std::string("ab\0", 3));
    EXPECT_EQ(DocumentPath(dir("C:\\report.ndr"), "Gulls", ".PDF", TPathStyle::Windows), "C:\\\\Gulls.PDF");
    EXPECT_EQ(DocumentPath("", "Gulls", ".PDF", TPathStyle::Windows), "\\Gulls.PDF");
}

TEST(PathRules, PosixDirectoryPart) {
    const auto dir = [](const std::string& p) { return DirectoryPart(p, TPathStyle::Posix); };
    EXPECT_EQ(dir("/data/set1/report.ndr"), "/data/set1");
    EXPECT_EQ(dir("/report.ndr"), "/");
    EXPECT_EQ(dir("report.ndr"), "");
    EXPECT_EQ(dir("set1/report.ndr"), CurrentFolder() + "/set1");
    EXPECT_EQ(dir("C:\\Data\\report.ndr"), "");  // a backslash is part of a name here
    EXPECT_EQ(DocumentPath("/data/set1", "Gulls", ".RTF", TPathStyle::Posix), "/data/set1/Gulls.RTF");
    EXPECT_EQ(HostPathStyle(), TPathStyle::Posix);
}

TEST(PathRules, PosixFoldersAreNamedWholeAndPlain) {
    const auto dir = [](const std::string& p) { return DirectoryPart(p, TPathStyle::Posix); };
    const TTempFolder folder;
    std::filesystem::create_directories(folder.Path() / "case");
    std::filesystem::create_directories(folder.Path() / "elsewhere" / "deep");
    std::filesystem::create_symlink(folder.Path() / "elsewhere" / "deep", folder.Path() / "link");
    const TCurrentFolder here(folder.Path());
    const std::string base = CurrentFolder();
    EXPECT_EQ(dir("case/../case/r.ndr"), base + "/case");
    EXPECT_EQ(dir("./case//r.ndr"), base + "/case");
    EXPECT_EQ(dir(base + "/./case/r.ndr"), base + "/case");
    // ".." after a link climbs from the link's target, as the file system does.
    EXPECT_EQ(dir("link/../r.ndr"), base + "/elsewhere");
    EXPECT_EQ(dir("/r.ndr"), "/");
}

TEST(FrontText, CutsAt255CharactersWithoutSplittingOne) {
    EXPECT_EQ(CutText(std::string(300, 'x')), std::string(255, 'x'));
    EXPECT_EQ(CutText("short"), "short");
    std::string accented;
    for (int i = 0; i < 300; ++i) accented += "\xc3\xa9";
    EXPECT_EQ(CutText(accented).size(), 510u);
}

}  // namespace
}  // namespace tal::front
