// The host callback every host of the project gives its effects: what it answers and which
// listener hears each report, before the entry point returns and after.

#include "host/host_callback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using miral::host::EffectListener;
using miral::host::hostCallback;

/// Writes down what it hears ("automated 3 0.250000", "begin 4", "resize 640x480", "solo 2").
class RecordingListener : public EffectListener {
public:
    explicit RecordingListener(bool grantsResize = false) : grantsResize_(grantsResize) {}
    void automated(int32_t index, float value) override {
        heard += "automated " + std::to_string(index) + " " + std::to_string(value);
    }
    void gesture(int32_t index, bool begins) override {
        heard += (begins ? "begin " : "end ") + std::to_string(index);
    }
    bool resizeRequested(int32_t width, int32_t height) override {
        heard += "resize " + std::to_string(width) + "x" + std::to_string(height);
        return grantsResize_;
    }
    void soloRequested(int32_t band) override { heard += "solo " + std::to_string(band); }

    std::string heard;

private:
    bool grantsResize_;
};

AEffect effectOf(EffectListener* listener) {
    AEffect effect{};
    effect.magic = kEffectMagic;
    effect.user = listener;
    return effect;
}

TEST(HostCallback, AnswersEachReportAndPassesItToTheListenerTheRecordNames) {
    struct Report {
        const char* what;
        int32_t opcode;
        int32_t index;
        intptr_t value;
        float opt;
        bool grantsResize;
        intptr_t answer;   ///< with the listener; without one only the version is answered
        const char* heard; ///< what the listener hears
    };
    const Report reports[] = {
        {"version", audioMasterVersion, 0, 0, 0.0f, false, miral::host::kHostVstVersion, ""},
        {"automation", audioMasterAutomate, 3, 0, 0.25f, false, 0, "automated 3 0.250000"},
        {"gesture begins", audioMasterBeginEdit, 4, 0, 0.0f, false, 0, "begin 4"},
        {"gesture ends", audioMasterEndEdit, 4, 0, 0.0f, false, 0, "end 4"},
        {"resize refused", audioMasterSizeWindow, 640, 480, 0.0f, false, 0, "resize 640x480"},
        {"resize granted", audioMasterSizeWindow, 800, 600, 0.0f, true, 1, "resize 800x600"},
        {"solo", audioMasterVendorSpecific, kMiralSoloRequest, 2, 0.0f, false, 0, "solo 2"},
        {"solo ends", audioMasterVendorSpecific, kMiralSoloRequest, -1, 0.0f, false, 0, "solo -1"},
        {"another vendor's call", audioMasterVendorSpecific, 0x12345678, 2, 0.0f, false, 0, ""},
        {"idle", audioMasterIdle, 0, 0, 0.0f, false, 0, ""},
        {"unknown opcode", 9999, 1, 1, 1.0f, false, 0, ""},
    };
    for (const Report& r : reports) {
        SCOPED_TRACE(r.what);
        RecordingListener listener(r.grantsResize);
        AEffect heard = effectOf(&listener);
        EXPECT_EQ(hostCallback(&heard, r.opcode, r.index, r.value, nullptr, r.opt), r.answer);
        EXPECT_EQ(listener.heard, r.heard);

        const intptr_t unheard = r.opcode == audioMasterVersion ? r.answer : 0;
        AEffect withoutListener = effectOf(nullptr);
        EXPECT_EQ(hostCallback(&withoutListener, r.opcode, r.index, r.value, nullptr, r.opt),
                  unheard);
        EXPECT_EQ(hostCallback(nullptr, r.opcode, r.index, r.value, nullptr, r.opt), unheard);
    }
}

// Entry points of stand-in plug-ins: each reports automation while it is being created, before
// the host could have set the record's `user` field, and returns its record (or none).
AEffect createdRecord;
AEffect* reportAndReturn(audioMasterCallback host, int32_t magic) {
    createdRecord = AEffect{};
    createdRecord.magic = magic;
    host(&createdRecord, audioMasterAutomate, 7, 0, nullptr, 0.5f);
    return magic != 0 ? &createdRecord : nullptr;
}
AEffect* VST2_CALL entryOfAVst2Plugin(audioMasterCallback host) {
    return reportAndReturn(host, kEffectMagic);
}
AEffect* VST2_CALL entryWithAForeignRecord(audioMasterCallback host) {
    return reportAndReturn(host, 0x12345678);
}
AEffect* VST2_CALL entryRefusing(audioMasterCallback host) {
    return reportAndReturn(host, 0);
}

TEST(HostCallback, CreateEffectNamesTheListenerFromWithinTheEntryPointOn) {
    struct Case {
        const char* what;
        miral::host::EntryPoint entry;
        bool created;
        bool named; ///< the record's `user` names the listener afterwards
    };
    const Case cases[] = {
        {"a VST 2 record", entryOfAVst2Plugin, true, true},
        {"a record without the effect magic", entryWithAForeignRecord, true, false},
        {"no record", entryRefusing, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingListener listener;
        AEffect* effect = miral::host::createEffect(c.entry, &listener);
        EXPECT_EQ(effect != nullptr, c.created);
        EXPECT_EQ(listener.heard, "automated 7 0.500000")
            << "reports from within the entry point reach the listener it was given";
        if (effect != nullptr) {
            EXPECT_EQ(effect->user, c.named ? &listener : nullptr);
        }

        // Once the entry point has returned, a record that names no listener is heard by none.
        listener.heard.clear();
        AEffect stranger = effectOf(nullptr);
        EXPECT_EQ(hostCallback(&stranger, audioMasterAutomate, 1, 0, nullptr, 0.1f), 0);
        EXPECT_EQ(listener.heard, "");
    }
}

} // namespace
