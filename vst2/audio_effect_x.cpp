#include "vst2/audio_effect_x.h"

#include "vst2/aeff_editor.h"

namespace {

// Opcodes of 25..76 whose operation reads or writes through ptr: a null ptr does nothing.
bool needsPointer(int32_t opcode) {
    switch (opcode) {
    case effProcessEvents:
    case effString2Parameter:
    case effGetProgramNameIndexed:
    case effGetInputProperties:
    case effGetOutputProperties:
    case effOfflineNotify:
    case effOfflinePrepare:
    case effOfflineRun:
    case effProcessVarIo:
    case effGetEffectName:
    case effGetErrorText:
    case effGetVendorString:
    case effGetProductString:
    case effCanDo:
    case effGetParameterProperties:
    case effGetMidiProgramName:
    case effGetMidiProgramCategory:
    case effGetMidiKeyName:
    case effShellGetNextPlugin:
    case effBeginLoadBank:
    case effBeginLoadProgram:
        return true;
    default:
        return false;
    }
}

// The key record of effEditKeyDown and effEditKeyUp: character in index, virtual key in the
// low byte of value, modifiers in the low byte of opt.
VstKeyCode keyCodeOf(int32_t index, intptr_t value, int32_t modifier) {
    return VstKeyCode{index, static_cast<unsigned char>(value & 0xff),
                      static_cast<unsigned char>(modifier & 0xff)};
}

} // namespace

AudioEffectX::AudioEffectX(audioMasterCallback host, int32_t programCount, int32_t paramCount)
    : AudioEffect(host, programCount, paramCount) {}

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
    if (opcode < effProcessEvents || opcode > effBeginLoadProgram) {
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
    if (ptr == nullptr && needsPointer(opcode)) {
        return 0;
    }
    char* text = static_cast<char*>(ptr);
    const auto count = static_cast<int32_t>(value);
    switch (opcode) {
    case effProcessEvents:
        return processEvents(ptr);
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return string2parameter(index, text) ? 1 : 0;
    case effGetNumProgramCategories:
        return getNumCategories();
    case effGetProgramNameIndexed:
        return getProgramNameIndexed(count, index, text) ? 1 : 0;
    case effCopyProgram:
        return copyProgram(index) ? 1 : 0;
    case effConnectInput:
        inputConnected(index, value != 0);
        return 1;
    case effConnectOutput:
        outputConnected(index, value != 0);
        return 1;
    case effGetInputProperties:
        return getInputProperties(index, ptr) ? 1 : 0;
    case effGetOutputProperties:
        return getOutputProperties(index, ptr) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effGetCurrentPosition:
        return reportCurrentPosition();
    case effGetDestinationBuffer:
        return reinterpret_cast<intptr_t>(reportDestinationBuffer());
    case effOfflineNotify:
        return offlineNotify(ptr, count, index != 0) ? 1 : 0;
    case effOfflinePrepare:
        return offlinePrepare(ptr, count) ? 1 : 0;
    case effOfflineRun:
        return offlineRun(ptr, count) ? 1 : 0;
    case effProcessVarIo:
        return processVariableIo(ptr) ? 1 : 0;
    case effSetSpeakerArrangement:
        return setSpeakerArrangement(reinterpret_cast<void*>(value), ptr) ? 1 : 0;
    case effSetBlockSizeAndSampleRate:
        // Only the announcement is kept; the engine follows effSetBlockSize and
        // effSetSampleRate.
        blockSize = count;
        sampleRate = opt;
        return 1;
    case effSetBypass:
        return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
        return getEffectName(text) ? 1 : 0;
    case effGetErrorText:
        return getErrorText(text) ? 1 : 0;
    case effGetVendorString:
        return getVendorString(text) ? 1 : 0;
    case effGetProductString:
        return getProductString(text) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return canDo(text);
    case effGetTailSize:
        return getTailSize();
    case effIdle:
        return fxIdle();
    case effGetIcon:
        return reinterpret_cast<intptr_t>(getIcon());
    case effSetViewPosition:
        return setViewPosition(index, count) ? 1 : 0;
    case effGetParameterProperties:
        return getParameterProperties(index, ptr) ? 1 : 0;
    case effKeysRequired:
        // The interface asks the inverse question: 1 means the keys are not needed.
        return keysRequired() ? 0 : 1;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (editor == nullptr) {
            return 0;
        }
        VstKeyCode key = keyCodeOf(index, value, truncateToInt(opt));
        return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
    }
    case effSetEditKnobMode:
        return editor != nullptr ? editor->setKnobMode(count) : 0;
    case effGetMidiProgramName:
        return getMidiProgramName(index, ptr);
    case effGetCurrentMidiProgram:
        return getCurrentMidiProgram(index, ptr);
    case effGetMidiProgramCategory:
        return getMidiProgramCategory(index, ptr);
    case effHasMidiProgramsChanged:
        return hasMidiProgramsChanged(index) ? 1 : 0;
    case effGetMidiKeyName:
        return getMidiKeyName(index, ptr) ? 1 : 0;
    case effBeginSetProgram:
        return beginSetProgram() ? 1 : 0;
    case effEndSetProgram:
        return endSetProgram() ? 1 : 0;
    case effGetSpeakerArrangement:
        return getSpeakerArrangement(reinterpret_cast<void**>(value), static_cast<void**>(ptr)) ? 1
                                                                                                : 0;
    case effShellGetNextPlugin:
        return getNextShellPlugin(text);
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetTotalSampleToProcess:
        return setTotalSampleToProcess(count);
    case effSetPanLaw:
        return setPanLaw(count, opt) ? 1 : 0;
    case effBeginLoadBank:
        return beginLoadBank(ptr);
    case effBeginLoadProgram:
        return beginLoadProgram(ptr);
    default:
        return 0;
    }
}

