// The controls of the Preferences window that the code touches, by control ID. The window
// description ("Preferences" in the nib "main") gives each of them this ID.
#pragma once

#include "platform/Controls.h"

inline constexpr OSType kHotKeySignature = FourCC("HOTG");
inline constexpr OSType kOptionSignature = FourCC("OPTG");

// The hot keys: a group box, then per port an edit field and its caption.
inline constexpr ControlID kHotKeyGroupID{kHotKeySignature, 1};
inline constexpr ControlID kHotKeyIDs[4] = {
    {kHotKeySignature, 2}, {kHotKeySignature, 3}, {kHotKeySignature, 4}, {kHotKeySignature, 5}};
inline constexpr ControlID kPCKeyIDs[4] = {
    {kHotKeySignature, 6}, {kHotKeySignature, 7}, {kHotKeySignature, 8}, {kHotKeySignature, 9}};

// The switch's options. Each fix checkbox governs the port popup of the same index.
inline constexpr ControlID kOptionGroupId{kOptionSignature, 10};
inline constexpr ControlID kBuzzerID{kOptionSignature, 11};
inline constexpr ControlID kFixAudioPortID{kOptionSignature, 12};
inline constexpr ControlID kAudioPortNumberID{kOptionSignature, 13};
inline constexpr ControlID kFixHUBPortIDs[2] = {{kOptionSignature, 14}, {kOptionSignature, 16}};
inline constexpr ControlID kHUBPortNumberIDs[2] = {{kOptionSignature, 15}, {kOptionSignature, 17}};
inline constexpr ControlID kAutoScanPeriodID{kOptionSignature, 18};
inline constexpr ControlID kUniversalHotKeyID{kOptionSignature, 20};
