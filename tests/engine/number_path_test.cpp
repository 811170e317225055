// The deck reader's fast path for short decimals against std::from_chars:
// millions of generated numbers (1-9 significant digits, 0-12 decimals, with
// and without signs, leading zeros and exponents) must read as the correctly
// rounded float, bit for bit, whatever separates them, and the walk that
// passes over values without reading them accepts every one of them and
// stops at a damaged one. Numbers just beyond the fast path's digit and
// decimal limits are generated as often as those within them, so widening
// either limit is caught.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/deck_reader.h"
#include "support/test_files.h"

namespace {

using vek::engine::DeckReader;

// One generated decimal in the deck's notation.
std::string generate(std::mt19937_64 &rng) {
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int digits = pick(1, 9);
    const int decimals = pick(0, 12);
    std::string mantissa(1, static_cast<char>('1' + pick(0, 8)));
    for (int i = 1; i < digits; ++i)
        mantissa += static_cast<char>('0' + pick(0, 9));
    std::string s;
    switch (pick(0, 5)) {
    case 0:
        s = "-";
        break;
    case 1:
        s = "+";
        break;
    default:
        break;
    }
    if (pick(0, 7) == 0) s += "00";
    if (decimals >= digits) {
        s += "0." + std::string(static_cast<std::size_t>(decimals - digits), '0') + mantissa;
    } else {
        s += mantissa.substr(0, static_cast<std::size_t>(digits - decimals));
        if (decimals > 0 || pick(0, 3) == 0) s += "." + mantissa.substr(static_cast<std::size_t>(digits - decimals));
    }
    if (pick(0, 9) == 0) {
        s += pick(0, 1) ? "e" : "D";
        const int e = pick(-40, 40);
        s += (e >= 0 && pick(0, 1)) ? "+" + std::to_string(e) : std::to_string(e);
    }
    return s;
}

// The correctly rounded float of a deck number, as from_chars reads it.
bool reference(std::string t, float &out) {
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    for (char &c : t)
        if (c == 'D') c = 'e';
    auto r = std::from_chars(t.data(), t.data() + t.size(), out);
    if (r.ec == std::errc::result_out_of_range) {
        // Underflow reads as the nearest float; what rounds to infinity fails.
        double d = 0.0;
        r = std::from_chars(t.data(), t.data() + t.size(), d);
        out = static_cast<float>(d);
        if (r.ec != std::errc() || std::isinf(out)) return false;
    }
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

std::uint32_t bits(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

} // namespace

TEST(DeckNumberPath, MillionsOfShortDecimalsReadAsFromChars) {
    constexpr int kPerRecord = 100;
    constexpr int kRecords = 20000; // two million numbers
    std::mt19937_64 rng(7);
    std::vector<std::string> numbers;
    numbers.reserve(static_cast<std::size_t>(kPerRecord) * kRecords);
    std::string deck;
    for (int r = 0; r < kRecords; ++r) {
        for (int i = 0; i < kPerRecord; ++i) {
            std::string n = generate(rng);
            float unused;
            if (!reference(n, unused)) n = "1"; // beyond float: not this test's subject
            static const char *const kSeparators[] = {" ", "\t", ",", " , ", "\t \v", "\f"};
            deck += n;
            deck += i + 1 < kPerRecord ? kSeparators[rng() % 6] : "\r\n";
            numbers.push_back(std::move(n));
        }
    }
    const std::string path = vek::test::freshDir("engine_number_path") + "/numbers.vek";
    vek::test::writeFile(path, deck);

    DeckReader reader(path);
    std::vector<float> values(kPerRecord);
    int mismatches = 0;
    for (int r = 0; r < kRecords; ++r) {
        reader.readReals(values.data(), kPerRecord, {"numbers"});
        for (int i = 0; i < kPerRecord; ++i) {
            const std::string &n = numbers[static_cast<std::size_t>(r) * kPerRecord + static_cast<std::size_t>(i)];
            float expected = 0.0f;
            reference(n, expected);
            if (bits(values[static_cast<std::size_t>(i)]) != bits(expected) && ++mismatches <= 10)
                ADD_FAILURE() << n << " read as " << values[static_cast<std::size_t>(i)] << ", correctly rounded "
                              << expected;
        }
    }
    EXPECT_EQ(mismatches, 0);

    DeckReader walker(path);
    for (int r = 0; r < kRecords; ++r)
        ASSERT_TRUE(walker.skipValues(kPerRecord)) << "record " << r + 1;
    EXPECT_FALSE(walker.skipValues(1)); // the end

    // A damaged value stops the walk, in whatever place of its record.
    for (const char *damaged : {"1.2.3", "-", "+.", "1e", "12x", ".e5", "1,5e"}) {
        const std::string row = std::string("1 2.5 -3 ") + damaged + " 4\n";
        vek::test::writeFile(path, row);
        DeckReader damagedWalker(path);
        EXPECT_FALSE(damagedWalker.skipValues(5)) << damaged;
    }
}
