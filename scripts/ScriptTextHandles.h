// Texts carried in the 32-bit words of a message: a text is kept once for the life of the program and travels as
// a small handle, which the receiver turns back into the text (a pointer would not fit the word).
#pragma once

#include <cstdint>

// No text.
constexpr uint32_t kNoScriptText = 0;
// Most texts kept; a further text travels as kNoScriptText.
constexpr uint32_t kMaxScriptTexts = 65536;

// The handle of the text (the same text always has the same handle); kNoScriptText for a null text, or when the
// table is full.
uint32_t InternScriptText(const char* text);
// The text of a handle, or null when the handle names none.
const char* ScriptTextOf(uint32_t handle);
