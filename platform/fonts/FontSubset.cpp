#include "platform/fonts/FontSubset.h"

#include <hb-subset.h>
#include <hb.h>

#include <memory>

namespace tal {

namespace {

struct TBlobDeleter {
    void operator()(hb_blob_t* blob) const { hb_blob_destroy(blob); }
};
struct TFaceDeleter {
    void operator()(hb_face_t* face) const { hb_face_destroy(face); }
};
struct TFontDeleter {
    void operator()(hb_font_t* font) const { hb_font_destroy(font); }
};
struct TInputDeleter {
    void operator()(hb_subset_input_t* input) const { hb_subset_input_destroy(input); }
};
using TBlob = std::unique_ptr<hb_blob_t, TBlobDeleter>;
using TFace = std::unique_ptr<hb_face_t, TFaceDeleter>;
using TFont = std::unique_ptr<hb_font_t, TFontDeleter>;
struct TPlanDeleter {
    void operator()(hb_subset_plan_t* plan) const { hb_subset_plan_destroy(plan); }
};
using TInput = std::unique_ptr<hb_subset_input_t, TInputDeleter>;
using TPlan = std::unique_ptr<hb_subset_plan_t, TPlanDeleter>;

// Tables that only text shaping or other layout engines read; a PDF reader
// draws glyphs from glyf, loca, hmtx and cmap.
constexpr hb_tag_t LayoutTables[] = {
    HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
    HB_TAG('B', 'A', 'S', 'E'), HB_TAG('J', 'S', 'T', 'F'), HB_TAG('M', 'A', 'T', 'H'),
    HB_TAG('D', 'S', 'I', 'G'), HB_TAG('k', 'e', 'r', 'n'), HB_TAG('m', 'o', 'r', 'x'),
    HB_TAG('k', 'e', 'r', 'x'),
};

bool Maps(hb_font_t* font, char32_t character) {
    hb_codepoint_t glyph = 0;
    return hb_font_get_nominal_glyph(font, character, &glyph) && glyph != 0;
}

TFace FaceOf(std::span<const std::uint8_t> program) {
    const TBlob blob(hb_blob_create(reinterpret_cast<const char*>(program.data()),
                                    static_cast<unsigned>(program.size()), HB_MEMORY_MODE_READONLY, nullptr,
                                    nullptr));
    return TFace(hb_face_create(blob.get(), 0));
}

void DropLayoutTables(hb_subset_input_t* input) {
    hb_set_t* dropped = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t tag : LayoutTables) hb_set_add(dropped, tag);
}

std::vector<std::uint8_t> BytesOf(hb_face_t* face) {
    const TBlob bytes(hb_face_reference_blob(face));
    unsigned length = 0;
    const char* data = hb_blob_get_data(bytes.get(), &length);
    if (!data) return {};
    return std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data),
                                     reinterpret_cast<const std::uint8_t*>(data) + length);
}

}  // namespace

std::optional<TGlyphSubset> SubsetGlyphs(std::span<const std::uint8_t> program, std::span<const std::uint32_t> glyphs,
                                         std::span<const char32_t> characters) {
    if (program.empty() || program.size() > 0x7FFFFFFF) return std::nullopt;
    const TFace face = FaceOf(program);
    const unsigned glyphCount = hb_face_get_glyph_count(face.get());
    if (glyphCount == 0) return std::nullopt;
    const TInput input(hb_subset_input_create_or_fail());
    if (!input) return std::nullopt;
    hb_set_t* glyphSet = hb_subset_input_glyph_set(input.get());
    for (std::uint32_t glyph : glyphs) {
        if (glyph >= glyphCount) return std::nullopt;
        hb_set_add(glyphSet, glyph);
    }
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    for (char32_t c : characters) hb_set_add(unicodes, c);
    DropLayoutTables(input.get());
    const TPlan plan(hb_subset_plan_create_or_fail(face.get(), input.get()));
    if (!plan) return std::nullopt;
    const hb_map_t* oldToNew = hb_subset_plan_old_to_new_glyph_mapping(plan.get());
    TGlyphSubset subset;
    for (std::uint32_t glyph : glyphs) {
        const hb_codepoint_t moved = hb_map_get(oldToNew, glyph);
        if (moved == HB_MAP_VALUE_INVALID) return std::nullopt;
        subset.NewGlyphs.push_back(moved);
    }
    const TFace cut(hb_subset_plan_execute_or_fail(plan.get()));
    if (!cut) return std::nullopt;
    subset.Program = BytesOf(cut.get());
    if (subset.Program.empty()) return std::nullopt;
    return subset;
}

std::optional<std::vector<std::uint8_t>> SubsetFontProgram(std::span<const std::uint8_t> program,
                                                           std::span<const char32_t> characters) {
    if (program.empty() || program.size() > 0x7FFFFFFF) return std::nullopt;
    const TBlob blob(hb_blob_create(reinterpret_cast<const char*>(program.data()),
                                    static_cast<unsigned>(program.size()), HB_MEMORY_MODE_READONLY, nullptr,
                                    nullptr));
    const TFace face(hb_face_create(blob.get(), 0));
    if (hb_face_get_glyph_count(face.get()) == 0) return std::nullopt;
    const TInput input(hb_subset_input_create_or_fail());
    if (!input) return std::nullopt;
    hb_set_t* unicodes = hb_subset_input_unicode_set(input.get());
    for (char32_t c : characters) hb_set_add(unicodes, c);
    hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (hb_tag_t tag : LayoutTables) hb_set_add(dropped, tag);
    // Glyph names stay: some readers find a simple font's glyphs by name.
    hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_GLYPH_NAMES);
    const TFace subset(hb_subset_or_fail(face.get(), input.get()));
    if (!subset) return std::nullopt;
    const TBlob bytes(hb_face_reference_blob(subset.get()));
    unsigned length = 0;
    const char* data = hb_blob_get_data(bytes.get(), &length);
    if (!data || length == 0) return std::nullopt;

    // Every character the whole font draws must still be drawn by the cut
    // one (a symbol font whose cmap the subsetter drops would fail here).
    const TFont whole(hb_font_create(face.get()));
    const TFont cut(hb_font_create(subset.get()));
    for (char32_t c : characters)
        if (Maps(whole.get(), c) && !Maps(cut.get(), c)) return std::nullopt;
    return std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data),
                                     reinterpret_cast<const std::uint8_t*>(data) + length);
}

}  // namespace tal
