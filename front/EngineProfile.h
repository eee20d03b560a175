#pragma once
// Everything that differs between the PDF and the RTF engine: texts,
// captions, the document extension and the window's style. The dialogs and
// the driver are one implementation; they read every engine-specific value
// from one of these profiles.
#include <string>

namespace tal::front {

enum class TEngineKind { Pdf, Rtf };

struct TWindowPlacement {
    int Left = 0, Top = 0, Width = 0, Height = 0;
};

struct TEngineProfile {
    TEngineKind Kind = TEngineKind::Pdf;
    std::string Deliverable;       // program name
    std::string ApplicationTitle;  // task bar, default error box
    std::string DesktopName;       // the desktop file's and the icon's name: "talpdf"
    std::string FormClass;         // main dialog class
    std::string FormObjectName;
    std::string WindowTitle;

    // ---- window style ----
    bool FixedDialogBorder = false;  // no title-bar buttons, not resizable
    bool Centred = false;            // otherwise placed at Placement
    bool SilverBackground = false;   // otherwise the standard button face
    bool BoldDialogFont = false;
    TWindowPlacement Placement;      // designed place and size of a resizable window
    bool HasPanel = false;           // all visible controls sit on Panel1

    // ---- document ----
    std::string Extension;   // ".PDF" / ".RTF", always upper case
    std::string RendererName;  // RvRenderPDF1 / RvRenderRTF1

    // ---- driver messages ----
    std::string NoNdrArgumentMessage;
    std::string InvalidNdrFileMessage;
    std::string CancelledMessage;
    std::string SuccessFirstWords;
    std::string LongNameViewCaption;

    // ---- captions and hints ----
    std::string MakeCaption;
    std::string ViewCaption;
    std::string ViewAllCaption;
    std::string CloseCaption;
    std::string ViewHint, ViewAllHint, CloseHint;  // empty: no hint
    std::string Label1, Label2, Label3;
    std::string Label4;  // RTF only, red bold; empty in the PDF engine

    // ---- name dialog ----
    bool RtfNameMode = false;  // sets RTFMode of the name dialog
    std::string NamePrompt;
    std::string NameDialogTitle;

    // ---- viewing ----
    std::string OpenDialogName;  // PDFOpen / RTFOpen
    std::string OpenFilter;      // "Acrobat Files|*.PDF"
    std::string ViewFailedMessage;
};

const TEngineProfile& PdfEngineProfile();
const TEngineProfile& RtfEngineProfile();

// The two halves of a filter text "Name|*.EXT" (one entry).
struct TFileFilter {
    std::string Name;
    std::string Pattern;
};
TFileFilter ParseFilter(const std::string& filter);

}  // namespace tal::front
