// Folder parts and document paths, by the rules of each platform.
#include <gtest/gtest.h>

#include "front/FrontText.h"
#include "front/PathRules.h"

namespace tal::front {
namespace {

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
    EXPECT_EQ(dir("set1/report.ndr"), "set1");
    EXPECT_EQ(dir("C:\\Data\\report.ndr"), "");  // a backslash is part of a name here
    EXPECT_EQ(DocumentPath("/data/set1", "Gulls", ".RTF", TPathStyle::Posix), "/data/set1/Gulls.RTF");
    EXPECT_EQ(HostPathStyle(), TPathStyle::Posix);
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
