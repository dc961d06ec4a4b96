// Variable tokens of item values: a variable's name between two "%", matched without regard to
// case.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

std::string MakeVariableToken(std::string_view name);

// The first occurrence of `token` at or after `from`, letters compared without regard to case;
// npos when there is none.
std::size_t FindToken(std::string_view value, std::string_view token, std::size_t from = 0);

// Every occurrence of `token` replaced by `text`, in one pass from left to right: the inserted
// text is not searched again.
std::string ReplaceToken(std::string_view value, std::string_view token, std::string_view text);

}  // namespace tarn
