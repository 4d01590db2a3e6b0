// The e-mail mode's rules, one table per rule: international domains, local parts, several
// addresses on a line, provider aliases, and the form normalize writes.
#include "engine/AddressList.h"
#include "engine/Matching.h"
#include "engine/Operations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Quorvane;

namespace {

constexpr MatchMode kAddresses{.email = true};
constexpr MatchMode kAddressesIgnoringCase{.ignoreCase = true, .email = true};
constexpr MatchMode kAddressesWithAliases{.email = true, .providerAliases = true};

struct AddressPair
{
    const char *first;
    const char *second;
    bool same;
};

void expectCompared(const MatchMode &mode, const std::vector<AddressPair> &cases)
{
    for (const AddressPair &test : cases) {
        EXPECT_EQ(matchKey(test.first, mode) == matchKey(test.second, mode), test.same)
            << test.first << " / " << test.second << ": " << matchKey(test.first, mode) << " / "
            << matchKey(test.second, mode);
    }
}

std::string written(const std::string &text, const MatchMode &mode)
{
    KeyMaker maker(mode, AddressKeys::Use::Writing);
    return std::string(maker.keyOf(text));
}

} // namespace

TEST(AddressRules, DomainsCompareInTheirAsciiForm)
{
    expectCompared(kAddresses, {
        {"ann@b\xC3\xBC" "cher.de", "ann@xn--bcher-kva.de", true},
        {"ann@B\xC3\x9C" "CHER.DE", "ann@XN--BCHER-KVA.de", true},
        {"ann@stra\xC3\x9F" "e.de", "ann@strasse.de", false}, // non-transitional: xn--strae-oqa.de
        {"ann@stra\xC3\x9F" "e.de", "ann@xn--strae-oqa.de", true},
        {"ann@\xEF\xBC\xA5X.org", "ann@ex.org", true},         // a full-width letter maps
        {"ann@b\xFC" "cher.de", "ann@xn--bcher-kva.de", true}, // Latin-1 as shown
        {"ann@xn--zz.DE", "ann@xn--zz.de", true},              // does not map: its text, folded
        {"ann@-b\xC3\xBC.de", "ann@-B\xC3\x9C.DE", true},
        {"ann@-b\xC3\xBC.de", "ann@-bu.de", false},
    });
}

TEST(AddressRules, LocalPartsAreComposedAndSimplyFolded)
{
    expectCompared(kAddresses, {
        {"Stra\xC3\x9F" "e@x.org", "strasse@x.org", false},
        {"STRA\xE1\xBA\x9E" "E@x.org", "stra\xC3\x9F" "e@x.org", true}, // capital sharp s, one to one
        {"Jos\xC3\xA9@x.org", "jose\xCC\x81@x.org", true},             // composed and decomposed
        {"J\xC3\x89R\xC3\x94ME@x.org", "j\xC3\xA9r\xC3\xB4me@x.org", true},
        {"\xC4\xB0@x.org", "i@x.org", false},                            // dotted capital I stays
        {"Ann@X.org", "ann@x.org", true},
    });
    expectCompared(kAddressesIgnoringCase, {
        {"Stra\xC3\x9F" "e@x.org", "strasse@x.org", true},
        {"ann@stra\xC3\x9F" "e.de", "ann@strasse.de", false},
    });
}

TEST(AddressRules, SeveralAddressesCompareAsTheirList)
{
    expectCompared(kAddresses, {
        {"Bob <bob@y.org>, Cid <cid@z.org>", "bob@Y.org;cid@z.org", true},
        {"Bob <bob@y.org>, Cid <cid@z.org>", "cid@z.org", false},
        {"Bob <bob@y.org>, Cid <cid@z.org>", "cid@z.org, bob@y.org", false}, // in order
        {"\"Smith, Ann\" <ann@x.org>", "ann@x.org", true},                   // quoted comma
        {"Smith, Ann <ann@x.org>", "ann@x.org", true},                        // a name's comma
        {"<ann@x.org, bob@y.org>", "ann@x.org, bob@y.org", true},            // inside brackets
        {"ann@x.org,", "ann@x.org", true},
        {"ann@x.org,, ;bob@y.org", "ann@x.org, bob@y.org", true},
    });
}

TEST(AddressRules, EachAddressOfALineKeepsItsText)
{
    const std::vector<std::pair<std::string, std::vector<std::string_view>>> cases = {
        {"Bob <bob@y.org>, Cid <cid@z.org>", {"Bob <bob@y.org>", "Cid <cid@z.org>"}},
        {" a@x.org ;\"b;c\"@y.org,", {"a@x.org", "\"b;c\"@y.org"}},
        {"Smith, John <john@x.org>; Ann <ann@x.org>", {"Smith, John <john@x.org>", "Ann <ann@x.org>"}},
        {"a@x.org, b@y.org, trailing words", {"a@x.org", "b@y.org, trailing words"}},
        {"\"a\\\"b, c@d\" <q@x.org>, r@y.org", {"\"a\\\"b, c@d\" <q@x.org>", "r@y.org"}},
        {"Smith, John <john@x.org>", {"Smith, John <john@x.org>"}},
        {"ann@x.org;", {"ann@x.org"}},
        {"no, address, here", {}},
        {"", {}},
    };
    for (const auto &[line, addresses] : cases)
        EXPECT_EQ(addressesOf(line), addresses) << line;
}

TEST(AddressRules, ProviderAliasesReachOneMailbox)
{
    expectCompared(kAddressesWithAliases, {
        {"J.Doe+news@gmail.com", "jdoe@googlemail.com", true},
        {"j.doe@GMAIL.com", "jdoe@gmail.com", true},
        {"jdoe+a@outlook.com", "jdoe@outlook.com", true},
        {"j.doe@outlook.com", "jdoe@outlook.com", false}, // dots count outside Gmail
        {"jdoe+a@x.org", "jdoe@x.org", false},            // no documented plus addressing
        {"+tag@gmail.com", "@gmail.com", false},          // the plus starts the local part
        {"\"j.doe\"@gmail.com", "jdoe@gmail.com", false}, // quoted local parts stay
        {"Ann <a.nn+x@gmail.com>, b+y@proton.me", "ann@gmail.com, b@proton.me", true},
    });
    expectCompared(kAddresses, {{"j.doe@gmail.com", "jdoe@gmail.com", false}});
}

TEST(AddressRules, NormalizeWritesDomainsInUnicodeOrAscii)
{
    const MatchMode ascii{.email = true, .asciiDomains = true};
    const std::vector<std::vector<std::string>> cases = {
        // line, written, written with ASCII domains
        {"Ann <ANN@xn--BCHER-kva.DE>", "ann@b\xC3\xBC" "cher.de", "ann@xn--bcher-kva.de"},
        {"ann@B\xC3\x9C" "CHER.de", "ann@b\xC3\xBC" "cher.de", "ann@xn--bcher-kva.de"},
        {"Bob <bob@Y.org>; cid@stra\xC3\x9F" "e.de", "bob@y.org, cid@stra\xC3\x9F" "e.de", "bob@y.org, cid@xn--strae-oqa.de"},
        {"x@xn--zz.DE", "x@xn--zz.de", "x@xn--zz.de"},
    };
    for (const std::vector<std::string> &test : cases) {
        EXPECT_EQ(written(test[0], kAddresses), test[1]) << test[0];
        EXPECT_EQ(written(test[0], ascii), test[2]) << test[0];
        EXPECT_EQ(matchKey(test[0], kAddresses), test[2]) << test[0];
    }
}
