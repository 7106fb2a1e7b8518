#pragma once

#include <QString>

namespace corvanta {

// What a file reader or writer reports: a code that callers and tests can
// branch on, plus the detail the message needs (the system's reason for an
// I/O failure, or the number it names). userText() turns it into the text
// the user sees, so that text is written in one place.
//
// It tests true when the operation succeeded, so `if (!load(...))` reads
// the way it does for a plain bool.
struct FileStatus
{
    enum Code {
        Ok,
        Io,            // opening, reading, writing or committing failed; detail: why
        NotNative,     // no native document header
        Damaged,       // a native document cut short or inconsistent
        Newer,         // a native document of a later format version
        TooLarge,      // a native document whose table exceeds the limits
        BadDelimiter,  // a delimiter that is a quote or a line break
        BadFirstRow,   // detail: the row number
        TooManyRows,   // delimited text past Table::kMaxRows
        TooManyFields, // detail: the 1-based line of the text
        RowTooLong,    // detail: the 1-based line of the text
        Unencodable,   // a character the chosen encoding lacks; detail: the line
        NotRegular,    // a FIFO, device, folder or socket; detail: the file's name
        InputTooLarge, // a file past the readers' size limit; detail: the limit ("2 GiB")
        OutOfMemory,   // the input did not fit in memory
        NotVcard,      // a .vcf file without a single card
        BadLayout,     // a layout file's line; detail: "line N: reason"
        NoSuchColumn,  // a column named that the table lacks; detail: the name
    };

    Code code = Ok;
    QString detail;

    bool ok() const { return code == Ok; }
    explicit operator bool() const { return ok(); }

    static FileStatus fail(Code code, QString detail = {}) { return {code, std::move(detail)}; }
};

// The message shown for `status`; empty when it is Ok.
QString userText(const FileStatus& status);

} // namespace corvanta
