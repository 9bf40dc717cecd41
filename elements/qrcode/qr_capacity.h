// How much text the largest QR symbol (version 40) can hold, checked before the encoder sees
// the text: libqrencode spends seconds and gigabytes on a long text before it says no.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/com/types.h"

namespace cnt::qrcode {

// The most characters any text may have at `level` (0 to 3): digits, the densest kind, fill
// version 40 at 7 089 (level L) to 3 057 (level H). 0 for a level the encoder does not know.
std::size_t longest_text(LONG level) noexcept;

// False when no symbol at `level` can hold `text`, whatever modes the encoder splits it into:
// each digit costs at least 10/3 bits, each other alphanumeric character 11/2, every other
// byte 8, and the text at least one mode header. True does not promise that it fits, though
// it does for a text of one kind alone.
bool may_fit(std::string_view text, LONG level) noexcept;

}  // namespace cnt::qrcode
