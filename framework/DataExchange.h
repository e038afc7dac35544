#pragma once
// Values between a dialog's controls and its members, and captions from a text table.
#include <windows.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>

namespace kit {

bool IsChecked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool checked);

// A radio group given by its ids in order: the index of the ticked one, −1 for none.
int CheckedIndex(HWND dialog, std::initializer_list<int> ids);
// Ticks the one at `index` and clears the others (an index outside the group clears all).
void CheckIndex(HWND dialog, std::initializer_list<int> ids, int index);

std::wstring ReadText(HWND dialog, int id);
void WriteText(HWND dialog, int id, const std::wstring& text);
// A field that does not hold a number shows the framework's validation message,
// gives the field the focus and leaves `value` as it was: false.
bool ReadFloat(HWND dialog, int id, float& value);
void WriteFloat(HWND dialog, int id, float value);
bool ReadInt(HWND dialog, int id, int& value);
void WriteInt(HWND dialog, int id, int value);

int SliderPosition(HWND dialog, int id);
void SetSliderPosition(HWND dialog, int id, int position);

// One control's caption: the text with number `textId` of the caller's text table.
struct Caption {
    int control;
    const wchar_t* textId;
};
using TextLookup = std::function<std::wstring(const wchar_t* textId)>;
void ApplyCaptions(HWND dialog, const Caption* captions, size_t count, const TextLookup& lookup);
template <size_t N>
void ApplyCaptions(HWND dialog, const Caption (&captions)[N], const TextLookup& lookup)
{
    ApplyCaptions(dialog, captions, N, lookup);
}

}  // namespace kit
