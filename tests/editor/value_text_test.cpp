#include "value_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace miral::editor {
namespace {

struct Readout {
    int32_t tag;
    float value;
    const char* text;
};

TEST(ValueText, ReadsEachKindOfParameterInItsUnit) {
    const Readout readouts[] = {
        {1, 0.5f, "200Hz"},  {21, 0.0f, "500Hz"},   {5, 1.0f, "16000Hz"}, {17, 0.0f, "40Hz"},
        {6, 1.0f, "10.0"},   {18, 0.0f, "1.0"},     {0, 0.75f, "8.0dB"},  {20, 0.0f, "-16.0dB"},
        {25, 0.5f, "0.0dB"}, {25, 0.0f, "-30.0dB"}, {25, 1.0f, "3.0dB"},  {25, 0.25f, "-8.7dB"},
        {24, 0.5f, "0.5"},   {3, 0.0f, "OFF"},      {3, 0.5f, "ON"},      {23, 1.0f, "ON"},
        {2, 0.5f, ""},       {22, 0.5f, ""},        {27, 0.5f, ""},       {156, 1.0f, ""},
    };
    for (const Readout& readout : readouts)
        EXPECT_EQ(valueText(readout.tag, readout.value), readout.text)
            << "tag " << readout.tag << " at " << readout.value;
}

TEST(ValueText, PadsAndRoundsLikePrintfInTheCLocale) {
    EXPECT_EQ(fixedText(3.0, 2, 0), " 3");
    EXPECT_EQ(fixedText(-0.04, 2, 1), "-0.0");
    EXPECT_EQ(fixedText(0.25, 2, 1), "0.2") << "ties to even, as the exact binary value";
    EXPECT_EQ(fixedText(19999.5, 2, 0), "20000");
}

/// A German locale compiled into a private directory (no root needed), for the time of a test.
class CommaLocale {
public:
    CommaLocale() {
        directory =
            std::filesystem::temp_directory_path() / ("miral-locale-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
        const std::string command = "localedef -i de_DE -f UTF-8 '" +
                                    (directory / "de_DE.UTF-8").string() + "' 2>/dev/null";
        if (std::system(command.c_str()) != 0)
            return;
        ::setenv("LOCPATH", directory.c_str(), 1);
        active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, "C");
        ::unsetenv("LOCPATH");
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    bool active = false;

private:
    std::filesystem::path directory;
};

TEST(ValueText, KeepsThePointUnderALocaleWithADecimalComma) {
    CommaLocale locale;
    if (!locale.active)
        GTEST_SKIP() << "no German locale can be built here (localedef, locales)";
    char printed[16];
    std::snprintf(printed, sizeof printed, "%2.1f", 8.0);
    ASSERT_EQ(std::string(printed), "8,0") << "the locale is in force";

    EXPECT_EQ(valueText(0, 0.75f), "8.0dB");
    EXPECT_EQ(valueText(6, 1.0f), "10.0");
    EXPECT_EQ(valueText(24, 0.5f), "0.5");
    EXPECT_EQ(valueText(25, 0.25f), "-8.7dB");
}

} // namespace
} // namespace miral::editor
