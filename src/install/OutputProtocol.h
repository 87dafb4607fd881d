#pragma once
// The line protocol both vendor executables write on standard output: lines
// split at LF, each beginning with a key that ends in '=', the value after it.
// These pieces are shared by the package parser (CInstaller) and the
// uninstaller parser (UnInstaller); neither needs a process to be exercised.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace OutputProtocol {

// A text value holds at most this many characters; longer ones are cut.
constexpr size_t kMaxTextValue = 771;

// What one line asks for: at most one report and, for a final line, the
// parse result (1 success, 1000 failure; 0 for every other line).
struct LineOutcome {
    const wchar_t* key = nullptr;  // the matched key, from the rule table
    bool report = false;
    int32_t code = 0;
    double progress = 0.0;
    std::wstring text;
    int32_t result = 0;
};

constexpr int32_t kResultSuccess = 1;
constexpr int32_t kResultFailure = 1000;

void SetReport(LineOutcome& outcome, int32_t code, double progress, const std::wstring& text = std::wstring());
// The "State=" key of both protocols: "Success" and "Fail" (trimmed, exact
// case) are final words with their reports; any other word does nothing.
void ApplyState(const std::wstring& rest, LineOutcome& outcome, int32_t successCode, int32_t failureCode,
                const std::wstring& failureText);

// One key of a protocol table and what its value does.
template <typename State>
struct KeyRule {
    const wchar_t* key;
    void (*apply)(const std::wstring& rest, State& state, LineOutcome& outcome);
};

// Splits at LF; a CR before the LF stays in its line, and the last piece
// counts even without a closing LF.
std::vector<std::wstring> SplitLines(const std::wstring& chunk);

// The first rule whose key begins the line exactly (case-sensitive, no
// leading blanks); null when none does. rest receives what follows the key.
template <typename State>
const KeyRule<State>* MatchKey(const std::wstring& line, const KeyRule<State>* rules, size_t count,
                               std::wstring& rest)
{
    for (size_t i = 0; i < count; ++i) {
        std::wstring key = rules[i].key;
        if (line.compare(0, key.size(), key) == 0) {
            rest = line.substr(key.size());
            return &rules[i];
        }
    }
    return nullptr;
}

// Space, tab, LF, VT, FF and CR; nothing above code 255 counts.
bool IsBlank(wchar_t c);
std::wstring Trim(const std::wstring& text);

// The rest of the line as it stands (blanks and a trailing CR kept), cut to
// kMaxTextValue characters.
std::wstring TextValue(const std::wstring& rest);
// A keyword value: the text value trimmed at both ends.
std::wstring KeywordValue(const std::wstring& rest);

// Number scanning in the manner of "%lf" and "%d": leading blanks skipped,
// anything after the number ignored. The cursor moves past what was read.
// A decimal number only (no "inf", "nan" or hexadecimal forms), so a progress
// value is always finite; a number beyond a double's range does not scan.
// An integer must fit 32 bits.
bool ScanDouble(const wchar_t*& cursor, double& value);
bool ScanInt(const wchar_t*& cursor, int32_t& value);
// The value of a number key: the scanned number, 0 when none scans.
double DoubleOrZero(const std::wstring& rest);
int32_t IntOrZero(const std::wstring& rest);

// Every line of the chunk through the table, in line order: the outcome of
// each line that matched a key (lines matching none leave nothing).
template <typename State>
std::vector<LineOutcome> InterpretChunk(const std::wstring& chunk, const KeyRule<State>* rules, size_t count,
                                        State& state)
{
    std::vector<LineOutcome> outcomes;
    for (const std::wstring& line : SplitLines(chunk)) {
        std::wstring rest;
        const KeyRule<State>* rule = MatchKey(line, rules, count, rest);
        if (!rule) continue;
        LineOutcome outcome;
        outcome.key = rule->key;
        rule->apply(rest, state, outcome);
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

// Sends the reports in line order; the result is that of the last final line.
template <typename Report>
int32_t Deliver(const std::vector<LineOutcome>& outcomes, const Report& report)
{
    int32_t result = 0;
    for (const LineOutcome& outcome : outcomes) {
        if (outcome.report) report(outcome.code, outcome.progress, outcome.text.c_str());
        if (outcome.result != 0) result = outcome.result;
    }
    return result;
}

// Sends the reports in line order up to the first final line, whose outcome
// is not sent but kept in finalWord; true when there was one (the lines after
// it are left out).
template <typename Report>
bool DeliverUntilFinal(const std::vector<LineOutcome>& outcomes, const Report& report, LineOutcome& finalWord)
{
    for (const LineOutcome& outcome : outcomes) {
        if (outcome.result != 0) {
            finalWord = outcome;
            return true;
        }
        if (outcome.report) report(outcome.code, outcome.progress, outcome.text.c_str());
    }
    return false;
}

}  // namespace OutputProtocol
