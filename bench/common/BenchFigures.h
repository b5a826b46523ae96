#pragma once
// The figures a benchmark reports for the performance table.
//
// Besides its own output, every benchmark prints one line per figure:
//
//   FIGURE | what | figure | target | ratio | met
//
// bench/run-all.sh gathers these lines from all benchmarks into one table
// (docs/performance.md). "ratio" compares the figure with the bare library or the
// physical limit it is measured against; "met" is "yes", "no" or "-" (no target).

#include <cstdarg>
#include <cstdio>
#include <string>

namespace wexlan::bench {

/// printf-style formatting into a string, for the columns of a figure.
inline std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

inline void PrintFigure(const std::string& what, const std::string& figure,
                        const std::string& target, const std::string& ratio, const char* met) {
    std::printf("FIGURE | %s | %s | %s | %s | %s\n", what.c_str(), figure.c_str(), target.c_str(),
                ratio.c_str(), met);
    std::fflush(stdout);
}

inline const char* Met(bool met) {
    return met ? "yes" : "no";
}

}  // namespace wexlan::bench
