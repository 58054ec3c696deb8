#include "ToolOptions.h"

#include <algorithm>
#include <cstdio>

namespace toolcli {

namespace {

const std::vector<TOption>& CommonOptions() {
    static const std::vector<TOption> options = {
        {"--help, -h", "", "mostra questo aiuto ed esce"},
        {"--version", "", "mostra il nome e la versione del programma ed esce"},
    };
    return options;
}

std::string Label(const TOption& o) { return o.value.empty() ? o.name : o.name + " " + o.value; }

}  // namespace

std::string HelpText(const TTool& tool) {
    std::vector<TOption> all = tool.options;
    all.insert(all.end(), CommonOptions().begin(), CommonOptions().end());
    std::size_t width = 0;
    for (const TOption& o : all) width = std::max(width, Label(o).size());
    std::string text = tool.usage + "\n" + tool.summary + "\n\nopzioni:\n";
    for (const TOption& o : all) {
        const std::string label = Label(o);
        text += "  " + label + std::string(width - label.size() + 2, ' ') + o.help + "\n";
    }
    return text + "\nVedi anche: man " + tool.name + "\n";
}

std::string VersionText(const TTool& tool) { return tool.name + " (Sondarium) " SONDARIUM_VERSION "\n"; }

std::optional<int> AnswerHelpOrVersion(const TTool& tool, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool help = arg == "--help" || arg == "-h";
        if (help || arg == "--version") {
            std::fputs((help ? HelpText(tool) : VersionText(tool)).c_str(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        const auto takesValue = [&](const TOption& o) { return o.name == arg && !o.value.empty(); };
        if (std::any_of(tool.options.begin(), tool.options.end(), takesValue)) ++i;
    }
    return std::nullopt;
}

}  // namespace toolcli
