// Builds the program's nibs into it: reads each nib as the program would and writes a C++ source
// that makes the same documents, each beside the text it comes from. A nib with a fault stops the
// build with the reader's message.
//   nib-compile OUTPUT.cpp NIB...
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/model/toolbox/NibSource.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: nib-compile OUTPUT.cpp NIB...\n");
    return 2;
  }
  std::string source =
      "// Made by nib-compile from the program's nibs at build time.\n"
      "#include \"platform/model/toolbox/BuiltInNibs.h\"\n\n"
      "namespace plat::nib {\n\n"
      "std::optional<NibDocument> BuiltInNib(std::string_view text) {\n";
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "nib-compile: %s: the file cannot be read\n", argv[i]);
      return 1;
    }
    std::string error;
    const auto document = plat::nib::ReadNib(text, error);
    if (!document) {
      std::fprintf(stderr, "nib-compile: %s: %s\n", argv[i], error.c_str());
      return 1;
    }
    source += "  if (text == std::string_view(" + plat::nib::StringLiteral(text) + ", " +
              std::to_string(text.size()) + "))\n    return " +
              plat::nib::DocumentSource(*document) + ";\n";
  }
  source += "  return std::nullopt;\n}\n\n}  // namespace plat::nib\n";
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << source;
  out.close();
  if (!out) {
    std::fprintf(stderr, "nib-compile: %s: cannot be written\n", argv[1]);
    return 1;
  }
  return 0;
}
