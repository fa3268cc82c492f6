// A check of a message catalogue (.mo file) before gettext reads it. gettext trusts the offsets,
// lengths and hash table of a catalogue it loads: a damaged file makes it read outside the file
// or search its hash table for ever. A catalogue that passes this check can be looked up safely.
#pragma once

#include <cstdint>
#include <span>

namespace plat {

// True when `bytes` is a catalogue of either byte order, major revision 0 or 1 without
// system-dependent strings, whose tables and strings all lie inside it (each string ending with
// its NUL) and whose hash table, if any, names only existing strings and has an empty slot.
bool IsSoundMessageCatalogue(std::span<const std::uint8_t> bytes);

}  // namespace plat
