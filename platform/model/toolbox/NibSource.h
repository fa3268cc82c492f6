// A nib's document written as C++ that makes it again: how the build puts the program's own
// nibs into the program (tools/nibs), so that a start does not parse them.
#pragma once

#include <string>
#include <string_view>

#include "platform/model/toolbox/NibReader.h"

namespace plat::nib {

// An expression of type NibDocument that makes `document`.
std::string DocumentSource(const NibDocument& document);

// A C++ string literal that holds `text` byte for byte.
std::string StringLiteral(std::string_view text);

}  // namespace plat::nib
