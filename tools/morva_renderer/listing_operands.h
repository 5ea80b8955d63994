// The operands of one listing line ("Bp n=2 points=[(1,2),(3.5,4)]") by name:
// the reader's text is the one place the operand layouts live, so the
// renderer takes its values from there and its bulk bytes from the data spans.
#pragma once
#include <string>
#include <unordered_map>
#include <vector>

class ListingOperands {
public:
    explicit ListingOperands(const std::string& line);

    bool Has(const std::string& name) const { return values_.count(name) != 0; }
    // A bare word of the line ("float", "bitmap", "compressed").
    bool Word(const std::string& word) const;
    // The first number of a value, or `fallback` when the name is absent.
    double Number(const std::string& name, double fallback = 0) const;
    // Every number of a value, in order ("[(1,2),(3,4)]" gives 1, 2, 3, 4).
    std::vector<double> Numbers(const std::string& name) const;

private:
    std::unordered_map<std::string, std::string> values_;
    std::vector<std::string> words_;
};
