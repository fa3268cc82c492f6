#include "platform/model/bundle/MessageCatalogue.h"

#include <optional>

namespace plat {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;
constexpr std::size_t kHeaderSize = 28;
// Revision 1 adds five words for system-dependent strings.
constexpr std::size_t kSystemDependentHeaderSize = 48;

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  void SetSwapped(bool swapped) { swapped_ = swapped; }
  // The 32-bit word at `offset`, or nothing when it does not lie inside the file.
  std::optional<std::uint32_t> Word(std::uint64_t offset) const {
    if (offset + 4 > bytes_.size())
      return std::nullopt;
    const std::uint8_t* p = bytes_.data() + offset;
    if (swapped_)
      return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
             p[3];
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
  }
  // A table of `count` entries of `entrySize` bytes at `offset`: aligned and inside the file.
  bool HoldsTable(std::uint64_t offset, std::uint64_t count, std::uint64_t entrySize) const {
    return offset % 4 == 0 && offset + count * entrySize <= bytes_.size();
  }
  // The string of `length` bytes at `offset`, followed by its NUL, inside the file.
  bool HoldsString(std::uint64_t length, std::uint64_t offset) const {
    return offset + length < bytes_.size() && bytes_[offset + length] == 0;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  bool swapped_ = false;
};

bool StringsAreSound(const Reader& file, std::uint32_t table, std::uint32_t count) {
  if (!file.HoldsTable(table, count, 8))
    return false;
  for (std::uint64_t i = 0; i < count; ++i) {
    const auto length = file.Word(table + 8 * i);
    const auto offset = file.Word(table + 8 * i + 4);
    if (!length || !offset || !file.HoldsString(*length, *offset))
      return false;
  }
  return true;
}

// gettext uses the hash table when it has more than two slots; a slot holds 0 (empty) or a string
// index plus one, and a search for a missing string ends only at an empty slot.
bool HashTableIsSound(const Reader& file, std::uint32_t size, std::uint32_t offset,
                      std::uint32_t strings) {
  if (size <= 2)
    return true;
  if (!file.HoldsTable(offset, size, 4))
    return false;
  bool hasEmptySlot = false;
  for (std::uint64_t i = 0; i < size; ++i) {
    const std::uint32_t slot = *file.Word(offset + 4 * i);
    if (slot > strings)
      return false;
    hasEmptySlot = hasEmptySlot || slot == 0;
  }
  return hasEmptySlot;
}

}  // namespace

bool IsSoundMessageCatalogue(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize)
    return false;
  Reader file(bytes);
  const std::uint32_t magic = *file.Word(0);
  if (magic != kMagic && magic != kSwappedMagic)
    return false;
  file.SetSwapped(magic == kSwappedMagic);
  const std::uint32_t revision = *file.Word(4);
  if (revision >> 16 > 1)
    return false;
  if (revision != 0) {
    // System-dependent strings are not used by this program's catalogues: refused when present.
    if (bytes.size() < kSystemDependentHeaderSize || *file.Word(28) != 0 || *file.Word(36) != 0)
      return false;
  }
  const std::uint32_t strings = *file.Word(8);
  return StringsAreSound(file, *file.Word(12), strings) &&
         StringsAreSound(file, *file.Word(16), strings) &&
         HashTableIsSound(file, *file.Word(20), *file.Word(24), strings);
}

}  // namespace plat
