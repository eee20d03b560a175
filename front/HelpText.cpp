#include "front/HelpText.h"

namespace tal::front {

namespace {

struct TKindWords {
    const char* Kind;       // "PDF"
    const char* Extension;  // ".pdf"
};

TKindWords WordsOf(const TEngineProfile& profile) {
    return profile.Kind == TEngineKind::Pdf ? TKindWords {"PDF", ".pdf"} : TKindWords {"RTF", ".rtf"};
}

std::string Usage(const std::string& program, const TKindWords& words) {
    return "Usage:\n"
           "  " + program + " REPORT.ndr Convert\n"
           "      the dialog: Make turns the report into a " + words.Kind + " document, named as you\n"
           "      say, in the report's folder\n"
           "  " + program + " FOLDER View\n"
           "      the dialog for opening the " + words.Kind + " documents of FOLDER\n"
           "  " + program + " -o FILE [OPTIONS] REPORT.ndr\n"
           "      convert without a dialog\n";
}

std::string KindOptions(const TEngineProfile& profile) {
    if (profile.Kind == TEngineKind::Pdf)
        return "  --compress             compress the page contents (FlateDecode): smaller\n"
               "                         files, the same pages\n";
    return "  --image-output higher|smaller\n"
           "                         pictures as Windows metafiles (higher, the default)\n"
           "                         or as enhanced metafiles (smaller)\n"
           "  --image-encoding hex|binary\n"
           "                         picture bytes as hexadecimal digits (hex, the\n"
           "                         default) or as raw bytes (binary)\n";
}

}  // namespace

std::string EngineHelp(const TEngineProfile& profile) {
    const TKindWords words = WordsOf(profile);
    const std::string& program = profile.Deliverable;
    return profile.ApplicationTitle + ": turns a Tallow report (NDR file)\ninto " +
           (profile.Kind == TEngineKind::Pdf ? "a PDF" : "an RTF") + " document.\n\n" + Usage(program, words) +
           "\n"
           "Options:\n"
           "  -o, --output FILE      write the document to FILE without a dialog;\n"
           "                         " + words.Extension + " is added when FILE has no \".\" in it\n"
           "  --pages SELECTION      convert only the selected pages (also in the dialog)\n" +
           KindOptions(profile) +
           "  --console              use the terminal dialogs even where a display is\n"
           "                         available\n"
           "  -q, --quiet            with -o, print nothing when the document was written\n"
           "  -h, --help             show this help and exit\n"
           "  --version              show the version and exit\n"
           "\n"
           "Page selection: items separated by commas; a page is converted when any\n"
           "item selects it: N (page N), A-B (pages A to B), A- (page A to the last),\n"
           "-B (the first page to page B), ALL, EVEN, ODD (or A, E, O; either case).\n"
           "\n"
           "Exit status: 0 the document was written (or the dialog was closed),\n"
           "1 the conversion failed (the reason follows \"" + program + ": \" on stderr),\n"
           "2 the command line is wrong.\n"
           "\n"
           "Example:\n"
           "  " + program + " -o out" + words.Extension + " --pages 1-3,7 report.ndr\n"
           "\n"
           "More in the manual page: man " + program + "\n";
}

}  // namespace tal::front
