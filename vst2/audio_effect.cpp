#include "vst2/audio_effect.h"

#include "number_text.h"
#include "vst2/aeff_editor.h"

namespace {

// The record's entries: find the effect behind the record and call it.

AudioEffect* effectOf(AEffect* record) {
    return record != nullptr ? static_cast<AudioEffect*>(record->object) : nullptr;
}

intptr_t VST2_CALL dispatchEntry(AEffect* record, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr, float opt) {
    AudioEffect* effect = effectOf(record);
    if (effect == nullptr) {
        return 0;
    }
    const intptr_t result = effect->dispatcher(opcode, index, value, ptr, opt);
    if (opcode == effClose) {
        delete effect;
        return 1;
    }
    return result;
}

void VST2_CALL processEntry(AEffect* record, float** inputs, float** outputs, int32_t frames) {
    if (AudioEffect* effect = effectOf(record)) {
        effect->process(inputs, outputs, frames);
    }
}

void VST2_CALL processReplacingEntry(AEffect* record, float** inputs, float** outputs,
                                     int32_t frames) {
    if (AudioEffect* effect = effectOf(record)) {
        effect->processReplacing(inputs, outputs, frames);
    }
}

void VST2_CALL setParameterEntry(AEffect* record, int32_t index, float value) {
    if (AudioEffect* effect = effectOf(record)) {
        effect->setParameter(index, value);
    }
}

float VST2_CALL getParameterEntry(AEffect* record, int32_t index) {
    AudioEffect* effect = effectOf(record);
    return effect != nullptr ? effect->getParameter(index) : 0.0f;
}

// Opcodes whose operation writes through ptr: a null ptr makes them do nothing.
bool writesThroughPointer(int32_t opcode) {
    switch (opcode) {
    case effSetProgramName:
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effEditGetRect:
    case effGetChunk:
    case effSetChunk:
        return true;
    default:
        return false;
    }
}

// The placeholder identifier of an effect that sets none: the characters N, o, E, f.
constexpr int32_t kDefaultUniqueId = 0x4e6f4566;
// effIdentify's answer: the characters N, v, E, f.
constexpr intptr_t kIdentifyAnswer = 0x4e764566;
// effGetVu scales the meter value to this full-scale integer.
constexpr float kVuFullScale = 32767.0f;

} // namespace

AudioEffect::AudioEffect(audioMasterCallback host, int32_t programCount, int32_t paramCount)
    : audioMaster(host), numPrograms(programCount), numParams(paramCount) {
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kDefaultUniqueId;
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
}

AudioEffect::~AudioEffect() {
    delete editor;
}

void AudioEffect::setParameter(int32_t, float) {}
float AudioEffect::getParameter(int32_t) {
    return 0.0f;
}

void AudioEffect::setParameterAutomated(int32_t index, float value) {
    setParameter(index, value);
    callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::process(float**, float**, int32_t) {}
void AudioEffect::processReplacing(float**, float**, int32_t) {}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
    if (ptr == nullptr && writesThroughPointer(opcode)) {
        return 0;
    }
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < numPrograms) {
            setProgram(static_cast<int32_t>(value));
        }
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(text);
        return 0;
    case effGetProgramName:
        getProgramName(text);
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        getParameterName(index, text);
        return 0;
    case effGetVu:
        return truncateToInt(getVu() * kVuFullScale);
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<int32_t>(value));
        return 0;
    case effMainsChanged:
        if (value == 0) {
            suspend();
        } else {
            resume();
        }
        return 0;
    case effEditGetRect:
        return editor != nullptr ? editor->getRect(static_cast<ERect**>(ptr)) : 0;
    case effEditOpen:
        return editor != nullptr ? editor->open(ptr) : 0;
    case effEditClose:
        if (editor != nullptr) {
            editor->close();
        }
        return 0;
    case effEditIdle:
        if (editor != nullptr) {
            editor->idle();
        }
        return 0;
    case effIdentify:
        return kIdentifyAnswer;
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
        return 0;
    }
}

void AudioEffect::open() {}
void AudioEffect::close() {}

int32_t AudioEffect::getProgram() {
    return curProgram;
}
void AudioEffect::setProgram(int32_t program) {
    curProgram = program;
}
void AudioEffect::setProgramName(const char*) {}
void AudioEffect::getProgramName(char*) {}
void AudioEffect::getParameterLabel(int32_t, char*) {}
void AudioEffect::getParameterDisplay(int32_t, char*) {}
void AudioEffect::getParameterName(int32_t, char*) {}
float AudioEffect::getVu() {
    return 0.0f;
}
int32_t AudioEffect::getChunk(void**, bool) {
    return 0;
}
int32_t AudioEffect::setChunk(void*, int32_t, bool) {
    return 0;
}

