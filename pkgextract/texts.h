// Every text the extractor shows, each written once.
#pragma once

namespace pkgx::text {

inline constexpr char kUsage[] =
    "Usage: \r\n"
    "     [ -d rootdir ] -- root directory for files\r\n"
    "     [ -f archive ] -- name of archive file\r\n"
    "     [ -b nnnn ]    -- archive buffer size\r\n"
    "     [ -m DAYS ]    -- files > x days old\r\n"
    "     [ -n DAYS ]    -- files < x days old\r\n"
    "     [ -s SIZE ]    -- files > x bytes\r\n"
    "     [ -c nnnn ]    -- compression level 100K \r\n"
    "     [ -k KEY ]     -- [de]crypt with KEY\r\n"
    "     [ -6 LEN ]     -- emit 6 bit DidivIziv w/line LEN \r\n"
    "     [ -tv ]        -- table of contents / verbose listing\r\n"
    "     [ -x ]         -- xtract files from archive\r\n"
    "     { $response | files | directories } ... \r\n";

inline constexpr char kUnknownOption[] = "Unknown option ignored: ";
inline constexpr char kLineEnd[] = "\r\n";
inline constexpr char kFirstTextSeparator[] = ": ";
inline constexpr char kPressReturn[] = "  Press return to retry, or ESC to ignore\r\n";

// Response files (information).
inline constexpr char kUnableToOpen[] = "Unable to open";
inline constexpr char kNoSizeToFile[] = "No size to file";
inline constexpr char kUnableToRead[] = "Unable to read";

// Archive (fatal unless noted).
inline constexpr char kArchiveFileEmpty[] = "Archive file empty";
inline constexpr char kNeedFirstVolume[] = "Need First Volume";
inline constexpr char kEndVolume[] = "End volume %d  ";
inline constexpr char kInsertNextDisk[] = "Insert next disk of package:";
inline constexpr char kUnableToFindVolume[] = "Unable to find: vol %d";      // prompt
inline constexpr char kBadDiskHeader[] = "Bad disk header: vol %d";          // prompt
inline constexpr char kInsertSequence[] = "Insert sequence: vol %d";         // prompt
inline constexpr char kLineMissing[] = "Line %d Missing from DidivIziv";
inline constexpr char kDidivError[] = "DidivIziv Error on line %d";
inline constexpr char kOutOfMemory[] = "Out of memory: ";
inline constexpr char kHdrError[] = "HDR error";
inline constexpr char kCrcError[] = "CRC Error";

// Output files (fatal).
inline constexpr char kUnableToOpenOutput[] = "Unable to Open";
inline constexpr char kUnableToWrite[] = "Unable to Write";
inline constexpr char kUnsafeName[] = "Unsafe name refused";
inline constexpr char kPathTooLong[] = "Path too long";

}  // namespace pkgx::text
