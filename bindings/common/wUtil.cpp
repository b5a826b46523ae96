#include "wUtil.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "wAtomicWrite.h"
#include "wText.h"

namespace {

// Characters of a UTF-8 text: every byte except continuation bytes (10xxxxxx).
int CharacterCount(const std::string& text) {
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

constexpr std::size_t kMaxMatrixFileBytes = 1 << 20;
constexpr std::size_t kMaxNumberLength = 64;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Splits a line into its blank-separated tokens.
std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) {
            ++i;
        }
        if (i > start) {
            tokens.push_back(line.substr(start, i - start));
        }
    }
    return tokens;
}

bool ParseMatrixText(const std::string& text, double out[16]) {
    double values[16];
    int rows = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string_view trimmed = wexlan::Trim(line);
        if (trimmed.empty() || trimmed.front() == '#') {
            continue;
        }
        const auto tokens = Tokens(trimmed);
        if (rows == 4 || tokens.size() != 4) {
            return false;
        }
        for (int column = 0; column < 4; ++column) {
            if (!wexlan::ParseDouble(tokens[column], values[rows * 4 + column])) {
                return false;
            }
        }
        ++rows;
    }
    if (rows != 4) {
        return false;
    }
    std::copy(values, values + 16, out);
    return true;
}

bool IsSeparator(char c) {
    return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::string wUtil::ConstructRow(const std::vector<std::string>& texts,
                                const std::vector<int>& widths) {
    std::string row;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int width = i < widths.size() ? std::max(widths[i], 0) : 0;
        const int length = CharacterCount(texts[i]);
        row += texts[i];
        row.append(static_cast<std::size_t>(std::max(width - length, 1)), ' ');
    }
    return row;
}

bool wUtil::LoadMat(const std::string& path, double m[16]) {
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error)) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    // Read in chunks up to one byte past the limit, to tell a file over it without
    // reserving the whole limit for the few hundred bytes a matrix file holds.
    std::string text;
    char chunk[4096];
    while (text.size() <= kMaxMatrixFileBytes && file.read(chunk, sizeof chunk).gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad() || text.size() > kMaxMatrixFileBytes) {
        return false;
    }
    return ParseMatrixText(text, m);
}

bool wUtil::SaveMat(const std::string& path, const double m[16]) {
    if (path.empty() || !std::all_of(m, m + 16, [](double v) { return std::isfinite(v); })) {
        return false;
    }
    std::string text = "# 4x4 matrix, row-major\n";
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            text += wexlan::ShortestNumber(m[row * 4 + column]);
            text += column < 3 ? ' ' : '\n';
        }
    }
    return wexlan::AtomicWrite::Write(path, text);
}

int wUtil::ReadDoubleArray(const std::string& path, double* buffer, int capacity) {
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error)) {
        return -1;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return -1;
    }
    int count = 0;
    if (buffer && capacity > 0) {
        std::string token;
        bool stopped = false;
        // Stores the pending token; false when it is not a number (reading stops).
        auto flush = [&]() {
            if (token.empty()) {
                return true;
            }
            double value = 0.0;
            if (token.size() > kMaxNumberLength || !wexlan::ParseDouble(token, value)) {
                return false;
            }
            buffer[count++] = value;
            token.clear();
            return true;
        };
        char chunk[1 << 16];
        while (!stopped && count < capacity) {
            const std::size_t read = std::fread(chunk, 1, sizeof chunk, file);
            if (read == 0) {
                stopped = !flush();
                break;
            }
            for (std::size_t i = 0; i < read && count < capacity; ++i) {
                const char c = chunk[i];
                if (!IsSeparator(c)) {
                    // A token that has grown past any number's length is not one.
                    if (token.size() > kMaxNumberLength) {
                        stopped = true;
                        break;
                    }
                    token += c;
                } else if (!flush()) {
                    stopped = true;
                    break;
                }
            }
        }
    }
    std::fclose(file);
    return count;
}
