// The host callback every host of the project gives its effects: what it answers and which
// listener hears each report, before the entry point returns and after.

#include "host/host_callback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using miral::host::EffectListener;
using miral::host::hostCallback;

class RecordingListener : public EffectListener {
public:
    void automated(int32_t index, float value) override {
        heard.push_back("automated " + std::to_string(index) + " " + std::to_string(value));
    }
    void gesture(int32_t index, bool begins) override {
        heard.push_back((begins ? "begin " : "end ") + std::to_string(index));
    }
    bool resizeRequested(int32_t width, int32_t height) override {
        heard.push_back("resize " + std::to_string(width) + "x" + std::to_string(height));
        return grantsResize;
    }
    void soloRequested(int32_t band) override { heard.push_back("solo " + std::to_string(band)); }

    bool grantsResize = false;
    std::vector<std::string> heard;
};

struct Report {
    const char* what;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
    intptr_t answer;   ///< with a listener that refuses resizing
    const char* heard; ///< "" when the listener hears nothing
};

const Report kReports[] = {
    {"version", audioMasterVersion, 0, 0, 0.0f, miral::host::kHostVstVersion, ""},
    {"automation", audioMasterAutomate, 3, 0, 0.25f, 0, "automated 3 0.250000"},
    {"gesture begins", audioMasterBeginEdit, 4, 0, 0.0f, 0, "begin 4"},
    {"gesture ends", audioMasterEndEdit, 4, 0, 0.0f, 0, "end 4"},
    {"resize", audioMasterSizeWindow, 640, 480, 0.0f, 0, "resize 640x480"},
    {"solo", audioMasterVendorSpecific, kMiralSoloRequest, 2, 0.0f, 0, "solo 2"},
    {"solo ends", audioMasterVendorSpecific, kMiralSoloRequest, -1, 0.0f, 0, "solo -1"},
    {"another vendor's call", audioMasterVendorSpecific, 0x12345678, 2, 0.0f, 0, ""},
    {"idle", audioMasterIdle, 0, 0, 0.0f, 0, ""},
    {"unknown opcode", 9999, 1, 1, 1.0f, 0, ""},
};

AEffect effectOf(EffectListener* listener) {
    AEffect effect{};
    effect.magic = kEffectMagic;
    effect.user = listener;
    return effect;
}

TEST(HostCallback, AnswersEachReportAndPassesItToTheListenerTheRecordNames) {
    for (const Report& report : kReports) {
        SCOPED_TRACE(report.what);
        RecordingListener listener;
        AEffect effect = effectOf(&listener);
        EXPECT_EQ(
            hostCallback(&effect, report.opcode, report.index, report.value, nullptr, report.opt),
            report.answer);
        const std::vector<std::string> expected =
            *report.heard ? std::vector<std::string>{report.heard} : std::vector<std::string>{};
        EXPECT_EQ(listener.heard, expected);
    }
}

TEST(HostCallback, AnswersOnlyTheVersionToEffectsWithoutAListener) {
    for (const Report& report : kReports) {
        SCOPED_TRACE(report.what);
        AEffect effect = effectOf(nullptr);
        const intptr_t expected = report.opcode == audioMasterVersion ? report.answer : 0;
        EXPECT_EQ(
            hostCallback(&effect, report.opcode, report.index, report.value, nullptr, report.opt),
            expected);
        EXPECT_EQ(
            hostCallback(nullptr, report.opcode, report.index, report.value, nullptr, report.opt),
            expected);
    }
}

TEST(HostCallback, GrantsAResizeOnlyWhenTheListenerDoes) {
    RecordingListener listener;
    listener.grantsResize = true;
    AEffect effect = effectOf(&listener);
    EXPECT_EQ(hostCallback(&effect, audioMasterSizeWindow, 800, 600, nullptr, 0.0f), 1);
    EXPECT_EQ(listener.heard, std::vector<std::string>{"resize 800x600"});
}

// Entry points of stand-in plug-ins: each reports automation while it is being created, before
// the host could have set the record's `user` field, and returns its record.
AEffect createdRecord;
AEffect* VST2_CALL entryReportingDuringCreation(audioMasterCallback host) {
    createdRecord = AEffect{};
    createdRecord.magic = kEffectMagic;
    host(&createdRecord, audioMasterAutomate, 7, 0, nullptr, 0.5f);
    return &createdRecord;
}
AEffect* VST2_CALL entryWithAForeignRecord(audioMasterCallback host) {
    createdRecord = AEffect{};
    createdRecord.magic = 0x12345678;
    host(&createdRecord, audioMasterAutomate, 7, 0, nullptr, 0.5f);
    return &createdRecord;
}
AEffect* VST2_CALL entryRefusing(audioMasterCallback host) {
    host(nullptr, audioMasterAutomate, 7, 0, nullptr, 0.5f);
    return nullptr;
}

TEST(HostCallback, CreateEffectNamesTheListenerFromWithinTheEntryPointOn) {
    struct Case {
        const char* what;
        miral::host::EntryPoint entry;
        bool created;
        bool named; ///< the record's `user` names the listener afterwards
    };
    const Case cases[] = {
        {"a VST 2 record", entryReportingDuringCreation, true, true},
        {"a record without the effect magic", entryWithAForeignRecord, true, false},
        {"no record", entryRefusing, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingListener listener;
        AEffect* effect = miral::host::createEffect(c.entry, &listener);
        EXPECT_EQ(effect != nullptr, c.created);
        EXPECT_EQ(listener.heard, std::vector<std::string>{"automated 7 0.500000"})
            << "reports from within the entry point reach the listener it was given";
        if (effect != nullptr) {
            EXPECT_EQ(effect->user, c.named ? &listener : nullptr);
        }

        // Once the entry point has returned, a record that names no listener is heard by none.
        listener.heard.clear();
        AEffect stranger = effectOf(nullptr);
        EXPECT_EQ(hostCallback(&stranger, audioMasterAutomate, 1, 0, nullptr, 0.1f), 0);
        EXPECT_TRUE(listener.heard.empty());
    }
}

} // namespace
