// The floor under the engine's picture work, done with the bare libraries on
// the pictures that picture_bench_reports stored beside its reports:
//   bitmaps, bitmaps875: each 24-bit "BM" file decoded straight into a
//     cairo image surface, stretched into a surface of the box's pixels (750 x
//     600, 875 x 700) as the engine stretches a
//     bitmap (cairo, clip to the box, PAD extend, the GOOD filter for a
//     reduction, nearest for an enlargement) and JPEG encoded by libjpeg from
//     the surface's pixels at quality 90, the engine's settings;
//   charts: each metafile played back by our player onto a white
//     1800 x 1200 surface, then JPEG encoded the same way.
// Usage: picture_bench_bare bitmaps|bitmaps875|charts FILE.bin
#include <cairo.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "bench/pictures/BenchPictures.h"
#include "platform/pictures/Metafile.h"
#include "platform/pictures/MetafilePlayer.h"

namespace {

using namespace tal;

std::uint32_t Le32(const std::uint8_t* b) {
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    if (at + 4 > b.size()) throw std::runtime_error("truncated picture");
    return Le32(b.data() + at);
}

// Calls work with each picture of the file in turn, as a report reader
// meets them.
template <typename Work>
std::size_t EachPicture(const char* path, Work work) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + path);
    std::size_t count = 0;
    std::vector<std::uint8_t> picture;
    std::uint8_t size[4];
    while (in.read(reinterpret_cast<char*>(size), 4)) {
        picture.resize(Le32(size));
        if (!in.read(reinterpret_cast<char*>(picture.data()), static_cast<std::streamsize>(picture.size())))
            throw std::runtime_error("truncated picture file");
        work(picture);
        ++count;
    }
    return count;
}

struct TSurface {
    cairo_surface_t* S;
    explicit TSurface(int w, int h) : S(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)) {}
    ~TSurface() { cairo_surface_destroy(S); }
    TSurface(const TSurface&) = delete;
    TSurface& operator=(const TSurface&) = delete;
};

// A bottom-up 24-bit BI_RGB bitmap, the only kind the benchmark stores.
void DecodeBmp(const std::vector<std::uint8_t>& file, TSurface& surface, int w, int h) {
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
    const std::uint32_t offset = Le32(file, 10);
    if (offset > file.size() || file.size() - offset < stride * h) throw std::runtime_error("short bitmap");
    unsigned char* data = cairo_image_surface_get_data(surface.S);
    const int outStride = cairo_image_surface_get_stride(surface.S);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = file.data() + offset + (h - 1 - y) * stride;
        auto* out = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * outStride);
        for (int x = 0; x < w; ++x, in += 3)
            out[x] = 0xFF000000u | (static_cast<std::uint32_t>(in[2]) << 16) | (in[1] << 8) | in[0];
    }
    cairo_surface_mark_dirty(surface.S);
}

void Stretch(TSurface& from, int sw, int sh, TSurface& to, int dw, int dh) {
    cairo_t* cr = cairo_create(to.S);
    cairo_rectangle(cr, 0, 0, dw, dh);
    cairo_clip(cr);
    cairo_scale(cr, static_cast<double>(dw) / sw, static_cast<double>(dh) / sh);
    cairo_set_source_surface(cr, from.S, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), dw >= sw && dh >= sh ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(to.S);
}

std::size_t Jpeg(TSurface& surface, int w, int h) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 4;
    c.in_color_space = JCS_EXT_BGRX;  // cairo's pixels on a little-endian machine
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    unsigned char* data = cairo_image_surface_get_data(surface.S);
    const int stride = cairo_image_surface_get_stride(surface.S);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = data + static_cast<std::ptrdiff_t>(c.next_scanline) * stride;
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::free(out);
    return size;
}

// Every picture of a kind has the same size: the surfaces are made once, as
// a pipeline written for speed would, so that no picture pays for fresh memory.
struct TBitmapWork {
    static constexpr int SourceWidth = bench::BitmapWidth, SourceHeight = bench::BitmapHeight;
    explicit TBitmapWork(const bench::TBitmapBox& box) : Width(box.Width()), Height(box.Height()) {}
    const int Width, Height;
    TSurface Source{SourceWidth, SourceHeight}, Target{Width, Height};

    std::size_t operator()(const std::vector<std::uint8_t>& file) {
        DecodeBmp(file, Source, SourceWidth, SourceHeight);
        Stretch(Source, SourceWidth, SourceHeight, Target, Width, Height);
        return Jpeg(Target, Width, Height);
    }
};

struct TChartWork {
    static constexpr int Width = static_cast<int>(bench::ChartWidth * 300);
    static constexpr int Height = static_cast<int>(bench::ChartHeight * 300);
    TSurface Target{Width, Height};

    std::size_t operator()(const std::vector<std::uint8_t>& file) {
        const pictures::TByteView view(file.data(), file.size(), "Metafile");
        const pictures::TMetafileInfo info = pictures::ReadMetafileInfo(view);
        cairo_t* cr = cairo_create(Target.S);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        pictures::PlayMetafile(view, info, cr, {0, 0, static_cast<double>(Width), static_cast<double>(Height)});
        cairo_destroy(cr);
        cairo_surface_flush(Target.S);
        return Jpeg(Target, Width, Height);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: picture_bench_bare bitmaps|bitmaps875|charts FILE.bin\n";
        return 2;
    }
    try {
        const bench::TBitmapBox* box = nullptr;
        for (const bench::TBitmapBox& b : bench::BitmapBoxes)
            if (argv[1] == std::string(b.Name)) box = &b;
        std::size_t bytes = 0, count = 0;
        if (box) {
            TBitmapWork work(*box);
            count = EachPicture(argv[2], [&](const std::vector<std::uint8_t>& picture) { bytes += work(picture); });
        } else {
            TChartWork work;
            count = EachPicture(argv[2], [&](const std::vector<std::uint8_t>& picture) { bytes += work(picture); });
        }
        std::printf("%zu pictures, %zu JPEG bytes\n", count, bytes);
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
