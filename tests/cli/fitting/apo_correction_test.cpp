// Equalizer APO corrections: the variants real files are written in, and the target's response
// against the cookbook formulas evaluated here on their own.

#include "fitting/apo_correction.h"
#include "usage_error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <sstream>

namespace miral::cli {
namespace {

ApoCorrection parsed(const std::string& text) {
    std::istringstream stream(text);
    return parseApoCorrection(stream, "eq.txt");
}

struct Variant {
    const char* what;
    const char* text;
    double preampDb;
    ApoFilterType type;
    double frequencyHz, gainDb, q, octaves, slope; ///< 0: not given
    size_t warnings;
};

TEST(ApoCorrection, ReadsTheVariantsOfRealFiles) {
    const double kMove12 = std::pow(10.0, 6.0 / 80.0); // a 6 dB shelf's corner at S = 1
    const Variant variants[] = {
        {"correction tool output", "Preamp: -6.1 dB\nFilter 1: ON PK Fc 1000 Hz Gain 4 dB Q 0.7\n",
         -6.1, ApoFilterType::Peak, 1000, 4, 0.7, 0, 0, 0},
        {"measurement tool export",
         "Filter Settings file\n\nRoom EQ V5.20\nDated: 09-Dec-2026\n\nEqualiser: Generic\n"
         "Filter  1: ON  PK       Fc   63.5 Hz  Gain  -6.0 dB  Q  4.00\n"
         "Filter  2: ON  None\nFilter  3: OFF PK       Fc   100 Hz  Gain  -3.0 dB  Q  2.00\n",
         0, ApoFilterType::Peak, 63.5, -6, 4, 0, 0, 4},
        {"no number, odd spacing, lower case", "filter:on pk fc 250hz gain +2db q 1.5\n", 0,
         ApoFilterType::Peak, 250, 2, 1.5, 0, 0, 0},
        {"decimal commas", "Preamp: -3,5 dB\nFilter: ON PEQ Fc 1234,5 Hz Gain -1,25 dB Q 2,5\n",
         -3.5, ApoFilterType::Peak, 1234.5, -1.25, 2.5, 0, 0, 0},
        {"modal", "Filter 1: ON Modal Fc 45 Hz Gain -8 dB Q 12\n", 0, ApoFilterType::Peak, 45, -8,
         12, 0, 0, 0},
        {"bandwidth", "Filter 1: ON PK Fc 500 Hz Gain 3 dB BW Oct 0.5\n", 0, ApoFilterType::Peak,
         500, 3, 0, 0.5, 0, 0},
        {"shelf with a slope", "Filter 1: ON LS 12dB Fc 100 Hz Gain 6 dB\n", 0,
         ApoFilterType::LowShelf, 100 * kMove12, 6, 0, 0, 1.0, 0},
        {"slope as two words", "Filter 1: ON HS 6 dB Fc 8000 Hz Gain -6 dB\n", 0,
         ApoFilterType::HighShelf, 8000 / std::pow(10.0, 6.0 / 40.0), -6, 0, 0, 0.5, 0},
        {"shelf with neither", "Filter 1: ON HS Fc 8000 Hz Gain 3 dB\n", 0,
         ApoFilterType::HighShelf, 8000, 3, 0, 0, 0.9, 0},
        {"pass filters and others",
         "Filter 1: ON LP Fc 15000 Hz\nFilter 2: ON HPQ Fc 30 Hz Q 0.5\n"
         "Filter 3: ON BP Fc 1000 Hz Q 2\nFilter 4: ON NO Fc 60 Hz Q 30\n"
         "Filter 5: ON AP Fc 500 Hz Q 1\n",
         0, ApoFilterType::LowPass, 15000, 0, std::numbers::sqrt2 / 2, 0, 0, 0},
        {"commands that are skipped",
         "Device: Speakers\nChannel: L\nInclude: other.txt\nGraphicEQ: 20 0; 20000 0\n"
         "Convolution: room.wav\n# a comment\nFilter 1: ON PK Fc 90 Hz Gain -4 dB Q 5\n",
         0, ApoFilterType::Peak, 90, -4, 5, 0, 0, 5},
        {"centre shelf with a slope", "Filter 1: ON LSC 12dB Fc 100 Hz Gain 6 dB\n", 0,
         ApoFilterType::LowShelf, 100, 6, 0, 0, 1.0, 0},
    };
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.what);
        const ApoCorrection correction = parsed(variant.text);
        EXPECT_DOUBLE_EQ(correction.preampDb, variant.preampDb);
        EXPECT_EQ(correction.warnings.size(), variant.warnings);
        ASSERT_FALSE(correction.filters.empty());
        const ApoFilter& filter = correction.filters.front();
        EXPECT_EQ(filter.type, variant.type);
        EXPECT_NEAR(filter.frequencyHz, variant.frequencyHz, 1e-9 * variant.frequencyHz);
        EXPECT_DOUBLE_EQ(filter.gainDb, variant.gainDb);
        EXPECT_DOUBLE_EQ(filter.q.value_or(0.0), variant.q);
        EXPECT_DOUBLE_EQ(filter.octaves.value_or(0.0), variant.octaves);
        EXPECT_DOUBLE_EQ(filter.shelfSlope.value_or(0.0), variant.slope);
    }
    EXPECT_EQ(parsed(variants[9].text).filters.size(), 5u);
    EXPECT_NE(parsed(variants[10].text).warnings[1].find("eq.txt:2: \"Channel:\""),
              std::string::npos);
}

