// Build-time tool: prints what other files list of the option table, and
// checks that they list it.
//
//   kavren-option-list completion          the table part of completion/kavren
//   kavren-option-list man                 the option headings of doc/kavren.1, in order
//   kavren-option-list man-names           the -t names block of doc/kavren.1
//   kavren-option-list dict                the option spellings for the fuzzer's dictionary
//   kavren-option-list corpus              one line per option for fuzz/make-corpus:
//                                          "value LETTER LONG SAMPLE" or "action LETTER LONG",
//                                          tab-separated, "-" for no letter
//   kavren-option-list check COMPLETION MANPAGE
//                                          exit status 1, with the differences, when the
//                                          files do not list the table (and the -t names
//                                          of the symbology table) as printed above
#include "cli/OptionTable.h"
#include "symbologies/Symbologies.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

// The library's internals that the program shares.
using namespace kavren::detail;

namespace {

constexpr const char* CompletionBegin = "# BEGIN option table (generated: kavren-option-list completion)";
constexpr const char* CompletionEnd = "# END option table";
constexpr const char* ManNamesBegin = ".\\\" BEGIN symbology names (generated: kavren-option-list man-names)";
constexpr const char* ManNamesEnd = ".\\\" END symbology names";

std::string Short(const OptionSpec& o)
{
    return std::string("-") + o.Letter();
}

std::string Join(const std::vector<std::string>& words)
{
    std::string s;
    for (const std::string& w : words)
        s += (s.empty() ? "" : " ") + w;
    return s;
}

std::vector<std::string> CompletionLines()
{
    std::vector<std::string> shorts;
    std::vector<std::string> longs;
    std::vector<std::string> actions;
    std::vector<std::string> flags;
    std::string valueLetters;
    for (const OptionSpec& o : OptionTable()) {
        if (o.HasLetter())
            shorts.push_back(Short(o));
        longs.push_back(std::string("--") + o.longName);
        if (o.kind == ValueKind::None) {
            if (o.HasLetter())
                actions.push_back(Short(o));
            actions.push_back(longs.back());
        } else if (o.kind == ValueKind::Flag) {
            if (o.HasLetter())
                flags.push_back(Short(o));
            flags.push_back(longs.back());
        } else if (o.HasLetter() && TakesValue(o.kind)) {
            valueLetters += o.Letter();
        }
    }
    std::vector<std::string> lines = {
        "# Options that take a value have their letter here; actions end the command line;",
        "# flags take no value.",
        "_kavren_shorts='" + Join(shorts) + "'",
        "_kavren_longs='" + Join(longs) + "'",
        "_kavren_value_letters='" + valueLetters + "'",
        "_kavren_actions='" + Join(actions) + "'",
        "_kavren_flags='" + Join(flags) + "'",
        "_kavren_values()",
        "{",
        "    case \"$1\" in",
    };
    for (const OptionSpec& o : OptionTable()) {
        const std::string values = CompletionValues(o);
        if (values.empty())
            continue;
        const std::string names = (o.HasLetter() ? Short(o) + " | " : std::string()) + "--" + o.longName;
        lines.push_back("        " + names + ") echo " + values + " ;;");
    }
    lines.push_back("    esac");
    lines.push_back("}");
    return lines;
}

// The line after each .TP of the OPTIONS section starts with these.
std::vector<std::string> ManHeadings()
{
    std::vector<std::string> lines;
    for (const OptionSpec& o : OptionTable()) {
        std::string name = "\\-\\-";
        for (const char* c = o.longName; *c; ++c)
            name += *c == '-' ? std::string("\\-") : std::string(1, *c); // a minus sign, as groff wants it
        lines.push_back(o.HasLetter() ? ".BR \\-" + std::string(1, o.Letter()) + " \", \" " + name
                                      : ".B " + name);
    }
    return lines;
}

// One man-page line per symbology: its -t number, its name and its -t names,
// as the usage text lists them, with groff's minus signs.
std::vector<std::string> ManNameLines()
{
    std::vector<std::string> lines;
    for (const SymbologyRow& row : Symbologies()) {
        std::string names;
        for (const char c : row.names)
            names += c == '-' ? std::string("\\-") : c == ' ' ? std::string(", ") : std::string(1, c);
        lines.push_back(".TP 5");
        lines.push_back(".B " + std::to_string(row.type));
        lines.push_back(std::string(row.name) + ": " + names);
    }
    return lines;
}

std::vector<std::string> DictLines()
{
    std::vector<std::string> lines;
    for (const OptionSpec& o : OptionTable())
        if (o.HasLetter())
            lines.push_back(std::string("\"").append(Short(o)).append("\""));
    for (const OptionSpec& o : OptionTable())
        lines.push_back("\"--" + std::string(o.longName) + (TakesValue(o.kind) ? "=\"" : "\""));
    return lines;
}

std::vector<std::string> CorpusLines()
{
    std::vector<std::string> lines;
    for (const OptionSpec& o : OptionTable()) {
        const std::string letter = o.HasLetter() ? std::string(1, o.Letter()) : "-";
        if (o.kind == ValueKind::None)
            lines.push_back("action\t" + letter + "\t" + o.longName);
        else if (o.kind == ValueKind::Flag)
            lines.push_back("flag\t" + letter + "\t" + o.longName);
        else
            lines.push_back("value\t" + letter + "\t" + o.longName + "\t" + o.sample);
    }
    return lines;
}

bool ReadLines(const char* path, std::vector<std::string>& lines)
{
    std::ifstream in(path);
    if (!in) {
        std::cerr << "kavren-option-list: cannot read " << path << "\n";
        return false;
    }
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return true;
}

// Reports the first difference; true when there is none.
bool Compare(const char* what, const std::vector<std::string>& expected,
             const std::vector<std::string>& found, bool prefixOnly)
{
    for (std::size_t i = 0; i < std::max(expected.size(), found.size()); ++i) {
        const std::string want = i < expected.size() ? expected[i] : "(nothing)";
        const std::string have = i < found.size() ? found[i] : "(nothing)";
        const bool same = prefixOnly ? have == want || have.starts_with(want + " ") : have == want;
        if (!same) {
            std::cerr << what << " does not list the option table (line " << i + 1 << " of its list):\n"
                      << "  expected: " << want << "\n  found:    " << have << "\n";
            return false;
        }
    }
    return true;
}

// The lines between the begin and end lines; false when there is no such block.
bool ReadBlock(const char* path, const char* begin, const char* end, std::vector<std::string>& block)
{
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        return false;
    bool inside = false;
    bool closed = false;
    for (const std::string& line : lines) {
        if (line == begin)
            inside = true;
        else if (line == end && inside)
            inside = false, closed = true;
        else if (inside)
            block.push_back(line);
    }
    if (!closed)
        std::cerr << path << ": no block between \"" << begin << "\" and \"" << end << "\"\n";
    return closed;
}

// The generated block against what the mode prints.
bool CheckBlock(const char* path, const char* begin, const char* end,
                const std::vector<std::string>& expected, const char* mode)
{
    std::vector<std::string> block;
    if (!ReadBlock(path, begin, end, block))
        return false;
    if (Compare(path, expected, block, false))
        return true;
    std::cerr << "  (replace the block with the output of: kavren-option-list " << mode << ")\n";
    return false;
}

bool CheckCompletion(const char* path)
{
    return CheckBlock(path, CompletionBegin, CompletionEnd, CompletionLines(), "completion");
}

bool CheckManPage(const char* path)
{
    std::vector<std::string> lines;
    if (!ReadLines(path, lines))
        return false;
    std::vector<std::string> headings;
    bool inOptions = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].starts_with(".SH"))
            inOptions = lines[i] == ".SH OPTIONS";
        else if (inOptions && lines[i] == ".TP" && i + 1 < lines.size())
            headings.push_back(lines[i + 1]);
    }
    return Compare(path, ManHeadings(), headings, true) &&
           CheckBlock(path, ManNamesBegin, ManNamesEnd, ManNameLines(), "man-names");
}

void Print(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        std::cout << line << "\n";
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "completion" && argc == 2)
        Print(CompletionLines());
    else if (mode == "man" && argc == 2)
        Print(ManHeadings());
    else if (mode == "man-names" && argc == 2)
        Print(ManNameLines());
    else if (mode == "dict" && argc == 2)
        Print(DictLines());
    else if (mode == "corpus" && argc == 2)
        Print(CorpusLines());
    else if (mode == "check" && argc == 4) {
        const bool completion = CheckCompletion(argv[2]);
        const bool man = CheckManPage(argv[3]);
        return completion && man ? 0 : 1;
    } else {
        std::cerr
            << "usage: kavren-option-list completion|man|man-names|dict|corpus|check COMPLETION MANPAGE\n";
        return 2;
    }
    return std::cout.good() ? 0 : 1;
}
