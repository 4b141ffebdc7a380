// What the dialogs take from the program's resources: their English default
// texts, the 16 x 16 tool-button glyphs ("BS_BACK", "BS_UP", "BS_NEWFOLDER",
// "BS_LVSTYLE", "BS_STRETCH") and the 32 x 32 system icons of the message
// types. The glyphs are drawn here once and kept as bitmap resources (a
// program that registers its own keeps them). GUI thread only.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "skin/data/bsSkinData.h"

namespace skin {

// The skin's text for Key when SD has resource strings (an absent key gives
// ""), otherwise Default.
String DialogText(TbsSkinData* SD, const char16_t* Key, const char16_t* Default);

// Loads a named glyph into B (registering the built-in glyphs first).
void LoadDialogGlyph(gdi::TBitmap* B, const String& Name);

// System icon identifiers of the message types.
constexpr int IDI_HAND = 32513, IDI_QUESTION = 32514, IDI_EXCLAMATION = 32515, IDI_ASTERISK = 32516;
// The 32 x 32 picture of a system icon (transparent where the bottom-left
// pixel's colour is); an unknown identifier leaves B empty.
void LoadSystemIcon(gdi::TBitmap* B, int Id);

}  // namespace skin
