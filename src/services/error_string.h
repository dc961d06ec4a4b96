// The one-line error text that every failure report shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarn {

// "[module.procedure (line)] description"; each part of the prefix is left out when empty
// (or 0), and with no prefix part at all the description stands alone. Never throws.
std::string ErrorString(std::string_view description, std::string_view procedure,
                        std::int32_t line_number, std::string_view module) noexcept;

}  // namespace tarn
