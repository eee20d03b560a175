// The peer of the whole-process benchmark: the same pages drawn with cairo's
// PDF surface (the standard font names through cairo's own font selection).
#include <cairo-pdf.h>
#include <cairo.h>

#include <iostream>

#include "bench/pdf/BenchPage.h"

namespace {

void SetColor(cairo_t* cr, unsigned color) {
    cairo_set_source_rgb(cr, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0);
}

void DrawShape(cairo_t* cr, const tal::bench::TBenchShape& s) {
    const double x1 = s.X1 * 72, y1 = s.Y1 * 72, x2 = s.X2 * 72, y2 = s.Y2 * 72;
    if (s.Kind == 2) {
        cairo_move_to(cr, x1, y1);
        cairo_line_to(cr, x2, y2);
    } else if (s.Kind == 0) {
        cairo_rectangle(cr, x1, y1, x2 - x1, y2 - y1);
    } else {
        cairo_save(cr);
        cairo_translate(cr, (x1 + x2) / 2, (y1 + y2) / 2);
        cairo_scale(cr, (x2 - x1) / 2, (y2 - y1) / 2);
        cairo_arc(cr, 0, 0, 1, 0, 6.283185307179586);
        cairo_restore(cr);
    }
    if (s.Kind != 2) {
        SetColor(cr, s.Color ^ 0xFFFFFF);
        cairo_fill_preserve(cr);
    }
    SetColor(cr, s.Color);
    cairo_stroke(cr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: pdf_bench_cairo OUT.pdf\n";
        return 2;
    }
    cairo_surface_t* surface = cairo_pdf_surface_create(argv[1], 612, 792);
    cairo_t* cr = cairo_create(surface);
    cairo_set_line_width(cr, 0.72);
    for (int page = 1; page <= tal::bench::BenchPages; ++page) {
        for (int line = 0; line < tal::bench::TextLines; ++line) {
            const tal::bench::TBenchText t = tal::bench::BenchText(page, line);
            cairo_select_font_face(cr, t.Times ? "Times" : "Helvetica", CAIRO_FONT_SLANT_NORMAL,
                                   CAIRO_FONT_WEIGHT_NORMAL);
            cairo_set_font_size(cr, 10);
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_move_to(cr, t.X * 72, t.Y * 72);
            cairo_show_text(cr, t.Text.c_str());
        }
        for (int shape = 0; shape < tal::bench::Shapes; ++shape) DrawShape(cr, tal::bench::BenchShape(page, shape));
        cairo_show_page(cr);
    }
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok ? 0 : 1;
}
