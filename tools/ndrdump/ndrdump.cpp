// ndrdump: lists a report file's header, its pages and every renderer call
// its commands make, one line each.
#include <cstdio>
#include <string>

#include "platform/Stream.h"
#include "tools/ndrdump/CallLogRender.h"

namespace {

int Usage() {
    std::fputs("usage: ndrdump [--pages SELECTION] [--date YYYY-MM-DDTHH:MM:SS] REPORT.ndr\n"
               "Lists the report's header, its pages and every renderer call of its commands;\n"
               "lines starting with \"= \" are commands that make no renderer call.\n"
               "--date fixes the time the date and time macros show.\n",
               stderr);
    return 2;
}

bool ParseDate(const std::string& text, tal::TDateTime& when) {
    return std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &when.Year, &when.Month, &when.Day, &when.Hour,
                       &when.Minute, &when.Second) == 6;
}

}  // namespace

int main(int argc, char** argv) {
    std::string selection, path;
    tal::TDateTime fixedDate;
    bool dateFixed = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--pages" && i + 1 < argc) selection = argv[++i];
        else if (arg == "--date" && i + 1 < argc) {
            if (!ParseDate(argv[++i], fixedDate)) return Usage();
            dateFixed = true;
        }
        else if (arg == "-h" || arg == "--help") return Usage(), 0;
        else if (!arg.empty() && arg[0] == '-') return Usage();
        else if (path.empty()) path = arg;
        else return Usage();
    }
    if (path.empty()) return Usage();
    try {
        tal::TMemoryStream report;
        report.LoadFromFile(path);
        tal::TCallLogRender dump([](const std::string& line) {
            std::fputs(line.c_str(), stdout);
            std::fputc('\n', stdout);
        });
        dump.FPageSelection = selection;
        dump.ShowSilentCommands = true;
        if (dateFixed) dump.Clock = [fixedDate] { return fixedDate; };
        dump.RenderToFile(report, "");
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "ndrdump: %s\n", error.what());
        return 1;
    }
    return 0;
}
