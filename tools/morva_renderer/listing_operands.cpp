#include "tools/morva_renderer/listing_operands.h"

#include <cstdlib>

ListingOperands::ListingOperands(const std::string& line)
{
    // Tokens are separated by blanks; a quoted text may hold blanks.
    size_t at = line.find(' ');  // past the opcode
    while (at != std::string::npos && at < line.size()) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        size_t end = at;
        bool quoted = false;
        while (end < line.size() && (quoted || line[end] != ' ')) {
            if (line[end] == '\\' && quoted)
                ++end;
            else if (line[end] == '"')
                quoted = !quoted;
            ++end;
        }
        const std::string token = line.substr(at, end - at);
        const size_t equals = token.find('=');
        if (equals == std::string::npos) {
            if (!token.empty())
                words_.push_back(token);
        } else {
            values_[token.substr(0, equals)] = token.substr(equals + 1);
        }
        at = end;
    }
}

bool ListingOperands::Word(const std::string& word) const
{
    for (const std::string& w : words_)
        if (w == word)
            return true;
    return false;
}

double ListingOperands::Number(const std::string& name, double fallback) const
{
    const std::vector<double> numbers = Numbers(name);
    return numbers.empty() ? fallback : numbers.front();
}

std::vector<double> ListingOperands::Numbers(const std::string& name) const
{
    std::vector<double> out;
    const auto found = values_.find(name);
    if (found == values_.end())
        return out;
    const std::string& text = found->second;
    const char* p = text.c_str();
    while (*p != '\0') {
        if (*p == '[' || *p == ']' || *p == '(' || *p == ')' || *p == ',') {
            ++p;
            continue;
        }
        char* end = nullptr;
        const double v = std::strtod(p, &end);
        if (end == p)
            break;
        out.push_back(v);
        p = end;
    }
    return out;
}
