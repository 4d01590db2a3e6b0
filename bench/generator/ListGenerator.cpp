// Writes reproducible e-mail-like lists for the benchmarks.
//
//   quorvane-listgen LINES [--second] [--start VALUE]
//
// The first list has about 30% repeated lines and 1% blank lines. With --second it writes
// the matching second list instead: half of its lines are addresses of the first list,
// half are new. The same arguments always give the same bytes, on every machine.

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::uint64_t kDefaultStart = 20151219;
constexpr unsigned kRepeatPercent = 30;
constexpr unsigned kBlankPerMille = 10;
constexpr unsigned kSharedPercent = 50;

// A small generator with a fixed, documented sequence (unlike the standard distributions).
class SplitMix
{
public:
    explicit SplitMix(std::uint64_t start)
        : m_state(start)
    {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint64_t below(std::uint64_t bound) { return next() % bound; }

private:
    std::uint64_t m_state;
};

constexpr std::array<std::string_view, 24> kSyllables = {
    "an", "bel", "cor", "da", "el", "fin", "gar", "ha", "is", "jo", "ka", "lin",
    "mar", "no", "ol", "pe", "quin", "ra", "sol", "ta", "ul", "ve", "wen", "zo"};
constexpr std::array<std::string_view, 12> kDomains = {
    "example.com", "example.org", "example.net", "mail.example.com", "post.example.org",
    "inbox.example.net", "corp.example.com", "uni.example.edu", "shop.example.com",
    "news.example.org", "home.example.net", "team.example.com"};

// The address of one identity: the same number always gives the same text, and
// different numbers never give the same text (the number is part of it).
void appendAddress(std::string &out, std::uint64_t identity)
{
    SplitMix mix(identity * 7919 + 17);
    const std::uint64_t firstLength = 1 + mix.below(3);
    for (std::uint64_t i = 0; i < firstLength; ++i)
        out += kSyllables[mix.below(kSyllables.size())];
    out += '.';
    const std::uint64_t lastLength = 1 + mix.below(3);
    for (std::uint64_t i = 0; i < lastLength; ++i)
        out += kSyllables[mix.below(kSyllables.size())];
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, identity, 36).ptr;
    out.append(digits, end);
    out += '@';
    out += kDomains[mix.below(kDomains.size())];
}

// The identities of the first list's lines: a line repeats an earlier one or takes the next new identity.
class FirstList
{
public:
    explicit FirstList(std::uint64_t start)
        : m_random(start)
    {}
    // Returns the identity of the next line, or nothing for a blank line.
    bool next(std::uint64_t &identity)
    {
        if (m_random.below(1000) < kBlankPerMille)
            return false;
        if (!m_seen.empty() && m_random.below(100) < kRepeatPercent)
            identity = m_seen[m_random.below(m_seen.size())];
        else
            identity = m_seen.emplace_back(m_seen.size());
        return true;
    }
    std::uint64_t distinctCount() const { return m_seen.size(); }

private:
    SplitMix m_random;
    std::vector<std::uint64_t> m_seen;
};

class Output
{
public:
    ~Output() { flush(); }
    std::string &buffer() { return m_buffer; }
    void endLine()
    {
        m_buffer += '\n';
        if (m_buffer.size() >= (1u << 20))
            flush();
    }

private:
    void flush()
    {
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
        m_buffer.clear();
    }
    std::string m_buffer;
};

void writeFirstList(std::uint64_t lines, std::uint64_t start)
{
    FirstList list(start);
    Output out;
    for (std::uint64_t line = 0; line < lines; ++line) {
        std::uint64_t identity = 0;
        if (list.next(identity))
            appendAddress(out.buffer(), identity);
        out.endLine();
    }
}

void writeSecondList(std::uint64_t lines, std::uint64_t start)
{
    FirstList first(start);
    for (std::uint64_t line = 0; line < lines; ++line) {
        std::uint64_t ignored = 0;
        first.next(ignored);
    }
    const std::uint64_t shared = first.distinctCount();
    SplitMix random(start ^ 0x5EC0D11575ull);
    Output out;
    std::uint64_t nextNew = shared;
    for (std::uint64_t line = 0; line < lines; ++line) {
        const bool fromFirst = shared > 0 && random.below(100) < kSharedPercent;
        appendAddress(out.buffer(), fromFirst ? random.below(shared) : nextNew++);
        out.endLine();
    }
}

bool parseNumber(const char *text, std::uint64_t &value)
{
    const char *end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, value);
    return result.ec == std::errc() && result.ptr == end;
}

} // namespace

int main(int argc, char *argv[])
{
    std::uint64_t lines = 0;
    std::uint64_t start = kDefaultStart;
    bool second = false;
    bool valid = argc >= 2 && parseNumber(argv[1], lines);
    for (int i = 2; valid && i < argc; ++i) {
        if (std::strcmp(argv[i], "--second") == 0)
            second = true;
        else if (std::strcmp(argv[i], "--start") == 0 && i + 1 < argc)
            valid = parseNumber(argv[++i], start);
        else
            valid = false;
    }
    if (!valid) {
        std::fputs("Usage: quorvane-listgen LINES [--second] [--start VALUE]\n", stderr);
        return 2;
    }
    if (second)
        writeSecondList(lines, start);
    else
        writeFirstList(lines, start);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
