#pragma once

namespace corvanta {

// The encodings delimited text is read in; a document opened from such a
// file is written back in the same one, so the program that made the file
// reads it as it was.
enum class TextEncoding {
    Utf8,        // no byte order mark
    Utf8Bom,     // EF BB BF
    Utf16LE,     // FF FE
    Utf16BE,     // FE FF
    Windows1252, // bytes that are not UTF-8
};

} // namespace corvanta
