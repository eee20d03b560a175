// cairo's start: one PDF page with a few lines of text in the standard
// faces and a few shapes, the least a PDF writer on cairo does.
#include <cairo-pdf.h>
#include <cairo.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: start_cairo_page OUT.pdf\n");
        return 2;
    }
    cairo_surface_t* surface = cairo_pdf_surface_create(argv[1], 612, 792);
    cairo_t* cr = cairo_create(surface);
    cairo_set_line_width(cr, 0.72);
    for (int line = 0; line < 60; ++line) {
        cairo_select_font_face(cr, line % 2 ? "Times" : "Helvetica", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, 10);
        cairo_move_to(cr, 36 + 3.6 * (line % 7), 54 + 11.5 * line);
        cairo_show_text(cr, "the quick brown fox jumps over the lazy dog");
    }
    for (int shape = 0; shape < 40; ++shape) {
        cairo_rectangle(cr, 36 + 13.7 * shape, 720 - 1.4 * shape, 10.8, 21.6);
        cairo_stroke(cr);
    }
    cairo_show_page(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok ? 0 : 1;
}
