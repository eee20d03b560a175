#include "platform/jpeg/JpegEncoder.h"

// libjpeg's header needs size_t and FILE declared first.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

namespace tal {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. We
// jump back to the one frame that called into the library: no C++ object with
// a destructor lives in that frame, so the jump skips no cleanup.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
    auto* error = reinterpret_cast<TJpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->Message);
    std::longjmp(error->Jump, 1);
}

extern "C" void JpegOutputMessage(j_common_ptr) {}  // warnings are not shown

// Collects the compressed bytes in a vector that grows by doubling.
struct TJpegDestination {
    jpeg_destination_mgr Manager;
    std::vector<std::uint8_t>* Buffer;
    std::size_t Used;
};

extern "C" void InitDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<TJpegDestination*>(cinfo->dest);
    d->Manager.next_output_byte = d->Buffer->data();
    d->Manager.free_in_buffer = d->Buffer->size();
    d->Used = 0;
}

extern "C" boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<TJpegDestination*>(cinfo->dest);
    const std::size_t used = d->Buffer->size();
    bool grown = true;
    try {
        d->Buffer->resize(used * 2);
    } catch (...) {
        grown = false;  // reported below, outside the handler, through the library's error path
    }
    if (!grown) {
        cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
        (*cinfo->err->error_exit)(reinterpret_cast<j_common_ptr>(cinfo));
    }
    d->Manager.next_output_byte = d->Buffer->data() + used;
    d->Manager.free_in_buffer = d->Buffer->size() - used;
    return TRUE;
}

extern "C" void TermDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<TJpegDestination*>(cinfo->dest);
    d->Used = d->Buffer->size() - d->Manager.free_in_buffer;
}

// Owns the compressor; destroying a never-created (zeroed) one is harmless.
struct TCompressor {
    jpeg_compress_struct Info;
    TCompressor() { std::memset(&Info, 0, sizeof Info); }
    ~TCompressor() { jpeg_destroy_compress(&Info); }
    TCompressor(const TCompressor&) = delete;
    TCompressor& operator=(const TCompressor&) = delete;
};

struct TJpegInput {
    int Width, Height;
    TJpegRowLayout Layout;
    const TJpegRowSource& Rows;
};

// The only frame that calls libjpeg; returns false after a library error.
bool Compress(TCompressor& compressor, TJpegError& error, TJpegDestination& destination, const TJpegInput& input,
              int quality) {
    jpeg_compress_struct& c = compressor.Info;
    if (setjmp(error.Jump)) return false;
    c.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegErrorExit;
    error.Manager.output_message = JpegOutputMessage;
    jpeg_create_compress(&c);
    c.dest = &destination.Manager;
    c.image_width = static_cast<JDIMENSION>(input.Width);
    c.image_height = static_cast<JDIMENSION>(input.Height);
    const bool rgb = input.Layout == TJpegRowLayout::Rgb;
    c.input_components = rgb ? 3 : 4;
    c.in_color_space = rgb ? JCS_RGB : JCS_EXT_BGRX;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(input.Rows(static_cast<int>(c.next_scanline)));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpegRows(int width, int height, int quality, TJpegRowLayout layout,
                                         const TJpegRowSource& rows) {
    if (width <= 0 || height <= 0)
        throw EInvalidGraphic("JPEG image: a raster of " + std::to_string(width) + " x " + std::to_string(height) +
                              " pixels has no pixels to encode");
    quality = quality < 1 ? 1 : (quality > 100 ? 100 : quality);
    // A start of a sixteenth of the 24-bit pixel bytes rarely needs to grow at usual qualities.
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3 * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> buffer(std::max<std::size_t>(64 * 1024, pixelBytes / 16));
    TJpegDestination destination{};
    destination.Manager.init_destination = InitDestination;
    destination.Manager.empty_output_buffer = EmptyOutputBuffer;
    destination.Manager.term_destination = TermDestination;
    destination.Buffer = &buffer;
    TJpegError error{};
    TCompressor compressor;
    if (!Compress(compressor, error, destination, {width, height, layout, rows}, quality))
        throw EInvalidGraphic(std::string("JPEG image: ") + error.Message);
    buffer.resize(destination.Used);
    return buffer;
}

std::vector<std::uint8_t> EncodeJpeg(const TRaster& raster, int quality) {
    return EncodeJpegRows(raster.Width(), raster.Height(), quality, TJpegRowLayout::Rgb,
                          [&raster](int y) { return raster.Row(y); });
}

void EncodeJpeg(const TRaster& raster, int quality, TStream& output) {
    const std::vector<std::uint8_t> bytes = EncodeJpeg(raster, quality);
    output.WriteBuffer(bytes.data(), bytes.size());
}

}  // namespace tal