int32_t AudioEffectX::processEvents(void*) {
    return 0;
}
bool AudioEffectX::canParameterBeAutomated(int32_t) {
    return true;
}
bool AudioEffectX::string2parameter(int32_t, char*) {
    return false;
}
int32_t AudioEffectX::getNumCategories() {
    return 1;
}
bool AudioEffectX::getProgramNameIndexed(int32_t, int32_t, char*) {
    return false;
}
bool AudioEffectX::copyProgram(int32_t) {
    return false;
}
void AudioEffectX::inputConnected(int32_t, bool) {}
void AudioEffectX::outputConnected(int32_t, bool) {}
bool AudioEffectX::getInputProperties(int32_t, void*) {
    return false;
}
bool AudioEffectX::getOutputProperties(int32_t, void*) {
    return false;
}
int32_t AudioEffectX::getPlugCategory() {
    return 0;
}
int32_t AudioEffectX::reportCurrentPosition() {
    return 0;
}
float* AudioEffectX::reportDestinationBuffer() {
    return nullptr;
}
bool AudioEffectX::offlineNotify(void*, int32_t, bool) {
    return false;
}
bool AudioEffectX::offlinePrepare(void*, int32_t) {
    return false;
}
bool AudioEffectX::offlineRun(void*, int32_t) {
    return false;
}
bool AudioEffectX::processVariableIo(void*) {
    return false;
}
bool AudioEffectX::setSpeakerArrangement(void*, void*) {
    return false;
}
bool AudioEffectX::setBypass(bool) {
    return false;
}
bool AudioEffectX::getEffectName(char*) {
    return false;
}
bool AudioEffectX::getErrorText(char*) {
    return false;
}
bool AudioEffectX::getVendorString(char*) {
    return false;
}
bool AudioEffectX::getProductString(char*) {
    return false;
}
int32_t AudioEffectX::getVendorVersion() {
    return 0;
}
intptr_t AudioEffectX::vendorSpecific(int32_t, intptr_t, void*, float) {
    return 0;
}
int32_t AudioEffectX::canDo(const char*) {
    return 0;
}
int32_t AudioEffectX::getTailSize() {
    return 0;
}
int32_t AudioEffectX::fxIdle() {
    return 0;
}
void* AudioEffectX::getIcon() {
    return nullptr;
}
bool AudioEffectX::setViewPosition(int32_t, int32_t) {
    return false;
}
bool AudioEffectX::getParameterProperties(int32_t, void*) {
    return false;
}
bool AudioEffectX::keysRequired() {
    return false;
}
int32_t AudioEffectX::getVstVersion() {
    return kVstVersion;
}
int32_t AudioEffectX::getMidiProgramName(int32_t, void*) {
    return 0;
}
int32_t AudioEffectX::getCurrentMidiProgram(int32_t, void*) {
    return -1;
}
int32_t AudioEffectX::getMidiProgramCategory(int32_t, void*) {
    return 0;
}
bool AudioEffectX::hasMidiProgramsChanged(int32_t) {
    return false;
}
bool AudioEffectX::getMidiKeyName(int32_t, void*) {
    return false;
}
bool AudioEffectX::beginSetProgram() {
    return false;
}
bool AudioEffectX::endSetProgram() {
    return false;
}

bool AudioEffectX::getSpeakerArrangement(void** input, void** output) {
    if (input != nullptr) {
        *input = nullptr;
    }
    if (output != nullptr) {
        *output = nullptr;
    }
    return false;
}

int32_t AudioEffectX::getNextShellPlugin(char*) {
    return 0;
}
int32_t AudioEffectX::startProcess() {
    return 0;
}
int32_t AudioEffectX::stopProcess() {
    return 0;
}
int32_t AudioEffectX::setTotalSampleToProcess(int32_t value) {
    return value;
}
bool AudioEffectX::setPanLaw(int32_t, float) {
    return false;
}
int32_t AudioEffectX::beginLoadBank(void*) {
    return 0;
}
int32_t AudioEffectX::beginLoadProgram(void*) {
    return 0;
}

void AudioEffectX::isSynth(bool state) {
    setFlag(effFlagsIsSynth, state);
}
void AudioEffectX::noTail(bool state) {
    setFlag(effFlagsNoSoundInStop, state);
}
void AudioEffectX::wantAsyncOperation(bool state) {
    setFlag(effFlagsExtIsAsync, state);
}
void AudioEffectX::hasExternalBuffer(bool state) {
    setFlag(effFlagsExtHasBuffer, state);
}
