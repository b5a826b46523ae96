#pragma once

#include <string>
#include <vector>

#include "wexlancommon_export.h"

/// Small helpers shared by the control panel and its modules: text tables, matrix
/// files and number files. All functions are static and keep no state. Number texts
/// never depend on the process locale.
class WEXLANCOMMON_EXPORT wUtil {
public:
    wUtil() = delete;

    /// One row of a text table: one cell per text, in order, each left-aligned and
    /// followed by blanks up to its column width, so rows built with the same widths
    /// line up in a fixed-width font.
    ///
    /// - A cell always ends with at least one blank: a text as long as or longer
    ///   than its column is kept whole and followed by exactly one blank, so columns
    ///   never run together and nothing is cut off (that row then loses alignment).
    /// - Widths count characters: the bytes of a UTF-8 sequence count as one.
    /// - A text without a width (more texts than widths) and a negative width are
    ///   treated as width 0; widths beyond the last text are ignored.
    /// - The last cell is padded too. No line end is added (callers add "\n" or
    ///   "\r\n"). No texts give the empty text.
    ///
    /// Example: ConstructRow({"id", "name"}, {4, 6}) is "id  name  ".
    static std::string ConstructRow(const std::vector<std::string>& texts,
                                    const std::vector<int>& widths);

    /// @name Matrix files (".mat")
    /// A 4x4 matrix as text: four lines of four numbers separated by blanks or tabs,
    /// row-major (line r holds m[4r] .. m[4r+3]). Lines whose first non-blank
    /// character is '#' are comments; empty lines are ignored; "\r\n" line ends are
    /// accepted. Example, the identity:
    ///
    ///     # 4x4 matrix, row-major
    ///     1 0 0 0
    ///     0 1 0 0
    ///     0 0 1 0
    ///     0 0 0 1
    /// @{

    /// Reads a matrix file into `m`. A missing or unreadable file, a line that is
    /// not exactly four numbers, fewer or more than four number lines, a number that
    /// is not finite (nan, inf) or a file over 1 MiB is a failure: returns false and
    /// leaves `m` untouched. Returns true when all 16 numbers were read.
    static bool LoadMat(const std::string& path, double m[16]);

    /// Writes `m` as a matrix file, each number in its shortest form that reads back
    /// exactly. The file is replaced atomically: it is written beside the target and
    /// renamed over it, so a failure never leaves a half-written or emptied file.
    /// Returns false, writing nothing, for an empty path, a number that is not
    /// finite, or a path that cannot be written (missing or read-only folder,
    /// read-only file).
    static bool SaveMat(const std::string& path, const double m[16]);
    /// @}

    /// Reads numbers from a text file into `buffer`, in file order, and returns how
    /// many were stored.
    ///
    /// - Numbers are separated by any run of white space and/or commas
    ///   ("1, 2,3\n4" gives 4 numbers).
    /// - Reading stops at `capacity` numbers: nothing is ever written past
    ///   buffer[capacity - 1], and the rest of the file is not read, so huge files
    ///   cost only what is used.
    /// - Reading stops at the first token that is not a finite number (a word, "nan",
    ///   "inf", a token over 64 characters); the numbers before it are kept and
    ///   counted.
    /// - Returns -1 if the file cannot be opened (missing, unreadable, a folder);
    ///   0 for an empty file, a null buffer or a capacity of 0 or less.
    static int ReadDoubleArray(const std::string& path, double* buffer, int capacity);
};
