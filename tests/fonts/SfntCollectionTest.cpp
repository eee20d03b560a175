// Faces of TrueType collections handed out as standalone font files.
#include <gtest/gtest.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "FontTestSupport.h"
#include "platform/fonts/FontConfigEngine.h"
#include "platform/fonts/FontHandles.h"
#include "platform/fonts/SfntCollection.h"

namespace tal {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t GetU32(const Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

void SetU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

std::uint32_t WholeChecksum(const Bytes& b) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at + 4 <= b.size(); at += 4) sum += GetU32(b, at);
    return sum;
}

// A collection of whole font files laid one after another, their table
// offsets moved by where each file now starts.
Bytes MakeCollection(const std::vector<Bytes>& fonts) {
    Bytes out(12 + 4 * fonts.size(), 0);
    SetU32(out, 0, 0x74746366);  // 'ttcf'
    SetU32(out, 4, 0x00010000);
    SetU32(out, 8, static_cast<std::uint32_t>(fonts.size()));
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out.resize((out.size() + 3) & ~std::size_t{3}, 0);
        const auto base = static_cast<std::uint32_t>(out.size());
        SetU32(out, 12 + 4 * i, base);
        out.insert(out.end(), fonts[i].begin(), fonts[i].end());
        const std::uint32_t tables = out[base + 4] << 8 | out[base + 5];
        for (std::uint32_t t = 0; t < tables; ++t) {
            const std::size_t record = base + 12 + 16 * t;
            SetU32(out, record + 8, GetU32(out, record + 8) + base);
        }
    }
    return out;
}

