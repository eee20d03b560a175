#pragma once
// The main program of both engines:
//
//   PROGRAM REPORT.ndr Convert          the dialog; Make converts
//   PROGRAM FOLDER View                 the dialog for browsing only
//   PROGRAM -o OUT [options] REPORT.ndr convert without a dialog
//
// The dialog is the Qt one (a module loaded only then) when a display
// answers and --console was not given, the terminal one otherwise (with one
// line on stderr saying why when the environment names a display that does
// not answer). Exit status: 0 done or document written, 1 conversion failed
// (its message on stderr), 2 usage error.
//
// A program hands over its profile and the factory of its renderer:
//
//   int main(int argc, char** argv) {
//       return tal::front::EngineMain(tal::front::PdfEngineProfile(), MakePdfRenderer, argc, argv);
//   }
//
// where MakePdfRenderer(const TEngineOptions&) returns the renderer with the
// dialog's settings, changed only where the options ask (--compress, ...).
#include <iosfwd>
#include <string>
#include <vector>

#include "front/EngineOptions.h"
#include "front/EngineProfile.h"

namespace tal::front {

int EngineMain(const TEngineProfile& profile, const TRendererFactory& makeRenderer, int argc, char** argv);

// The same with the program's streams given, for tests and embedding.
struct TEngineStreams {
    std::istream& In;
    std::ostream& Out;
    std::ostream& Err;
};
int EngineMain(const TEngineProfile& profile, const TRendererFactory& makeRenderer,
               const std::vector<std::string>& arguments, TEngineStreams streams);

// True when the program was built with the Qt dialogs, they can be loaded
// (front/QtFront.h), and the platform Qt would start on can run here:
// QT_QPA_PLATFORM names one that needs no display server, or the Wayland
// compositor or X server it would use answers.
// The answer is for the moment asked: the dialog choice itself keeps the
// probe's X connection open while Qt starts (front/qt/DisplayProbe.h says why).
bool GraphicalDialogsAvailable();

}  // namespace tal::front
