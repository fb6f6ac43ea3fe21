#pragma once
// Skinned windows take the numbers of their dialog template as pixels: the dialog's size is its
// client size and every control goes to its rectangle, whatever font the dialog manager used to
// lay the template out in dialog units. Pictures, frames and controls then share one geometry and
// stay aligned under any dialog font.
#include <windows.h>

// Places the controls of `dialog`, created from template `templateId` of `module`, and sizes its
// client area. Controls are matched to the template's items in creation order (several statics may
// share an id). A dialog with DS_CENTER is centred again over its owner after the resize. False
// when the template cannot be read (the dialog keeps its dialog-unit layout).
[[nodiscard]] bool PlaceInPixels(HWND dialog, UINT templateId, HINSTANCE module);
// The same from template bytes (a template built in memory).
[[nodiscard]] bool PlaceInPixels(HWND dialog, const void* dialogTemplate, size_t size);
