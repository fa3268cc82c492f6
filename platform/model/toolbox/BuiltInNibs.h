// The program's own nibs as the build made them (tools/nibs writes the definition): a nib file
// whose text is one of theirs gives its document without being parsed again.
#pragma once

#include <optional>
#include <string_view>

#include "platform/model/toolbox/NibReader.h"

namespace plat::nib {

// The document of the built-in nib with exactly this text; nothing for any other text.
std::optional<NibDocument> BuiltInNib(std::string_view text);

}  // namespace plat::nib
