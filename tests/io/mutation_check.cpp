// Seeded mutation run over one small good file per format.
//
//   io_mutation_check [--seed N] [--mutants N] [--time-limit SECONDS]
//                     [--memory-limit MIB] [--only NAME] [--keep FOLDER] [--verbose]
//
// Every good file is damaged N times (default 60): cut at a random byte, 1 to 16 bytes
// flipped, or a number of its header inflated (a text number replaced by a huge or
// negative one, or a binary field overwritten with a huge value). Each mutant is read
// in a child process under a memory limit and a time limit, through the same reader
// that then reads the good file again. The run fails if a child crashes, aborts, hangs,
// prints anything, refuses a mutant without a message naming the file, or cannot read
// the good file after the mutant. The same seed always gives the same mutants, with or
// without --only.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "MutationSeeds.h"
#include "wFileReader.h"

namespace wexlan::io::mutation {
namespace {

struct Options {
    std::uint64_t seed = 20241205;
    int mutants = 60;
    int timeLimit = 10;      // seconds per mutant
    int memoryLimit = 2048;  // MiB of address space per mutant
    std::string only;
    std::string keep;
    bool verbose = false;
};

enum class Outcome { Accepted, Refused, Crashed, Hung, Silent, Printed, GoodFailed };

const char* OutcomeName(Outcome o) {
    static const char* const kNames[] = {"accepted",
                                         "refused",
                                         "CRASHED",
                                         "HUNG",
                                         "REFUSED WITHOUT MESSAGE",
                                         "PRINTED ON THE TERMINAL",
                                         "GOOD FILE FAILED AFTERWARDS"};
    return kNames[static_cast<int>(o)];
}

bool RunningUnderSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) {
        h = (h ^ c) * 1099511628211ull;
    }
    return h;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The three kinds of damage; `description` says what was done, for the report.
std::string Mutate(const std::string& good, int index, std::mt19937_64& random,
                   std::string& description) {
    std::string bad = good;
    const auto pick = [&random](std::size_t n) {
        return static_cast<std::size_t>(random() % std::max<std::size_t>(n, 1));
    };
    switch (index % 3) {
        case 0: {
            const std::size_t at = pick(good.size());
            bad.resize(at);
            description = "cut at byte " + std::to_string(at);
            break;
        }
        case 1: {
            const int flips = 1 + static_cast<int>(pick(16));
            description = std::to_string(flips) + " bytes flipped at";
            for (int i = 0; i < flips; ++i) {
                const std::size_t at = pick(bad.size());
                bad[at] = static_cast<char>(bad[at] ^ static_cast<char>(1 + pick(255)));
                description += " " + std::to_string(at);
            }
            break;
        }
        default: {
            // Text numbers in the first 4 KiB (headers), else a binary field there.
            const std::size_t zone = std::min<std::size_t>(bad.size(), 4096);
            std::vector<std::pair<std::size_t, std::size_t>> numbers;
            for (std::size_t i = 0; i < zone;) {
                if (bad[i] >= '0' && bad[i] <= '9') {
                    std::size_t j = i;
                    while (j < bad.size() && bad[j] >= '0' && bad[j] <= '9')
                        ++j;
                    numbers.emplace_back(i, j - i);
                    i = j;
                } else {
                    ++i;
                }
            }
            static const char* kHuge[] = {"274877906944",         "4294967295", "2147483647",  "-1",
                                          "99999999999999999999", "65536",      "-2147483648", "0"};
            if (!numbers.empty() && pick(4) != 0) {
                const auto [at, length] = numbers[pick(numbers.size())];
                const char* value = kHuge[pick(std::size(kHuge))];
                bad.replace(at, length, value);
                description = "number at byte " + std::to_string(at) + " set to " + value;
            } else {
                static const std::uint32_t kFields[] = {0x7FFFFFFFu, 0xFFFFFFFFu, 0x40000000u,
                                                        0x00100000u, 0x80000000u};
                const std::size_t at = pick(zone >= 4 ? zone - 3 : 1);
                const std::uint32_t value = kFields[pick(std::size(kFields))];
                if (at + 4 <= bad.size())
                    std::memcpy(bad.data() + at, &value, 4);
                description =
                    "4 bytes at " + std::to_string(at) + " set to " + std::to_string(value);
            }
            break;
        }
    }
    return bad;
}

// Reads `mutant`, then `good`, in a child process under the limits.
Outcome ReadInChild(const std::string& mutant, const std::string& good, const Options& options,
                    std::string& detail) {
    // Beside the mutant folder, where no reader looks for companions.
    const std::string outputPath =
        std::filesystem::path(mutant).parent_path().parent_path().string() + "/printed.txt";
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        detail = "pipe failed";
        return Outcome::Crashed;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        // Whatever the reader prints would land here.
        std::FILE* out = std::fopen(outputPath.c_str(), "w");
        dup2(fileno(out), 1);
        dup2(fileno(out), 2);
        if (!RunningUnderSanitizer()) {
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(options.memoryLimit) << 20;
            setrlimit(RLIMIT_AS, &limit);
        }
        alarm(static_cast<unsigned>(options.timeLimit));
        wFileReader reader;
        reader.SetFilename(mutant);
        const int ok = reader.Read();
        std::string report = (ok ? "A" : "R") + reader.GetErrorMessage();
        reader.SetFilename(good);
        if (!reader.Read()) {
            report = "G" + reader.GetErrorMessage();
        }
        (void)!write(pipeFds[1], report.data(), report.size());
        _exit(0);
    }
    close(pipeFds[1]);
    std::string report;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const std::string printed = ReadAll(outputPath);
    std::filesystem::remove(outputPath);
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        detail = sig == SIGALRM ? "no answer within the time limit" : strsignal(sig);
        return sig == SIGALRM ? Outcome::Hung : Outcome::Crashed;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || report.empty()) {
        detail =
            "exit status " + std::to_string(WEXITSTATUS(status)) + " " + printed.substr(0, 200);
        return Outcome::Crashed;
    }
    detail = report.substr(1);
    if (!printed.empty()) {
        detail = printed.substr(0, 300);
        return Outcome::Printed;
    }
    if (report[0] == 'G') {
        return Outcome::GoodFailed;
    }
    if (report[0] == 'A') {
        return Outcome::Accepted;
    }
    if (detail.rfind(mutant + ": ", 0) != 0 || detail.size() <= mutant.size() + 2) {
        return Outcome::Silent;
    }
    return Outcome::Refused;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--seed" && hasValue)
            o.seed = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--mutants" && hasValue)
            o.mutants = std::atoi(argv[++i]);
        else if (arg == "--time-limit" && hasValue)
            o.timeLimit = std::atoi(argv[++i]);
        else if (arg == "--memory-limit" && hasValue)
            o.memoryLimit = std::atoi(argv[++i]);
        else if (arg == "--only" && hasValue)
            o.only = argv[++i];
        else if (arg == "--keep" && hasValue)
            o.keep = argv[++i];
        else if (arg == "--verbose")
            o.verbose = true;
        else
            return false;
    }
    return o.mutants > 0 && o.timeLimit > 0 && o.memoryLimit > 0;
}