void AudioEffect::setSampleRate(float newSampleRate) {
    sampleRate = newSampleRate;
}
void AudioEffect::setBlockSize(int32_t newBlockSize) {
    blockSize = newBlockSize;
}
void AudioEffect::suspend() {}
void AudioEffect::resume() {}

void AudioEffect::setUniqueID(int32_t id) {
    cEffect.uniqueID = id;
}
void AudioEffect::setNumInputs(int32_t inputs) {
    cEffect.numInputs = inputs;
}
void AudioEffect::setNumOutputs(int32_t outputs) {
    cEffect.numOutputs = outputs;
}
void AudioEffect::hasVu(bool state) {
    setFlag(effFlagsHasVu, state);
}
void AudioEffect::hasClip(bool state) {
    setFlag(effFlagsHasClip, state);
}
void AudioEffect::canMono(bool state) {
    setFlag(effFlagsCanMono, state);
}
void AudioEffect::canProcessReplacing(bool state) {
    setFlag(effFlagsCanReplacing, state);
}
void AudioEffect::programsAreChunks(bool state) {
    setFlag(effFlagsProgramChunks, state);
}
void AudioEffect::setRealtimeQualities(int32_t qualities) {
    cEffect.realQualities = qualities;
}
void AudioEffect::setOfflineQualities(int32_t qualities) {
    cEffect.offQualities = qualities;
}
void AudioEffect::setInitialDelay(int32_t delay) {
    cEffect.initialDelay = delay;
}

float AudioEffect::getSampleRate() {
    return sampleRate;
}
int32_t AudioEffect::getBlockSize() {
    return blockSize;
}

int32_t AudioEffect::getMasterVersion() {
    return static_cast<int32_t>(callHost(audioMasterVersion, 0, 0, nullptr, 0.0f));
}
int32_t AudioEffect::getCurrentUniqueId() {
    return 0;
}
bool AudioEffect::masterIdle() {
    return callHost(audioMasterIdle, 0, 0, nullptr, 0.0f) != 0;
}
bool AudioEffect::isInputConnected(int32_t) {
    return false;
}
bool AudioEffect::isOutputConnected(int32_t) {
    return false;
}

void AudioEffect::dB2string(float value, char* text) {
    miral::dB2string(value, text);
}
void AudioEffect::Hz2string(float samples, char* text) {
    miral::Hz2string(samples, sampleRate, text);
}
void AudioEffect::ms2string(float samples, char* text) {
    miral::ms2string(samples, sampleRate, text);
}
void AudioEffect::float2string(float value, char* text) {
    miral::float2string(value, text);
}
void AudioEffect::long2string(int32_t value, char* text) {
    miral::long2string(value, text);
}

int32_t AudioEffect::canHostDo(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    return static_cast<int32_t>(callHost(audioMasterCanDo, 0, 0, const_cast<char*>(text), 0.0f));
}

bool AudioEffect::sizeWindow(int32_t width, int32_t height) {
    return callHost(audioMasterSizeWindow, width, height, nullptr, 0.0f) != 0;
}

bool AudioEffect::beginEdit(int32_t index) {
    return callHost(audioMasterBeginEdit, index, 0, nullptr, 0.0f) != 0;
}

bool AudioEffect::endEdit(int32_t index) {
    return callHost(audioMasterEndEdit, index, 0, nullptr, 0.0f) != 0;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    if (newEditor != editor) {
        delete editor;
        editor = newEditor;
    }
    setFlag(effFlagsHasEditor, editor != nullptr);
}

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt) {
    if (audioMaster == nullptr) {
        return 0;
    }
    return audioMaster(&cEffect, opcode, index, value, ptr, opt);
}

void AudioEffect::setFlag(int32_t flag, bool state) {
    if (state) {
        cEffect.flags |= flag;
    } else {
        cEffect.flags &= ~flag;
    }
}

int32_t AudioEffect::truncateToInt(float value) {
    // -2^31 fits, +2^31 does not; NaN fails both comparisons.
    constexpr float kLimit = 2147483648.0f;
    if (!(value >= -kLimit && value < kLimit)) {
        return 0;
    }
    return static_cast<int32_t>(value);
}
