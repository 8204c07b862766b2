#pragma once

// The extended effect base: answers the host opcodes 25..76 through further virtual
// operations with neutral defaults, and passes every other opcode to AudioEffect. Concrete
// effects derive from this class.
//
// Pointer arguments are the host's records, passed through untyped; a text or record
// operation is never called with a null pointer.

#include "vst2/audio_effect.h"

#include <cstdint>

class AudioEffectX : public AudioEffect {
public:
    /// The interface version the effect implements, answered to effGetVstVersion.
    static constexpr int32_t kVstVersion = 2300;

    AudioEffectX(audioMasterCallback host, int32_t programCount, int32_t paramCount);

    /// Carries out opcodes 25..76 here and all others through AudioEffect::dispatcher.
    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                        float opt) override;

    // --- Extended operations in opcode order; the defaults do nothing.
    virtual int32_t processEvents(void* events);
    /// Default: every parameter can be automated.
    virtual bool canParameterBeAutomated(int32_t index);
    virtual bool string2parameter(int32_t index, char* text);
    /// Default: one program category.
    virtual int32_t getNumCategories();
    /// Copies the name of program `index` into text; false for a program that does not exist.
    virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text);
    virtual bool copyProgram(int32_t destination);
    virtual void inputConnected(int32_t index, bool state);
    virtual void outputConnected(int32_t index, bool state);
    virtual bool getInputProperties(int32_t index, void* properties);
    virtual bool getOutputProperties(int32_t index, void* properties);
    /// The kind of plug-in (1 for an effect); 0, unknown, by default.
    virtual int32_t getPlugCategory();
    virtual int32_t reportCurrentPosition();
    virtual float* reportDestinationBuffer();
    virtual bool offlineNotify(void* audioFiles, int32_t numAudioFiles, bool start);
    virtual bool offlinePrepare(void* tasks, int32_t count);
    virtual bool offlineRun(void* tasks, int32_t count);
    virtual bool processVariableIo(void* io);
    virtual bool setSpeakerArrangement(void* input, void* output);
    virtual bool setBypass(bool onOff);
    virtual bool getEffectName(char* name);
    virtual bool getErrorText(char* text);
    virtual bool getVendorString(char* text);
    virtual bool getProductString(char* text);
    virtual int32_t getVendorVersion();
    virtual intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
    /// 1 for a capability the effect has, -1 for one it lacks, 0 when it does not know.
    virtual int32_t canDo(const char* text);
    virtual int32_t getTailSize();
    virtual int32_t fxIdle();
    virtual void* getIcon();
    virtual bool setViewPosition(int32_t x, int32_t y);
    virtual bool getParameterProperties(int32_t index, void* properties);
    /// Default false: the effect does not need the keyboard (the host is told "not required").
    virtual bool keysRequired();
    virtual int32_t getVstVersion();
    virtual int32_t getMidiProgramName(int32_t channel, void* name);
    /// The current MIDI program of channel; -1 for none.
    virtual int32_t getCurrentMidiProgram(int32_t channel, void* current);
    virtual int32_t getMidiProgramCategory(int32_t channel, void* category);
    virtual bool hasMidiProgramsChanged(int32_t channel);
    virtual bool getMidiKeyName(int32_t channel, void* keyName);
    virtual bool beginSetProgram();
    virtual bool endSetProgram();
    /// Stores the effect's arrangements in *input and *output; the default stores null in
    /// each one given.
    virtual bool getSpeakerArrangement(void** input, void** output);
    virtual int32_t getNextShellPlugin(char* name);
    virtual int32_t startProcess();
    virtual int32_t stopProcess();
    /// Announces the length of an offline run; returns it.
    virtual int32_t setTotalSampleToProcess(int32_t value);
    virtual bool setPanLaw(int32_t type, float value);
    virtual int32_t beginLoadBank(void* info);
    virtual int32_t beginLoadProgram(void* info);

    // --- Further record flags.
    virtual void isSynth(bool state = true);
    virtual void noTail(bool state = true);
    virtual void wantAsyncOperation(bool state = true);
    virtual void hasExternalBuffer(bool state = true);
};