std::string FamilyOf(const Bytes& font) {
    FT_Library library = nullptr;
    FT_Init_FreeType(&library);
    FT_Face face = nullptr;
    std::string family = "(cannot open)";
    if (FT_New_Memory_Face(library, font.data(), static_cast<FT_Long>(font.size()), 0, &face) == 0) {
        family = face->family_name ? face->family_name : "";
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return family;
}

TEST(SfntCollectionTest, ExtractedFaceIsTheFontFileItCameFrom) {
    // make_symbol_font.py writes the face once as a font file and twice in a
    // collection (the second directory in reverse tag order). Extraction sorts
    // the tables, aligns them and rewrites head's checksum adjustment, so it
    // gives back the very same bytes.
    const Bytes single = test::ReadFile(test::TestDataPath("symbol-test.ttf"));
    const Bytes collection = test::ReadFile(test::TestDataPath("collection/collection.ttc"));
    EXPECT_TRUE(fonts::IsFontCollection(collection));
    EXPECT_FALSE(fonts::IsFontCollection(single));
    EXPECT_EQ(fonts::ExtractCollectionFace(collection, 0), single);
    EXPECT_EQ(fonts::ExtractCollectionFace(collection, 1), single);
}

TEST(SfntCollectionTest, RealFacesSurviveTheRoundTrip) {
    const Bytes sans = test::ReadFile(test::LIBERATION_DIR + "LiberationSans-Regular.ttf");
    const Bytes dejavu = test::ReadFile(test::DEJAVU_DIR + "DejaVuSans.ttf");
    const Bytes collection = MakeCollection({sans, dejavu});
    EXPECT_EQ(FamilyOf(collection), "Liberation Sans");  // FreeType reads face 0 of it

    const Bytes extracted = fonts::ExtractCollectionFace(collection, 1);
    EXPECT_NE(GetU32(extracted, 0), 0x74746366u);
    EXPECT_EQ(FamilyOf(extracted), "DejaVu Sans");
    EXPECT_EQ(WholeChecksum(extracted), 0xB1B0AFBAu);
    const test::TSfntReader original(dejavu);
    const test::TSfntReader copy(extracted);
    for (const char* tag : {"cmap", "glyf", "hmtx", "hhea", "OS/2", "post", "name", "loca", "maxp"})
        EXPECT_EQ(copy.Table(tag), original.Table(tag)) << tag;
    // head differs from the original only in checkSumAdjustment (bytes 8..11).
    Bytes headCopy = copy.Table("head");
    Bytes headOriginal = original.Table("head");
    ASSERT_EQ(headCopy.size(), headOriginal.size());
    std::fill_n(headCopy.begin() + 8, 4, 0);
    std::fill_n(headOriginal.begin() + 8, 4, 0);
    EXPECT_EQ(headCopy, headOriginal);
}

TEST(SfntCollectionTest, MalformedCollectionsAreRefused) {
    const Bytes good = test::ReadFile(test::TestDataPath("collection/collection.ttc"));
    // Every truncation cuts into some header, directory or table.
    for (std::size_t size = 0; size < good.size(); ++size) {
        const Bytes cut(good.begin(), good.begin() + static_cast<long>(size));
        EXPECT_THROW(fonts::ExtractCollectionFace(cut, 0), EFontError) << size;
        EXPECT_THROW(fonts::ExtractCollectionFace(cut, 1), EFontError) << size;
    }
    EXPECT_THROW(fonts::ExtractCollectionFace(good, 2), EFontError);
    EXPECT_THROW(fonts::ExtractCollectionFace(test::ReadFile(test::TestDataPath("symbol-test.ttf")), 0), EFontError);

    const std::size_t firstDirectory = GetU32(good, 12);
    const std::size_t firstRecord = firstDirectory + 12;
    Bytes outside = good;
    SetU32(outside, firstRecord + 8, 0xFFFFFFF0u);  // offset near 4 GB
    EXPECT_THROW(fonts::ExtractCollectionFace(outside, 0), EFontError);
    Bytes wrapping = good;
    SetU32(wrapping, firstRecord + 12, 0xFFFFFFFFu);  // offset + length wraps in 32 bits
    EXPECT_THROW(fonts::ExtractCollectionFace(wrapping, 0), EFontError);
    Bytes overlapping = good;  // every table claims the whole file
    const std::uint32_t tables = good[firstDirectory + 4] << 8 | good[firstDirectory + 5];
    for (std::uint32_t t = 0; t < tables; ++t) {
        SetU32(overlapping, firstRecord + 16 * t + 8, 0);
        SetU32(overlapping, firstRecord + 16 * t + 12, static_cast<std::uint32_t>(good.size()));
    }
    EXPECT_THROW(fonts::ExtractCollectionFace(overlapping, 0), EFontError);
    Bytes duplicated = good;
    std::copy_n(good.begin() + static_cast<long>(firstRecord), 4, duplicated.begin() + static_cast<long>(firstRecord + 16));
    EXPECT_THROW(fonts::ExtractCollectionFace(duplicated, 0), EFontError);
    Bytes manyFaces = good;
    SetU32(manyFaces, 8, 0xFFFFFFFFu);  // face offsets would run far past the end
    EXPECT_THROW(fonts::ExtractCollectionFace(manyFaces, 1000), EFontError);
}

// An installed collection face asked for by its family comes out as a font
// file of its own. Runs only where a .ttc is installed.
TEST(SfntCollectionTest, InstalledCollectionFaceComesOutStandalone) {
    const fonts::TFcConfig config(FcInitLoadConfigAndFonts());
    ASSERT_TRUE(config);
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_FAMILY, FC_INDEX, nullptr);
    FcFontSet* set = FcFontList(config.get(), pattern, objects);
    std::string family;
    std::string file;
    for (int i = 0; set && i < set->nfont && family.empty(); ++i) {
        FcChar8* path = nullptr;
        FcChar8* name = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &path) == FcResultMatch &&
            FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch &&
            std::string(reinterpret_cast<char*>(path)).ends_with(".ttc")) {
            file = reinterpret_cast<char*>(path);
            family = reinterpret_cast<char*>(name);
        }
    }
    if (set) FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    if (family.empty()) GTEST_SKIP() << "no TrueType collection (.ttc) is installed";

    TFontConfigEngine engine;
    const Bytes data = engine.GetFontData(family, 0);
    EXPECT_NE(GetU32(data, 0), 0x74746366u) << file;
    EXPECT_EQ(FamilyOf(data), family) << file;
}

}  // namespace
}  // namespace tal
