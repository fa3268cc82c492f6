// Reading the arguments a person types: words, whole numbers, seconds, control IDs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Controls.h"

namespace plat::console {

// Without blanks (spaces, tabs, carriage returns) at either end.
std::string_view Trim(std::string_view text);
// The first word and the rest of the text (trimmed).
std::pair<std::string_view, std::string_view> SplitFirstWord(std::string_view text);
std::vector<std::string_view> Words(std::string_view text);

// A whole number, decimal or hexadecimal with 0x, within [minimum, maximum].
std::optional<long> ParseNumber(std::string_view text, long minimum, long maximum);
// A number of seconds, decimals allowed, from 0 to a day.
std::optional<double> ParseSeconds(std::string_view text);
// A control ID written SIGNATURE:ID, e.g. OPTG:11 (the signature exactly four characters).
std::optional<ControlID> ParseControlID(std::string_view text);
std::string ControlIDText(const ControlID& id);

// What to say when a key name is not known.
inline constexpr const char* kKeyNamesHint =
    "keys are named as the Preferences window names them: 1, q, F6, Space, 1 (Numeric Pad), ...";

// `text` in double quotes, control characters shown as ?, cut after 60 bytes.
std::string Quoted(std::string_view text);

}  // namespace plat::console
