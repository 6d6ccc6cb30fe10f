// "Did you mean": the one edit distance the simulator and the doctor share,
// and the nearest known name it picks for a slip of the fingers.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "text/nearest_name.h"

namespace {

TEST(NearestName, TypingDistanceCountsSlips)
{
    struct Case {
        const char* a;
        const char* b;
        size_t distance;
    };
    const std::vector<Case> cases = {
        {"SAME", "SAME", 0},
        {"", "ABC", 3},
        {"ABC", "", 3},
        {"KITTEN", "SITTING", 3},
        {"SPEED_INCRMENT", "SPEED_INCREMENT", 1},   // a letter left out
        {"speed_increment", "SPEED_INCREMENT", 0},  // letter case is no slip
        {"SPEED_INCERMENT", "SPEED_INCREMENT", 1},  // two neighbours swapped: one slip
        {"RELAOD_KYE", "RELOAD_KEY", 2},            // two swaps
        {"AB", "BA", 1},
        {"ABC", "CA", 3},  // a swap is of neighbours only, never edited again
        // Longer than a name's length on the stack: the same counting.
        {"A123456789012345678901234567890123456789012345678901234567890123456789Z",
         "A123456789012345678901234567890123456789012345678901234567890123456789", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sim::text::typingDistance(c.a, c.b), c.distance) << c.a << " / " << c.b;
        EXPECT_EQ(sim::text::typingDistance(c.b, c.a), c.distance) << c.b << " / " << c.a;
    }
}

// The bounded count is the full count wherever that is within the bound, and
// one past the bound otherwise: over every pair of short texts of a small
// alphabet (so that swaps, repeats and case differences abound), over random
// pairs of mixed lengths and bounds, and over long texts that leave the stack
// behind.
TEST(NearestName, BoundedDistanceAgreesWithTheFullCount)
{
    const auto expectAgreement = [](const std::string& a, const std::string& b, std::size_t most) {
        const std::size_t expected = std::min(sim::text::typingDistance(a, b), most + 1);
        ASSERT_EQ(sim::text::typingDistanceWithin(a, b, most), expected) << a << " / " << b << " within " << most;
    };
    std::vector<std::string> texts = {""};
    for (std::size_t from = 0; texts[from].size() < 4; ++from) {
        for (const char* letter : {"a", "B", "b", "c"})
            texts.push_back(texts[from] + letter);
    }
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            for (std::size_t most = 0; most <= 4; ++most)
                expectAgreement(a, b, most);
        }
    }
    std::mt19937 random(23);
    const auto randomText = [&random] {
        std::string text(random() % 16, 'a');
        for (char& c : text)
            c = "aBbc"[random() % 4];
        return text;
    };
    for (int i = 0; i < 100000; ++i)
        expectAgreement(randomText(), randomText(), random() % 6);
    const std::string longText(70, 'x');
    for (const std::string& b : {longText, longText + "y", "y" + longText, longText.substr(0, 67) + "yx"}) {
        for (std::size_t most = 0; most <= 4; ++most)
            expectAgreement(longText, b, most);
    }
}

TEST(NearestName, SuggestsOnlyWhatReadsAsATypo)
{
    const std::vector<std::string> names = {"ticks", "title", "desired", "sprint_key", "run_drop_allowed"};
    struct Case {
        const char* written;
        const char* nearest;  // "" for none
    };
    const std::vector<Case> cases = {
        {"tikcs", "ticks"},                       // one swap in a short name
        {"titel", "title"},                       // a swap wins over "ticks", two edits away
        {"desird", "desired"},                    // one letter left out
        {"ticks", ""},                            // already a name
        {"banana", ""},                           // nothing near
        {"tx", ""},                               // too far for a short name
        {"run_drop_alowed", "run_drop_allowed"},  // a long name allows more edits
        {"rn_drop_alowd", "run_drop_allowed"},    // three, at most
        {"rn_drp_alowd", ""},                     // four is too many
    };
    for (const Case& c : cases)
        EXPECT_EQ(sim::text::nearestName(c.written, names), c.nearest) << c.written;
    EXPECT_EQ(sim::text::didYouMean("tikcs", names), " (did you mean ticks?)");
    EXPECT_EQ(sim::text::didYouMean("banana", names), "");
}

}  // namespace
