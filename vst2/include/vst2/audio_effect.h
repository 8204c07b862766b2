#pragma once

// The effect's side of the VST 2 interface: AudioEffect owns the AEffect record handed to a
// host, turns calls on the record into calls of its virtual operations, and makes the few
// calls back into the host. A concrete effect overrides what it needs; everything else keeps
// a neutral default (0, false, nothing).
//
// Threads: no locks and no threads of its own; the record entries run on whatever thread the
// host calls on. Lifetime: the host ends the effect with effClose, which deletes the object.

#include "vst2/vst2_interface.h"

#include <cstdint>

class AEffEditor;

class AudioEffect {
public:
    /// Fills the record: magic, the five entries, the counts given, one input, two outputs,
    /// no flags, ioRatio 1, version 1 and a placeholder unique identifier.
    AudioEffect(audioMasterCallback host, int32_t programCount, int32_t paramCount);
    /// Deletes the editor, if one was registered.
    virtual ~AudioEffect();

    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    // --- Parameters and audio. The defaults do nothing and report 0.
    virtual void setParameter(int32_t index, float value);
    virtual float getParameter(int32_t index);
    /// Sets the parameter through setParameter, then tells the host (audioMasterAutomate).
    virtual void setParameterAutomated(int32_t index, float value);
    /// Adds the processed inputs to the outputs.
    virtual void process(float** inputs, float** outputs, int32_t sampleFrames);
    /// Writes the processed inputs over the outputs.
    virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames);

    /// Carries out one host opcode of 0..24 and returns the host's result; 0 for any other.
    /// Pointers that an operation writes through are checked here: null does nothing.
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt);

    virtual void open();
    virtual void close();

    // --- Programs. Text buffers belong to the host and are never null here.
    virtual int32_t getProgram();
    /// Called only with 0 <= program < numPrograms.
    virtual void setProgram(int32_t program);
    virtual void setProgramName(const char* name);
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(int32_t index, char* label);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);
    virtual float getVu();
    /// Hands out the effect's state as one block; returns its size, 0 for none.
    virtual int32_t getChunk(void** data, bool isPreset);
    virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset);

    // --- Setting up.
    virtual void setSampleRate(float newSampleRate);
    virtual void setBlockSize(int32_t newBlockSize);
    virtual void suspend();
    virtual void resume();

    // --- Record fields and flags.
    virtual void setUniqueID(int32_t id);
    virtual void setNumInputs(int32_t inputs);
    virtual void setNumOutputs(int32_t outputs);
    virtual void hasVu(bool state = true);
    virtual void hasClip(bool state = true);
    virtual void canMono(bool state = true);
    virtual void canProcessReplacing(bool state = true);
    virtual void programsAreChunks(bool state = true);
    virtual void setRealtimeQualities(int32_t qualities);
    virtual void setOfflineQualities(int32_t qualities);
    virtual void setInitialDelay(int32_t delay);

    virtual float getSampleRate();
    virtual int32_t getBlockSize();

    // --- Calls into the host; each returns 0 (false) without a host callback.
    /// The host's interface version (audioMasterVersion).
    virtual int32_t getMasterVersion();
    /// The identifier of the effect the host is loading; the system never needs it: 0.
    virtual int32_t getCurrentUniqueId();
    /// Gives the host idle time (audioMasterIdle); true when the host answers non-zero.
    virtual bool masterIdle();
    /// Connection state of a pin; the system never asks the host: false.
    virtual bool isInputConnected(int32_t input);
    virtual bool isOutputConnected(int32_t output);

    // --- Number to text, at most 8 characters plus the terminator.
    /// "-oo" for value <= 0, otherwise float2string of the value in dB.
    virtual void dB2string(float value, char* text);
    /// float2string of sampleRate / samples (0 for 0 samples).
    virtual void Hz2string(float samples, char* text);
    /// float2string of samples in milliseconds at sampleRate.
    virtual void ms2string(float samples, char* text);
    virtual void float2string(float value, char* text);
    virtual void long2string(int32_t value, char* text);

    /// Host calls that are not part of the virtual table.
    /// audioMasterCanDo: the host's answer, non-zero meaning yes; 0 for a null text.
    int32_t canHostDo(const char* text);
    /// audioMasterSizeWindow: true when the host resized its window.
    bool sizeWindow(int32_t width, int32_t height);
    /// audioMasterBeginEdit / audioMasterEndEdit around a user's drag of a control.
    bool beginEdit(int32_t index);
    bool endEdit(int32_t index);

    /// The record handed to the host.
    AEffect* getAeffect() { return &cEffect; }
    AEffEditor* getEditor() const { return editor; }
    /// Registers the editor (called by the editor's constructor): the effect owns it from now
    /// on and announces it in the record's flags; a different earlier editor is deleted.
    void setEditor(AEffEditor* newEditor);

protected:
    /// Calls the host with this effect's record; 0 without a host callback.
    intptr_t callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    void setFlag(int32_t flag, bool state);
    /// A host's float truncated toward zero; 0 where that is no 32-bit integer (NaN, huge).
    static int32_t truncateToInt(float value);

    float sampleRate = 44100.0f;
    AEffEditor* editor = nullptr;
    audioMasterCallback audioMaster;
    int32_t numPrograms;
    int32_t numParams;
    int32_t curProgram = 0;
    int32_t blockSize = 1024;
    AEffect cEffect{};
};
