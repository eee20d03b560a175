// The metafile writer's framing: the headers, sizes and counts real readers
// check before they play a record, and records copied in from another file.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "platform/Exception.h"
#include "platform/Graphic.h"
#include "platform/pictures/ByteView.h"
#include "tests/pictures/MetafileSamples.h"

namespace tal {
namespace {

using namespace tal::pictest;
using namespace tal::pictures;

TMetafile Load(const std::vector<std::uint8_t>& bytes) {
    TMetafile m;
    m.LoadFromBytes(bytes);
    return m;
}

TEST(RecordData, ValuesAreStoredLittleEndianAndPaddedWithZeros) {
    const std::uint8_t raw[] = {0xAB, 0xCD};
    TRecordData d;
    d.U8(0x01).U16(0x0302).I16(-2).U32(0x07060504).I32(-3).F32(1.0f).Bytes(raw, 2).Bytes("xy").Pad(4);
    const std::vector<std::uint8_t> expected {0x01, 0x02, 0x03, 0xFE, 0xFF, 0x04, 0x05, 0x06, 0x07, 0xFD,
                                              0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F, 0xAB, 0xCD, 'x',
                                              'y',  0x00, 0x00, 0x00};
    EXPECT_EQ(d.Data(), expected);
    EXPECT_EQ(d.Size(), expected.size());
    d.Bytes(nullptr, 0).Bytes(std::vector<std::uint8_t> {}).Pad(4);
    EXPECT_EQ(d.Size(), expected.size());
}

TEST(WmfFraming, HeadersSizesAndTheClosingRecordAgreeWithTheRecords) {
    TWmfWriter w;
    w.SetObjectCount(3);
    w.Add(TWmf::SetBkMode, {TRANSPARENT});
    w.Add(TWmf::TextOut, TRecordData().U16(3).Bytes("abc"));  // odd: padded to whole words
    TRecordData big;
    for (int i = 0; i < 20; ++i) big.I16(static_cast<std::int16_t>(i));
    TWmfWriter source;
    source.Add(TWmf::Polyline, big);
    const auto copied = source.Finish(false);
    w.AddRaw(copied.data() + WmfHeaderSize, 2 * (3 + 20));  // the largest record, copied as it stands

    const auto file = w.Finish(true, {0, 0, 100, 50}, 96);
    const TByteView v(file.data(), file.size(), "test");
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2) checksum ^= v.U16(i);
    EXPECT_EQ(v.U16(20), checksum);
    const std::size_t h = PlaceableHeaderSize;
    EXPECT_EQ(v.U16(h), 1);                       // a memory metafile
    EXPECT_EQ(v.U16(h + 2), 9);                   // header words
    EXPECT_EQ(v.U16(h + 4), 0x0300);
    EXPECT_EQ(v.U32(h + 6) * 2, file.size() - h);  // the file in words
    EXPECT_EQ(v.U16(h + 10), 3);
    EXPECT_EQ(v.U32(h + 12), 3u + 20u);           // the largest record in words
    EXPECT_EQ(v.U16(h + 16), 0);
    const std::size_t text = h + WmfHeaderSize + 8;
    EXPECT_EQ(v.U32(text), 3u + 3u);
    EXPECT_EQ(v.U8(text + 6 + 5), 0);              // the pad byte
    EXPECT_EQ(std::memcmp(file.data() + text + 12, copied.data() + WmfHeaderSize, 46), 0);
    EXPECT_EQ(v.U32(file.size() - 6), 3u);
    EXPECT_EQ(v.U16(file.size() - 2), static_cast<std::uint16_t>(TWmf::Eof));

    const TMetafile m = Load(file);
    EXPECT_EQ(m.Info().ObjectCount, 3);
    EXPECT_EQ(m.Width(), 100);
    EXPECT_EQ(m.Height(), 50);

