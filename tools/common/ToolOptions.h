// The command-line options the lab tools share: --help lists a tool's options
// from one table, one line each; --version names the tool and the version.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace toolcli {

struct TOption {
    std::string name;   // "--seed"
    std::string value;  // "S", empty for an option without a value
    std::string help;   // one line, Italian
};

struct TTool {
    std::string name;                // "sondarium-pairs"
    std::string usage;               // "uso: ..." as printed after a wrong command line
    std::string summary;             // what the tool does, one line
    std::vector<TOption> options;    // without --help and --version, which every tool has
};

std::string HelpText(const TTool& tool);
std::string VersionText(const TTool& tool);

// The exit status 0 once --help (or -h) or --version has been answered on
// standard output, nothing when neither stands on the command line as an
// option (the value of an option, "--out --help", is not one).
std::optional<int> AnswerHelpOrVersion(const TTool& tool, int argc, char** argv);

}  // namespace toolcli