int Run(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s [--seed N] [--mutants N] [--time-limit S] "
                     "[--memory-limit MIB] [--only NAME] [--keep FOLDER] [--verbose]\n",
                     argv[0]);
        return 2;
    }
    std::string folder =
        (std::filesystem::temp_directory_path() / "wexlan-mutants-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<SeedFile> seeds = WriteSeeds(folder);

    std::map<Outcome, int> totals;
    int failures = 0;
    std::printf("seed %llu, %d mutants per file, limits %d s and %d MiB%s\n",
                static_cast<unsigned long long>(options.seed), options.mutants, options.timeLimit,
                options.memoryLimit,
                RunningUnderSanitizer() ? " (no memory limit under sanitizer)" : "");
    std::printf("%-18s %8s %8s %8s\n", "file", "mutants", "accepted", "refused");
    for (const SeedFile& seed : seeds) {
        if (!options.only.empty() && seed.name != options.only) {
            continue;
        }
        // The good file itself must read, or the run proves nothing.
        {
            wFileReader reader;
            reader.SetFilename(seed.path);
            if (!reader.Read()) {
                std::printf("%-16s good file not read: %s\n", seed.name.c_str(),
                            reader.GetErrorMessage().c_str());
                ++failures;
                continue;
            }
        }
        const std::string good = ReadAll(seed.path);
        // Each file has its own sequence, so that --only reproduces the same mutants.
        std::mt19937_64 random(options.seed ^ Fnv1a(seed.name));
        // Mutants keep the good file's name, in a folder of their own with copies of the
        // files it needs (the other half of a split image, the rest of a series).
        const std::string base = std::filesystem::path(seed.name).filename().string();
        const std::string mutantFolder = folder + "/mutants-" + std::to_string(Fnv1a(seed.name));
        std::filesystem::create_directories(mutantFolder);
        for (const std::string& companion : seed.companions) {
            std::filesystem::copy_file(
                folder + "/" + companion,
                mutantFolder + "/" + std::filesystem::path(companion).filename().string(),
                std::filesystem::copy_options::overwrite_existing);
        }
        const std::string mutant = mutantFolder + "/" + base;
        std::map<Outcome, int> counts;
        for (int i = 0; i < options.mutants; ++i) {
            std::string description;
            const std::string bad = Mutate(good, i, random, description);
            WriteAll(mutant, bad);
            std::string detail;
            const Outcome outcome = ReadInChild(mutant, seed.path, options, detail);
            ++counts[outcome];
            ++totals[outcome];
            const bool failed = outcome != Outcome::Accepted && outcome != Outcome::Refused;
            if (failed || options.verbose) {
                std::printf("  %s mutant %d (%s): %s: %s\n", seed.name.c_str(), i,
                            description.c_str(), OutcomeName(outcome), detail.c_str());
            }
            if (failed) {
                ++failures;
                if (!options.keep.empty()) {
                    std::filesystem::create_directories(options.keep);
                    WriteAll(options.keep + "/" + std::to_string(i) + "-" + base, bad);
                }
            }
        }
        std::printf("%-18s %8d %8d %8d\n", seed.name.c_str(), options.mutants,
                    counts[Outcome::Accepted], counts[Outcome::Refused]);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int all = 0;
    for (const auto& [outcome, count] : totals)
        all += count;
    std::printf(
        "total: %d mutants, %d accepted, %d refused with a message, %d crashed, %d hung, "
        "%d other failures, %.1f s\n",
        all, totals[Outcome::Accepted], totals[Outcome::Refused], totals[Outcome::Crashed],
        totals[Outcome::Hung],
        totals[Outcome::Silent] + totals[Outcome::Printed] + totals[Outcome::GoodFailed], seconds);
    std::filesystem::remove_all(folder);
    return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace wexlan::io::mutation

int main(int argc, char** argv) {
    return wexlan::io::mutation::Run(argc, argv);
}
