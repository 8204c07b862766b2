// Saved state: a round trip into a new instance with the selected program, records of the
// previous version still read, and damaged records refused without change.
#include "clap_test_host.h"

#include "clap_abi/presets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace miral::clap_test {
namespace {

constexpr uint32_t kParams = 26;
constexpr size_t kRecordBytes = 12 + 8 * kParams + 4;
constexpr size_t kProgramAt = 12 + 8 * kParams;

/// An instance with a few values changed from their defaults, through a parameter flush.
void changeValues(Instance& instance) {
    EventList events;
    events.addValue(0, 0, -7.5);
    events.addValue(0, 5, 3150.0);
    events.addValue(0, 10, 6.3);
    events.addValue(0, 15, 0.0);
    events.addValue(0, 24, 0.4);
    events.addValue(0, 25, -2.0);
    instance.params().flush(instance.plugin(), events.list(), nullptr);
}

std::vector<uint8_t> savedState(const Instance& instance, uint64_t chunk = UINT64_MAX) {
    MemoryOutput output(chunk);
    EXPECT_TRUE(instance.state().save(instance.plugin(), output.stream()));
    return output.bytes;
}

std::vector<double> valuesOf(const Instance& instance) {
    std::vector<double> values;
    for (uint32_t id = 0; id < kParams; ++id)
        values.push_back(instance.value(id));
    return values;
}

void putDouble(std::vector<uint8_t>& bytes, size_t at, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (size_t i = 0; i < 8; ++i)
        bytes[at + i] = static_cast<uint8_t>(bits >> (8 * i));
}

class ClapState : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(source.valid() && target.valid());
        changeValues(source);
        record = savedState(source);
        ASSERT_EQ(record.size(), kRecordBytes);
        before = valuesOf(target);
    }
    /// The target refuses `bytes` and keeps its values.
    void expectRefused(std::vector<uint8_t> bytes, const char* what, uint64_t chunk = UINT64_MAX,
                       uint64_t failAfter = UINT64_MAX) {
        MemoryInput input(std::move(bytes), chunk, failAfter);
        EXPECT_FALSE(target.state().load(target.plugin(), input.stream())) << what;
        EXPECT_EQ(valuesOf(target), before) << what;
    }

    Instance source;
    Instance target;
    std::vector<uint8_t> record;
    std::vector<double> before;
};

TEST_F(ClapState, RecordStartsWithMagicVersionAndCountInLittleEndian) {
    const std::vector<uint8_t> header(record.begin(), record.begin() + 12);
    EXPECT_EQ(header, (std::vector<uint8_t>{'M', 'R', 'L', 'S', 2, 0, 0, 0, 26, 0, 0, 0}));
    // No program loaded yet: none selected.
    EXPECT_EQ(std::vector<uint8_t>(record.begin() + kProgramAt, record.end()),
              (std::vector<uint8_t>{0xff, 0xff, 0xff, 0xff}));
    std::vector<uint8_t> expectedGain(8);
    putDouble(expectedGain, 0, -7.5);
    EXPECT_TRUE(std::equal(expectedGain.begin(), expectedGain.end(), record.begin() + 12));
}

