// Which addresses validate keeps, rule by rule, what it says of the others, and that it judges a
// line as it judges the line's compared e-mail form.
#include "tests/support/ListTexts.h"
#include "tests/support/UnexpectedErrors.h"

#include "tests/reference/ReferenceAddresses.h"

#include "engine/AddressVerdict.h"
#include "engine/Operations.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace Quorvane;
using namespace Quorvane::Samples;

namespace {

using R = AddressRefusal;

struct VerdictCase
{
    std::string text;
    AddressRefusal expected;
};

void expectMailboxVerdicts(const std::vector<VerdictCase> &cases, bool common = false)
{
    for (const VerdictCase &c : cases)
        EXPECT_EQ(judgeMailbox(c.text, common), c.expected) << describe({c.text});
}

void expectLineVerdicts(const std::vector<VerdictCase> &cases)
{
    for (const VerdictCase &c : cases)
        EXPECT_EQ(judgeAddressLine(c.text, false), c.expected) << describe({c.text});
}

std::string repeated(const std::string &piece, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

} // namespace

TEST(AddressRules, LocalParts)
{
    expectMailboxVerdicts({
        {"simple@example.org", R::Valid}, {"first.last@example.org", R::Valid},
        {"a!#$%&'*+-/=?^_`{|}~z@example.org", R::Valid},
        {"\xC3\xBC" "ser@example.org", R::Valid},                       // UTF-8 local part
        {"\xE7\x94\xA8\xE6\x88\xB7@example.org", R::Valid}, {".lead@example.org", R::BadLocalPart},
        {"trail.@example.org", R::BadLocalPart}, {"two..dots@example.org", R::BadLocalPart},
        {"@example.org", R::BadLocalPart}, {"with space@example.org", R::BadLocalPart},
        {"a(comment)@example.org", R::BadLocalPart}, {"a\\b@example.org", R::BadLocalPart},
        {"a\xFF" "b@example.org", R::BadLocalPart},                        // not UTF-8
        {"not-an-email", R::NoAtSign}, {"x@@y.com", R::BadDomain},
    });
}

TEST(AddressRules, QuotedStrings)
{
    expectMailboxVerdicts({
        {"\"john doe\"@example.org", R::Valid}, {"\"a@b\"@example.org", R::Valid}, {"\"\"@example.org", R::Valid},
        {"\"a\\\"b\"@example.org", R::Valid},   // an escaped quote
        {"\"a\\\\b\"@example.org", R::Valid},   // an escaped backslash
        {"\"a\\ b\"@example.org", R::Valid}, {"\"\xC3\xBC\"@example.org", R::Valid},
        {"\"a\"b\"@example.org", R::BadLocalPart}, {"\"unclosed@example.org", R::BadLocalPart},
        {"\"tab\there\"@example.org", R::BadLocalPart}, {"\"a\\\x01\"@example.org", R::BadLocalPart},
        {"\"a\".b@example.org", R::BadLocalPart}, {"\"no at sign\"", R::NoAtSign},
    });
}

TEST(AddressRules, Domains)
{
    expectMailboxVerdicts({
        {"a@example", R::Valid}, {"a@sub.example.co.uk", R::Valid}, {"a@x-y.example", R::Valid},
        {"a@1.2.3.4", R::Valid}, {"a@xn--bcher-kva.de", R::Valid},
        {"a@b\xC3\xBC" "cher.de", R::Valid},                                // an international domain
        {"a@\xE4\xBE\x8B\xE5\xAD\x90.\xE5\xB9\xBF\xE5\x91\x8A", R::Valid}, {"a@", R::BadDomain},
        {"a@-example.org", R::BadDomain}, {"a@example-.org", R::BadDomain}, {"a@ex_ample.org", R::BadDomain},
        {"a@example.org.", R::BadDomain}, {"a@.example.org", R::BadDomain}, {"a@example..org", R::BadDomain},
        {"a@b c.org", R::BadDomain}, {"a@b@c.org", R::BadDomain},
        {"a@exa\xE2\x98\x83mple.org", R::BadDomain},                       // a snowman is no letter
        {"a@192.0.2.1]", R::BadDomain},
    });
}

TEST(AddressRules, AddressLiterals)
{
    expectMailboxVerdicts({
        {"a@[192.0.2.1]", R::Valid}, {"a@[255.255.255.255]", R::Valid}, {"a@[IPv6:2001:db8::1]", R::Valid},
        {"a@[ipv6:2001:DB8:0:0:0:0:0:1]", R::Valid}, {"a@[IPv6:::1]", R::Valid}, {"a@[IPv6:::]", R::Valid},
        {"a@[IPv6::::]", R::BadAddressLiteral}, {"a@[IPv6:1:2:3::6:7:8]", R::Valid},
        {"a@[IPv6:::ffff:192.0.2.1]", R::Valid}, {"a@[IPv6:1:2:3:4:5:6:192.0.2.1]", R::Valid},
        {"a@[IPv6:1:2:3:4::192.0.2.1]", R::Valid}, {"a@[256.1.1.1]", R::BadAddressLiteral},
        {"a@[1.2.3]", R::BadAddressLiteral}, {"a@[1.2.3.4.5]", R::BadAddressLiteral},
        {"a@[1.2.3.]", R::BadAddressLiteral}, {"a@[192.0.2.1", R::BadAddressLiteral}, {"a@[]", R::BadAddressLiteral},
        {"a@[IPv6:1:2:3:4:5:6:7]", R::BadAddressLiteral}, {"a@[IPv6:1:2:3:4:5:6:7:8:9]", R::BadAddressLiteral},
        {"a@[IPv6:1:2:3:4:5:6:7::]", R::BadAddressLiteral}, {"a@[IPv6::]", R::BadAddressLiteral},
        {"a@[IPv6:1::2::3]", R::BadAddressLiteral}, {"a@[IPv6:12345::]", R::BadAddressLiteral},
        {"a@[IPv6:1:2:3:4:5:192.0.2.1]", R::BadAddressLiteral},
        {"a@[IPv6:1:2:3:4:5::192.0.2.1]", R::BadAddressLiteral}, {"a@[IPv6:1::2:300.0.0.1]", R::BadAddressLiteral},
        {"a@[x400:c=gb]", R::BadAddressLiteral},
    });
}

TEST(AddressRules, Lengths)
{
    const std::string label63 = repeated("d", 63);
    // 1 + 1 + 252 octets, and 64 + 1 + 189: the longest addresses, with the domain in labels of 63.
    const std::string domain252 = label63 + '.' + label63 + '.' + label63 + '.' + repeated("d", 60);
    const std::string domain189 = label63 + '.' + label63 + '.' + repeated("d", 61);
    expectMailboxVerdicts({
        {repeated("a", 64) + "@x.org", R::Valid}, {repeated("a", 65) + "@x.org", R::TooLong},
        {repeated("\xC3\xBC", 32) + "@x.org", R::Valid},           // octets, not characters
        {repeated("\xC3\xBC", 33) + "@x.org", R::TooLong},
        {'"' + repeated("q", 62) + "\"@x.org", R::Valid},          // the quotes count
        {'"' + repeated("q", 63) + "\"@x.org", R::TooLong}, {"a@" + label63 + ".org", R::Valid},
        {"a@" + label63 + "d.org", R::TooLong}, {"a@" + domain252, R::Valid}, {"a@" + domain252 + "d", R::TooLong},
        {repeated("a", 64) + "@" + domain189, R::Valid}, {repeated("a", 64) + "@" + domain189 + "d", R::TooLong},
    });
}

TEST(AddressRules, CommonRulesRefuseWhatServicesRefuse)
{
    expectMailboxVerdicts({
        {"ann@example.org", R::Valid}, {"\xC3\xBC@b\xC3\xBC" "cher.de", R::Valid},
        {"\"ann\"@example.org", R::QuotedLocalPart}, {"ann@[192.0.2.1]", R::AddressLiteral},
        {"ann@localhost", R::SingleLabelDomain}, {"ann@1.2.3.4", R::NumericTopLevelDomain},
        {"ann@example.123", R::NumericTopLevelDomain},
        {"ann@-x.org", R::BadDomain},   // the grammar first
    },
                          true);
}

TEST(AddressLines, AroundTheAddressAsTheEmailModeTakesIt)
{
    expectLineVerdicts({
        {"Ann <ann@x.org>", R::Valid}, {"\"Doe, Ann\" <ann@x.org>", R::Valid}, {"  <ann@x.org>\t", R::Valid},
        {"mailto:ann@x.org", R::Valid}, {"MAILTO:ann@x.org", R::Valid}, {"\"ann@x.org\"", R::Valid},
        {"'ann@x.org'", R::Valid}, {"'<ann@x.org>'", R::Valid}, {"mailto:\"ann@x.org\"", R::Valid},
        {"caf\xE9@x.org", R::Valid},                        // Latin-1, read as shown
        {"", R::Blank}, {" \xC2\xA0 ", R::Blank}, {"<>", R::Blank}, {"mailto:", R::Blank},
        {"Ann <ann@x.org", R::BadLocalPart}, {"ann@x.org,", R::Valid}, // a blank piece is nothing
    });
}

TEST(AddressLines, SeveralAddresses)
{
    expectLineVerdicts({
        {"Bob <bob@y.org>, Cid <cid@z.org>", R::SeveralAddresses}, {"bob@y.org;cid@z.org", R::SeveralAddresses},
        // A piece without "@" is a display name cut by its comma, read with the address after it.
        {"a,b@x.org", R::BadLocalPart}, {"\"a,b\"@x.org", R::Valid},
        {"\"Doe; \\\"Ann, \\\"\" <ann@x.org>", R::Valid}, {"<ann@x.org, bob@y.org>", R::SeveralAddresses},
        {" , ann@x.org", R::Valid},
    });
}

TEST(RemoveInvalidAddresses, KeepsTheValidInOrderAndCountsTheOthersByReason)
{
    ItemList list = listOf({"ann@x.org", "junk", "", "Bob <bob@y.org>", "x@@y.com", "a@b, c@d", "nope", "\"q\"@x.org"});
    ItemList removed;
    RefusalCounts refusals;
    OperationHost host = quietHost(&removed);
    host.refusals = &refusals;
    RemoveInvalidAddresses(list, host, {.commonAddresses = true});
    EXPECT_EQ(textsOf(list), (std::vector<std::string>{"ann@x.org", "Bob <bob@y.org>"}));
    EXPECT_EQ(textsOf(removed), (std::vector<std::string>{"junk", "", "x@@y.com", "a@b, c@d", "nope", "\"q\"@x.org"}));
    EXPECT_EQ(refusals.total(), 6u);
    EXPECT_EQ(refusals.of(R::NoAtSign), 2u);
    EXPECT_EQ(refusals.described(),
              "1 blank, 1 with several addresses, 2 without an @, 1 with an invalid domain, "
              "1 with a quoted local part");
}

namespace {

// Lines of pieces that make addresses valid and invalid in every way, wrapped as people write them.
// The pieces keep their octet count when case is folded (unlike K or İ, whose folded forms are
// shorter or longer). What the compared form drops (a display name, what stands before the last
// "<", outer quotes) holds no comma or semicolon outside quotes and angle brackets that would part
// the line: the addresses hold no angle brackets, and one in quotes no quotes.
std::vector<std::string> randomAddressLines(unsigned start, int count)
{
    const std::vector<std::string> pieces = {
        "a", "Z", "0", ".", "..", "-", "_", "+", "@", "@@", "\"", "\\", " ", ",", ";", "[", "]", ":",
        "x.org", "EXAMPLE.COM", "IPv6:", "::1", "192.0.2.1", "\xC3\xA9", "\xC3\x89", "\xC3\x9F", "\xCE\xA3",
        "\xE4\xBE\x8B", "\xE2\x98\x83", "\xE9", "\xC2\xA0", "mailto:", std::string(40, 'l')};
    const std::vector<std::string> names = {"", "Ann ", "\"Doe, Ann\" ", "ANN\xC3\x89 ", "'q' "};
    std::mt19937 random(start);
    const auto pick = [&](const std::vector<std::string> &from) { return from[random() % from.size()]; };
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        std::string address;
        for (std::size_t n = 1 + random() % 3; n > 0; --n)
            address += pick(pieces);
        address += random() % 4 == 0 ? "" : "@";
        for (std::size_t n = 1 + random() % 3; n > 0; --n)
            address += pick(pieces);
        switch (random() % 5) {
        case 0: address = "mailto:" + address; break;
        case 1:
            if (address.find('"') == std::string::npos)
                address = "\"" + address + "\"";
            break;
        case 2: address = pick(names) + "<" + address + ">"; break;
        default: break;
        }
        lines.push_back(address);
    }
    return lines;
}

} // namespace

