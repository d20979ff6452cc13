#include "bench/RecognitionErrors.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace tavero::bench {

namespace {

// Han characters and full-width punctuation: scripts written without spaces.
bool unspaced(char32_t c) { return c >= 0x2E80; }

std::u32string normalised(const QString& line) {
    const std::u32string text = line.simplified().toStdU32String();
    std::u32string kept;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool between = i > 0 && i + 1 < text.size();
        if (text[i] == U' ' && between && (unspaced(text[i - 1]) || unspaced(text[i + 1]))) continue;
        kept.push_back(text[i]);
    }
    return kept;
}

std::u32string trimmed(const std::u32string& text) {
    const size_t first = text.find_first_not_of(U' ');
    if (first == std::u32string::npos) return {};
    return text.substr(first, text.find_last_not_of(U' ') - first + 1);
}

// The substring of `container` closest to all of `part`, and the edits
// between them; when `whole`, all of `container`.
struct Placement {
    size_t begin = 0;
    size_t end = 0;
    size_t cost = 0;
};

Placement place(const std::u32string& part, const std::u32string& container, bool whole) {
    const size_t width = container.size() + 1;
    std::vector<size_t> cost(width), start(width), previousCost(width), previousStart(width);
    if (whole)
        std::iota(cost.begin(), cost.end(), size_t(0));
    else
        std::iota(start.begin(), start.end(), size_t(0));
    for (size_t i = 1; i <= part.size(); ++i) {
        previousCost.swap(cost);
        previousStart.swap(start);
        cost[0] = i;
        start[0] = 0;
        for (size_t j = 1; j < width; ++j) {
            cost[j] = previousCost[j - 1] + (part[i - 1] != container[j - 1]);
            start[j] = previousStart[j - 1];
            if (previousCost[j] + 1 < cost[j]) cost[j] = previousCost[j] + 1, start[j] = previousStart[j];
            if (cost[j - 1] + 1 < cost[j]) cost[j] = cost[j - 1] + 1, start[j] = start[j - 1];
        }
    }
    const size_t end = whole ? container.size() : size_t(std::min_element(cost.begin(), cost.end()) - cost.begin());
    return {start[end], end, cost[end]};
}

struct Match {
    size_t known;
    size_t found;
    bool knownContains;  // the known segment is the longer one
    Placement placement;
    size_t saved;  // errors fewer than leaving both unmatched
};

// Close pairs: the shorter segment anywhere in the longer one, at least half
// of it matching. Otherwise any pair, whole segments, as an edit distance
// pairs a misreading with what it misread.
std::optional<Match> pair(const std::u32string& known, const std::u32string& found, bool close) {
    const bool knownContains = known.size() > found.size();
    const std::u32string& shorter = knownContains ? found : known;
    const std::u32string& longer = knownContains ? known : found;
    const Placement placement = place(shorter, longer, !close);
    if (close && placement.cost * 2 > shorter.size()) return std::nullopt;
    const size_t matched = shorter.size() + placement.end - placement.begin;
    return Match{0, 0, knownContains, placement, matched - placement.cost};
}

std::optional<Match> bestMatch(const std::vector<std::u32string>& known, const std::vector<std::u32string>& found,
                               bool close) {
    std::optional<Match> best;
    for (size_t k = 0; k < known.size(); ++k) {
        for (size_t f = 0; f < found.size(); ++f) {
            std::optional<Match> match = pair(known[k], found[f], close);
            if (!match || (best && match->saved <= best->saved)) continue;
            best = match;
            best->known = k;
            best->found = f;
        }
    }
    return best;
}

// Takes the matched part out of the longer segment, keeping what is left on
// either side for other matches.
void cut(std::vector<std::u32string>& segments, size_t index, const Placement& placement) {
    const std::u32string whole = segments[index];
    segments.erase(segments.begin() + qsizetype(index));
    for (const std::u32string& rest : {whole.substr(0, placement.begin), whole.substr(placement.end)})
        if (std::u32string left = trimmed(rest); !left.empty()) segments.push_back(std::move(left));
}

}  // namespace

RecognitionErrors compareLines(const QStringList& known, const QStringList& recognised) {
    RecognitionErrors result;
    std::vector<std::u32string> knownLeft, foundLeft;
    std::u32string page;
    for (const QString& line : known) {
        if (std::u32string text = normalised(line); !text.empty()) {
            result.characters += qsizetype(text.size());
            page += text + U'\n';
            knownLeft.push_back(std::move(text));
        }
    }
    for (const QString& line : recognised) {
        if (std::u32string text = normalised(line); !text.empty()) {
            // Junk: not even a quarter of it is anywhere on the page.
            if (4 * (text.size() - place(text, page, false).cost) < text.size()) ++result.junkLines;
            foundLeft.push_back(std::move(text));
        }
    }
    const auto matchAll = [&](bool close) {
        while (const std::optional<Match> match = bestMatch(knownLeft, foundLeft, close)) {
            result.errors += qsizetype(match->placement.cost);
            if (match->knownContains) {
                foundLeft.erase(foundLeft.begin() + qsizetype(match->found));
                cut(knownLeft, match->known, match->placement);
            } else {
                knownLeft.erase(knownLeft.begin() + qsizetype(match->known));
                cut(foundLeft, match->found, match->placement);
            }
        }
    };
    // Close matches first, so that every segment finds its own partner.
    matchAll(true);
    matchAll(false);
    for (const std::u32string& text : knownLeft) result.errors += qsizetype(text.size());
    for (const std::u32string& text : foundLeft) result.errors += qsizetype(text.size());
    return result;
}

}  // namespace tavero::bench
