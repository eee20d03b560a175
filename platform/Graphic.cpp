#include "platform/Graphic.h"

namespace tal {

void TGraphic::LoadFromStream(TStream& stream) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stream.Remaining()));
    if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size());
    LoadFromBytes(std::move(bytes));
}

}  // namespace tal
