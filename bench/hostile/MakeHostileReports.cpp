// Writes the hostile reports of the resource-budget benchmark into a folder:
// each is a few hundred bytes that once cost gigabytes or minutes.
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/hostile/HostileReports.h"

namespace {

void Save(const std::string& folder, const char* name, const tal::hostile::TBytes& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::printf("%-28s %6zu bytes\n", name, bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_hostile_reports FOLDER\n");
        return 2;
    }
    using namespace tal::hostile;
    const std::string folder = argv[1];
    Save(folder, "shared_bitmap_8.ndr", SharedBitmapReport(10000, 8));
    Save(folder, "pattern_brushes_8.ndr", PatternBrushReport(10000, 8, 2.0f));
    Save(folder, "blits.ndr", BlitReport(10000, 12, 12, 20.0f));
    Save(folder, "bitmap_small_box_3.ndr", BitmapInSmallBoxReport(10000, 3, 1.0f));
    Save(folder, "dashed_line.ndr", DashedLineReport(2e7f));
    return 0;
}
