// The four stored hot keys in "HOTKEY.CFG" in the current working directory: 160 bytes, the
// records of ports 1 to 4, each a little-endian key code and a 36-byte NUL-terminated name.
// Users keep this file from version to version; its format does not change.
#pragma once

#include <string>

#include "switch/KVMSwitch.h"

// The number keys 1 to 8 of the main keyboard; the first four are the keys of ports 1 to 4.
extern const _HOT_KEY DefaultKeys[8];

// Fills the four records of `keys` from the file and answers 1. When there is no file, or it is
// shorter than 160 bytes, or it cannot be read, installs the default keys, tries to write them
// to the file and answers 0. A longer file is accepted and only its first 160 bytes are used.
int GetHotKeyConfiguration(_HOT_KEY* keys);
// Writes the four records of `keys` to the file; 1 when all 160 bytes reached it, 0 otherwise.
// A file this user may not write is left as it is (0). The file is replaced whole or not at all,
// but written in place where a replacement would lose something: in a folder that takes no new
// file, with other hard links to it, or with an owner the replacement could not keep.
int SetHotKeyConfiguration(const _HOT_KEY* keys);

// The file's path: the working directory (at most 255 characters), a "/" unless it ends in one,
// then "HOTKEY.CFG". False when there is no such working directory.
bool HotKeyFilePath(std::string* path);

// The file's bytes and the records they hold. A name without a NUL in its 36 bytes (a damaged
// or foreign file) is cut before its last byte, so that it ends inside its record.
constexpr std::size_t kHotKeyFileSize = 4 * sizeof(_HOT_KEY);
void DecodeHotKeyFile(const unsigned char* bytes, _HOT_KEY* keys);
void EncodeHotKeyFile(const _HOT_KEY* keys, unsigned char* bytes);