TEST(ApoCorrection, RefusesMalformedLinesNamingThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"Filter 1: ON PK Fc 1000 Hz Gain 3 dB\n", "eq.txt:1: expected Q or BW Oct"},
        {"\nFilter 2: ON XX Fc 1000 Hz\n", "eq.txt:2: expected a filter type"},
        {"Filter 1: ON PK Fc abc Hz Gain 3 dB Q 1\n", "expected a frequency, found \"abc\""},
        {"Filter 1: ON PK Fc nan Hz Gain 3 dB Q 1\n", "expected a finite frequency"},
        {"Filter 1: ON PK Fc 0.5 Hz Gain 3 dB Q 1\n", "expected a frequency of 1 Hz or more"},
        {"Filter 1: ON PK Fc 100 Hz Gain 3 dB Q 0\n", "expected Q above 0"},
        {"Filter 1: ON PK Fc 100 Hz Gain 3 dB BW Oct -1\n", "expected a bandwidth above 0"},
        {"Filter 1: ON PK Gain 3 dB Q 1\n", "expected Fc and a frequency"},
        {"Filter 1: MAYBE PK Fc 100 Hz\n", "expected ON or OFF"},
        {"Preamp: loud\n", "eq.txt:1: expected a gain in dB"},
        {"Filter 1: OFF PK Fc 100 Hz Gain 3 dB Q 1\nFilter 2: ON None\n", "no switched-on filter"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        try {
            parsed(text);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& error) {
            EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
        }
    }
    ApoCorrection beyondNyquist = parsed("Filter 7: ON PK Fc 30000 Hz Gain 3 dB Q 1\n");
    EXPECT_THROW(correctionResponseDb(beyondNyquist, "eq.txt", {1000.0}, 48000.0), UsageError);
}

