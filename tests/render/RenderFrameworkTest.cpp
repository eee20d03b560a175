// The render entry, the output stream and the text helpers of the renderer base.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "render/RpConverter.h"
#include "render/RpRender.h"
#include "tests/render/ConversionHarness.h"

namespace tal {
namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        Path = fs::temp_directory_path() / ("tal-render-" + std::to_string(::getpid()) + "-" + std::to_string(Next++));
        fs::create_directories(Path);
    }
    ~TempFolder() { fs::remove_all(Path); }
    std::string operator/(const std::string& name) const { return (Path / name).string(); }
    fs::path Path;
    static inline int Next = 0;
};

// Writes "doc" in EndDocument and closes the output, as the document writers do.
class TMiniRender : public TRPRenderStream {
public:
    TMiniRender() { FileExtension = "*.pdf"; }
    void BeginDocument() override { Calls += "B"; }
    void BeginPage() override { Calls += "P"; }
    void EndDocument() override {
        Calls += "E";
        Write("doc");
        CloseOutput();
    }
    std::string Calls;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> OnePageReport() {
    ndrwriter::TNdrWriter w;
    w.BeginPage(1);
    w.EndPage();
    return w.Finish();
}

TEST(RenderToFile, AppendsTheDefaultExtensionOnlyToANameWithoutADot) {
    TempFolder folder;
    TMiniRender render;
    TMemoryStream report(OnePageReport());
    render.RenderToFile(report, folder / "Report");
    EXPECT_TRUE(fs::exists(folder / "Report.pdf"));
    EXPECT_EQ(render.Calls, "BPE");

    fs::create_directories(folder.Path / "Out.dir");
    render.RenderToFile(report, folder / "Out.dir/Report");
    EXPECT_TRUE(fs::exists(folder / "Out.dir/Report"));

    render.FileExtension = "*.abc;*.def";
    EXPECT_EQ(render.WithDefaultExtension("x"), "x.abc");
    render.FileExtension = "";
    EXPECT_EQ(render.WithDefaultExtension("x"), "x");
}

TEST(RenderToFile, AnUncreatableFileFailsBeforeAnythingIsRead) {
    TempFolder folder;
    TMiniRender render;
    TMemoryStream report(OnePageReport());
    try {
        render.RenderToFile(report, folder / "missing/Report.pdf");
        FAIL() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_NE(std::string(error.what()).find(folder / "missing/Report.pdf"), std::string::npos);
    }
    EXPECT_EQ(render.Calls, "");
    EXPECT_EQ(report.Position(), 0);
}

TEST(RenderToFile, ABadHeaderWritesNothingAndLeavesThePreviousFile) {
    TempFolder folder;
    TMiniRender render;
    std::ofstream(folder / "Bad.pdf") << "previous";
    TMemoryStream report(std::vector<std::uint8_t> {0x41, 0, 0});
    try {
        render.RenderToFile(report, folder / "Bad");
        FAIL() << "no error";
    } catch (const EReportPrinter& error) {
        EXPECT_STREQ(error.what(), "Unexpected header code [65] found in report file.");
    }
    EXPECT_EQ(render.Calls, "");
    EXPECT_EQ(ReadAll(folder / "Bad.pdf"), "previous");
    EXPECT_EQ(Names(folder.Path), std::vector<std::string> {"Bad.pdf"});  // no new file left behind
    EXPECT_EQ(render.FOutputFile, nullptr);  // closed, not held until the renderer goes
    EXPECT_EQ(render.FConverter, nullptr);
}

TEST(RenderToFile, HeaderCodesAreFormattedUnsignedThroughTheHook) {
    TMiniRender render;
    TMemoryStream report(std::vector<std::uint8_t> {200});
    render.SetOutputStream(nullptr);
    const TMessageTextHook saved = MessageTextHook;
    MessageTextHook = [](const std::string& text) { return "[" + text + "]"; };
    try {
        render.FInputStream = &report;
        render.ConvertPages(0);
        FAIL() << "no error";
    } catch (const EReportPrinter& error) {
        EXPECT_STREQ(error.what(), "[Unexpected header code [200] found in report file.]");
    }
    MessageTextHook = saved;
    EXPECT_FALSE(render.FBusy);
}

TEST(RenderToFile, APageFailureStillEndsTheDocumentWhichIsKeptBesideThePreviousOne) {
    TempFolder folder;
    TMiniRender render;
    std::ofstream(folder / "Cut.pdf") << "previous";
    ndrwriter::TNdrWriter w;
    w.BeginPage(1);
    w.Byte(44);
    TMemoryStream report(w.Finish());
    EXPECT_THROW(render.RenderToFile(report, folder / "Cut"), EReportPrinter);
    EXPECT_EQ(render.Calls, "BPE");
    EXPECT_EQ(ReadAll(folder / "Cut.pdf"), "previous");
    EXPECT_EQ(ReadAll(folder / "Cut.incomplete.pdf"), "doc");
    EXPECT_EQ(render.FOutputFileName, folder / "Cut.pdf");

    // The next good conversion replaces the document, and the pages kept
    // from the failed one are outdated by it.
    TMemoryStream good(OnePageReport());
    render.RenderToFile(good, folder / "Cut");
    EXPECT_EQ(ReadAll(folder / "Cut.pdf"), "doc");
    EXPECT_EQ(Names(folder.Path), std::vector<std::string> {"Cut.pdf"});
}

// Ends the document and then fails in it, as a writer does on a full disk.
class TFailingEndRender : public TMiniRender {
public:
    void EndDocument() override {
        Write("half a do");
        CloseOutput();
        throw EWriteError("Cannot write to file \"x\". No space left on device");
    }
};

TEST(RenderToFile, ADocumentEndThatFailsLeavesThePreviousFileAndKeepsNothing) {
    TempFolder folder;
    TFailingEndRender render;
    std::ofstream(folder / "Full.pdf") << "previous";
    TMemoryStream report(OnePageReport());
    EXPECT_THROW(render.RenderToFile(report, folder / "Full"), EWriteError);
    EXPECT_EQ(ReadAll(folder / "Full.pdf"), "previous");
    EXPECT_EQ(Names(folder.Path), std::vector<std::string> {"Full.pdf"});
}

TEST(RenderToFile, TheNewDocumentGetsThePermissionsOfTheOneItReplacesOrOfANewFile) {
    TempFolder folder;
    TMiniRender render;
    TMemoryStream report(OnePageReport());
    const mode_t saved = ::umask(022);
    render.RenderToFile(report, folder / "New.pdf");
    std::ofstream(folder / "Kept.pdf") << "previous";
    fs::permissions(folder / "Kept.pdf", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    report.SetPosition(0);
    render.RenderToFile(report, folder / "Kept.pdf");
    ::umask(saved);
    EXPECT_EQ(fs::status(folder / "New.pdf").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(fs::status(folder / "Kept.pdf").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(ReadAll(folder / "Kept.pdf"), "doc");
}

TEST(RenderToFile, ALinkedTargetHasItsDestinationReplacedAndTheLinkKept) {
    TempFolder folder;
    TMiniRender render;
    fs::create_directories(folder.Path / "real");
    std::ofstream(folder / "real/Doc.pdf") << "previous";
    fs::create_symlink("real/Doc.pdf", folder.Path / "Doc.pdf");
    TMemoryStream report(OnePageReport());
    render.RenderToFile(report, folder / "Doc.pdf");
    EXPECT_TRUE(fs::is_symlink(folder.Path / "Doc.pdf"));
    EXPECT_EQ(ReadAll(folder / "real/Doc.pdf"), "doc");
}

TEST(RenderStream, WritesExactlyTheBytesAsked) {
    TMiniRender render;
    TMemoryStream out;
    render.SetOutputStream(&out);
    render.Write("");
    EXPECT_EQ(out.Size(), 0);
    render.WriteLine("");
    render.WriteFmt("%d %.4f", {7, 0.5});
    render.WriteLineFmt("/%s", {"Name"});
    EXPECT_EQ(std::string(out.Bytes().begin(), out.Bytes().end()), "\r\n7 0.5000/Name\r\n");
    render.CloseOutput();
    EXPECT_EQ(render.FActiveStream, nullptr);
    EXPECT_EQ(render.FOutputStream, nullptr);
}

// A report is loaded into memory that is filled by its read, and becomes a
// vector only when one is asked for: every way in and out must still see
// the file's bytes, also across a second load and after writes.
TEST(MemoryStream, AStreamLoadedFromAFileKeepsItsBytesThroughEveryUse) {
    TempFolder folder;
    std::vector<std::uint8_t> bytes(5 << 20);  // past the size that asks for huge pages
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    const std::string path = folder / "report.ndr";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    std::ofstream(folder / "empty.ndr").close();

    TMemoryStream stream(std::vector<std::uint8_t> {1, 2, 3});
    stream.SetPosition(2);
    stream.LoadFromFile(path);
    ASSERT_EQ(stream.Size(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), stream.Data()));
    std::uint8_t head[4];
    stream.ReadExact(head, 4);
    EXPECT_TRUE(std::equal(head, head + 4, bytes.begin()));
    stream.SetPosition(stream.Size() - 2);
    EXPECT_THROW(stream.ReadExact(head, 3), EReadError);
    EXPECT_EQ(stream.Read(head, 4), 2u);
    TMemoryStream copy;
    stream.SaveToStream(copy);
    EXPECT_EQ(copy.Bytes(), bytes);

    // Writing turns it into a vector: over the start, then past the end.
    stream.SetPosition(0);
    stream.Write("ab", 2);
    stream.SetPosition(stream.Size());
    stream.Write("z", 1);
    std::vector<std::uint8_t> written = bytes;
    written[0] = 'a';
    written[1] = 'b';
    written.push_back('z');
    EXPECT_EQ(stream.Bytes(), written);
    EXPECT_EQ(stream.Data(), stream.Bytes().data());

    stream.LoadFromFile(path);
    EXPECT_EQ(stream.TakeBytes(), bytes);
    EXPECT_EQ(stream.Size(), 0);
    stream.LoadFromFile(path);
    stream.Reserve(bytes.size() * 2);
    EXPECT_EQ(stream.Bytes(), bytes);
    stream.LoadFromFile(folder / "empty.ndr");
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_TRUE(stream.Bytes().empty());
    stream.LoadFromFile(path);
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0);
    EXPECT_THROW(stream.LoadFromFile(folder / "missing.ndr"), EFOpenError);
}

TEST(Component, VersionIgnoresAssignmentAndNamesRegister) {
    TMiniRender render;
    render.SetVersion("1.0");
    EXPECT_EQ(render.Version(), "5.0.06 (VCL5)");
    EXPECT_EQ(render.DisplayName(), "RPRender");
    render.SetDisplayName("Adobe Acrobat (PDF)");
    EXPECT_EQ(render.DisplayName(), "Adobe Acrobat (PDF)");
}

TEST(TextHelpers, TakeFirstWordKeepsLeadingSpacesWithTheWord) {
    TMiniRender r;
    std::string text = "  ab cd", word;
    r.TakeFirstWord(text, word);
    EXPECT_EQ(word, "  ab");
    EXPECT_EQ(text, " cd");
    text = "single";
    r.TakeFirstWord(text, word);
    EXPECT_EQ(word, "single");
    EXPECT_EQ(text, "");
    text = "   ";
    r.TakeFirstWord(text, word);
    EXPECT_EQ(word, "   ");
    EXPECT_EQ(text, "");
    word = "unchanged";
    r.TakeFirstWord(text, word);
    EXPECT_EQ(word, "unchanged");
}

TEST(TextHelpers, SpacesAreCountedAndTakenCharacterByCharacter) {
    TMiniRender r;
    EXPECT_EQ(r.CountInnerSpaces("  a b  c  "), 3);
    EXPECT_EQ(r.CountInnerSpaces("    "), 0);
    EXPECT_EQ(r.CountInnerSpaces(""), 0);
    std::string text = "   x y", spaces = "old";
    r.TakeLeadingSpaces(text, spaces);
    EXPECT_EQ(spaces, "   ");
    EXPECT_EQ(text, "x y");
    text = "  ";
    r.TakeLeadingSpaces(text, spaces);
    EXPECT_EQ(text, "");
    EXPECT_EQ(spaces, "  ");
    // A double-byte character is stepped over whole.
    r.FCodePage = CP_SHIFT_JIS;
    std::string word;
    text = "\x82\xA0 \x82\xA2";
    r.TakeFirstWord(text, word);
    EXPECT_EQ(word, "\x82\xA0");
    EXPECT_EQ(r.CountInnerSpaces("\x82\xA0 \x82\xA2"), 1);
}

TEST(TextHelpers, AdvancePositionFollowsTheFontRotation) {
    testing::TLogHarness h;
    ndrwriter::TNdrWriter w;
    w.BeginPage(1);
    w.EndPage();
    TMemoryStream report(w.Finish());
    TRPConverter converter(report, h.Render);
    h.Render.FConverter = &converter;
    double x = 1, y = 2;
    h.Render.AdvancePosition(x, y, 0.5);
    EXPECT_DOUBLE_EQ(x, 1.5);
    EXPECT_DOUBLE_EQ(y, 2);
    converter.FRotation = 90;
    h.Render.AdvancePosition(x, y, 1);
    EXPECT_NEAR(x, 1.5, 1e-12);
    EXPECT_NEAR(y, 1, 1e-12);
    h.Render.FConverter = nullptr;
}

TEST(DeviceUnits, OffsetsOfTheHeaderAreSubtracted) {
    testing::TLogHarness h;
    ndrwriter::THeaderFields fields;
    fields.Measures[2] = 0.25f;
    fields.Measures[4] = 0.5f;
    ndrwriter::TNdrWriter w(fields);
    w.BeginPage(1);
    w.FillRect(1.0f, 1.0f, 2.0f, 2.0f);
    w.EndPage();
    const auto result = h.Convert(w.Finish());
    EXPECT_EQ(testing::Only(result.Lines, {"FillRect"}), std::vector<std::string> {"FillRect 54 36 126 108"});
}

}  // namespace
}  // namespace tal
