#include "HostScript.h"

#include <cstdlib>
#include <sstream>

namespace tabulix::host {

namespace {

struct TEscape {
    const char* Name;
    char Character;
};

const TEscape Escapes[] = {{"{CR}", '\r'}, {"{LF}", '\n'}, {"{TAB}", '\t'}, {"{QUOTE}", '"'}};

} // namespace

std::string ExpandEscapes(const std::string& word) {
    std::string expanded;
    for (size_t i = 0; i < word.size();) {
        bool replaced = false;
        for (const TEscape& escape : Escapes) {
            if (word.compare(i, std::char_traits<char>::length(escape.Name), escape.Name) == 0) {
                expanded += escape.Character;
                i += std::char_traits<char>::length(escape.Name);
                replaced = true;
                break;
            }
        }
        if (!replaced) expanded += word[i++];
    }
    return expanded;
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        std::string word;
        if (line[i] == '"') {
            ++i;
            while (i < line.size() && line[i] != '"') word += line[i++];
            ++i; // the closing quote
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
        }
        words.push_back(ExpandEscapes(word));
    }
    return words;
}

bool ReadNumber(const std::string& word, long long& value) {
    char* end = nullptr;
    const long long number = std::strtoll(word.c_str(), &end, 10);
    if (word.empty() || *end) return false;
    value = number;
    return true;
}

bool ReadInt(const std::string& word, int& value) {
    long long number = 0;
    if (!ReadNumber(word, number)) return false;
    value = int(number);
    return true;
}

std::vector<TScriptLine> ReadScript(const std::string& text) {
    std::vector<TScriptLine> lines;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        lines.push_back({number, line, SplitWords(line)});
    }
    return lines;
}

} // namespace tabulix::host
