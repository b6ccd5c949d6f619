#include "recorder/fileutil/filter_key.h"

#include <gtest/gtest.h>

using namespace recorder;
using namespace recorder::keyfilter;

namespace {

struct Row {
    int key;
    int flags;
    int expected;
};

void check(const Row* begin, const Row* end)
{
    for (const Row* r = begin; r != end; ++r)
        EXPECT_EQ(FilterKey(r->key, r->flags), r->expected) << "key " << r->key << " flags " << r->flags;
}

TEST(FilterKey, EditingKeysAlwaysPass)
{
    const Row rows[] = {
        {8, kDigitsOnly | kLettersOnly, 8},
        {13, kDigitsAndSlash, 13},
        {27, kTimeOfDay | kNoSpaces, 27},
        {46, kLettersOnly | kUpperCase, 46},
    };
    check(std::begin(rows), std::end(rows));
}

TEST(FilterKey, DigitsOnlyAndItsExceptions)
{
    const Row rows[] = {
        {'7', kDigitsOnly, '7'},
        {'a', kDigitsOnly, 0},
        {'-', kDigitsOnly, 0},
        {'-', kDigitsOnly | kAllowMinus, '-'},
        {109, kDigitsOnly | kAllowMinus, 109},
        {'#', kDigitsOnly, 0},
        {'#', kDigitsOnly | kAllowHash, '#'},
        {'*', kDigitsOnly | kAllowStar, '*'},
        {'*', kDigitsOnly | kAllowHash, 0},
        {110, kDigitsOnly | kAllowDecimalKey, 110},
        {' ', kDigitsOnly | kAllowSpace, ' '},
        {' ', kDigitsOnly | kAllowSpace | kNoSpaces, 0},
        {'-', kAllowMinus, '-'}, // exceptions alone restrict nothing
    };
    check(std::begin(rows), std::end(rows));
}

TEST(FilterKey, OtherRestrictions)
{
    const Row rows[] = {
        {'3', kDigitsAndSlash, '3'},
        {'/', kDigitsAndSlash, '/'},
        {111, kDigitsAndSlash, 111},
        {'-', kDigitsAndSlash, 0},
        {':', kTimeOfDay, ':'},
        {';', kTimeOfDay, ';'},
        {'P', kTimeOfDay, 'P'},
        {'m', kTimeOfDay, 'm'},
        {'m', kTimeOfDay | kUpperCase, 'M'},
        {'B', kTimeOfDay, 0},
        {'q', kLettersOnly, 'q'},
        {'Q', kLettersOnly, 'Q'},
        {'5', kLettersOnly, 0},
        {0xE9, kLettersOnly, 0}, // "é" is no letter A-Z
        {'/', kDigitsOnly | kDigitsAndSlash, 0},
    };
    check(std::begin(rows), std::end(rows));
}

TEST(FilterKey, ChangesAppliedAfterTheRestrictions)
{
    const Row rows[] = {
        {'q', kUpperCase, 'Q'},
        {0xE9, kUpperCase, 0xC9}, // "é" to "É"
        {'1', kUpperCase, '1'},
        {' ', kNoSpaces, 0},
        {'"', kQuoteToApostrophe, '\''},
        {'\'', kNoApostrophes, 0},
        {'"', kQuoteToApostrophe | kNoApostrophes, 0}, // swallowing apostrophes comes last
        {'"', kNoApostrophes, '"'},
        {'x', 0, 'x'},
    };
    check(std::begin(rows), std::end(rows));
}

} // namespace
