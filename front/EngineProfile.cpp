#include "front/EngineProfile.h"

namespace tal::front {

namespace {

TEngineProfile MakePdfProfile() {
    TEngineProfile p;
    p.Kind = TEngineKind::Pdf;
    p.Deliverable = "TALPDF";
    p.ApplicationTitle = "Tallow Adobe Acrobat PDF Machine";
    p.DesktopName = "talpdf";
    p.FormClass = "TPDFForm";
    p.FormObjectName = "PDFForm";
    p.WindowTitle = "Make an Adobe Acrobat Document";
    p.FixedDialogBorder = true;
    p.Centred = true;
    p.SilverBackground = true;
    p.BoldDialogFont = true;
    p.HasPanel = true;
    p.Extension = ".PDF";
    p.RendererName = "RvRenderPDF1";
    p.NoNdrArgumentMessage = "No NDR file sent from Tallow -- can't make PDF";
    p.InvalidNdrFileMessage = "Invalid file sent from Tallow -- can't make PDF";
    p.CancelledMessage = "PDF operation cancelled by user";
    p.SuccessFirstWords = "Adobe Acrobat PDF File - ";
    p.LongNameViewCaption = "View Current PDF File";
    p.MakeCaption = " &Make PDF Document";
    p.ViewCaption = "View &Current PDF Document";
    p.ViewAllCaption = "View &All PDF Documents";
    p.CloseCaption = "&Return to Tallow 5";
    p.ViewHint = "Opens the Acrobat document you just created";
    p.ViewAllHint = "View any PDF documents in the data set folder";
    p.CloseHint = "Close the Acrobat Machine";
    p.Label1 = "All PDF files are saved in the current data set folder.";
    p.Label2 = "Use View &All . . . + right-click to copy/move files to other locations.";
    p.Label3 =
        "To send a PDF file by email, use View &All . . ., right click on the file, select Send To, and then "
        "select Mail Recipient (if that menu item is present).";
    p.RtfNameMode = false;
    p.NamePrompt = "Please enter a name for the PDF file you are creating";
    p.NameDialogTitle = "PDF File Name Entry";
    p.OpenDialogName = "PDFOpen";
    p.OpenFilter = "Acrobat Files|*.PDF";
    p.ViewFailedMessage = "Acrobat failed to execute ";
    return p;
}

TEngineProfile MakeRtfProfile() {
    TEngineProfile p;
    p.Kind = TEngineKind::Rtf;
    p.Deliverable = "TalRTF";
    p.ApplicationTitle = "Tallow RTF Engine";
    p.DesktopName = "talrtf";
    p.FormClass = "TRTFForm";
    p.FormObjectName = "RTFForm";
    p.WindowTitle = "RTFForm";
    p.Placement = {249, 165, 707, 370};
    p.Extension = ".RTF";
    p.RendererName = "RvRenderRTF1";
    p.NoNdrArgumentMessage = "No NDR file sent from Tallow -- can't make RTF";
    p.InvalidNdrFileMessage = "Invalid file sent from Tallow -- can't make RTF";
    p.CancelledMessage = "RTF operation cancelled by user";
    p.SuccessFirstWords = "RTF File - ";
    p.LongNameViewCaption = "View Current RTF File";
    p.MakeCaption = "&Make RTF File";
    p.ViewCaption = "View &Current RTF Document";
    p.ViewAllCaption = "View &All RTF Documents";
    p.CloseCaption = "&Return to Tallow 5";
    p.Label1 = "All RTF files are saved in the current data set folder.";
    p.Label2 = "Use View &All . . . + right-click to copy/move files to other locations.";
    p.Label3 =
        "To send an RTF file by email, use View &All . . ., right click on the file, select Send To, and then "
        "select Mail Recipient (if that menu item is present).";
    p.Label4 =
        "Complex RTF files will not display properly in MS Word \"Normal\" display mode. Select View | Print "
        "Layout. Other word processors will not accept complex RTF files.";
    p.RtfNameMode = true;
    p.NamePrompt = "Please enter a name for the RTF file you are creating";
    p.NameDialogTitle = "RTF File Name Entry";
    p.OpenDialogName = "RTFOpen";
    p.OpenFilter = "RTF Files|*.RTF";
    p.ViewFailedMessage = "RTF application failed to execute ";
    return p;
}

}  // namespace

const TEngineProfile& PdfEngineProfile() {
    static const TEngineProfile profile = MakePdfProfile();
    return profile;
}

const TEngineProfile& RtfEngineProfile() {
    static const TEngineProfile profile = MakeRtfProfile();
    return profile;
}

TFileFilter ParseFilter(const std::string& filter) {
    const auto bar = filter.find('|');
    if (bar == std::string::npos) return {filter, filter};
    return {filter.substr(0, bar), filter.substr(bar + 1)};
}

}  // namespace tal::front
