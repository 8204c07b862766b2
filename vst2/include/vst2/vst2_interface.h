#pragma once

// The VST 2 interface as seen from the plug-in: the effect record a host drives, the function
// types of its entries and of the host callback, the editor's rectangle and key records, and
// the opcode, flag and magic numbers exchanged through them.
//
// Every field that carries a value or a pointer is pointer-sized, so the same declarations give
// the 144-byte record of 32-bit hosts and the standard 64-bit layout. Both are checked below.

#include <cstddef>
#include <cstdint>

// 32-bit Windows hosts call every entry with the C calling convention; say so explicitly so
// that a different compiler default cannot break the contract.
#if defined(_WIN32) && !defined(_WIN64)
#define VST2_CALL __cdecl
#else
#define VST2_CALL
#endif

struct AEffect;

/// The host's callback, and the record's dispatcher entry: (record, opcode, index, value, ptr,
/// opt) to a pointer-sized result.
typedef intptr_t(VST2_CALL* audioMasterCallback)(AEffect* effect, int32_t opcode, int32_t index,
                                                 intptr_t value, void* ptr, float opt);
typedef intptr_t(VST2_CALL* AEffectDispatcherProc)(AEffect* effect, int32_t opcode, int32_t index,
                                                   intptr_t value, void* ptr, float opt);
/// Audio entries: one buffer per channel for inputs and outputs, frame count.
typedef void(VST2_CALL* AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs,
                                            int32_t sampleFrames);
typedef void(VST2_CALL* AEffectSetParameterProc)(AEffect* effect, int32_t index, float value);
typedef float(VST2_CALL* AEffectGetParameterProc)(AEffect* effect, int32_t index);

/// The record a host receives from the entry point and drives the effect through.
struct AEffect {
    int32_t magic; ///< kEffectMagic
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process; ///< accumulating process entry
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags; ///< effFlags* bits
    intptr_t resvd1;
    intptr_t resvd2;
    int32_t initialDelay; ///< latency in frames
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object; ///< the effect object behind the record
    void* user;   ///< free for the host
    int32_t uniqueID;
    int32_t version;
    AEffectProcessProc processReplacing; ///< process entry that overwrites the outputs
    char future[60];
};

/// The editor's rectangle in pixels.
struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

/// A key event passed to the editor.
struct VstKeyCode {
    int32_t character;      ///< ASCII character, 0 when the key has none
    unsigned char virt;     ///< virtual key code, 0 for a plain character
    unsigned char modifier; ///< modifier key bits
};

/// Identifies a valid record: the characters V, s, t, P.
inline constexpr int32_t kEffectMagic = 0x56737450;

/// Opcodes of the record's dispatcher entry.
enum : int32_t {
    effOpen = 0,
    effClose = 1,
    effSetProgram = 2,
    effGetProgram = 3,
    effSetProgramName = 4,
    effGetProgramName = 5,
    effGetParamLabel = 6,
    effGetParamDisplay = 7,
    effGetParamName = 8,
    effGetVu = 9,
    effSetSampleRate = 10,
    effSetBlockSize = 11,
    effMainsChanged = 12,
    effEditGetRect = 13,
    effEditOpen = 14,
    effEditClose = 15,
    effEditDraw = 16,
    effEditMouse = 17,
    effEditKey = 18,
    effEditIdle = 19,
    effEditTop = 20,
    effEditSleep = 21,
    effIdentify = 22,
    effGetChunk = 23,
    effSetChunk = 24,
    effProcessEvents = 25,
    effCanBeAutomated = 26,
    effString2Parameter = 27,
    effGetNumProgramCategories = 28,
    effGetProgramNameIndexed = 29,
    effCopyProgram = 30,
    effConnectInput = 31,
    effConnectOutput = 32,
    effGetInputProperties = 33,
    effGetOutputProperties = 34,
    effGetPlugCategory = 35,
    effGetCurrentPosition = 36,
    effGetDestinationBuffer = 37,
    effOfflineNotify = 38,
    effOfflinePrepare = 39,
    effOfflineRun = 40,
    effProcessVarIo = 41,
    effSetSpeakerArrangement = 42,
    effSetBlockSizeAndSampleRate = 43,
    effSetBypass = 44,
    effGetEffectName = 45,
    effGetErrorText = 46,
    effGetVendorString = 47,
    effGetProductString = 48,
    effGetVendorVersion = 49,
    effVendorSpecific = 50,
    effCanDo = 51,
    effGetTailSize = 52,
    effIdle = 53,
    effGetIcon = 54,
    effSetViewPosition = 55,
    effGetParameterProperties = 56,
    effKeysRequired = 57,
    effGetVstVersion = 58,
    effEditKeyDown = 59,
    effEditKeyUp = 60,
    effSetEditKnobMode = 61,
    effGetMidiProgramName = 62,
    effGetCurrentMidiProgram = 63,
    effGetMidiProgramCategory = 64,
    effHasMidiProgramsChanged = 65,
    effGetMidiKeyName = 66,
    effBeginSetProgram = 67,
    effEndSetProgram = 68,
    effGetSpeakerArrangement = 69,
    effShellGetNextPlugin = 70,
    effStartProcess = 71,
    effStopProcess = 72,
    effSetTotalSampleToProcess = 73,
    effSetPanLaw = 74,
    effBeginLoadBank = 75,
    effBeginLoadProgram = 76,
};

