#include "cli/GetOpt.h"

#include <cstdio>
#include <cstring>

int g_optIndex = 1;
const char* g_optArg = nullptr;
int g_optLetter = 0;

namespace {

// The element whose letters are being read as a cluster (-hx), and how many
// of its letters have been returned already.
int g_clusterElement = 0;
int g_clusterPosition = 0;

void Diagnose(const char* text)
{
    std::fputs(text, stderr);
    std::fflush(stderr);
}

void DiagnoseLetter(const char* format, char letter)
{
    std::fprintf(stderr, format, letter);
    std::fflush(stderr);
}

// `name` is the given long name as typed, `length` its bytes before any '='.
void DiagnoseName(const char* head, const char* name, std::size_t length)
{
    std::fputs(head, stderr);
    std::fwrite(name, 1, length, stderr);
    Diagnose("'.\n");
}

// The first entry whose name begins with the given one; an empty given name
// fits the first entry. No ambiguity check: the table's order decides.
const LongOption* FindLongOption(const LongOption* table, const char* name, std::size_t length)
{
    for (const LongOption* entry = table; entry && entry->name; ++entry) {
        if (std::strncmp(entry->name, name, length) == 0 && std::strlen(entry->name) >= length)
            return entry;
    }
    return nullptr;
}

// `element` is "--name" or "--name=value".
int ReadLongOption(int argc, char* const argv[], const char* element, const LongOption* table, int* longIndex)
{
    const char* name = element + 2;
    const char* equals = std::strchr(name, '=');
    const std::size_t length = equals ? static_cast<std::size_t>(equals - name) : std::strlen(name);

    const LongOption* entry = FindLongOption(table, name, length);
    if (!entry) {
        DiagnoseName("invalid option `", name, length);
        ++g_optIndex;
        return '?';
    }
    if (longIndex)
        *longIndex = static_cast<int>(entry - table);

    if (entry->takesArgument == 0) {
        ++g_optIndex; // a =value part is ignored
    } else if (equals) {
        g_optArg = equals + 1;
        ++g_optIndex;
    } else if (g_optIndex + 1 < argc && argv[g_optIndex + 1]) {
        g_optArg = argv[g_optIndex + 1];
        g_optIndex += 2;
    } else {
        DiagnoseName("argument required: `", name, length);
        ++g_optIndex;
        return '?';
    }

    if (entry->flag) {
        *entry->flag = entry->letter;
        return 0;
    }
    return entry->letter;
}

// A plain option letter of the option string. A colon only marks an argument
// there; as a letter it is unknown. So is the terminating NUL.
const char* FindShortOption(const char* optString, char c)
{
    if (c == ':' || c == '\0' || !optString)
        return nullptr;
    return std::strchr(optString, c);
}

} // namespace

void ResetGetOpt()
{
    g_optIndex = 1;
    g_optArg = nullptr;
    g_optLetter = 0;
    g_clusterElement = 0;
    g_clusterPosition = 0;
}

int GetOpt(int argc, char* const argv[], const char* optString, const LongOption* longOptions, int* longIndex)
{
    for (;;) {
        if (g_optIndex < 1 || g_optIndex >= argc || !argv || !argv[g_optIndex])
            return -1;
        const char* element = argv[g_optIndex];
        if (element[0] != '-' || element[1] == '\0')
            return -1; // a lone "-" stays for the caller, as a file name
        if (element[1] == '-') {
            if (element[2] == '\0') {
                ++g_optIndex; // "--" ends the options and is consumed
                return -1;
            }
            return ReadLongOption(argc, argv, element, longOptions, longIndex);
        }

        if (g_clusterElement != g_optIndex) {
            g_clusterElement = g_optIndex;
            g_clusterPosition = 0;
        }
        const char* rest = element + 1 + g_clusterPosition;
        const char c = *rest;
        g_optLetter = static_cast<unsigned char>(c);

        if (c == '\0') {
            ++g_optIndex; // every letter of this element has been returned
            continue;
        }
        const char* spec = FindShortOption(optString, c);
        if (!spec) {
            DiagnoseLetter("Unknown option `-%c'.\n", c);
            ++g_optIndex; // the rest of the element is skipped
            return '?';
        }
        if (spec[1] != ':') {
            ++g_clusterPosition;
            return g_optLetter;
        }
        if (rest[1] != '\0') {
            g_optArg = rest + 1; // attached, as in -x250
            ++g_optIndex;
            return g_optLetter;
        }
        if (g_optIndex + 1 < argc && argv[g_optIndex + 1]) {
            g_optArg = argv[g_optIndex + 1]; // whatever it looks like, also "-y"
            g_optIndex += 2;
            return g_optLetter;
        }
        g_optArg = nullptr;
        ++g_optIndex;
        DiagnoseLetter("Missing argument for `-%c'.\n", c);
        return '?';
    }
}