    // Without the placeable header the file starts with the metafile header,
    // and the largest record is never less than META_EOF.
    const auto bare = TWmfWriter().Finish(false);
    ASSERT_EQ(bare.size(), WmfHeaderSize + 6);
    const TByteView b(bare.data(), bare.size(), "test");
    EXPECT_EQ(b.U16(0), 1);
    EXPECT_EQ(b.U32(6), (WmfHeaderSize + 6) / 2);
    EXPECT_EQ(b.U32(12), 3u);
}

TEST(EmfFraming, HeaderCountsTheWholeFileAndEveryRecord) {
    TEmfWriter source;
    source.Add(TEmr::SetBkMode, TRecordData().U32(TRANSPARENT));
    const auto copied = source.Finish({0, 0, 9, 9}, {0, 0, 254, 254});

    TEmfWriter w;
    w.SetHandles(5);
    w.Add(TEmr::SetTextColor, TRecordData().U8(7));  // padded to a whole 32-bit word
    w.AddRaw(copied.data() + 108, 12);
    w.Add(TEmr::EndPath, {});
    const auto file = w.Finish({1, 2, 3, 4}, {5, 6, 7, 8});
    const TByteView v(file.data(), file.size(), "test");
    EXPECT_EQ(v.U32(0), static_cast<std::uint32_t>(TEmr::Header));
    EXPECT_EQ(v.U32(4), 108u);
    EXPECT_EQ(v.I32(8), 1);
    EXPECT_EQ(v.I32(36), 8);
    EXPECT_EQ(v.U32(40), EmfSignature);
    EXPECT_EQ(v.U32(44), 0x00010000u);
    EXPECT_EQ(v.U32(48), file.size());
    EXPECT_EQ(v.U32(52), 3u + 2u);  // the header and EMR_EOF as well
    EXPECT_EQ(v.U16(56), 5);
    EXPECT_EQ(v.U32(60), 0u);  // no description
    EXPECT_EQ(v.U32(64), 0u);
    EXPECT_EQ(v.U32(68), 0u);  // no palette
    EXPECT_EQ(v.I32(72), 1920);
    EXPECT_EQ(v.I32(84), 286);
    EXPECT_EQ(v.I32(100), 508000);  // this form: the millimetres times 1000
    EXPECT_EQ(v.I32(104), 286000);
    EXPECT_EQ(v.U32(108 + 4), 12u);
    EXPECT_EQ(v.U32(108 + 8), 7u);
    EXPECT_EQ(std::memcmp(file.data() + 120, copied.data() + 108, 12), 0);
    EXPECT_EQ(v.U32(132), static_cast<std::uint32_t>(TEmr::EndPath));
    EXPECT_EQ(v.U32(136), 8u);
    const std::size_t eof = file.size() - 20;
    EXPECT_EQ(v.U32(eof), static_cast<std::uint32_t>(TEmr::Eof));
    EXPECT_EQ(v.U32(eof + 4), 20u);
    EXPECT_EQ(v.U32(eof + 8), 0u);   // no palette entries
    EXPECT_EQ(v.U32(eof + 12), 16u);
    EXPECT_EQ(v.U32(eof + 16), 20u);  // nSizeLast: this record's size

    const TMetafile m = Load(file);
    EXPECT_EQ(m.Info().RecordCount, 5u);
    EXPECT_EQ(m.Info().Handles, 5);
}

TEST(EmfFraming, TheReferenceDeviceIsWrittenAsGivenAndItsMicrometresStayInRange) {
    const TEmfWriter w;
    const auto exact = w.Finish({0, 0, 9, 9}, {0, 0, 264, 264}, TEmfDevice {1920, 1080, 508, 286, 508000, 285750});
    const TByteView e(exact.data(), exact.size(), "test");
    EXPECT_EQ(e.I32(76), 1080);
    EXPECT_EQ(e.I32(84), 286);
    EXPECT_EQ(e.I32(104), 285750);

    // Millimetres too many for micrometres in 32 bits: held at the largest.
    const std::int32_t huge = std::numeric_limits<std::int32_t>::max() / 10;
    const auto held = w.Finish({0, 0, 9, 9}, {0, 0, 264, 264}, 96, 96, huge, -huge);
    const TByteView h(held.data(), held.size(), "test");
    EXPECT_EQ(h.I32(80), huge);
    EXPECT_EQ(h.I32(100), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(h.I32(104), std::numeric_limits<std::int32_t>::min());
}

TEST(MetafileFraming, CopiedRecordsThatMisstateTheirSizeAreRefused) {
    TWmfWriter wmf;
    const std::uint8_t shortWmf[] = {2, 0, 0, 0, 0x1E, 0};            // says 2 words, less than a header
    const std::uint8_t longWmf[] = {4, 0, 0, 0, 0x1E, 0};             // says 4 words, given 3
    const std::uint8_t oddWmf[] = {3, 0, 0, 0, 0x1E, 0, 0};           // not whole words
    EXPECT_THROW(wmf.AddRaw(shortWmf, sizeof shortWmf), EInvalidGraphic);
    EXPECT_THROW(wmf.AddRaw(longWmf, sizeof longWmf), EInvalidGraphic);
    EXPECT_THROW(wmf.AddRaw(oddWmf, sizeof oddWmf), EInvalidGraphic);
    EXPECT_THROW(wmf.AddRaw(shortWmf, 4), EInvalidGraphic);
    EXPECT_EQ(wmf.Finish(false), TWmfWriter().Finish(false));

    TEmfWriter emf;
    const std::uint8_t wrongEmf[] = {33, 0, 0, 0, 16, 0, 0, 0};       // SaveDC saying 16 bytes, given 8
    const std::uint8_t unalignedEmf[] = {33, 0, 0, 0, 10, 0, 0, 0, 0, 0};
    EXPECT_THROW(emf.AddRaw(wrongEmf, sizeof wrongEmf), EInvalidGraphic);
    EXPECT_THROW(emf.AddRaw(unalignedEmf, sizeof unalignedEmf), EInvalidGraphic);
    EXPECT_THROW(emf.AddRaw(wrongEmf, 4), EInvalidGraphic);
    EXPECT_EQ(emf.Finish({}, {}), TEmfWriter().Finish({}, {}));
}

}  // namespace
}  // namespace tal