/// Opcodes of the host callback that the plug-in uses.
enum : int32_t {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterIdle = 3,
    audioMasterSizeWindow = 15,
    audioMasterVendorSpecific = 35,
    audioMasterCanDo = 37,
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
};

/// This project's own call through audioMasterVendorSpecific, in its index: an equaliser that
/// only stands in for another (an editor's own) asks its host to solo band `value` (0..5, -1
/// none) of the one that processes. Hosts that do not know it answer 0 and ignore it.
inline constexpr int32_t kMiralSoloRequest = 0x736f6c6f; // 'solo'

/// Bits of AEffect::flags.
enum : int32_t {
    effFlagsHasEditor = 1,
    effFlagsHasClip = 2,
    effFlagsHasVu = 4,
    effFlagsCanMono = 8,
    effFlagsCanReplacing = 16,
    effFlagsProgramChunks = 32,
    effFlagsIsSynth = 256,
    effFlagsNoSoundInStop = 512,
    effFlagsExtIsAsync = 1024,
    effFlagsExtHasBuffer = 2048,
};

static_assert(sizeof(ERect) == 8);
static_assert(sizeof(VstKeyCode) == 8);

#if INTPTR_MAX == INT32_MAX
static_assert(sizeof(AEffect) == 144);
static_assert(offsetof(AEffect, dispatcher) == 4);
static_assert(offsetof(AEffect, numPrograms) == 20);
static_assert(offsetof(AEffect, flags) == 36);
static_assert(offsetof(AEffect, resvd1) == 40);
static_assert(offsetof(AEffect, initialDelay) == 48);
static_assert(offsetof(AEffect, ioRatio) == 60);
static_assert(offsetof(AEffect, object) == 64);
static_assert(offsetof(AEffect, user) == 68);
static_assert(offsetof(AEffect, uniqueID) == 72);
static_assert(offsetof(AEffect, version) == 76);
static_assert(offsetof(AEffect, processReplacing) == 80);
static_assert(offsetof(AEffect, future) == 84);
#else
static_assert(sizeof(AEffect) == 192);
static_assert(offsetof(AEffect, dispatcher) == 8);
static_assert(offsetof(AEffect, numPrograms) == 40);
static_assert(offsetof(AEffect, flags) == 56);
static_assert(offsetof(AEffect, resvd1) == 64);
static_assert(offsetof(AEffect, initialDelay) == 80);
static_assert(offsetof(AEffect, ioRatio) == 92);
static_assert(offsetof(AEffect, object) == 96);
static_assert(offsetof(AEffect, user) == 104);
static_assert(offsetof(AEffect, uniqueID) == 112);
static_assert(offsetof(AEffect, version) == 116);
static_assert(offsetof(AEffect, processReplacing) == 120);
static_assert(offsetof(AEffect, future) == 128);
#endif
