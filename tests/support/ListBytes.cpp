#include "ListBytes.h"

#include <iterator>

namespace Quorvane::Samples {

std::string numberedLines(std::size_t count, const std::string &prefix, const std::string &suffix)
{
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes += prefix + std::to_string(i) + suffix + '\n';
    return bytes;
}

std::string randomListBytes(std::mt19937 &random, std::size_t lineCount)
{
    static const std::string kWords[] = {"a@example.org", "A@example.org", " a@example.org", "", "b@x.net",
                                         "mailto:c@y.com", std::string("n\0l", 3), "\xC3\x89@z", "\xE9@z", "zz"};
    static const char *const kEnds[] = {"\n", "\r\n", "\r"};
    std::string bytes;
    for (std::size_t i = 0; i < lineCount; ++i) {
        const std::size_t pick = random() % 14;
        if (pick < std::size(kWords))
            bytes += kWords[pick];
        else
            bytes += "user" + std::to_string(random() % (lineCount / 2 + 1)) + "@example.org";
        if (i + 1 < lineCount || random() % 2 == 0)
            bytes += kEnds[random() % std::size(kEnds)];
    }
    return bytes;
}

std::string randomTableBytes(std::mt19937 &random, std::size_t rowCount)
{
    static const std::string kNames[] = {"Ann", "\"Lee, Ann\"", "\"two\r\nlines\"", "\"say \"\"hi\"\"\"", "", "\"\""};
    static const std::string kAddresses[] = {"a@example.org", "A@Example.org", "\" a@example.org\"", "\"Ann <a@example.org>\"",
                                             "", "b@x.net", "\"b@x.net\"", "\"c,\nd@y.com\""};
    std::string bytes = "Name,Email,Note\r\n";
    for (std::size_t i = 0; i < rowCount; ++i) {
        bytes += kNames[random() % std::size(kNames)];
        if (random() % 10 != 0) { // else a row too short for the address
            const std::size_t pick = random() % (std::size(kAddresses) + 3);
            bytes += ',';
            if (pick < std::size(kAddresses)) {
                bytes += kAddresses[pick];
            } else {
                bytes += 'u';
                bytes += std::to_string(random() % (rowCount / 2 + 1));
                bytes += "@x.org";
            }
            bytes += random() % 2 == 0 ? ",note" : ",";
        }
        if (i + 1 < rowCount || random() % 2 == 0)
            bytes += "\r\n";
    }
    return bytes;
}

} // namespace Quorvane::Samples