// The cookbook's transfer functions in the analog-to-digital form of its text: H(z) for each
// type from A, w0 and alpha, evaluated at z = e^jw.
double cookbookDb(const std::string& type, double f0, double gainDb, double alpha, double f,
                  double rate) {
    const double w0 = 2 * std::numbers::pi * f0 / rate, A = std::pow(10.0, gainDb / 40.0);
    const double c = std::cos(w0), sa = 2 * std::sqrt(A) * alpha;
    std::array<double, 6> k{}; // b0 b1 b2 a0 a1 a2
    if (type == "PK")
        k = {1 + alpha * A, -2 * c, 1 - alpha * A, 1 + alpha / A, -2 * c, 1 - alpha / A};
    else if (type == "LS")
        k = {A * ((A + 1) - (A - 1) * c + sa), 2 * A * ((A - 1) - (A + 1) * c),
             A * ((A + 1) - (A - 1) * c - sa), (A + 1) + (A - 1) * c + sa,
             -2 * ((A - 1) + (A + 1) * c),     (A + 1) + (A - 1) * c - sa};
    else if (type == "HS")
        k = {A * ((A + 1) + (A - 1) * c + sa), -2 * A * ((A - 1) + (A + 1) * c),
             A * ((A + 1) + (A - 1) * c - sa), (A + 1) - (A - 1) * c + sa,
             2 * ((A - 1) - (A + 1) * c),      (A + 1) - (A - 1) * c - sa};
    else if (type == "LP")
        k = {(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    else if (type == "BP")
        k = {alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha};
    const std::complex<double> z = std::polar(1.0, -2 * std::numbers::pi * f / rate);
    const std::complex<double> h =
        (k[0] + k[1] * z + k[2] * z * z) / (k[3] + k[4] * z + k[5] * z * z);
    return 20 * std::log10(std::abs(h));
}

TEST(ApoCorrection, TargetIsTheSumOfTheCookbookFilters) {
    constexpr double kRate = 44100.0;
    const ApoCorrection correction = parsed("Preamp: -7 dB\n"
                                            "Filter 1: ON LS Fc 105 Hz Gain 6.5 dB Q 0.7\n"
                                            "Filter 2: ON PK Fc 2400 Hz Gain -4.2 dB Q 2.8\n"
                                            "Filter 3: ON PK Fc 150 Hz Gain 2 dB BW Oct 1.5\n"
                                            "Filter 4: ON HS Fc 9000 Hz Gain 3 dB\n"
                                            "Filter 5: ON LP Fc 19000 Hz\n"
                                            "Filter 6: ON BP Fc 700 Hz Q 0.8\n"
                                            "Filter 7: ON HSC Fc 6000 Hz Gain -2 dB Q 0.7\n");
    const std::vector<double> frequencies = {20, 63, 105, 150, 1000, 2400, 5000, 9000, 16000};
    const std::vector<double> target =
        correctionResponseDb(correction, "eq.txt", frequencies, kRate);
    const auto sinW = [&](double f0) { return std::sin(2 * std::numbers::pi * f0 / kRate); };
    // The corner of a shelf given by Q moves by its half transition: 10^(g / (80 S)), S from Q.
    const double A = std::pow(10.0, 6.5 / 40.0);
    const double slope = 1.0 / ((1.0 / (0.7 * 0.7) - 2.0) / (A + 1.0 / A) + 1.0);
    const double lowShelfHz = 105.0 * std::pow(10.0, 6.5 / (80.0 * slope));
    const double w150 = 2 * std::numbers::pi * 150.0 / kRate;
    const double A3 = std::pow(10.0, 3.0 / 40.0);
    for (size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        const double expected =
            cookbookDb("LS", lowShelfHz, 6.5, sinW(lowShelfHz) / 1.4, f, kRate) +
            cookbookDb("PK", 2400, -4.2, sinW(2400) / 5.6, f, kRate) +
            cookbookDb("PK", 150, 2,
                       std::sin(w150) * std::sinh(std::log(2.0) / 2 * 1.5 * w150 / std::sin(w150)),
                       f, kRate) +
            cookbookDb("HS", 9000, 3, sinW(9000) / 2 * std::sqrt((A3 + 1 / A3) * (1 / 0.9 - 1) + 2),
                       f, kRate) +
            cookbookDb("LP", 19000, 0, sinW(19000) / std::sqrt(2.0), f, kRate) +
            cookbookDb("BP", 700, 0, sinW(700) / 1.6, f, kRate) +
            cookbookDb("HS", 6000, -2, sinW(6000) / 1.4, f, kRate); // written by its centre
        EXPECT_NEAR(target[i], expected, 1e-9) << f << " Hz";
    }
    // What the formulas promise: a peak's gain at its centre.
    const ApoCorrection peak = parsed("Filter: ON PK Fc 2400 Hz Gain -4.2 dB Q 2.8\n");
    EXPECT_NEAR(correctionResponseDb(peak, "eq.txt", {2400.0}, kRate)[0], -4.2, 1e-9);
}

} // namespace
} // namespace miral::cli
