#include "ProgramOptions.h"

#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zorvane {

namespace {

// What getopt_long refused in `word`, as the user wrote it.
std::string Refusal(std::string_view word, int code, const option* longOptions) {
    if (code == ':') return "'" + std::string(word) + "' needs a value";
    if (!word.starts_with("--"))
        return "unknown option '-" + std::string(1, static_cast<char>(optopt)) + "'";
    const std::string_view name = word.substr(2, word.find('=') - 2);
    int matches = 0;
    bool exact = false;
    for (const option* o = longOptions; o->name != nullptr; ++o) {
        if (!std::string_view(o->name).starts_with(name)) continue;
        ++matches;
        exact = exact || name == o->name;
    }
    const std::string quoted = "'--" + std::string(name) + "'";
    if (matches == 0) return "unknown option '" + std::string(word) + "'";
    if (matches > 1 && !exact) return quoted + " is ambiguous";
    return quoted + " takes no value";
}

}  // namespace

ReadOptionsResult ReadOptions(const Program& program, int argc, char** argv,
                              const char* shortOptions, const option* longOptions,
                              const TakeOption& take) {
    ::signal(SIGPIPE, SIG_IGN);  // cannot fail for SIGPIPE
    // ':' first: a missing value is told apart, and getopt_long itself says nothing.
    const std::string shorts = std::string(":") + shortOptions;
    opterr = 0;
    optind = 1;
    for (int code; (code = getopt_long(argc, argv, shorts.c_str(), longOptions, nullptr)) != -1;) {
        if (code == 'h') return {PrintText(program, program.usage)};
        if (code == 'V')
            return {PrintText(program, std::string(program.name) + " " ZORVANE_VERSION "\n")};
        if (code == '?' || code == ':')
            return {UsageError(program, Refusal(argv[optind - 1], code, longOptions))};
        if (std::string problem = take(code, optarg); !problem.empty())
            return {UsageError(program, problem)};
    }
    return {std::nullopt, optind};
}

int UsageError(const Program& program, std::string_view problem) {
    std::fprintf(stderr, "%s: %.*s\nTry '%s --help'.\n", program.name,
                 static_cast<int>(problem.size()), problem.data(), program.name);
    return 2;
}

int PrintText(const Program& program, std::string_view text) {
    // A buffered stream takes the text even when passing it on fails: flush and ask the stream.
    (void)std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "%s: cannot write output: %s\n", program.name, std::strerror(errno));
    return 1;
}

}  // namespace zorvane
