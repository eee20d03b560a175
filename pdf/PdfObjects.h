#pragma once
// The indirect objects of a PDF document. Each object writes its own text,
// from its "n 0 obj" line to the empty line after "endobj", into a buffer of
// its own; the document copies the buffers out in numbering order.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Stream.h"
#include "render/RpDefine.h"

namespace tal {

class TRvRenderPDF;

class TRPPDFObject {
public:
    // The owner must be a TRvRenderPDF; any other component raises EInvalidCast.
    explicit TRPPDFObject(TRpComponent& RenderPDF);
    virtual ~TRPPDFObject();
    TRPPDFObject(const TRPPDFObject&) = delete;
    TRPPDFObject& operator=(const TRPPDFObject&) = delete;

    // Writes the whole object into FObjectBuffer (through the renderer's
    // write operations) and rewinds the buffer for copying.
    virtual void WriteObject() = 0;

    std::int32_t ObjectNumber() const { return FObjectNumber; }
    void SetObjectNumber(std::int32_t number) { FObjectNumber = number; }
    TMemoryStream& ObjectBuffer() { return *FObjectBuffer; }
    // Frees the object text once it has been copied out.
    void ReleaseBuffer() { FObjectBuffer = std::make_unique<TMemoryStream>(); }

protected:
    // Points the renderer's output at the object buffer and writes "n 0 obj".
    void BeginObject();
    // Writes "endobj" and the empty line, and rewinds the buffer.
    void EndObject();
    // Ends a stream object's open dictionary with its length and filter and
    // writes the stream's data and the object's end.
    void EndStreamObject(const std::vector<std::uint8_t>& Data, const std::string& Filter);

    TRvRenderPDF& FRenderPDF;
    std::int32_t FObjectNumber = 0;
    std::unique_ptr<TMemoryStream> FObjectBuffer;
};

class TRPPDFCatalog final : public TRPPDFObject {
public:
    using TRPPDFObject::TRPPDFObject;
    void WriteObject() override;
};

class TRPPDFOutlines final : public TRPPDFObject {
public:
    using TRPPDFObject::TRPPDFObject;
    void WriteObject() override;
};

// The page tree: one level, every page a kid of it.
class TRPPDFPages final : public TRPPDFObject {
public:
    using TRPPDFObject::TRPPDFObject;
    void WriteObject() override;
};

class TRPPDFProcSet final : public TRPPDFObject {
public:
    using TRPPDFObject::TRPPDFObject;
    void WriteObject() override;
};

}  // namespace tal