TEST_F(ClapState, RoundTripIntoANewInstanceRestoresValuesAndSound) {
    MemoryInput input(record, 5); // a host that hands out a few bytes at a time
    ASSERT_TRUE(target.state().load(target.plugin(), input.stream()));
    Instance edited;
    changeValues(edited);
    EXPECT_EQ(valuesOf(target), valuesOf(edited));
    EXPECT_EQ(savedState(target, 7), record);

    ASSERT_TRUE(source.start(48000.0, 256));
    ASSERT_TRUE(target.start(48000.0, 256));
    AudioBlock input1(2, 256);
    for (size_t i = 0; i < 256; ++i)
        input1.channels[0][i] = input1.channels[1][i] = i % 17 == 0 ? 0.5f : -0.01f;
    AudioBlock fromSource(2, 256);
    AudioBlock fromTarget(2, 256);
    ASSERT_EQ(source.process(input1, fromSource, EventList()), CLAP_PROCESS_CONTINUE);
    ASSERT_EQ(target.process(input1, fromTarget, EventList()), CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(fromTarget.channels, fromSource.channels);
}

TEST_F(ClapState, ShortStreamsAreRefusedAtEveryLength) {
    for (size_t length = 0; length < record.size(); ++length)
        expectRefused({record.begin(), record.begin() + static_cast<ptrdiff_t>(length)},
                      "short record");
}

TEST_F(ClapState, DamagedFutureAndOverlongRecordsAreRefused) {
    auto changed = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> bytes = record;
        bytes[at] = value;
        return bytes;
    };
    expectRefused(changed(0, 'X'), "magic");
    expectRefused(changed(4, 3), "future version");
    expectRefused(changed(4, 1), "version 1 of this length");
    expectRefused(changed(kProgramAt, 9), "no such program");
    expectRefused(changed(4, 0), "version 0");
    expectRefused(changed(8, 25), "count");
    std::vector<uint8_t> longer = record;
    longer.push_back(0);
    expectRefused(longer, "trailing byte");
    for (const double bad : {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), 17.0, -1e300}) {
        std::vector<uint8_t> bytes = record;
        putDouble(bytes, 12, bad); // Gain 1
        expectRefused(bytes, "gain value");
    }
    std::vector<uint8_t> halfSwitch = record;
    putDouble(halfSwitch, 12 + 8 * 3, 0.5); // ON/OFF 1
    expectRefused(halfSwitch, "switch value");
    expectRefused(record, "read error", 16, 100);
    std::vector<uint8_t> garbage(kRecordBytes);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(i * 131 + 7);
    expectRefused(garbage, "garbage");
}

TEST_F(ClapState, TheSelectedProgramIsKeptAndAVersion1RecordStillLoads) {
    const auto* load = source.extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
    ASSERT_TRUE(
        load->from_location(source.plugin(), CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "5"));
    changeValues(source); // edits keep the program selected, as program changes do
    const std::vector<uint8_t> withProgram = savedState(source);
    EXPECT_EQ(withProgram[kProgramAt], 5);
    MemoryInput input(withProgram);
    ASSERT_TRUE(target.state().load(target.plugin(), input.stream()));
    EXPECT_EQ(savedState(target), withProgram);

    // Saved by the previous version with the values changeValues sets.
    std::ifstream file(MIRAL_STATE_VERSION1_RECORD, std::ios::binary);
    std::vector<uint8_t> version1((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    ASSERT_EQ(version1.size(), kRecordBytes - 4);
    MemoryInput old(version1, 7);
    ASSERT_TRUE(target.state().load(target.plugin(), old.stream()));
    Instance edited;
    changeValues(edited);
    EXPECT_EQ(valuesOf(target), valuesOf(edited));
    const std::vector<uint8_t> resaved = savedState(target);
    EXPECT_TRUE(std::equal(version1.begin() + 12, version1.end(), resaved.begin() + 12));
    EXPECT_EQ(resaved[kProgramAt], 0xff) << "a version-1 record selects no program";
    version1.push_back(0);
    MemoryInput overlong(version1);
    EXPECT_FALSE(target.state().load(target.plugin(), overlong.stream()));
}

TEST_F(ClapState, AWriteErrorIsReported) {
    clap_ostream_t failing{
        nullptr, [](const clap_ostream_t*, const void*, uint64_t) -> int64_t { return -1; }};
    EXPECT_FALSE(source.state().save(source.plugin(), &failing));
    clap_ostream_t stuck{nullptr,
                         [](const clap_ostream_t*, const void*, uint64_t) -> int64_t { return 0; }};
    EXPECT_FALSE(source.state().save(source.plugin(), &stuck));
}

} // namespace
} // namespace miral::clap_test
