// The command line's options, one row each: the letter or id the parser
// returns, the long name, how the value is read, which values are accepted,
// the field it sets and the usage lines. The parser's option string and
// long-option table, the usage text, the option handling, the fuzzer and the
// build-time check of the completion and the man page all read this table.
#pragma once

#include "cli/GetOpt.h"
#include "cli/RunOptions.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

// How the value text of an option is read.
enum class ValueKind {
    None,    // the option takes no value (an action such as --help)
    Integer, // leading sign and decimal digits, saturating at the int32 range
    Real,    // a decimal number with optional fraction and exponent
    Switch,  // an integer; any value but 0 is on
    Colour,  // RRGGBB hexadecimal digits
    Text,    // taken unchanged
    Flag,    // no value: the option alone turns its bool field on
    Word,    // one of the row's value words (any letter case), stored as its place in the list
    Size,    // a matrix symbol size: N or MN (a QR Code or Micro QR version) or RxC (Data Matrix
             // rows x columns), stored in the version or the matrix rows and columns
};

// Whether the option reads a value text (every kind but actions and flags).
constexpr bool TakesValue(ValueKind kind)
{
    return kind != ValueKind::None && kind != ValueKind::Flag;
}

// The values an Integer or Real option accepts: low to high, and with a step
// above 1 only low plus whole multiples of it.
struct ValueRange {
    double low = 0.0;
    double high = 0.0;
    std::int32_t step = 1;

    bool Accepts(double value) const;
};

// The field of RunOptions an accepted value goes to. Integer options go to
// numbers and to the named choices (an accepted number is one of its names).
using OptionField =
    std::variant<std::monostate, std::int32_t RunOptions::*, double RunOptions::*, float RunOptions::*,
                 bool RunOptions::*, kavren::Rgb RunOptions::*, std::string RunOptions::*,
                 kavren::Symbology RunOptions::*, kavren::Orientation RunOptions::*,
                 kavren::BarcodeAlign RunOptions::*, kavren::TextAlign RunOptions::*,
                 kavren::Code128Set RunOptions::*, kavren::Format RunOptions::*, kavren::Unit RunOptions::*,
                 kavren::Bearer RunOptions::*, kavren::Options::EcLevel RunOptions::*>;

// What the parser returns for an option: its letter, or for an option with a
// long name only an id above every character value.
enum OptionId : int {
    HelpOption = 'h',
    FirstLongOnlyOption = 256,
    VersionOption = FirstLongOnlyOption,
    Gs1CheckOption,
    BatchOption,
    JobsOption,
    FormatOption,
    DpiOption,
    UnitOption,
    TransparentOption,
    FontOption,
    BearerOption,
    BearerWidthOption,
    // Ids of the options added after 1.5, in the order of their rows.
    MonoOption,
    CompliantOption,
    StrictOption,
    SizeOption,
    EcOption,
    MaskOption,
    EciOption,
    DmreOption,
    HriOption,
    DigitalLinkOption,
    SegmentsOption,
};

struct OptionSpec {
    int id; // the short letter, or an id from FirstLongOnlyOption on
    const char* longName;
    ValueKind kind;
    ValueRange range;   // Integer and Real only
    OptionField field;  // what an accepted value sets; none for actions and for the
                        // options the run reads itself (--batch, --jobs)
    const char* values; // the values the completion offers, blank-separated; null: taken from the range;
                        // a Word option's words, in the order of its field's numbers
    const char*
        sample;       // a valid value other than the default (the fuzzer's seeds); null for actions and flags
    const char* help; // usage lines after the option column, '\n' between lines; null: not listed

    constexpr bool HasLetter() const { return id < FirstLongOnlyOption; }
    constexpr char Letter() const { return HasLetter() ? static_cast<char>(id) : '\0'; }
};

// Every option, in the order of the long-option table (which decides
// abbreviations) and of the usage text.
std::span<const OptionSpec> OptionTable();
const OptionSpec* FindOption(int id);

// The program's short-option string and its long-option table (ends with a
// null name), both made from the option table.
extern const char* const KavrenOptionString;
const LongOption* KavrenLongOptions();

// Reads the value text as the row says and stores it when the row accepts
// it; a value outside the range (or no word of the list) is ignored. A Flag
// row takes no text (null). Returns what the reading changed or dropped of
// the text (the warning's text, e.g. "-x 300px read as 300"); empty when the
// whole text was taken as written.
std::string ApplyOption(const OptionSpec& option, const char* text, RunOptions& options);

// The usage text's option lines in table order: the option column padded to
// the description column, further lines indented to it.
std::vector<std::string> OptionHelpLines();
// The values the completion offers for the option (empty when free); -t
// offers the symbology names besides the numbers.
std::string CompletionValues(const OptionSpec& option);
// The lines after the usage text's options that list the -t names of the
// symbology table, one symbology a line.
std::vector<std::string> SymbologyNameLines();

// An Integer option's value as the table reads it (sign and decimal digits,
// saturating), for the options the run reads itself.
std::int32_t ReadInteger(const char* text);

// RRGGBB hexadecimal digits after an optional "0x", "0X" or "#": the digits
// up to the first other character, the last six counting. `whole`, when
// given, tells whether that reading took the whole text as a colour.
std::uint32_t ParseHexColor(const char* text, bool* whole = nullptr);
std::uint32_t SwapRedBlue(std::uint32_t colour);
