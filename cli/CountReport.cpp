#include "CountReport.h"

#include <string_view>
#include <vector>

namespace Quorvane {

namespace {

struct Figure
{
    std::string_view label;
    std::string_view key;
    std::size_t value;
    bool jsonOnly = false;
};

std::vector<Figure> figuresOf(const ListCounts &counts, bool againstOther)
{
    std::vector<Figure> figures = {
        {"items", "items", counts.items},
        {"blanks", "blanks", counts.blanks},
        {"distinct", "distinct", counts.distinct},
        {"repeats", "repeats", counts.repeats},
    };
    if (againstOther) {
        figures.push_back({"shared", "shared", counts.shared});
        figures.push_back({"only in list", "only_in_list", counts.onlyInList});
        figures.push_back({"only in other", "only_in_other", counts.onlyInOther});
        // The overlap in items, as compare writes it; the table keeps the figures it always had.
        figures.push_back({"", "items_only_in_list", counts.overlap.onlyInFirst, true});
        figures.push_back({"", "items_in_both", counts.overlap.inBoth, true});
        figures.push_back({"", "items_only_in_other", counts.overlap.onlyInSecond, true});
    }
    if (counts.invalid)
        figures.push_back({"invalid", "invalid", *counts.invalid});
    if (counts.severalAddresses)
        figures.push_back({"several addresses", "several_addresses", *counts.severalAddresses});
    return figures;
}

std::string asJson(const std::vector<Figure> &figures)
{
    std::string json = "{";
    for (const Figure &figure : figures) {
        if (json.size() > 1)
            json += ", ";
        json += '"' + std::string(figure.key) + "\": " + std::to_string(figure.value);
    }
    return json + "}\n";
}

// Labels in one column, figures right-aligned in the next.
std::string asTable(std::vector<Figure> figures)
{
    std::erase_if(figures, [](const Figure &figure) { return figure.jsonOnly; });
    std::size_t labelWidth = 0;
    std::size_t valueWidth = 0;
    for (const Figure &figure : figures) {
        labelWidth = std::max(labelWidth, figure.label.size());
        valueWidth = std::max(valueWidth, std::to_string(figure.value).size());
    }
    std::string table;
    for (const Figure &figure : figures) {
        const std::string value = std::to_string(figure.value);
        table += std::string(figure.label) + std::string(labelWidth - figure.label.size() + 2, ' ')
            + std::string(valueWidth - value.size(), ' ') + value + '\n';
    }
    return table;
}

} // namespace

std::string countReport(const ListCounts &counts, bool againstOther, bool json)
{
    const std::vector<Figure> figures = figuresOf(counts, againstOther);
    return json ? asJson(figures) : asTable(figures);
}

} // namespace Quorvane