// A line is kept exactly when its compared e-mail form, as normalize --email writes it, would be
// kept on its own.
TEST(RemoveInvalidAddresses, JudgesALineAsItsComparedForm)
{
    const std::vector<std::string> lines = randomAddressLines(23, 20000);
    ItemList kept = listOf(lines);
    RemoveInvalidAddresses(kept, quietHost());
    ItemList compared = listOf(lines);
    replaceByKeys(compared, {.email = true});
    const std::vector<std::string> forms = textsOf(compared);
    std::size_t next = 0;
    const std::vector<std::string> keptLines = textsOf(kept);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ItemList alone = listOf({forms[i]});
        RemoveInvalidAddresses(alone, quietHost());
        const bool lineKept = next < keptLines.size() && keptLines[next] == lines[i];
        next += lineKept ? 1 : 0;
        EXPECT_EQ(lineKept, !alone.isEmpty()) << describe({lines[i], forms[i]});
    }
    EXPECT_GT(keptLines.size(), 1000u);
    EXPECT_LT(keptLines.size(), lines.size() - 1000);
}

// The random lists of the differential test seldom make an address; these lines often do.
TEST(RemoveInvalidAddresses, AgreesWithTheReferenceOnRandomAddresses)
{
    for (const bool common : {false, true}) {
        for (const std::string &line : randomAddressLines(29, 5000)) {
            EXPECT_EQ(judgeAddressLine(line, common) == AddressRefusal::Valid,
                      Reference::holdsValidAddress(line, common))
                << describe({line}) << (common ? " by the common rules" : "");
        }
    }
}
