// Seeded mutation run over one small good file per format.
//
//   io_mutation_check [--seed N] [--mutants N] [--only NAME] [--keep FOLDER] [--verbose]
//
// Every good file is damaged N times: cut, 1 to 16 bytes flipped, or a header number
// inflated. Each mutant, then the good file, is read in a child process under a memory
// and a time limit. The run fails if a child crashes, hangs, prints anything, refuses a
// mutant without a message naming the file, or cannot read the good file afterwards.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "MutationSeeds.h"
#include "wFileReader.h"

namespace wexlan::io::mutation {
namespace {

constexpr unsigned kTimeLimit = 10;               // seconds per mutant
constexpr rlim_t kMemoryLimit = rlim_t{2} << 30;  // bytes of address space per mutant

struct Options {
    std::uint64_t seed = 20241205;
    int mutants = 60;
    std::string only, keep;  // --keep: where failing mutants are saved
    bool verbose = false;    // every mutant reported, not only failing ones
};

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

// The three kinds of damage; `description` says what was done, for the report.
std::string Mutate(std::string bad, int index, std::mt19937_64& random, std::string& description) {
    const auto pick = [&random](std::size_t n) {
        return static_cast<std::size_t>(random() % std::max<std::size_t>(n, 1));
    };
    if (index % 3 == 0) {
        const std::size_t at = pick(bad.size());
        bad.resize(at);
        description = "cut at byte " + std::to_string(at);
        return bad;
    }
    if (index % 3 == 1) {
        const int flips = 1 + static_cast<int>(pick(16));
        description = std::to_string(flips) + " bytes flipped at";
        for (int i = 0; i < flips; ++i) {
            const std::size_t at = pick(bad.size());
            bad[at] = static_cast<char>(bad[at] ^ static_cast<char>(1 + pick(255)));
            description += " " + std::to_string(at);
        }
        return bad;
    }
    // Text numbers in the first 4 KiB (headers), else a binary field there.
    const std::size_t zone = std::min<std::size_t>(bad.size(), 4096);
    std::vector<std::pair<std::size_t, std::size_t>> numbers;
    for (std::size_t i = 0; i < zone; ++i) {
        const std::size_t j = bad.find_first_not_of("0123456789", i);
        if (j != i) {
            numbers.emplace_back(i, (j == std::string::npos ? bad.size() : j) - i);
            i = j == std::string::npos ? bad.size() : j;
        }
    }
    static const char* kHuge[] = {"274877906944",         "4294967295", "2147483647",  "-1",
                                  "99999999999999999999", "65536",      "-2147483648", "0"};
    if (!numbers.empty() && pick(4) != 0) {
        const auto [at, length] = numbers[pick(numbers.size())];
        const char* value = kHuge[pick(std::size(kHuge))];
        bad.replace(at, length, value);
        description = "number at byte " + std::to_string(at) + " set to " + value;
        return bad;
    }
    static const std::uint32_t kFields[] = {0x7FFFFFFFu, 0xFFFFFFFFu, 0x40000000u, 0x00100000u,
                                            0x80000000u};
    const std::size_t at = pick(zone >= 4 ? zone - 3 : 1);
    const std::uint32_t value = kFields[pick(std::size(kFields))];
    if (at + 4 <= bad.size())
        std::memcpy(bad.data() + at, &value, 4);
    description = "4 bytes at " + std::to_string(at) + " set to " + std::to_string(value);
    return bad;
}

// Reads `mutant`, then `good`, in a child process under the limits; "" when the mutant
// was accepted or refused with a message naming it, else what went wrong.
std::string ReadInChild(const std::string& mutant, const std::string& good, std::string& detail) {
    // Beside the mutant folder, where no reader looks for companions.
    const std::string printedPath =
        std::filesystem::path(mutant).parent_path().parent_path().string() + "/printed.txt";
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return "pipe failed";
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        std::FILE* out = std::fopen(printedPath.c_str(), "w");  // catches what is printed
        dup2(fileno(out), 1);
        dup2(fileno(out), 2);
        if (!RunningUnderSanitizer()) {
            const rlimit limit{kMemoryLimit, kMemoryLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        alarm(kTimeLimit);
        wFileReader reader;
        reader.SetFilename(mutant);
        const bool accepted = reader.Read() != 0;
        std::string report = (accepted ? "A" : "R") + reader.GetErrorMessage();
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
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const std::string printed = ReadFileBytes(printedPath);
    std::filesystem::remove(printedPath);
    if (WIFSIGNALED(status)) {
        return WTERMSIG(status) == SIGALRM ? "HUNG"
                                           : "CRASHED: " + std::string(strsignal(WTERMSIG(status)));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || report.empty()) {
        return "CRASHED: exit status " + std::to_string(WEXITSTATUS(status)) + " " +
               printed.substr(0, 200);
    }
    detail = (report[0] == 'A' ? "accepted" : "refused: ") + report.substr(1);
    if (!printed.empty()) {
        return "PRINTED ON THE TERMINAL: " + printed.substr(0, 300);
    }
    if (report[0] == 'G') {
        return "GOOD FILE FAILED AFTERWARDS: " + report.substr(1);
    }
    if (report[0] == 'R' &&
        (report.rfind("R" + mutant + ": ", 0) != 0 || report.size() <= mutant.size() + 3)) {
        return "REFUSED WITHOUT MESSAGE: " + report.substr(1);
    }
    return "";
}

bool ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--verbose") {
            o.verbose = true;
        } else if (i + 1 == argc) {
            return false;
        } else if (arg == "--seed") {
            o.seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--mutants") {
            o.mutants = std::atoi(argv[++i]);
        } else if (arg == "--only") {
            o.only = argv[++i];
        } else if (arg == "--keep") {
            o.keep = argv[++i];
        } else {
            return false;
        }
    }
    return o.mutants > 0;
}

int Run(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(
            stderr,
            "usage: %s [--seed N] [--mutants N] [--only NAME] [--keep FOLDER] [--verbose]\n",
            argv[0]);
        return 2;
    }
    std::string folder =
        (std::filesystem::temp_directory_path() / "wexlan-mutants-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    int failures = 0, total = 0, accepted = 0;
    std::printf("seed %llu, %d mutants per file\n", static_cast<unsigned long long>(options.seed),
                options.mutants);
    for (const SeedFile& seed : WriteSeeds(folder)) {
        if (!options.only.empty() && seed.name != options.only) {
            continue;
        }
        // The good file itself must read, or the run proves nothing.
        wFileReader reader;
        reader.SetFilename(seed.path);
        if (!reader.Read()) {
            std::printf("%s: good file not read: %s\n", seed.name.c_str(),
                        reader.GetErrorMessage().c_str());
            ++failures;
            continue;
        }
        const std::string good = ReadFileBytes(seed.path);
        // Each file has its own sequence, so that --only reproduces the same mutants.
        const std::size_t nameHash = std::hash<std::string>()(seed.name);
        std::mt19937_64 random(options.seed ^ nameHash);
        // Mutants keep the good file's name, in a folder of their own with copies of the
        // files it needs (the other half of a split image, the rest of a series).
        const std::string base = std::filesystem::path(seed.name).filename().string();
        const std::string mutantFolder = folder + "/mutants-" + std::to_string(nameHash);
        std::filesystem::create_directories(mutantFolder);
        for (const std::string& companion : seed.companions) {
            std::filesystem::copy_file(
                folder + "/" + companion,
                mutantFolder + "/" + std::filesystem::path(companion).filename().string(),
                std::filesystem::copy_options::overwrite_existing);
        }
        const std::string mutant = mutantFolder + "/" + base;
        for (int i = 0; i < options.mutants; ++i, ++total) {
            std::string description, detail;
            const std::string bad = Mutate(good, i, random, description);
            WriteFileBytes(mutant, bad);
            const std::string failure = ReadInChild(mutant, seed.path, detail);
            accepted += detail.rfind("accepted", 0) == 0;
            if (!failure.empty() || options.verbose) {
                std::printf("  %s mutant %d (%s): %s\n", seed.name.c_str(), i, description.c_str(),
                            failure.empty() ? detail.c_str() : failure.c_str());
            }
            if (!failure.empty()) {
                ++failures;
                if (!options.keep.empty()) {
                    std::filesystem::create_directories(options.keep);
                    WriteFileBytes(options.keep + "/" + std::to_string(i) + "-" + base, bad);
                }
            }
        }
    }
    std::printf("total: %d mutants, %d accepted, %d failures\n", total, accepted, failures);
    std::filesystem::remove_all(folder);
    return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace wexlan::io::mutation

int main(int argc, char** argv) {
    return wexlan::io::mutation::Run(argc, argv);
}
