#pragma once

#include <string>
#include <vector>

namespace tabulix::host {

// One command of a host script: its words, with "double-quoted stretches" kept as one word and the
// escapes of ExpandEscapes replaced.
struct TScriptLine {
    int Number = 0;
    std::string Text;
    std::vector<std::string> Words;
};

// Reads a script, one command a line; blank lines and lines starting with # are skipped.
std::vector<TScriptLine> ReadScript(const std::string& text);

// Splits a line into words; each word has its escapes replaced.
std::vector<std::string> SplitWords(const std::string& line);

// {CR}, {LF}, {TAB} and {QUOTE} replaced by the characters a script line cannot hold.
std::string ExpandEscapes(const std::string& word);

// A whole word read as a decimal number (a leading minus allowed); false for anything else.
bool ReadInt(const std::string& word, int& value);
bool ReadNumber(const std::string& word, long long& value);

} // namespace tabulix::host
