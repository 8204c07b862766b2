#pragma once

// A small effect for the base-layer tests: answers like the equaliser where the host sees a
// difference from the defaults, and records what reached its virtual operations.

#include "vst2/aeff_editor.h"
#include "vst2/audio_effect_x.h"

#include <cstring>
#include <string>

class TestEffect : public AudioEffectX {
public:
    static constexpr int32_t kPrograms = 9;
    static constexpr int32_t kParams = 26;

    explicit TestEffect(audioMasterCallback host = nullptr, bool* destroyedFlag = nullptr)
        : AudioEffectX(host, kPrograms, kParams), destroyed(destroyedFlag) {}
    ~TestEffect() override {
        if (destroyed != nullptr) {
            *destroyed = true;
        }
    }

    void setParameter(int32_t index, float value) override {
        lastParamIndex = index;
        lastParamValue = value;
    }
    float getParameter(int32_t index) override { return static_cast<float>(index) * 0.25f; }
    void process(float**, float**, int32_t frames) override { processFrames = frames; }
    void processReplacing(float**, float**, int32_t frames) override { replacingFrames = frames; }
    void setProgram(int32_t program) override {
        ++setProgramCalls;
        curProgram = program;
    }
    void setProgramName(const char* name) override { programName = name; }
    void getProgramName(char* name) override { std::strcpy(name, programName.c_str()); }
    void getParameterLabel(int32_t, char* label) override { std::strcpy(label, " dB "); }
    void getParameterDisplay(int32_t index, char* text) override {
        float2string(static_cast<float>(index), text);
    }
    void getParameterName(int32_t, char* text) override { std::strcpy(text, "Gain 1"); }
    int32_t getChunk(void**, bool isPreset) override {
        chunkWasPreset = isPreset;
        return 0;
    }
    int32_t setChunk(void*, int32_t byteSize, bool isPreset) override {
        setChunkSize = byteSize;
        chunkWasPreset = isPreset;
        return 0;
    }
    void setSampleRate(float rate) override {
        sampleRateCalls++;
        AudioEffectX::setSampleRate(rate);
    }
    void setBlockSize(int32_t size) override {
        blockSizeCalls++;
        AudioEffectX::setBlockSize(size);
    }
    void suspend() override { ++suspendCalls; }
    void resume() override { ++resumeCalls; }
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override {
        lastCategory = category;
        if (index < 0 || index >= kPrograms) {
            return false;
        }
        std::strcpy(text, "00 - Flat");
        return true;
    }
    int32_t getPlugCategory() override { return 1; }
    bool getEffectName(char* name) override {
        std::strcpy(name, "MIRAL");
        return true;
    }
    bool getVendorString(char* text) override {
        std::strcpy(text, "TOLMEK Soft");
        return true;
    }
    bool getProductString(char* text) override {
        std::strcpy(text, "TOLMEK Soft MIRAL");
        return true;
    }
    int32_t getVendorVersion() override { return 1000; }

    // Expose the protected members the tests check.
    float sampleRateMember() const { return sampleRate; }
    int32_t blockSizeMember() const { return blockSize; }

    bool* destroyed;
    int32_t lastParamIndex = -1;
    float lastParamValue = 0.0f;
    int32_t processFrames = 0;
    int32_t replacingFrames = 0;
    int setProgramCalls = 0;
    std::string programName = "Init";
    bool chunkWasPreset = false;
    int32_t setChunkSize = 0;
    int sampleRateCalls = 0;
    int blockSizeCalls = 0;
    int suspendCalls = 0;
    int resumeCalls = 0;
    int32_t lastCategory = -1;
};

/// Calls the record's dispatcher entry as a host does.
inline intptr_t dispatch(AEffect* record, int32_t opcode, int32_t index = 0, intptr_t value = 0,
                         void* ptr = nullptr, float opt = 0.0f) {
    return record->dispatcher(record, opcode, index, value, ptr, opt);
}

/// An editor that records the calls the dispatcher makes and answers like a window editor.
class TestEditor : public AEffEditor {
public:
    explicit TestEditor(AudioEffect* owner, bool* destroyedFlag = nullptr)
        : AEffEditor(owner), destroyed(destroyedFlag) {}
    ~TestEditor() override {
        if (destroyed != nullptr) {
            *destroyed = true;
        }
    }

    intptr_t getRect(ERect** out) override {
        *out = &rect;
        return 1;
    }
    intptr_t open(void* parent) override {
        AEffEditor::open(parent);
        return 1;
    }
    void close() override { ++closeCalls; }
    void update() override { ++updateCalls; }
    intptr_t onKeyDown(VstKeyCode& key) override {
        lastKey = key;
        return 1;
    }
    intptr_t onKeyUp(VstKeyCode& key) override {
        lastKey = key;
        return 1;
    }
    intptr_t setKnobMode(int32_t value) override {
        knobMode = value;
        return 1;
    }

    void* parentWindow() const { return systemWindow; }
    bool updatePending() const { return updateFlag != 0; }

    bool* destroyed;
    ERect rect{0, 0, 290, 420};
    int closeCalls = 0;
    int updateCalls = 0;
    VstKeyCode lastKey{};
    int32_t knobMode = -1;
};
